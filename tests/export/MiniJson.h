// A small JSON parser for reading what the reader scripts print. Numbers
// are parsed with from_chars, so a shortest round-trip form gives back the
// exact double; their literal is kept as well.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zyl::testing::json {

struct Value {
  enum class Kind { Null, Bool, Number, String, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string string;  // String: UTF-8; Number: the literal as written
  std::vector<Value> array;
  std::vector<std::string> keys;  // Object: member names, in order
  std::vector<Value> members;     // Object: member values, parallel to keys

  // The member named `key`, or nullptr.
  const Value* Find(std::string_view key) const;
  // The member named `key`; throws std::out_of_range when there is none.
  const Value& operator[](std::string_view key) const;
  const Value& operator[](std::size_t i) const { return array.at(i); }
};

// Parses one JSON document. Throws std::runtime_error on malformed input.
Value Parse(std::string_view text);

}  // namespace zyl::testing::json
