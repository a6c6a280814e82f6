// Helpers of the editing tests: posting chosen cell fields with a page's
// hidden state, and finding the controls of a page's new-record row.
#pragma once

#include <string>
#include <vector>

#include "RequestHarness.h"

namespace zyl::testing {

// Posts the hidden fields of form `formName` of `page`, then `cells`, then
// a click on `button` (none when empty), as a hand-made request would.
inline harness::Response PostCells(const harness::Site& site, const harness::Response& page,
                                   const harness::FieldList& cells, const std::string& button = "GUPDATE",
                                   const std::string& formName = "Grid1_TABLE") {
  const harness::Form& form = page.GetForm(formName);
  harness::FieldList fields;
  for (const harness::Control& c : form.controls) {
    if (c.type == "HIDDEN" && !c.name.empty()) fields.emplace_back(c.name, c.value);
  }
  fields.insert(fields.end(), cells.begin(), cells.end());
  if (!button.empty()) fields.insert(fields.end(), {{button + ".x", "1"}, {button + ".y", "1"}});
  return site.Send({"POST", form.action, harness::UrlEncode(fields)});
}

// Names of the form's cell controls whose field part is `field`
// ("GCELL_<record>_<field>").
inline std::vector<std::string> CellControls(const harness::Form& form, int field) {
  std::vector<std::string> names;
  for (const harness::Control& c : form.controls) {
    if (c.name.starts_with("GCELL_") && c.name.ends_with("_" + std::to_string(field))) names.push_back(c.name);
  }
  return names;
}

}  // namespace zyl::testing
