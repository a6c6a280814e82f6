// The XLSX writer's functions as `zylgrid` links them: libxlsxwriter is
// loaded by the first XLSX download instead of at every start.
//
// libxlsxwriter brings the zip, zlib and crypto libraries along; loading and
// relocating them took more than half of the instructions of a CGI start
// that never writes a workbook. These definitions of the functions the
// export uses come before the shared library on the link line, so the
// linker (--as-needed) leaves the library out; the first call dlopen()s it
// and forwards every call to it. A function the export starts to use that
// is not forwarded here links the library again (the test
// zylgrid_links_no_libpq_nor_http says so).
#include <xlsxwriter.h>

#include <mutex>
#include <string>

#include "platform/Exception.h"
#include "platform/SharedLibrary.h"

namespace {

struct Xlsx {
  decltype(&::workbook_new_opt) newOpt;
  decltype(&::workbook_add_worksheet) addWorksheet;
  decltype(&::workbook_add_format) addFormat;
  decltype(&::workbook_close) close;
  decltype(&::format_set_num_format) setNumFormat;
  decltype(&::worksheet_write_string) writeString;
  decltype(&::worksheet_write_number) writeNumber;
  decltype(&::worksheet_write_boolean) writeBoolean;
  decltype(&::lxw_strerror) strerror;
};

template <typename F>
void Resolve(void* handle, const char* name, F& function) {
  if (!zyl::ResolveFunction(handle, name, function)) {
    throw zyl::Exception(std::string("XLSX export: ") + ZYLGRID_XLSX_SONAME + " has no " + name);
  }
}

Xlsx Load() {
  std::string reason;
  void* handle = zyl::OpenSharedLibrary(ZYLGRID_XLSX_SONAME, reason);
  if (handle == nullptr) {
    throw zyl::Exception(std::string("XLSX export: cannot load ") + ZYLGRID_XLSX_SONAME + ": " +
                         reason);
  }
  // The handle stays open for the life of the process.
  Xlsx x{};
  Resolve(handle, "workbook_new_opt", x.newOpt);
  Resolve(handle, "workbook_add_worksheet", x.addWorksheet);
  Resolve(handle, "workbook_add_format", x.addFormat);
  Resolve(handle, "workbook_close", x.close);
  Resolve(handle, "format_set_num_format", x.setNumFormat);
  Resolve(handle, "worksheet_write_string", x.writeString);
  Resolve(handle, "worksheet_write_number", x.writeNumber);
  Resolve(handle, "worksheet_write_boolean", x.writeBoolean);
  Resolve(handle, "lxw_strerror", x.strerror);
  return x;
}

// The loaded library; loads it on the first call. A failed load raises and
// the next call tries again.
const Xlsx& Library() {
  static std::once_flag once;
  static Xlsx loaded{};
  std::call_once(once, [] { loaded = Load(); });
  return loaded;
}

}  // namespace

extern "C" {

lxw_workbook* workbook_new_opt(const char* filename, lxw_workbook_options* options) {
  return Library().newOpt(filename, options);
}

lxw_worksheet* workbook_add_worksheet(lxw_workbook* workbook, const char* sheetname) {
  return Library().addWorksheet(workbook, sheetname);
}

lxw_format* workbook_add_format(lxw_workbook* workbook) {
  return Library().addFormat(workbook);
}

lxw_error workbook_close(lxw_workbook* workbook) {
  return Library().close(workbook);
}

void format_set_num_format(lxw_format* format, const char* num_format) {
  Library().setNumFormat(format, num_format);
}

lxw_error worksheet_write_string(lxw_worksheet* worksheet, lxw_row_t row, lxw_col_t col,
                                 const char* string, lxw_format* format) {
  return Library().writeString(worksheet, row, col, string, format);
}

lxw_error worksheet_write_number(lxw_worksheet* worksheet, lxw_row_t row, lxw_col_t col,
                                 double number, lxw_format* format) {
  return Library().writeNumber(worksheet, row, col, number, format);
}

lxw_error worksheet_write_boolean(lxw_worksheet* worksheet, lxw_row_t row, lxw_col_t col, int value,
                                  lxw_format* format) {
  return Library().writeBoolean(worksheet, row, col, value, format);
}

char* lxw_strerror(lxw_error error_num) {
  return Library().strerror(error_num);
}

}  // extern "C"
