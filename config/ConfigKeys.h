// Key descriptions for the configuration file (internal to config/): each
// key knows how to write its property and how to read it back through the
// property's setter. A key that is missing reads as the property's current
// value, which the setter then applies again, side effects included.
#pragma once

#include <string>
#include <type_traits>
#include <utility>

#include "config/ConfigText.h"
#include "config/IniFile.h"
#include "config/Ordinals.h"
#include "platform/Color.h"
#include "platform/Font.h"

namespace zyl::config {

// One key of a section describing an object of type T.
template <class T>
struct Key {
  using SaveFn = void (*)(T&, IniFile&, const std::string& section, const char* key);
  using LoadFn = void (*)(T&, IniFile&, const std::string& section, const char* key);
  const char* name;
  SaveFn save;
  LoadFn load;  // null for keys that the loader applies itself
};

template <class M>
struct MemberClass;
template <class R, class C>
struct MemberClass<R (C::*)() const> {
  using type = C;
};
template <class R, class C>
struct MemberClass<R (C::*)()> {
  using type = C;
};

// The object type and value type of a getter.
template <auto Get>
struct Getter {
  using Object = typename MemberClass<decltype(Get)>::type;
  using Value = std::remove_cvref_t<decltype((std::declval<Object&>().*Get)())>;
};

template <auto Get, auto Set>
struct StringKey {
  using Object = typename Getter<Get>::Object;
  static void Save(Object& o, IniFile& ini, const std::string& s, const char* k) {
    ini.WriteString(s, k, (o.*Get)());
  }
  static void Load(Object& o, IniFile& ini, const std::string& s, const char* k) {
    (o.*Set)(ini.ReadString(s, k, (o.*Get)()));
  }
};

template <auto Get, auto Set>
struct IntegerKey {
  using Object = typename Getter<Get>::Object;
  static void Save(Object& o, IniFile& ini, const std::string& s, const char* k) {
    ini.WriteInteger(s, k, (o.*Get)());
  }
  static void Load(Object& o, IniFile& ini, const std::string& s, const char* k) {
    (o.*Set)(ini.ReadInteger(s, k, (o.*Get)()));
  }
};

template <auto Get, auto Set>
struct BooleanKey {
  using Object = typename Getter<Get>::Object;
  static void Save(Object& o, IniFile& ini, const std::string& s, const char* k) {
    ini.WriteBool(s, k, (o.*Get)());
  }
  static void Load(Object& o, IniFile& ini, const std::string& s, const char* k) {
    (o.*Set)(ini.ReadBool(s, k, (o.*Get)()));
  }
};

// Colours as ColorToString text; text that StringToColor rejects raises
// its conversion error.
template <auto Get, auto Set>
struct ColorKey {
  using Object = typename Getter<Get>::Object;
  static void Save(Object& o, IniFile& ini, const std::string& s, const char* k) {
    ini.WriteString(s, k, ColorToString((o.*Get)()));
  }
  static void Load(Object& o, IniFile& ini, const std::string& s, const char* k) {
    (o.*Set)(StringToColor(ini.ReadString(s, k, ColorToString((o.*Get)()))));
  }
};

// Enumerations as ordinals; an ordinal that names no value reads as the
// current value.
template <auto Get, auto Set>
struct OrdinalKey {
  using Object = typename Getter<Get>::Object;
  using Enum = typename Getter<Get>::Value;
  static void Save(Object& o, IniFile& ini, const std::string& s, const char* k) {
    ini.WriteInteger(s, k, Ordinal((o.*Get)()));
  }
  static void Load(Object& o, IniFile& ini, const std::string& s, const char* k) {
    Enum value = (o.*Get)();
    TryOrdinal(ini.ReadInteger(s, k, Ordinal(value)), value);
    (o.*Set)(value);
  }
};

// A font owned by the object, reached through `FontOf`, as font text.
template <class T, TFont& (*FontOf)(T&)>
struct FontKey {
  using Object = T;
  static void Save(T& o, IniFile& ini, const std::string& s, const char* k) {
    ini.WriteString(s, k, FontToString(FontOf(o)));
  }
  static void Load(T& o, IniFile& ini, const std::string& s, const char* k) {
    TFont& font = FontOf(o);
    StringToFont(ini.ReadString(s, k, FontToString(font)), font);
  }
};

template <class K>
constexpr Key<typename K::Object> MakeKey(const char* name) {
  return {name, &K::Save, &K::Load};
}

}  // namespace zyl::config
