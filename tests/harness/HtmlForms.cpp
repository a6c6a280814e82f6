#include "HtmlForms.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>
#include <string_view>

namespace zyl::harness {

namespace {

bool Blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

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
    std::string entity = semi - i <= 10 ? s.substr(i + 1, semi - i - 1) : "";
    auto named = kNamed.find(entity);
    if (entity.size() > 1 && entity[0] == '#') {
      bool hex = entity[1] == 'x' || entity[1] == 'X';
      out += static_cast<char>(std::stoi(entity.substr(hex ? 2 : 1), nullptr, hex ? 16 : 10));
      i = semi;
    } else if (named != kNamed.end()) {
      out += named->second;
      i = semi;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The tag at html[pos] == '<': upper-case name ("/FORM" for an end tag) and
// attributes (upper-case names, decoded values); `pos` moves past it.
std::pair<std::string, std::map<std::string, std::string>> ParseTag(const std::string& html, std::size_t& pos) {
  auto word = [&](auto stop) {
    std::size_t start = pos;
    while (pos < html.size() && !stop(html[pos])) ++pos;
    return html.substr(start, pos - start);
  };
  auto skipBlanks = [&] { word([](char c) { return !Blank(c); }); };
  ++pos;
  std::string name = Upper(word([](char c) { return Blank(c) || c == '>'; }));
  std::map<std::string, std::string> attributes;
  for (skipBlanks(); pos < html.size() && html[pos] != '>'; skipBlanks()) {
    std::string attribute = Upper(word([](char c) { return Blank(c) || c == '=' || c == '>'; }));
    std::string value;
    skipBlanks();
    if (pos < html.size() && html[pos] == '=') {
      ++pos;
      skipBlanks();
      if (pos < html.size() && (html[pos] == '"' || html[pos] == '\'')) {
        char quote = html[pos++];
        value = word([quote](char c) { return c == quote; });
        pos = std::min(pos + 1, html.size());
      } else {
        value = word([](char c) { return Blank(c) || c == '>'; });
      }
    }
    if (!attribute.empty()) attributes.emplace(attribute, DecodeEntities(value));
  }
  pos = std::min(pos + 1, html.size());
  return {name, attributes};
}

Control& Need(Form& form, const std::string& name) {
  if (const Control* c = form.Find(name)) return const_cast<Control&>(*c);
  throw std::runtime_error("form '" + form.name + "' has no control '" + name + "'");
}

}  // namespace

const Control* Form::Find(const std::string& controlName) const {
  for (const Control& c : controls) {
    if (c.name == controlName) return &c;
  }
  return nullptr;
}

void Form::SetText(const std::string& controlName, const std::string& text) {
  Need(*this, controlName).value = text;
  Need(*this, controlName).hasValue = true;
}

void Form::SetChecked(const std::string& controlName, bool on) { Need(*this, controlName).checked = on; }

void Form::Choose(const std::string& controlName, const std::string& value) {
  bool found = false;
  for (Option& o : Need(*this, controlName).options) {
    o.selected = o.value == value && !found;
    found = found || o.selected;
  }
  if (!found) throw std::runtime_error("select '" + controlName + "' has no option '" + value + "'");
}

FieldList Form::Submission(const std::string& button) const {
  if (!button.empty() && std::none_of(controls.begin(), controls.end(), [&](const Control& c) {
        return c.type == "IMAGE" && c.name == button;
      })) {
    throw std::runtime_error("form '" + name + "' has no image button '" + button + "'");
  }
  FieldList fields;
  bool clicked = false;
  for (const Control& c : controls) {
    if (c.name.empty() || c.type == "SUBMIT" || c.type == "BUTTON" || c.type == "RESET" || c.type == "FILE") {
      continue;
    } else if (c.tag == "SELECT" && !c.options.empty()) {
      auto chosen = std::find_if(c.options.begin(), c.options.end(), [](const Option& o) { return o.selected; });
      fields.emplace_back(c.name, (chosen == c.options.end() ? c.options.front() : *chosen).value);
    } else if (c.type == "IMAGE" && c.name == button && !clicked) {
      clicked = true;
      fields.insert(fields.end(), {{c.name + ".x", "3"}, {c.name + ".y", "4"}});
    } else if (c.type == "CHECKBOX" || c.type == "RADIO") {
      if (c.checked) fields.emplace_back(c.name, c.hasValue ? c.value : "on");
    } else if (c.tag != "SELECT" && c.type != "IMAGE") {
      fields.emplace_back(c.name, c.value);
    }
  }
  return fields;
}

std::vector<Form> ScanForms(const std::string& html) {
  const std::string upper = Upper(html);
  std::vector<Form> forms;
  bool open = false, inSelect = false;
  for (std::size_t pos = 0; (pos = html.find('<', pos)) != std::string::npos;) {
    if (html.compare(pos, 4, "<!--") == 0) {
      pos = std::min(upper.find("-->", pos), html.size());
      continue;
    }
    auto parsed = ParseTag(html, pos);  // (no structured binding: lambdas capture these)
    const std::string& tag = parsed.first;
    auto& attributes = parsed.second;
    auto get = [&attributes](const char* name) { return attributes.count(name) ? attributes[name] : ""; };
    auto content = [&](const char* end) {  // up to the end tag, which `pos` moves to
      std::size_t start = pos;
      pos = std::min(upper.find(end, pos), html.size());
      return html.substr(start, pos - start);
    };
    if (tag == "SCRIPT") {
      content("</SCRIPT");
    } else if (tag == "FORM" && !open) {
      forms.push_back(Form{get("NAME"), get("ACTION"), Upper(get("METHOD")), {}});
      open = true;
    } else if (tag == "/FORM") {
      open = inSelect = false;
    } else if (!open) {
      continue;
    } else if (tag == "INPUT" || tag == "SELECT" || tag == "TEXTAREA") {
      Control c{tag, attributes.count("TYPE") ? Upper(get("TYPE")) : "TEXT", get("NAME"), get("VALUE"),
                attributes.count("VALUE") > 0, attributes.count("CHECKED") > 0, {}};
      if (tag == "INPUT" && c.type == "TEXT") std::erase_if(c.value, [](char ch) { return ch == '\r' || ch == '\n'; });
      if (tag == "TEXTAREA") {
        std::string text = content("</TEXTAREA");
        std::size_t skip = text.starts_with("\r\n") ? 2 : text.starts_with("\r") || text.starts_with("\n") ? 1 : 0;
        c.value = DecodeEntities(text.substr(skip));
        c.hasValue = true;
      }
      forms.back().controls.push_back(c);
      inSelect = tag == "SELECT";
    } else if (tag == "/SELECT") {
      inSelect = false;
    } else if (tag == "OPTION" && inSelect) {
      std::string text = html.substr(pos, html.find('<', pos) - pos);
      while (!text.empty() && Blank(text.back())) text.pop_back();
      forms.back().controls.back().options.push_back(
          {attributes.count("VALUE") ? get("VALUE") : DecodeEntities(text), attributes.count("SELECTED") > 0});
    }
  }
  return forms;
}

std::string UrlEncode(const FieldList& fields) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  auto encode = [&out](const std::string& s) {
    for (unsigned char c : s) {
      bool plain = std::isalnum(c) || std::string_view("*-._").find(static_cast<char>(c)) != std::string_view::npos;
      out += plain ? std::string(1, static_cast<char>(c)) : c == ' ' ? "+" : std::string{'%', kHex[c >> 4], kHex[c & 15]};
    }
  };
  for (const auto& [name, value] : fields) {
    out += out.empty() ? "" : "&";
    encode(name);
    out += '=';
    encode(value);
  }
  return out;
}

}  // namespace zyl::harness
