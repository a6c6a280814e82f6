#include "export/xls/CellWriter.h"

#include <charconv>
#include <cmath>
#include <type_traits>
#include <variant>

#include "export/xls/ExcelDate.h"
#include "export/xls/WorkbookGlobals.h"
#include "export/xls/XlsText.h"
#include "platform/Exception.h"
#include "platform/Format.h"

namespace zyl::exporting::xls {
namespace {

constexpr std::int64_t kRkLimit = std::int64_t{1} << 29;

void CellHeader(ByteWriter& b, std::uint16_t row, std::uint16_t col, std::uint16_t xf) {
  b.U16(row);
  b.U16(col);
  b.U16(xf);
}

void Blank(BiffWriter& out, std::uint16_t row, std::uint16_t col, std::uint16_t xf) {
  out.Record(rt::kBlank, [=](ByteWriter& b) { CellHeader(b, row, col, xf); });
}

void Number(BiffWriter& out, std::uint16_t row, std::uint16_t col, std::uint16_t xf, double v) {
  out.Record(rt::kNumber, [=](ByteWriter& b) {
    CellHeader(b, row, col, xf);
    b.F64(v);
  });
}

void BoolErr(BiffWriter& out, std::uint16_t row, std::uint16_t col, std::uint8_t value,
             bool isError) {
  out.Record(rt::kBoolErr, [=](ByteWriter& b) {
    CellHeader(b, row, col, kXfGeneral);
    b.U8(value);
    b.U8(isError ? 1 : 0);
  });
}

std::uint16_t BlankXf(AdoType type) {
  switch (type) {
    case AdoType::Date:
      return kXfDate;
    case AdoType::Currency:
      return kXfCurrency;
    default:
      return kXfGeneral;
  }
}

std::uint16_t DateXf(DateKind kind) {
  switch (kind) {
    case DateKind::Date:
      return kXfDate;
    case DateKind::DateTime:
      return kXfDateTime;
    case DateKind::Time:
      return kXfTime;
  }
  return kXfDate;
}

std::u16string Ascii(std::string_view s) {
  return {s.begin(), s.end()};
}

}  // namespace

bool FitsRk(std::int64_t v) {
  return v >= -kRkLimit && v < kRkLimit;
}

std::uint32_t RkInteger(std::int64_t v) {
  return (static_cast<std::uint32_t>(v) << 2) | 2u;
}

double CurrencyToDouble(CurrencyValue v) {
  // Through the decimal text: from_chars rounds once, to the nearest double,
  // where scaled / 10000.0 would round twice for amounts beyond 2^53.
  const std::uint64_t magnitude = v.scaled < 0 ? 0 - static_cast<std::uint64_t>(v.scaled)
                                               : static_cast<std::uint64_t>(v.scaled);
  char text[32];
  char* p = text;
  if (v.scaled < 0) *p++ = '-';
  p = std::to_chars(p, text + sizeof text, magnitude / 10000).ptr;
  *p++ = '.';
  const auto fraction = static_cast<unsigned>(magnitude % 10000);
  for (unsigned div = 1000; div > 0; div /= 10) *p++ = static_cast<char>('0' + fraction / div % 10);
  double result = 0;
  std::from_chars(text, p, result);
  return result;
}

void CellWriter::Header(BiffWriter& out, std::uint16_t row, std::uint16_t col) {
  auto name = Utf8ToUtf16(table_.columns[col].name);
  if (!name) BadText(col, "column name");
  Text(out, row, col, kXfGeneral, std::move(*name));
}

void CellWriter::Cell(BiffWriter& out, std::uint16_t row, std::size_t tableRow, std::uint16_t col,
                      const Value& value) {
  const std::uint16_t blankXf = BlankXf(table_.columns[col].type);
  std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          Blank(out, row, col, blankXf);
        } else if constexpr (std::is_same_v<T, bool>) {
          BoolErr(out, row, col, v ? 1 : 0, false);
        } else if constexpr (std::is_same_v<T, std::int64_t>) {
          if (FitsRk(v)) {
            out.Record(rt::kRk, [&](ByteWriter& b) {
              CellHeader(b, row, col, kXfGeneral);
              b.U32(RkInteger(v));
            });
          } else if (v >= -kMaxExactInteger && v <= kMaxExactInteger) {
            Number(out, row, col, kXfGeneral, static_cast<double>(v));
          } else {
            Text(out, row, col, blankXf, Ascii(std::to_string(v)));
          }
        } else if constexpr (std::is_same_v<T, double>) {
          if (std::isfinite(v)) {
            Number(out, row, col, kXfGeneral, v);
          } else {
            NumError(out, row, tableRow, col, std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf");
          }
        } else if constexpr (std::is_same_v<T, CurrencyValue>) {
          Number(out, row, col, kXfCurrency, CurrencyToDouble(v));
        } else if constexpr (std::is_same_v<T, DateTimeValue>) {
          if (auto date = ToExcelDate(v.days)) {
            Number(out, row, col, DateXf(date->kind), date->serial);
          } else if (auto text = DateText(v.days)) {
            Text(out, row, col, blankXf, Ascii(*text));
          } else {
            NumError(out, row, tableRow, col, "date " + FloatToExactStr(v.days));
          }
        } else if constexpr (std::is_same_v<T, std::string>) {
          auto text = Utf8ToUtf16(v);
          if (!text) BadText(col, "row " + std::to_string(tableRow + 1));
          Text(out, row, col, blankXf, std::move(*text));
        } else {
          static_assert(std::is_same_v<T, Bytes>);
          Text(out, row, col, blankXf, Ascii(BytesToHex(v, kMaxHexBytes)));
        }
      },
      value);
}

void CellWriter::Text(BiffWriter& out, std::uint16_t row, std::uint16_t col, std::uint16_t blankXf,
                      std::u16string text) {
  NormaliseLineBreaks(text);
  text.resize(ClipUtf16(text, kMaxCellChars).size());
  if (text.empty()) {
    Blank(out, row, col, blankXf);
    return;
  }
  if (sharedLimit_ != 0 && strings_.UniqueCount() >= sharedLimit_ && !strings_.Contains(text)) {
    const bool compressed = IsCompressible(text);
    if (6 + 3 + text.size() * (compressed ? 1 : 2) <= kMaxRecordBody) {
      out.Record(rt::kLabel, [&](ByteWriter& b) {
        CellHeader(b, row, col, kXfGeneral);
        b.U16(static_cast<std::uint16_t>(text.size()));
        b.U8(compressed ? 0 : 1);
        AppendCharacters(b, text, compressed);
      });
      return;
    }
  }
  const std::uint32_t index = strings_.Add(std::move(text));
  out.Record(rt::kLabelSst, [=](ByteWriter& b) {
    CellHeader(b, row, col, kXfGeneral);
    b.U32(index);
  });
}

void CellWriter::NumError(BiffWriter& out, std::uint16_t row, std::size_t tableRow,
                          std::uint16_t col, const std::string& value) {
  BoolErr(out, row, col, kErrorNum, true);
  if (noted_ != nullptr) noted_->Note(table_.columns[col].name, tableRow + 1, value, "#NUM!");
}

void CellWriter::BadText(std::uint16_t col, const std::string& where) const {
  const std::string& name = table_.columns[col].name;
  const std::string column = Utf8ToUtf16(name) ? "'" + name + "'" : std::to_string(col + 1);
  throw EConvertError("Excel writer: table '" + table_.name + "': column " + column + ", " + where +
                      ": text is not valid UTF-8");
}

}  // namespace zyl::exporting::xls
