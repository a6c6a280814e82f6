// Serving the image set: a file name from a request is served only when it
// is a plain name of a .gif or .png file in the image folder (no paths, no
// hidden files, nothing else a site may keep there, such as its
// configuration or database).
#pragma once

#include <string>

namespace zylgrid {

// Reads image `name` from `folder` into `bytes`; false when the name is not
// a plain file name ([A-Za-z0-9._-], not starting with ".") ending in .gif
// or .png (any case), or no such file exists. Names keep their letter case ("GTab.gif" and
// "GTab.Gif" are two files).
bool ReadImage(const std::string& folder, const std::string& name, std::string& bytes);

// "image/gif" for .gif (any case), "image/png", else "application/octet-stream".
std::string ImageContentType(const std::string& name);

}  // namespace zylgrid
