#include "HtmlForms.h"

#include <cctype>
#include <map>
#include <stdexcept>

namespace zyl::harness {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string DecodeEntities(const std::string& s) {
  static const std::map<std::string, std::string> kNamed = {
      {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", "\xC2\xA0"}};
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::size_t semi = s[i] == '&' ? s.find(';', i) : std::string::npos;
    if (semi == std::string::npos || semi - i > 10) {
      out += s[i];
      continue;
    }
    std::string entity = s.substr(i + 1, semi - i - 1);
    if (!entity.empty() && entity[0] == '#') {
      bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
      out += static_cast<char>(std::stoi(entity.substr(hex ? 2 : 1), nullptr, hex ? 16 : 10));
    } else if (auto it = kNamed.find(entity); it != kNamed.end()) {
      out += it->second;
    } else {
      out += s[i];
      continue;
    }
    i = semi;
  }
  return out;
}

struct Tag {
  std::string name;                               // upper case; "/FORM" for an end tag
  std::map<std::string, std::string> attributes;  // upper-case names, decoded values
  bool Has(const std::string& attribute) const { return attributes.count(attribute) > 0; }
  std::string Get(const std::string& attribute) const {
    auto it = attributes.find(attribute);
    return it == attributes.end() ? std::string() : it->second;
  }
};

// Parses the tag starting at html[pos] == '<'; `end` gets the position
// after its '>'.
Tag ParseTag(const std::string& html, std::size_t pos, std::size_t& end) {
  Tag tag;
  std::size_t i = pos + 1;
  auto skipBlanks = [&] {
    while (i < html.size() && std::isspace(static_cast<unsigned char>(html[i]))) ++i;
  };
  std::size_t start = i;
  while (i < html.size() && !std::isspace(static_cast<unsigned char>(html[i])) && html[i] != '>')
    ++i;
  tag.name = Upper(html.substr(start, i - start));
  while (true) {
    skipBlanks();
    if (i >= html.size() || html[i] == '>') break;
    start = i;
    while (i < html.size() && html[i] != '=' && html[i] != '>' &&
           !std::isspace(static_cast<unsigned char>(html[i]))) {
      ++i;
    }
    std::string name = Upper(html.substr(start, i - start));
    std::string value;
    skipBlanks();
    if (i < html.size() && html[i] == '=') {
      ++i;
      skipBlanks();
      if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
        char quote = html[i++];
        start = i;
        while (i < html.size() && html[i] != quote) ++i;
        value = html.substr(start, i - start);
        if (i < html.size()) ++i;
      } else {
        start = i;
        while (i < html.size() && html[i] != '>' &&
               !std::isspace(static_cast<unsigned char>(html[i])))
          ++i;
        value = html.substr(start, i - start);
      }
    }
    if (!name.empty()) tag.attributes.emplace(name, DecodeEntities(value));
  }
  end = i < html.size() ? i + 1 : i;
  return tag;
}

std::size_t FindNoCase(const std::string& html, const std::string& upperText, std::size_t from) {
  return Upper(html).find(upperText, from);
}

}  // namespace

Control* Form::Find(const std::string& controlName) {
  for (Control& c : controls) {
    if (c.name == controlName) return &c;
  }
  return nullptr;
}

const Control* Form::Find(const std::string& controlName) const {
  return const_cast<Form*>(this)->Find(controlName);
}

bool Form::HasImageButton(const std::string& buttonName) const {
  for (const Control& c : controls) {
    if (c.type == "IMAGE" && c.name == buttonName) return true;
  }
  return false;
}

namespace {
Control& Need(Form& form, const std::string& name) {
  Control* c = form.Find(name);
  if (c == nullptr)
    throw std::runtime_error("form '" + form.name + "' has no control '" + name + "'");
  return *c;
}
}  // namespace

void Form::SetText(const std::string& controlName, const std::string& text) {
  Control& c = Need(*this, controlName);
  c.value = text;
  c.hasValue = true;
}

void Form::SetChecked(const std::string& controlName, bool on) {
  Need(*this, controlName).checked = on;
}

void Form::Choose(const std::string& controlName, const std::string& value) {
  Control& c = Need(*this, controlName);
  bool found = false;
  for (Option& o : c.options) {
    o.selected = o.value == value && !found;
    found = found || o.selected;
  }
  if (!found)
    throw std::runtime_error("select '" + controlName + "' has no option '" + value + "'");
}

FieldList Form::Submission(const std::string& button) const {
  if (!button.empty() && !HasImageButton(button)) {
    throw std::runtime_error("form '" + name + "' has no image button '" + button + "'");
  }
  FieldList fields;
  bool clicked = false;
  for (const Control& c : controls) {
    if (c.name.empty()) continue;
    if (c.tag == "SELECT") {
      const Option* chosen = c.options.empty() ? nullptr : &c.options.front();
      for (const Option& o : c.options) {
        if (o.selected) {
          chosen = &o;
          break;
        }
      }
      if (chosen != nullptr) fields.emplace_back(c.name, chosen->value);
    } else if (c.tag == "TEXTAREA") {
      fields.emplace_back(c.name, c.value);
    } else if (c.type == "IMAGE") {
      if (c.name == button && !clicked) {
        clicked = true;
        fields.emplace_back(c.name + ".x", "3");
        fields.emplace_back(c.name + ".y", "4");
      }
    } else if (c.type == "CHECKBOX" || c.type == "RADIO") {
      if (c.checked) fields.emplace_back(c.name, c.hasValue ? c.value : "on");
    } else if (c.type != "SUBMIT" && c.type != "BUTTON" && c.type != "RESET" && c.type != "FILE") {
      fields.emplace_back(c.name, c.value);
    }
  }
  return fields;
}

std::vector<Form> ScanForms(const std::string& html) {
  std::vector<Form> forms;
  Form* open = nullptr;
  Control* select = nullptr;
  std::size_t pos = 0;
  while ((pos = html.find('<', pos)) != std::string::npos) {
    if (html.compare(pos, 4, "<!--") == 0) {
      std::size_t close = html.find("-->", pos + 4);
      pos = close == std::string::npos ? html.size() : close + 3;
      continue;
    }
    std::size_t end = 0;
    Tag tag = ParseTag(html, pos, end);
    pos = end;
    if (tag.name == "SCRIPT") {
      std::size_t close = FindNoCase(html, "</SCRIPT", pos);
      pos = close == std::string::npos ? html.size() : close;
    } else if (tag.name == "FORM") {
      if (open != nullptr) continue;
      forms.push_back(Form{tag.Get("NAME"), tag.Get("ACTION"), Upper(tag.Get("METHOD")), {}});
      open = &forms.back();
    } else if (tag.name == "/FORM") {
      open = nullptr;
      select = nullptr;
    } else if (open == nullptr) {
      continue;
    } else if (tag.name == "INPUT") {
      Control c;
      c.tag = "INPUT";
      c.type = tag.Has("TYPE") ? Upper(tag.Get("TYPE")) : "TEXT";
      c.name = tag.Get("NAME");
      c.value = tag.Get("VALUE");
      // A text input cannot hold a line break: browsers drop them.
      if (c.type == "TEXT") {
        std::erase_if(c.value, [](char ch) { return ch == '\r' || ch == '\n'; });
      }
      c.hasValue = tag.Has("VALUE");
      c.checked = tag.Has("CHECKED");
      open->controls.push_back(c);
    } else if (tag.name == "SELECT") {
      Control c;
      c.tag = "SELECT";
      c.name = tag.Get("NAME");
      open->controls.push_back(c);
      select = &open->controls.back();
    } else if (tag.name == "/SELECT") {
      select = nullptr;
    } else if (tag.name == "OPTION" && select != nullptr) {
      Option o;
      o.selected = tag.Has("SELECTED");
      if (tag.Has("VALUE")) {
        o.value = tag.Get("VALUE");
      } else {
        std::size_t next = html.find('<', pos);
        std::string text =
            html.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
          text.pop_back();
        o.value = DecodeEntities(text);
      }
      select->options.push_back(o);
    } else if (tag.name == "TEXTAREA") {
      std::size_t close = FindNoCase(html, "</TEXTAREA", pos);
      Control c;
      c.tag = "TEXTAREA";
      c.name = tag.Get("NAME");
      std::string content =
          html.substr(pos, close == std::string::npos ? std::string::npos : close - pos);
      // Browsers drop one line break right after the start tag.
      std::size_t skip = content.rfind("\r\n", 0) == 0 ? 2 : 0;
      if (skip == 0 && !content.empty() && (content[0] == '\r' || content[0] == '\n')) skip = 1;
      c.value = DecodeEntities(content.substr(skip));
      c.hasValue = true;
      open->controls.push_back(c);
      if (close != std::string::npos) pos = close;
    }
  }
  return forms;
}

std::string UrlEncode(const FieldList& fields) {
  auto encode = [](const std::string& s, std::string& out) {
    static const char kHex[] = "0123456789ABCDEF";
    for (unsigned char c : s) {
      if (std::isalnum(c) || c == '*' || c == '-' || c == '.' || c == '_') {
        out += static_cast<char>(c);
      } else if (c == ' ') {
        out += '+';
      } else {
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
    }
  };
  std::string out;
  for (const auto& [name, value] : fields) {
    if (!out.empty()) out += '&';
    encode(name, out);
    out += '=';
    encode(value, out);
  }
  return out;
}

}  // namespace zyl::harness
