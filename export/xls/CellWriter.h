// Turns table values into BIFF8 cell records: numbers as RK or NUMBER,
// texts through the shared string table, booleans and errors as BOOLERR,
// nulls as BLANK. The mapping is written up in docs/formats/xls.md,
// "From values to cells".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "export/ExportTable.h"
#include "export/xls/BiffWriter.h"
#include "export/xls/SharedStrings.h"

namespace zyl::exporting::xls {

// RK form of an integer in -2^29 .. 2^29-1 (bit 1 set: a 30-bit integer).
// REQUIRES FitsRk(v).
std::uint32_t RkInteger(std::int64_t v);
bool FitsRk(std::int64_t v);

// The double nearest to the exact decimal amount of a currency value.
double CurrencyToDouble(CurrencyValue v);

// BOOLERR error code written for numbers a sheet cannot hold (NaN, infinities).
inline constexpr std::uint8_t kErrorNum = 0x24;

// Integers beyond +-2^53 have no exact double; they are written as text.
inline constexpr std::int64_t kMaxExactInteger = std::int64_t{1} << 53;

// Bytes of a binary value shown as hex text (two characters a byte), so that
// the text stays within a cell's 32,767 characters.
inline constexpr std::size_t kMaxHexBytes = 16383;

class CellWriter {
 public:
  // No argument is owned; all must outlive the writer. The cells written
  // as #NUM! are noted in `noted` (may be null). Once `strings` holds
  // `sharedLimit` distinct texts (0: no limit), a text it lacks is written
  // in its cell (a LABEL record) when it fits one record.
  CellWriter(const Table& table, SharedStrings& strings, Substitutions* noted = nullptr,
             std::uint32_t sharedLimit = 0)
      : table_(table), strings_(strings), noted_(noted), sharedLimit_(sharedLimit) {}

  // The header cell of column `col`: its name as text.
  // Throws EConvertError when the name is not valid UTF-8.
  void Header(BiffWriter& out, std::uint16_t row, std::uint16_t col);

  // The cell of `value`, table row `tableRow`, column `col`, placed at sheet
  // row `row`. Throws EConvertError when a text is not valid UTF-8.
  void Cell(BiffWriter& out, std::uint16_t row, std::size_t tableRow, std::uint16_t col,
            const Value& value);

 private:
  void Text(BiffWriter& out, std::uint16_t row, std::uint16_t col, std::uint16_t blankXf,
            std::u16string text);
  [[noreturn]] void BadText(std::uint16_t col, const std::string& where) const;

  void NumError(BiffWriter& out, std::uint16_t row, std::size_t tableRow, std::uint16_t col,
                const std::string& value);

  const Table& table_;
  SharedStrings& strings_;
  Substitutions* noted_;
  std::uint32_t sharedLimit_;
};

}  // namespace zyl::exporting::xls
