// A small HTML form scanner and the form submission a browser makes, for
// tests that click what a page rendered.
//
// The scanner reads the library's own markup: FORM, INPUT, SELECT with
// OPTION, TEXTAREA; tag and attribute names in any letter case, attribute
// values quoted or bare, boolean attributes (CHECKED, SELECTED), entities
// in values. Comments and script elements are skipped. A FORM start tag
// inside an open form is ignored and the next end tag closes the open form,
// a text input's value loses its line breaks and a text area its first
// line break right after the start tag, as browsers do.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zyl::harness {

struct Option {
  std::string value;
  bool selected = false;
};

struct Control {
  std::string tag;   // "INPUT", "SELECT" or "TEXTAREA"
  std::string type;  // INPUT type in upper case ("TEXT" when absent)
  std::string name;
  std::string value;  // INPUT value or TEXTAREA content
  bool hasValue = false;
  bool checked = false;
  std::vector<Option> options;  // SELECT only
};

using FieldList = std::vector<std::pair<std::string, std::string>>;

class Form {
 public:
  std::string name;
  std::string action;
  std::string method;
  std::vector<Control> controls;  // in document order

  // The first control named `controlName`, or null.
  Control* Find(const std::string& controlName);
  const Control* Find(const std::string& controlName) const;
  bool HasImageButton(const std::string& buttonName) const;
  // Types into a text input or text area. Throws std::runtime_error when
  // there is no such control (as every setter here).
  void SetText(const std::string& controlName, const std::string& text);
  void SetChecked(const std::string& controlName, bool checked);
  // Selects the option with that value (and no other).
  void Choose(const std::string& controlName, const std::string& value);

  // The fields a browser posts when image button `button` is clicked (empty:
  // submitted without a button, as Enter in a form without one): every
  // named control in document order; checked checkboxes ("on" without a
  // VALUE); a select's selected option (its first without a selection);
  // the clicked button as NAME.x and NAME.y at its place. Throws when the
  // form has no such button.
  FieldList Submission(const std::string& button) const;
};

std::vector<Form> ScanForms(const std::string& html);

// application/x-www-form-urlencoded: "+" for a blank, %XX for bytes other
// than letters, digits and "*-._".
std::string UrlEncode(const FieldList& fields);

}  // namespace zyl::harness
