#include "platform/Locale.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

#include "platform/Text.h"
#include "platform/Utf8.h"

namespace zyl {

namespace {

icu::UnicodeString FromUtf8(std::string_view s) {
  return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
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
    std::size_t n = DecodeUtf8(s, i).length;
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
  return IsAscii(s) ? AsciiUpperCase(s) : MapCase(s, true);
}

std::string AnsiLowerCase(std::string_view s) {
  return IsAscii(s) ? AsciiLowerCase(s) : MapCase(s, false);
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
  if (IsAscii(a) && IsAscii(b)) return SameAsciiText(a, b);
  return AnsiUpperCase(a) == AnsiUpperCase(b);
}

std::size_t FindText(std::string_view text, std::string_view pattern) {
  return AnsiUpperCase(text).find(AnsiUpperCase(pattern));
}

}  // namespace zyl
