// BIFF8 records: type (2 bytes), body size (2 bytes), body of at most 8,224
// bytes. BiffWriter appends records to one buffer and fills in each size
// when the body is complete. Record layouts: docs/formats/xls.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "export/xls/ByteWriter.h"
#include "platform/Exception.h"

namespace zyl::exporting::xls {

inline constexpr std::size_t kMaxRecordBody = 8224;

// Record types, as named in the BIFF8 documentation.
namespace rt {
inline constexpr std::uint16_t kBof = 0x0809;
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kInterfaceHdr = 0x00E1;
inline constexpr std::uint16_t kMms = 0x00C1;
inline constexpr std::uint16_t kInterfaceEnd = 0x00E2;
inline constexpr std::uint16_t kWriteAccess = 0x005C;
inline constexpr std::uint16_t kCodePage = 0x0042;
inline constexpr std::uint16_t kDsf = 0x0161;
inline constexpr std::uint16_t kTabId = 0x013D;
inline constexpr std::uint16_t kFnGroupCount = 0x009C;
inline constexpr std::uint16_t kWindowProtect = 0x0019;
inline constexpr std::uint16_t kProtect = 0x0012;
inline constexpr std::uint16_t kPassword = 0x0013;
inline constexpr std::uint16_t kProt4Rev = 0x01AF;
inline constexpr std::uint16_t kProt4RevPass = 0x01BC;
inline constexpr std::uint16_t kWindow1 = 0x003D;
inline constexpr std::uint16_t kBackup = 0x0040;
inline constexpr std::uint16_t kHideObj = 0x008D;
inline constexpr std::uint16_t kDateMode = 0x0022;
inline constexpr std::uint16_t kPrecision = 0x000E;
inline constexpr std::uint16_t kRefreshAll = 0x01B7;
inline constexpr std::uint16_t kBookBool = 0x00DA;
inline constexpr std::uint16_t kFont = 0x0031;
inline constexpr std::uint16_t kFormat = 0x041E;
inline constexpr std::uint16_t kXf = 0x00E0;
inline constexpr std::uint16_t kStyle = 0x0293;
inline constexpr std::uint16_t kUsesElfs = 0x0160;
inline constexpr std::uint16_t kBoundSheet = 0x0085;
inline constexpr std::uint16_t kCountry = 0x008C;
inline constexpr std::uint16_t kSst = 0x00FC;
inline constexpr std::uint16_t kContinue = 0x003C;
inline constexpr std::uint16_t kExtSst = 0x00FF;
inline constexpr std::uint16_t kIndex = 0x020B;
inline constexpr std::uint16_t kCalcMode = 0x000D;
inline constexpr std::uint16_t kCalcCount = 0x000C;
inline constexpr std::uint16_t kRefMode = 0x000F;
inline constexpr std::uint16_t kIteration = 0x0011;
inline constexpr std::uint16_t kDelta = 0x0010;
inline constexpr std::uint16_t kSaveRecalc = 0x005F;
inline constexpr std::uint16_t kPrintHeaders = 0x002A;
inline constexpr std::uint16_t kPrintGridLines = 0x002B;
inline constexpr std::uint16_t kGridSet = 0x0082;
inline constexpr std::uint16_t kGuts = 0x0080;
inline constexpr std::uint16_t kDefaultRowHeight = 0x0225;
inline constexpr std::uint16_t kWsBool = 0x0081;
inline constexpr std::uint16_t kDefColWidth = 0x0055;
inline constexpr std::uint16_t kDimensions = 0x0200;
inline constexpr std::uint16_t kRow = 0x0208;
inline constexpr std::uint16_t kDbCell = 0x00D7;
inline constexpr std::uint16_t kWindow2 = 0x023E;
inline constexpr std::uint16_t kLabelSst = 0x00FD;
inline constexpr std::uint16_t kLabel = 0x0204;
inline constexpr std::uint16_t kNumber = 0x0203;
inline constexpr std::uint16_t kRk = 0x027E;
inline constexpr std::uint16_t kBoolErr = 0x0205;
inline constexpr std::uint16_t kBlank = 0x0201;
}  // namespace rt

class BiffWriter {
 public:
  // Appends one record; `fill(ByteWriter&)` appends its body.
  // Throws zyl::Exception if the body exceeds kMaxRecordBody (a writer fault).
  template <typename Fill>
  void Record(std::uint16_t type, Fill&& fill) {
    const std::size_t start = out_.Size();
    out_.U16(type);
    out_.U16(0);
    fill(out_);
    const std::size_t body = out_.Size() - start - 4;
    if (body > kMaxRecordBody) {
      throw Exception("Excel writer: record 0x" + Hex(type) + " has a body of " +
                      std::to_string(body) + " bytes, more than a record holds");
    }
    out_.PatchU16(start + 2, static_cast<std::uint16_t>(body));
  }
  void Empty(std::uint16_t type) {
    Record(type, [](ByteWriter&) {});
  }
  void U16Record(std::uint16_t type, std::uint16_t value) {
    Record(type, [value](ByteWriter& b) { b.U16(value); });
  }

  // Stream offset of the next record, counted from this writer's first byte.
  std::size_t Size() const { return out_.Size(); }
  ByteWriter& Bytes() { return out_; }
  const ByteWriter& Bytes() const { return out_; }

 private:
  static std::string Hex(std::uint16_t v) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, v = static_cast<std::uint16_t>(v >> 4))
      s[static_cast<std::size_t>(i)] = kDigits[v & 0xF];
    return s;
  }
  ByteWriter out_;
};

}  // namespace zyl::exporting::xls
