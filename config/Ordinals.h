// Enumerations stored as ordinals in the configuration file, with the
// number of values each one has. An ordinal outside that range names no
// value: readers ignore it instead of casting it into the enumeration.
#pragma once

#include "datasets/FieldType.h"
#include "model/GridTypes.h"

namespace zyl::config {

template <class E>
inline constexpr int kOrdinalCount = 0;  // specialised for every stored enumeration
template <>
inline constexpr int kOrdinalCount<VAlignment> = 4;
template <>
inline constexpr int kOrdinalCount<HAlignment> = 5;
template <>
inline constexpr int kOrdinalCount<TFontStyle> = 2;
template <>
inline constexpr int kOrdinalCount<TCSSUnits> = 2;
template <>
inline constexpr int kOrdinalCount<TSortOrder> = 3;
template <>
inline constexpr int kOrdinalCount<TEditStyle> = 2;
template <>
inline constexpr int kOrdinalCount<TFieldType> = 26;

template <class E>
constexpr int Ordinal(E value) {
  return static_cast<int>(value);
}

// Sets `value` and returns true when `ordinal` names a value of E.
template <class E>
constexpr bool TryOrdinal(int ordinal, E& value) {
  static_assert(kOrdinalCount<E> > 0, "not a stored enumeration");
  if (ordinal < 0 || ordinal >= kOrdinalCount<E>) return false;
  value = static_cast<E>(ordinal);
  return true;
}

}  // namespace zyl::config
