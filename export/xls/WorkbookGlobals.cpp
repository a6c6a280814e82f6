#include "export/xls/WorkbookGlobals.h"

#include <cassert>
#include <string_view>

#include "export/xls/XlsText.h"

namespace zyl::exporting::xls {
namespace {

constexpr std::uint16_t kUnicodeCodePage = 1200;

// Custom number formats start at index 164; lower indexes are built in.
constexpr std::uint16_t kFormatDate = 164;
constexpr std::uint16_t kFormatDateTime = 165;
constexpr std::uint16_t kFormatCurrency = 166;
constexpr std::uint16_t kBuiltInTime = 21;  // h:mm:ss

struct NumberFormat {
  std::uint16_t index;
  std::u16string_view code;
};

// The eight locale-dependent currency and accounting formats Excel writes
// into every file (US forms), then the writer's own.
constexpr NumberFormat kFormats[] = {
    {5, u"\"$\"#,##0_);\\(\"$\"#,##0\\)"},
    {6, u"\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)"},
    {7, u"\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)"},
    {8, u"\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)"},
    {42, u"_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)"},
    {41, u"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)"},
    {44, u"_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)"},
    {43, u"_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)"},
    {kFormatDate, u"yyyy\\-mm\\-dd"},
    {kFormatDateTime, u"yyyy\\-mm\\-dd\\ hh:mm:ss"},
    {kFormatCurrency, u"#,##0.00##"},
};

void Font(BiffWriter& out) {
  out.Record(rt::kFont, [](ByteWriter& b) {
    b.U16(200);     // 10 pt in twentieths of a point
    b.U16(0);       // not italic, not struck out
    b.U16(0x7FFF);  // automatic colour
    b.U16(400);     // normal weight
    b.U16(0);       // no escapement
    b.U8(0);        // no underline
    b.U8(0);        // family
    b.U8(0);        // character set
    b.U8(0);
    AppendShortString(b, u"Arial");
  });
}

// A style XF (parent 0xFFF) or a cell XF whose parent is the Normal style.
// `used` is the "attribute group used" bits of byte 9.
void Xf(BiffWriter& out, std::uint16_t font, std::uint16_t format, bool style, std::uint8_t used) {
  out.Record(rt::kXf, [=](ByteWriter& b) {
    b.U16(font);
    b.U16(format);
    b.U16(style ? 0xFFF5 : 0x0001);  // locked; style bit and parent 0xFFF, or parent 0
    b.U8(0x20);                      // general horizontal, bottom vertical alignment
    b.U8(0);                         // no rotation
    b.U8(0);                         // no indent
    b.U8(used);
    b.U32(0);                        // no borders
    b.U32(0);
    b.U16(0x20C0);                   // fill colours: foreground 64, background 65
  });
}

void BuiltInStyle(BiffWriter& out, std::uint16_t xf, std::uint8_t id) {
  out.Record(rt::kStyle, [=](ByteWriter& b) {
    b.U16(static_cast<std::uint16_t>(0x8000 | xf));
    b.U8(id);
    b.U8(0xFF);
  });
}

void FormattingRecords(BiffWriter& out) {
  for (int i = 0; i < 4; ++i) Font(out);  // indexes 0-3; index 4 does not exist
  for (const NumberFormat& f : kFormats) {
    out.Record(rt::kFormat, [&f](ByteWriter& b) {
      b.U16(f.index);
      AppendString(b, f.code);
    });
  }
  Xf(out, 0, 0, true, 0x00);                                  // 0: Normal
  for (std::uint16_t i = 1; i < 15; ++i) {                    // 1-14: outline levels
    Xf(out, i < 3 ? 1 : i < 5 ? 2 : 0, 0, true, 0xF4);
  }
  Xf(out, 0, 0, false, 0x00);                                 // 15: default cell XF
  for (std::uint16_t format : {43, 41, 44, 42, 9}) {          // 16-20: Comma .. Percent
    Xf(out, 1, format, true, 0xF8);
  }
  Xf(out, 0, kFormatDate, false, 0x04);                       // 21
  Xf(out, 0, kFormatDateTime, false, 0x04);                   // 22
  Xf(out, 0, kFormatCurrency, false, 0x04);                   // 23
  Xf(out, 0, kBuiltInTime, false, 0x04);                      // 24
  BuiltInStyle(out, 0, 0);                                    // Normal
  BuiltInStyle(out, 16, 3);                                   // Comma
  BuiltInStyle(out, 17, 6);                                   // Comma [0]
  BuiltInStyle(out, 18, 4);                                   // Currency
  BuiltInStyle(out, 19, 7);                                   // Currency [0]
  BuiltInStyle(out, 20, 5);                                   // Percent
}

}  // namespace

void WriteBof(BiffWriter& out, std::uint16_t kind) {
  out.Record(rt::kBof, [kind](ByteWriter& b) {
    b.U16(0x0600);      // BIFF8
    b.U16(kind);
    b.U16(0x18AF);      // build
    b.U16(0x07CD);      // year
    b.U32(0x000100C1);  // file history flags
    b.U32(0x00000106);  // lowest BIFF version that can read all records
  });
}

std::vector<std::size_t> WriteGlobals(BiffWriter& out, const std::vector<std::u16string>& sheetNames,
                                      const SharedStrings& strings) {
  assert(out.Size() == 0 && !sheetNames.empty() && sheetNames.size() <= kMaxSheets);
  WriteBof(out, kBofGlobals);
  out.U16Record(rt::kInterfaceHdr, kUnicodeCodePage);
  out.U16Record(rt::kMms, 0);
  out.Empty(rt::kInterfaceEnd);
  out.Record(rt::kWriteAccess, [](ByteWriter& b) {
    const std::size_t start = b.Size();
    AppendString(b, u"ZylHG");
    while (b.Size() - start < 112) b.U8(' ');
  });
  out.U16Record(rt::kCodePage, kUnicodeCodePage);
  out.U16Record(rt::kDsf, 0);
  out.Record(rt::kTabId, [n = sheetNames.size()](ByteWriter& b) {
    for (std::size_t i = 1; i <= n; ++i) b.U16(static_cast<std::uint16_t>(i));
  });
  out.U16Record(rt::kFnGroupCount, 14);
  for (std::uint16_t type : {rt::kWindowProtect, rt::kProtect, rt::kPassword, rt::kProt4Rev,
                             rt::kProt4RevPass}) {
    out.U16Record(type, 0);  // no protection
  }
  out.Record(rt::kWindow1, [](ByteWriter& b) {
    b.U16(0x0168);  // position and size in twips
    b.U16(0x001E);
    b.U16(0x3A5C);
    b.U16(0x23BE);
    b.U16(0x0038);  // show both scroll bars and the sheet tabs
    b.U16(0);       // active sheet
    b.U16(0);       // first visible tab
    b.U16(1);       // selected tabs
    b.U16(600);     // tab bar width ratio
  });
  out.U16Record(rt::kBackup, 0);
  out.U16Record(rt::kHideObj, 0);
  out.U16Record(rt::kDateMode, 0);  // the 1900 date system
  out.U16Record(rt::kPrecision, 1);
  out.U16Record(rt::kRefreshAll, 0);
  out.U16Record(rt::kBookBool, 0);
  FormattingRecords(out);
  out.U16Record(rt::kUsesElfs, 1);

  std::vector<std::size_t> offsetFields;
  offsetFields.reserve(sheetNames.size());
  for (const std::u16string& name : sheetNames) {
    assert(!name.empty() && name.size() <= 31);
    offsetFields.push_back(out.Size() + 4);
    out.Record(rt::kBoundSheet, [&name](ByteWriter& b) {
      b.U32(0);  // stream offset of the sheet's BOF, patched later
      b.U8(0);   // visible
      b.U8(0);   // worksheet
      AppendShortString(b, name);
    });
  }
  out.Record(rt::kCountry, [](ByteWriter& b) {
    b.U16(1);
    b.U16(1);
  });
  strings.Write(out);
  out.Empty(rt::kEof);
  return offsetFields;
}

}  // namespace zyl::exporting::xls
