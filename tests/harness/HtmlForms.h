// A small HTML form scanner and the form submission a browser makes, for
// tests that click what a page rendered. It reads the library's own markup:
// FORM, INPUT, SELECT with OPTION, TEXTAREA; names in any letter case,
// values quoted or bare, boolean attributes, entities in values; comments
// and scripts skipped. As browsers do, a FORM inside an open form is
// ignored, a text input's value loses its line breaks and a text area its
// first line break right after the start tag.
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

struct Form {
  std::string name, action, method;
  std::vector<Control> controls;  // in document order

  // The first control named `controlName`, or null.
  const Control* Find(const std::string& controlName) const;
  // Setters throw std::runtime_error when there is no such control (or
  // option): type into a text input or area, tick, choose one option.
  void SetText(const std::string& controlName, const std::string& text);
  void SetChecked(const std::string& controlName, bool checked);
  void Choose(const std::string& controlName, const std::string& value);
  // The fields a browser posts when image button `button` is clicked (none:
  // Enter): named controls in document order; ticked boxes ("on" without a
  // VALUE); a select's chosen option (else its first); the button as NAME.x
  // and NAME.y. Throws when the form has no such button.
  FieldList Submission(const std::string& button) const;
};

std::vector<Form> ScanForms(const std::string& html);

// application/x-www-form-urlencoded: "+" for a blank, %XX for bytes other
// than letters, digits and "*-._".
std::string UrlEncode(const FieldList& fields);

}  // namespace zyl::harness
