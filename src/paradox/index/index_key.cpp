// Stored forms of key values (what EncodeKeyValue produces):
//   A  alpha      code page bytes, NUL-padded to the field size; blank = all NUL
//   S  short      2 bytes big-endian, value with its sign bit flipped (x ^ 0x8000)
//   I, +, D, T    4 bytes big-endian, sign bit flipped; a date is the day number
//                 counted from 1 January of year 1 (= day 1), a time the
//                 milliseconds since midnight
//   N, $, @       8-byte IEEE double, big-endian; 0 and positives with the sign bit
//                 set, negatives with every bit inverted; a timestamp holds the
//                 milliseconds since day 0 of the date count above
//   L  logical    0x80 false, 0x81 true
//   #  BCD        17 bytes: first byte 0x40 | decimals, plus 0x80 when not
//                 negative; then 32 decimal digits, one per nibble, the last
//                 `decimals` of them after the point; a negative value has its
//                 digit nibbles inverted (15 - d)
//   Y  bytes      raw, NUL-padded
// Blank is all NUL for every type, which sorts below every stored value.
#include "paradox/index/index_key.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace pdx {

namespace {

// Days from 1 January of year 1 (day 1) to 30 December 1899 (day 0 of day numbers).
constexpr int64_t kDayNumberOffset = 693594;
constexpr double kMsPerDay = 86400000.0;

void PutBigEndian(uint64_t v, size_t n, std::string* out) {
  for (size_t i = 0; i < n; ++i) out->push_back(static_cast<char>((v >> (8 * (n - 1 - i))) & 0xFF));
}

void PutDouble(double d, std::string* out) {
  if (d == 0) d = 0;  // -0 sorts with 0
  uint64_t bits;
  std::memcpy(&bits, &d, 8);
  bits = (bits & 0x8000000000000000ULL) ? ~bits : (bits | 0x8000000000000000ULL);
  PutBigEndian(bits, 8, out);
}

Status WrongKind(const FieldDesc& f, const char* want) {
  return Status::InvalidArgument("key field \"" + f.name + "\" takes " + want);
}

Status NumberOf(const FieldDesc& f, const Value& v, double* d) {
  if (!v.text.empty() && v.d == 0 && v.i == 0) return WrongKind(f, "a number");
  *d = v.d != 0 ? v.d : static_cast<double>(v.i);
  return Status::OK();
}

Status EncodeBcd(const FieldDesc& f, const Value& v, std::string* out) {
  std::string t = v.text;
  if (t.empty()) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(f.size), v.d != 0 ? v.d : static_cast<double>(v.i));
    t = buf;
  }
  bool negative = false;
  size_t p = 0;
  if (p < t.size() && (t[p] == '-' || t[p] == '+')) negative = t[p++] == '-';
  std::string whole, frac;
  bool point = false;
  for (; p < t.size(); ++p) {
    char c = t[p];
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      (point ? frac : whole) += c;
    } else {
      return WrongKind(f, "a decimal number");
    }
  }
  size_t decimals = f.size;
  if (decimals > 32) return Status::InvalidArgument("BCD field \"" + f.name + "\" has more than 32 decimals");
  while (whole.size() > 1 && whole[0] == '0') whole.erase(0, 1);
  if (frac.size() > decimals) frac.resize(decimals);  // the field cannot hold more
  frac.append(decimals - frac.size(), '0');
  if (whole.size() + decimals > 32) return Status::InvalidArgument("value too large for field \"" + f.name + "\"");
  std::string digits(32 - decimals - whole.size(), '0');
  digits += whole + frac;
  if (digits.find_first_not_of('0') == std::string::npos) negative = false;
  out->push_back(static_cast<char>((negative ? 0x00 : 0x80) | 0x40 | decimals));
  for (size_t i = 0; i < 32; i += 2) {
    int hi = digits[i] - '0', lo = digits[i + 1] - '0';
    if (negative) {
      hi = 15 - hi;
      lo = 15 - lo;
    }
    out->push_back(static_cast<char>((hi << 4) | lo));
  }
  return Status::OK();
}

// Bytes a field of this descriptor takes in a record.
size_t KeyFieldBytes(const FieldDesc& f) {
  switch (f.type) {
    case FieldType::kShort: return 2;
    case FieldType::kLong:
    case FieldType::kAutoInc:
    case FieldType::kDate:
    case FieldType::kTime: return 4;
    case FieldType::kNumber:
    case FieldType::kMoney:
    case FieldType::kTimestamp: return 8;
    case FieldType::kLogical: return 1;
    case FieldType::kBcd: return 17;
    default: return f.size;
  }
}

}  // namespace

int KeyLayout::Compare(const char* a, const char* b, size_t count) const {
  size_t n = std::min(count, parts.size());
  for (size_t i = 0; i < n; ++i) {
    const KeyPart& p = parts[i];
    int r;
    if (p.type == FieldType::kAlpha) {
      r = collation->CompareAlpha(std::string_view(a + p.offset, p.size), std::string_view(b + p.offset, p.size),
                                  caseInsensitive);
    } else {
      r = std::memcmp(a + p.offset, b + p.offset, p.size);
      r = r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    if (r != 0) return descending ? -r : r;
  }
  return 0;
}

size_t KeyLayout::ProbeSize(size_t count) const {
  size_t n = std::min(count, parts.size()), total = 0;
  for (size_t i = 0; i < n; ++i) total += parts[i].size;
  return total;
}

int KeyLayout::CompareWithProbe(const char* record, const std::string& probe, size_t count) const {
  size_t n = std::min(count, parts.size()), at = 0;
  for (size_t i = 0; i < n && at + parts[i].size <= probe.size(); ++i) {
    const KeyPart& p = parts[i];
    int r = CompareStoredField(p.type, record + p.offset, probe.data() + at, p.size, *collation, caseInsensitive);
    if (r != 0) return descending ? -r : r;
    at += p.size;
  }
  return 0;
}

Status EncodeKeyValue(const FieldDesc& f, const Value& v, const TextEncoder& encoder, const Collation* upcaseWith,
                      std::string* out) {
  const size_t size = KeyFieldBytes(f);
  out->clear();
  if (v.blank) {
    out->assign(size, '\0');
    return Status::OK();
  }
  switch (f.type) {
    case FieldType::kAlpha: {
      std::string bytes;
      PDX_RETURN_IF_ERROR(encoder(v.text, &bytes));
      if (bytes.size() > size) {
        return Status::InvalidArgument("text longer than key field \"" + f.name + "\" (" + std::to_string(size) +
                                       " characters)");
      }
      if (upcaseWith != nullptr) upcaseWith->Upcase(bytes.data(), bytes.size());
      bytes.resize(size, '\0');
      *out = std::move(bytes);
      return Status::OK();
    }
    case FieldType::kShort:
      if (v.i < -32767 || v.i > 32767) return WrongKind(f, "a short integer (-32767..32767)");
      PutBigEndian(static_cast<uint16_t>(v.i) ^ 0x8000u, 2, out);
      return Status::OK();
    case FieldType::kLong:
    case FieldType::kAutoInc:
      if (v.i < -2147483647LL || v.i > 2147483647LL) return WrongKind(f, "a long integer");
      PutBigEndian(static_cast<uint32_t>(v.i) ^ 0x80000000u, 4, out);
      return Status::OK();
    case FieldType::kDate: {
      double d = v.d != 0 ? v.d : static_cast<double>(v.i);
      int64_t day = static_cast<int64_t>(std::floor(d)) + kDayNumberOffset;
      PutBigEndian(static_cast<uint32_t>(day) ^ 0x80000000u, 4, out);
      return Status::OK();
    }
    case FieldType::kTime: {
      double frac = v.d - std::floor(v.d);
      int64_t ms = std::llround(frac * kMsPerDay);
      PutBigEndian(static_cast<uint32_t>(ms) ^ 0x80000000u, 4, out);
      return Status::OK();
    }
    case FieldType::kTimestamp: {
      double ms = std::round((v.d + static_cast<double>(kDayNumberOffset)) * kMsPerDay);
      PutDouble(ms, out);
      return Status::OK();
    }
    case FieldType::kNumber:
    case FieldType::kMoney: {
      double d = 0;
      PDX_RETURN_IF_ERROR(NumberOf(f, v, &d));
      PutDouble(d, out);
      return Status::OK();
    }
    case FieldType::kLogical:
      out->push_back(static_cast<char>(v.b ? 0x81 : 0x80));
      return Status::OK();
    case FieldType::kBcd:
      return EncodeBcd(f, v, out);
    case FieldType::kBytes:
      if (v.text.size() > size) return Status::InvalidArgument("bytes longer than key field \"" + f.name + "\"");
      *out = v.text;
      out->resize(size, '\0');
      return Status::OK();
    default:
      return Status::InvalidArgument("field \"" + f.name + "\" (type code " +
                                     std::to_string(static_cast<int>(f.type)) + ") cannot be part of a key");
  }
}

}  // namespace pdx
