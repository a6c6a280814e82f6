// Style composition: a font plus alignment settings become a CSS rule,
// registered once per page as a class ".GS<n>" in the style sheet of the
// shared TZylCSS; and the inline style of edit controls.
//
// The style sheet holds one line per class: the selector, three blanks and
// the rule. The object slot of each line counts its uses: 1 when the line
// is added, plus 1 for every later composition that reuses it. A rule is
// reused when any line (a host's own lines included) contains it, compared
// after locale lower-casing of both.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "grid/ZylHTMLGrid.h"
#include "platform/Locale.h"
#include "platform/Text.h"
#include "render/HtmlWriter.h"
#include "request/ZylCSS.h"

namespace zyl {

namespace {

// Whether the locale lower-case form of `line` contains `lowerRule`, the
// lower-case form of `rule`. AnsiLowerCase maps ASCII text byte by byte, so
// an ASCII line is searched in place without building its lower-case copy:
// candidates start where the rule's first character ("{") occurs, and a
// candidate that holds the rule exactly (the usual case) needs no folding.
bool LineContainsRule(std::string_view line, std::string_view rule, std::string_view lowerRule) {
  if (lowerRule.empty()) return true;
  if (!IsAscii(line)) return AnsiLowerCase(line).find(lowerRule) != std::string::npos;
  if (lowerRule.size() > line.size()) return false;
  const char first = lowerRule[0];
  const bool letter = first >= 'a' && first <= 'z';
  const std::size_t last = line.size() - lowerRule.size();
  for (std::size_t start = 0; start <= last; ++start) {
    if (!letter) {
      const void* hit = std::memchr(line.data() + start, first, last - start + 1);
      if (hit == nullptr) return false;
      start = static_cast<std::size_t>(static_cast<const char*>(hit) - line.data());
    } else if (AsciiLower(line[start]) != first) {
      continue;
    }
    if (rule.size() == lowerRule.size() &&
        std::memcmp(line.data() + start, rule.data(), rule.size()) == 0) {
      return true;
    }
    std::size_t i = 1;
    while (i < lowerRule.size() && AsciiLower(line[start + i]) == lowerRule[i]) ++i;
    if (i == lowerRule.size()) return true;
  }
  return false;
}

// The last compositions of this thread: the inputs, the rule, the line it
// was found in and the style sheet's revision right after. While the sheet
// keeps that revision (platform/StringList.h: the same list, no line
// changed since), the same inputs find the same line again, so the cells
// of a page (a handful of distinct rules, one composition per cell) need
// neither the lower-case copy nor the scan.
// What a rule is composed of: the same inputs compose the same rule.
struct RuleInputs {
  int size = 0, height = 0, indent = 0;
  unsigned style = 0;
  TColor color = 0;
  TFontStyle fontStyle = TFontStyle::fsSanSerif;
  HAlignment hAlign = HAlignment::alLeft;
  bool wordWrap = false, pixels = false;
  std::string_view fontName, alignmentChar;  // compared last: the numbers tell most apart
  bool operator==(const RuleInputs&) const = default;
};

struct RecentRule {
  // `inputs` views fontName and alignmentChar below.
  RuleInputs inputs;
  std::string fontName, alignmentChar;
  std::string rule, className;
  std::uint64_t revision = 0;
  int found = -1;
};
// The slots and where the search starts: the columns of a row compose their
// rules in the same order on every row, so the next composition is usually
// the last one found again or the one remembered after it.
struct RecentRules {
  std::array<RecentRule, 16> slots;
  std::size_t next = 0;  // the oldest slot
  std::size_t last = 0;  // the slot of the last composition found
};
RecentRules& Recent() {
  thread_local RecentRules recent;
  return recent;
}

bool SameSheet(const TStringList& css, const RecentRule& recent) {
  return recent.found >= 0 && recent.revision == css.Revision() && recent.found < css.Count();
}

// The remembered composition of these inputs, or null.
const RecentRule* FindRecent(const TStringList& css, const RuleInputs& inputs) {
  RecentRules& recent = Recent();
  const std::size_t count = recent.slots.size();
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t slot = (recent.last + i) % count;
    const RecentRule& rule = recent.slots[slot];
    if (rule.inputs == inputs && SameSheet(css, rule)) {
      recent.last = slot;
      return &rule;
    }
  }
  return nullptr;
}

int FindRecent(const TStringList& css, const std::string& rule) {
  for (const RecentRule& recent : Recent().slots) {
    if (recent.rule == rule && SameSheet(css, recent)) return recent.found;
  }
  return -1;
}

// The class named by style-sheet line `line` (its selector without the dot).
std::string ClassOfLine(const std::string& line) {
  const std::size_t end = std::min(line.find("   "), line.size());
  return end == 0 ? std::string() : line.substr(1, end - 1);
}

const RecentRule& RememberRule(const TStringList& css, const RuleInputs& inputs, std::string rule,
                               int found) {
  // The slot of the same inputs composed before a change of the sheet, else
  // the oldest.
  RecentRules& rules = Recent();
  auto same = std::find_if(rules.slots.begin(), rules.slots.end(),
                           [&](const RecentRule& recent) { return recent.inputs == inputs; });
  if (same == rules.slots.end()) {
    same = rules.slots.begin() + static_cast<std::ptrdiff_t>(rules.next);
    rules.next = (rules.next + 1) % rules.slots.size();
  }
  rules.last = static_cast<std::size_t>(same - rules.slots.begin());
  RecentRule& recent = *same;
  recent.fontName.assign(inputs.fontName);
  recent.alignmentChar.assign(inputs.alignmentChar);
  recent.inputs = inputs;
  recent.inputs.fontName = recent.fontName;
  recent.inputs.alignmentChar = recent.alignmentChar;
  recent.rule = std::move(rule);
  recent.className = ClassOfLine(css[found]);
  recent.revision = css.Revision();
  recent.found = found;
  return recent;
}

void AppendPadding(std::string& rule, int indent, std::string_view unit) {
  rule += " padding-left: ";
  rule += std::to_string(indent);
  rule += unit;
  rule += " padding-right: ";
  rule += std::to_string(indent);
  rule += unit;
}

}  // namespace

std::string TZylCSS::ComposeCSS(const TFont& font, TFontStyle fontStyle, HAlignment hAlign,
                                VAlignment /*vAlign: rendered as a cell attribute*/,
                                const std::string& alignmentChar, int indent,
                                std::string& className) {
  return ComposeRule(font, fontStyle, hAlign, alignmentChar, indent, className);
}

const std::string& TZylCSS::ComposeRule(const TFont& font, TFontStyle fontStyle, HAlignment hAlign,
                                        const std::string& alignmentChar, int indent,
                                        std::string& className) {
  const bool pixels = cssUnits_ == TCSSUnits::cuPixels;
  const RuleInputs inputs{font.GetSize(),  font.GetHeight(), indent,       font.GetStyle().Bits(),
                          font.GetColor(), fontStyle,        hAlign,       wordWrap_,
                          pixels,          font.GetName(),   alignmentChar};
  // The class of the remembered line, counted as used once more.
  auto use = [&](const RecentRule& recent) -> const std::string& {
    className = recent.className;
    lastRuleLine_ = recent.found;
    CountRuleUse(recent.found);
    return recent.rule;
  };
  // The cells of a column compose the same rule again and again.
  if (const RecentRule* recent = FindRecent(css_, inputs)) return use(*recent);
  std::string rule;
  rule.reserve(256);
  rule += "{ font-family: \"";
  rule += font.GetName();
  rule += "\",";
  rule += fontStyle == TFontStyle::fsSerif ? " serif;" : " sans-serif;";
  rule += " font-size: ";
  if (pixels) {
    rule += std::to_string(std::llabs(static_cast<long long>(font.GetHeight())));
    rule += "px;";
  } else {
    rule += std::to_string(font.GetSize());
    rule += "pt;";
  }
  const TFontStyles style = font.GetStyle();
  rule += style.Has(TFontStyleFlag::fsItalic) ? " font-style: italic;" : " font-style: normal;";
  rule += style.Has(TFontStyleFlag::fsBold) ? " font-weight: bold;" : " font-weight: normal;";
  switch (hAlign) {
    case HAlignment::alLeft:
      rule += " text-align: left;";
      break;
    case HAlignment::alCenter:
      rule += " text-align: center;";
      break;
    case HAlignment::alRight:
      rule += " text-align: right;";
      break;
    case HAlignment::alJustify:
      rule += " text-align: justify;";
      break;
    case HAlignment::alChar:
      rule += " text-align: \"";
      rule += alignmentChar;
      rule += "\";";
      break;
  }
  if (!wordWrap_) rule += " white-space: nowrap;";
  if (style.Has(TFontStyleFlag::fsUnderline)) rule += " text-decoration: underline;";
  if (style.Has(TFontStyleFlag::fsStrikeOut)) rule += " text-decoration: line-through;";
  rule += " color: #";
  render::HtmlWriter(rule).Hex6(TZylHTMLGrid::ColorToRGB(ResolveColor(font.GetColor())));
  rule += ";";
  if (indent > -1) AppendPadding(rule, indent, pixels ? "px;" : "pt;");
  rule += " }";

  int found = FindRecent(css_, rule);
  if (found < 0) {
    const std::string lowerRule = AnsiLowerCase(rule);
    for (int i = 0; i < css_.Count(); ++i) {
      if (LineContainsRule(css_[i], rule, lowerRule)) {
        found = i;
        break;
      }
    }
    if (found < 0) {
      found = css_.AddObject(".GS" + std::to_string(css_.Count()) + "   " + rule, 0);
    }
  }
  return use(RememberRule(css_, inputs, std::move(rule), found));
}

std::string TZylHTMLGrid::ComposeCSS(const TFont& font, TFontStyle fontStyle, bool wordWrap,
                                     HAlignment hAlign, VAlignment vAlign,
                                     const std::string& alignmentChar, int indent,
                                     std::string& className) {
  if (links_.css == nullptr) return std::string();
  links_.css->SetCSSUnits(look_.cssUnits);
  links_.css->SetWordWrap(wordWrap);
  return links_.css->ComposeCSS(font, fontStyle, hAlign, vAlign, alignmentChar, indent, className);
}

void TZylHTMLGrid::ComposeClass(const TFont& font, TFontStyle fontStyle, bool wordWrap,
                                HAlignment hAlign, const std::string& alignmentChar, int indent,
                                std::string& className) {
  if (links_.css == nullptr) return;
  links_.css->SetCSSUnits(look_.cssUnits);
  links_.css->SetWordWrap(wordWrap);
  links_.css->ComposeRule(font, fontStyle, hAlign, alignmentChar, indent, className);
}

std::string TZylHTMLGrid::ComposeSTYLE(const std::string& width, const std::string& height,
                                       const std::string& border, TColor textColor,
                                       TColor backColor) const {
  std::string style;
  if (!look_.useControlStyles) return style;
  render::HtmlWriter out(style);
  if (!width.empty()) out.Literal("width: ").Literal(width).Literal(";");
  if (!height.empty()) out.Literal("height: ").Literal(height).Literal(";");
  if (!border.empty()) out.Literal("border: ").Literal(border).Literal(";");
  out.Literal("color: #").Hex6(ColorToRGB(textColor)).Literal(";");
  out.Literal("background-color: #").Hex6(ColorToRGB(backColor)).Literal(";");
  return style;
}

}  // namespace zyl
