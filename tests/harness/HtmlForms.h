// An HTML form scanner (FORM, INPUT, SELECT/OPTION, TEXTAREA of the library's
// markup) and what a browser posts. As browsers do, a nested FORM is ignored,
// a text input loses its line breaks, a text area its first leading one.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zyl::harness {

struct Option { std::string value; bool selected = false; };

struct Control {
  std::string tag, type, name, value;  // upper-case tag and type; TEXTAREA content as value
  bool hasValue = false, checked = false;
  std::vector<Option> options;  // SELECT only
};

using FieldList = std::vector<std::pair<std::string, std::string>>;

struct Form {
  std::string name, action, method;
  std::vector<Control> controls;  // in document order

  const Control* Find(const std::string& controlName) const;  // the first so named, or null
  // These throw std::runtime_error when there is no such control or option.
  void SetText(const std::string& controlName, const std::string& text);
  void SetChecked(const std::string& controlName, bool checked);
  void Choose(const std::string& controlName, const std::string& value);
  // The fields posted when image button `button` is clicked ("": Enter);
  // throws when the form has no such button.
  FieldList Submission(const std::string& button) const;
};

std::vector<Form> ScanForms(const std::string& html);

// application/x-www-form-urlencoded.
std::string UrlEncode(const FieldList& fields);

}  // namespace zyl::harness
