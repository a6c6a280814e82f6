// A small JSON reader for the output of the Python reader scripts: objects,
// arrays, strings (with \u escapes), numbers (kept as their text), true,
// false, null. Test-only; throws std::runtime_error on malformed input.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zyl::dbftest {

struct Json {
  enum class Kind { Null, Bool, Number, String, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  std::string text;  // String: UTF-8 content; Number: the literal as written
  std::vector<Json> items;
  std::map<std::string, Json> members;

  const Json& operator[](std::size_t i) const { return items.at(i); }
  const Json& operator[](const std::string& key) const { return members.at(key); }
};

class JsonParser {
 public:
  static Json Parse(std::string_view input) {
    JsonParser parser(input);
    Json value = parser.Value();
    parser.SkipSpace();
    if (parser.pos_ != input.size()) parser.Fail("trailing characters");
    return value;
  }

 private:
  explicit JsonParser(std::string_view input) : in_(input) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(pos_));
  }
  void SkipSpace() {
    while (pos_ < in_.size() &&
           (in_[pos_] == ' ' || in_[pos_] == '\n' || in_[pos_] == '\r' || in_[pos_] == '\t'))
      ++pos_;
  }
  char Peek() {
    SkipSpace();
    if (pos_ >= in_.size()) Fail("unexpected end");
    return in_[pos_];
  }
  void Expect(std::string_view word) {
    if (in_.substr(pos_, word.size()) != word) Fail("expected " + std::string(word));
    pos_ += word.size();
  }

  Json Value() {
    Json v;
    const char c = Peek();
    if (c == '{') {
      v.kind = Json::Kind::Object;
      ++pos_;
      if (Peek() == '}') {
        ++pos_;
        return v;
      }
      for (;;) {
        if (Peek() != '"') Fail("expected a key");
        std::string key = String();
        if (Peek() != ':') Fail("expected ':'");
        ++pos_;
        v.members[key] = Value();
        const char next = Peek();
        ++pos_;
        if (next == '}') return v;
        if (next != ',') Fail("expected ',' or '}'");
      }
    }
    if (c == '[') {
      v.kind = Json::Kind::Array;
      ++pos_;
      if (Peek() == ']') {
        ++pos_;
        return v;
      }
      for (;;) {
        v.items.push_back(Value());
        const char next = Peek();
        ++pos_;
        if (next == ']') return v;
        if (next != ',') Fail("expected ',' or ']'");
      }
    }
    if (c == '"') {
      v.kind = Json::Kind::String;
      v.text = String();
      return v;
    }
    if (c == 't') {
      Expect("true");
      v.kind = Json::Kind::Bool;
      v.boolean = true;
      return v;
    }
    if (c == 'f') {
      Expect("false");
      v.kind = Json::Kind::Bool;
      return v;
    }
    if (c == 'n') {
      Expect("null");
      return v;
    }
    const std::size_t start = pos_;
    while (pos_ < in_.size() &&
           std::string_view("+-0123456789.eE").find(in_[pos_]) != std::string_view::npos)
      ++pos_;
    if (pos_ == start) Fail("unexpected character");
    v.kind = Json::Kind::Number;
    v.text = std::string(in_.substr(start, pos_ - start));
    return v;
  }

  unsigned Hex4() {
    if (pos_ + 4 > in_.size()) Fail("short \\u escape");
    const unsigned value =
        static_cast<unsigned>(std::stoul(std::string(in_.substr(pos_, 4)), nullptr, 16));
    pos_ += 4;
    return value;
  }

  static void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::string String() {
    ++pos_;  // opening quote
    std::string out;
    while (pos_ < in_.size() && in_[pos_] != '"') {
      const char c = in_[pos_++];
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= in_.size()) Fail("bad escape");
      const char e = in_[pos_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          std::uint32_t cp = Hex4();
          if (cp >= 0xD800 && cp < 0xDC00 && in_.substr(pos_, 2) == "\\u") {
            pos_ += 2;
            const std::uint32_t low = Hex4();
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, cp);
          break;
        }
        default:
          Fail("bad escape");
      }
    }
    if (pos_ >= in_.size()) Fail("unterminated string");
    ++pos_;
    return out;
  }

  std::string_view in_;
  std::size_t pos_ = 0;
};

}  // namespace zyl::dbftest
