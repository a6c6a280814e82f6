#include "export/MiniJson.h"

#include <charconv>
#include <stdexcept>

#include "platform/Utf8.h"

namespace zyl::testing::json {
namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  Value Document() {
    Value v = Any();
    Space();
    if (pos_ != text_.size()) Fail("trailing characters");
    return v;
  }

 private:
  [[noreturn]] void Fail(const char* what) const {
    throw std::runtime_error(std::string("JSON: ") + what + " at offset " + std::to_string(pos_));
  }
  void Space() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\t')) {
      ++pos_;
    }
  }
  bool Take(char c) {
    Space();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  void Expect(char c) {
    if (!Take(c)) Fail("unexpected character");
  }
  bool Word(std::string_view w) {
    if (text_.substr(pos_, w.size()) != w) return false;
    pos_ += w.size();
    return true;
  }

  Value Any() {
    Space();
    if (pos_ >= text_.size()) Fail("unexpected end");
    Value v;
    const char c = text_[pos_];
    if (c == '{') {
      v.kind = Value::Kind::Object;
      ++pos_;
      if (Take('}')) return v;
      do {
        Space();
        std::string key = String();
        Expect(':');
        v.keys.push_back(std::move(key));
        v.members.push_back(Any());
      } while (Take(','));
      Expect('}');
    } else if (c == '[') {
      v.kind = Value::Kind::Array;
      ++pos_;
      if (Take(']')) return v;
      do {
        v.array.push_back(Any());
      } while (Take(','));
      Expect(']');
    } else if (c == '"') {
      v.kind = Value::Kind::String;
      v.string = String();
    } else if (Word("null")) {
    } else if (Word("true")) {
      v.kind = Value::Kind::Bool;
      v.boolean = true;
    } else if (Word("false")) {
      v.kind = Value::Kind::Bool;
    } else {
      v.kind = Value::Kind::Number;
      const char* first = text_.data() + pos_;
      auto [end, ec] = std::from_chars(first, text_.data() + text_.size(), v.number);
      if (ec != std::errc()) Fail("bad number");
      v.string.assign(first, end);
      pos_ += static_cast<std::size_t>(end - first);
    }
    return v;
  }

  unsigned Hex4() {
    if (text_.size() - pos_ < 4) Fail("short \\u escape");
    unsigned v = 0;
    auto [end, ec] = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, v, 16);
    if (ec != std::errc() || end != text_.data() + pos_ + 4) Fail("bad \\u escape");
    pos_ += 4;
    return v;
  }

  std::string String() {
    if (pos_ >= text_.size() || text_[pos_] != '"') Fail("string expected");
    ++pos_;
    std::string out;
    for (;;) {
      if (pos_ >= text_.size()) Fail("unterminated string");
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) Fail("unterminated escape");
      const char e = text_[pos_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
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
          unsigned cp = Hex4();
          if (cp >= 0xD800 && cp <= 0xDBFF && Word("\\u")) {
            const unsigned low = Hex4();
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, cp);
          break;
        }
        default:
          Fail("bad escape");
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

const Value* Value::Find(std::string_view key) const {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == key) return &members[i];
  }
  return nullptr;
}

const Value& Value::operator[](std::string_view key) const {
  const Value* member = Find(key);
  if (member == nullptr) throw std::out_of_range("JSON: no member " + std::string(key));
  return *member;
}

Value Parse(std::string_view text) {
  return Parser(text).Document();
}

}  // namespace zyl::testing::json
