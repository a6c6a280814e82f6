// One line per event on standard error, safe from many threads.
#pragma once

#include <string>

namespace zylgrid {

// Writes "<UTC time> <text>\n" to standard error as one write.
void LogLine(const std::string& text);

}  // namespace zylgrid
