#include "platform/Locale.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

namespace zyl {

namespace {

icu::UnicodeString FromUtf8(std::string_view s) {
  return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
}

// Length of the well-formed UTF-8 sequence at s[i], or 0 when the bytes
// there are not one (a stray byte of another code page, an overlong form,
// a surrogate, a cut-off sequence).
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = byte(i);
  if (c < 0x80) return 1;
  std::size_t n = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + n > s.size() || byte(i + 1) < lo || byte(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  return n;
}

// Case-maps the well-formed UTF-8 runs of `s` through ICU and copies every
// other byte unchanged, so that text in another code page keeps its bytes
// and two different stray bytes never map to the same result.
std::string MapCase(std::string_view s, bool upper) {
  std::string out;
  out.reserve(s.size());
  std::size_t run = 0;
  auto flush = [&](std::size_t end) {
    if (end <= run) return;
    icu::UnicodeString u = FromUtf8(s.substr(run, end - run));
    if (upper) {
      u.toUpper(icu::Locale::getDefault());
    } else {
      u.toLower(icu::Locale::getDefault());
    }
    u.toUTF8String(out);
  };
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t n = SequenceLength(s, i);
    if (n > 0) {
      i += n;
      continue;
    }
    flush(i);
    out += s[i];
    run = ++i;
  }
  flush(s.size());
  return out;
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

// One collator per thread and strength: collators are not thread-safe for
// concurrent use, and creating one per comparison is slow.
icu::Collator* CollatorFor(icu::Collator::ECollationStrength strength) {
  thread_local std::unique_ptr<icu::Collator> tertiary;
  thread_local std::unique_ptr<icu::Collator> secondary;
  auto& slot = strength == icu::Collator::TERTIARY ? tertiary : secondary;
  if (!slot) {
    // A process without a language setting ("C"/POSIX, as CGI programs
    // usually run) gets the language-neutral root order rather than POSIX
    // byte order.
    icu::Locale locale = icu::Locale::getDefault();
    std::string name = locale.getName();
    if (name.empty() || name == "c" || name == "C" || name.rfind("en_US_POSIX", 0) == 0) {
      locale = icu::Locale::getRoot();
    }
    UErrorCode status = U_ZERO_ERROR;
    slot.reset(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !slot) {
      status = U_ZERO_ERROR;
      slot.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (slot) slot->setStrength(strength);
  }
  return slot.get();
}

int Collate(std::string_view a, std::string_view b, icu::Collator::ECollationStrength strength) {
  icu::Collator* coll = CollatorFor(strength);
  if (coll == nullptr) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult r = coll->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                         icu::StringPiece(b.data(), static_cast<int32_t>(b.size())),
                                         status);
  if (U_FAILURE(status)) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  return r == UCOL_LESS ? -1 : (r == UCOL_EQUAL ? 0 : 1);
}

}  // namespace

std::string AnsiUpperCase(std::string_view s) {
  if (IsAscii(s)) {
    std::string out(s);
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
  }
  return MapCase(s, true);
}

std::string AnsiLowerCase(std::string_view s) {
  if (IsAscii(s)) {
    std::string out(s);
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
  }
  return MapCase(s, false);
}

int AnsiCompareStr(std::string_view a, std::string_view b) {
  int r = Collate(a, b, icu::Collator::TERTIARY);
  if (r != 0) return r;
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int AnsiCompareText(std::string_view a, std::string_view b) {
  int r = Collate(a, b, icu::Collator::SECONDARY);
  if (r != 0) return r;
  // The collator also ignores width variants and ignorable characters;
  // only texts that are the same ignoring case compare equal.
  std::string ua = AnsiUpperCase(a), ub = AnsiUpperCase(b);
  int c = ua.compare(ub);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  if (a.size() == b.size() && IsAscii(a) && IsAscii(b)) {
    for (std::size_t i = 0; i < a.size(); ++i) {
      char x = a[i], y = b[i];
      if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
      if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
      if (x != y) return false;
    }
    return true;
  }
  if (IsAscii(a) && IsAscii(b)) return false;  // lengths differ
  return AnsiUpperCase(a) == AnsiUpperCase(b);
}

std::size_t FindText(std::string_view text, std::string_view pattern) {
  return AnsiUpperCase(text).find(AnsiUpperCase(pattern));
}

}  // namespace zyl
