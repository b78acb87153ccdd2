// Field layouts inside a record. Numbers are big-endian with the sign bit
// flipped, so that bytes compare like values; all-zero bytes mark a blank.
//
//   A  alpha      size bytes of code-page text, NUL-padded; first byte 0 = blank
//   S  short      2 bytes, sign bit flipped
//   I  long, + autoincrement, D date, T time: 4 bytes, sign bit flipped
//      D = days since 1 Jan 0001 (day 1); 0 reads as blank
//      T = milliseconds since midnight
//   N  number, $ money, @ timestamp: IEEE double, 8 bytes; positive values have
//      the sign bit flipped, negative values have every bit inverted
//      @ = milliseconds since 1 Jan 0001 (day 1 at 00:00); 0 reads as blank
//   L  logical    1 byte: 0x80 false, 0x81 true, 0 blank
//   #  BCD        17 bytes: byte 0 = 0x80 (positive) | 0x40 | decimals; then 32
//      digits, one per nibble, the last `decimals` of them after the point;
//      negative values have all digit nibbles inverted. No 0x80 and no digit = blank
//   Y  bytes      size raw bytes; all zero = blank
//   M F B O G     blobs: (size - 10) leading bytes of the value, then
//      u32 LE offset in the .MB, u32 LE length, u16 LE modifier
#include "paradox/format/field_codec.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "paradox/format/field_decode_inl.h"
#include "paradox/format/header.h"

namespace pdx {
namespace {

uint32_t LE32(const char* p) {
  return static_cast<uint8_t>(p[0]) | (static_cast<uint32_t>(static_cast<uint8_t>(p[1])) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(p[2])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(p[3])) << 24);
}

}  // namespace

namespace detail {

bool BcdIsBlank(const char* p) {
  if (static_cast<uint8_t>(p[0]) & 0x80) return false;
  return AllZero(p + 1, 16);
}

std::string BcdText(const char* p, int decimals) {
  bool negative = !(static_cast<uint8_t>(p[0]) & 0x80);
  char digits[32];
  for (int i = 0; i < 32; ++i) {
    uint8_t byte = static_cast<uint8_t>(p[1 + i / 2]);
    uint8_t nib = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
    if (negative) nib = 0x0F - nib;
    digits[i] = static_cast<char>('0' + (nib > 9 ? 9 : nib));
  }
  if (decimals > 32) decimals = 32;
  int intDigits = 32 - decimals;
  std::string s;
  int first = 0;
  while (first < intDigits - 1 && digits[first] == '0') ++first;
  s.append(digits + first, intDigits - first);
  if (intDigits == 0) s = "0";
  if (decimals > 0) {
    s.push_back('.');
    s.append(digits + intDigits, decimals);
  }
  bool zero = true;
  for (char c : s)
    if (c >= '1' && c <= '9') zero = false;
  if (negative && !zero) s.insert(s.begin(), '-');
  return s;
}

}  // namespace detail

BlobRef ParseBlobRef(const char* p, uint32_t fieldSize) {
  BlobRef r;
  uint32_t headLen = fieldSize - 10;
  const char* tail = p + headLen;
  r.offset = LE32(tail);
  r.length = LE32(tail + 4);
  r.modifier = static_cast<uint16_t>(static_cast<uint8_t>(tail[8]) | (static_cast<uint8_t>(tail[9]) << 8));
  r.head = std::string_view(p, headLen);
  return r;
}

bool FieldIsBlank(const FieldDesc& f, const char* p) {
  switch (f.type) {
    case FieldType::kAlpha:
      return p[0] == 0;
    case FieldType::kDate:
      return detail::AllZero(p, 4) || detail::Signed32(p) == 0;
    case FieldType::kTimestamp:
      return detail::AllZero(p, 8) || detail::Double8(p) == 0;
    case FieldType::kBcd:
      return detail::BcdIsBlank(p);
    case FieldType::kMemo:
    case FieldType::kFmtMemo:
    case FieldType::kBlob:
    case FieldType::kOle:
    case FieldType::kGraphic:
      return ParseBlobRef(p, f.size).length == 0;
    default:
      return detail::AllZero(p, StoredFieldSize(f));
  }
}

void BlobValue(FieldType t, std::string_view bytes, const CodePage& cp, Value* out) {
  out->blank = false;
  out->text.clear();
  if (t == FieldType::kMemo || t == FieldType::kFmtMemo)
    cp.Decode(bytes.data(), bytes.size(), &out->text);
  else
    out->text.assign(bytes);
}

void DecodeField(const FieldDesc& f, const char* p, const CodePage& cp, Value* out, bool* needsBlobFile) {
  DecodeFieldInline(f, p, cp, out, needsBlobFile);
}

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

namespace {
// Day number 0 (30 Dec 1899) counted from 1 Jan 1970.
constexpr int64_t kUnixToDayNumber = 25569;

std::string DateText(int64_t dayNumber) {
  int64_t y;
  unsigned m, d;
  CivilFromDays(dayNumber - kUnixToDayNumber, &y, &m, &d);
  char buf[32];
  std::snprintf(buf, sizeof buf, y < 0 ? "%05lld-%02u-%02u" : "%04lld-%02u-%02u", static_cast<long long>(y), m, d);
  return buf;
}

std::string TimeText(int64_t ms) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld.%03lld", static_cast<long long>(ms / 3600000),
                static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms / 1000 % 60),
                static_cast<long long>(ms % 1000));
  return buf;
}

// Day numbers beyond this many days (about 270,000 years) come only from damaged
// files; they are shown as "?" rather than converted.
constexpr double kMaxDays = 1e8;

bool SplitDayNumber(double v, int64_t* days, int64_t* ms) {
  if (!std::isfinite(v) || std::fabs(v) > kMaxDays) return false;
  double whole = std::floor(v);
  int64_t m = std::llround((v - whole) * 86400000.0);
  int64_t dd = static_cast<int64_t>(whole);
  if (m >= 86400000) {
    m -= 86400000;
    ++dd;
  }
  *days = dd;
  *ms = m;
  return true;
}
}  // namespace

std::string FormatDate(double dayNumber) {
  if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > kMaxDays) return "?";
  return DateText(static_cast<int64_t>(std::floor(dayNumber)));
}

std::string FormatTime(double dayFraction) {
  int64_t days, ms;
  if (!SplitDayNumber(dayFraction, &days, &ms)) return "?";
  return TimeText(ms + (days > 0 ? days * 86400000 : 0));
}

std::string FormatTimestamp(double dayNumber) {
  int64_t days, ms;
  if (!SplitDayNumber(dayNumber, &days, &ms)) return "?";
  return DateText(days) + "T" + TimeText(ms);
}

std::string FormatDouble(double v) {
  if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v > 0 ? "Infinity" : "-Infinity");
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

}  // namespace pdx
