#pragma once
// Inline field decoding for the scan loops (see field_codec.cpp for layouts).
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "paradox/codepage.h"
#include "paradox/format/field_codec.h"

namespace pdx {
namespace detail {

inline bool AllZero(const char* p, size_t n) {
  if (n == 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w == 0;
  }
  for (size_t i = 0; i < n; ++i)
    if (p[i] != 0) return false;
  return true;
}

inline uint32_t BE32(const char* p) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(p[0])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(p[1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(p[2])) << 8) | static_cast<uint8_t>(p[3]);
}

inline int32_t Signed32(const char* p) { return static_cast<int32_t>(BE32(p) ^ 0x80000000u); }

inline double Double8(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  v = __builtin_bswap64(v);
  if (v & 0x8000000000000000ull)
    v ^= 0x8000000000000000ull;
  else
    v = ~v;
  double d;
  std::memcpy(&d, &v, sizeof d);
  return d;
}


// Keeps the text's buffer: scans reuse one Value per field.
inline void SetBlank(Value* out) {
  out->blank = true;
  out->i = 0;
  out->d = 0;
  out->b = false;
  out->text.clear();
}

// True when no byte has its high bit set (such text is the same in UTF-8).
inline bool IsAscii(const char* p, size_t n) {
  uint64_t acc = 0;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    acc |= w;
  }
  for (; i < n; ++i) acc |= static_cast<uint8_t>(p[i]);
  return (acc & 0x8080808080808080ull) == 0;
}

// Length of stored text (up to its first NUL, at most size bytes); *ascii
// tells whether those bytes are all ASCII. Eight bytes at a time where the
// field allows, since this runs for every alpha field of a scan.
inline uint32_t TextLength(const char* p, uint32_t size, bool* ascii) {
  constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  uint64_t high = 0;
  uint32_t at = 0;
  if constexpr (std::endian::native == std::endian::little) {
    while (at + 8 <= size) {
      uint64_t w;
      std::memcpy(&w, p + at, 8);
      // The lowest flagged byte is the first NUL (flags above it may be false).
      const uint64_t zero = (w - kOnes) & ~w & kHighs;
      if (zero != 0) {
        const unsigned k = static_cast<unsigned>(__builtin_ctzll(zero)) / 8;
        if (k != 0) high |= w & (~0ull >> (64 - 8 * k));
        *ascii = (high & kHighs) == 0;
        return at + k;
      }
      high |= w;
      at += 8;
    }
  }
  while (at < size && p[at] != 0) high |= static_cast<uint8_t>(p[at++]);
  *ascii = (high & kHighs) == 0;
  return at;
}

// Copies n bytes with a few fixed-size moves for the short lengths of most
// stored text.
inline void CopyText(char* d, const char* s, size_t n) {
  if (n >= 8 && n <= 16) {
    std::memcpy(d, s, 8);
    std::memcpy(d + n - 8, s + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(d, s, 4);
    std::memcpy(d + n - 4, s + n - 4, 4);
  } else if (n >= 2 && n < 4) {
    std::memcpy(d, s, 2);
    std::memcpy(d + n - 2, s + n - 2, 2);
  } else if (n == 1) {
    d[0] = s[0];
  } else if (n > 16) {
    std::memcpy(d, s, n);
  }
}

inline uint16_t BE16(const char* p) {
  return static_cast<uint16_t>((static_cast<uint8_t>(p[0]) << 8) | static_cast<uint8_t>(p[1]));
}


bool BcdIsBlank(const char* p);
std::string BcdText(const char* p, int decimals);

}  // namespace detail

// One switch per field, blank test included: this is the inner loop of scans.
inline void DecodeFieldInline(const FieldDesc& f, const char* p, const CodePage& cp, Value* out, bool* needsBlobFile) {
  *needsBlobFile = false;
  switch (f.type) {
    case FieldType::kAlpha: {
      if (p[0] == 0) return detail::SetBlank(out);
      out->blank = false;
      const void* nul = std::memchr(p, 0, f.size);
      const size_t len = nul ? static_cast<size_t>(static_cast<const char*>(nul) - p) : f.size;
      if (detail::IsAscii(p, len)) {
        out->text.assign(p, len);
      } else {
        out->text.clear();
        cp.Decode(p, len, &out->text);
      }
      return;
    }
    case FieldType::kShort: {
      uint16_t raw = detail::BE16(p);
      if (raw == 0) return detail::SetBlank(out);
      out->blank = false;
      out->i = static_cast<int16_t>(raw ^ 0x8000u);
      return;
    }
    case FieldType::kLong:
    case FieldType::kAutoInc:
    case FieldType::kTime: {
      uint32_t raw = detail::BE32(p);
      if (raw == 0) return detail::SetBlank(out);
      out->blank = false;
      int32_t v = static_cast<int32_t>(raw ^ 0x80000000u);
      if (f.type == FieldType::kTime)
        out->d = static_cast<double>(v) / 86400000.0;
      else
        out->i = v;
      return;
    }
    case FieldType::kDate: {
      uint32_t raw = detail::BE32(p);
      if (raw == 0 || raw == 0x80000000u) return detail::SetBlank(out);
      out->blank = false;
      out->d = static_cast<double>(static_cast<int64_t>(static_cast<int32_t>(raw ^ 0x80000000u)) - kDayNumberShift);
      return;
    }
    case FieldType::kNumber:
    case FieldType::kMoney: {
      if (detail::AllZero(p, 8)) return detail::SetBlank(out);
      out->blank = false;
      out->d = detail::Double8(p);
      return;
    }
    case FieldType::kTimestamp: {
      double ms = detail::AllZero(p, 8) ? 0 : detail::Double8(p);
      if (ms == 0) return detail::SetBlank(out);
      out->blank = false;
      double days = std::floor(ms / 86400000.0);
      out->d = (days - static_cast<double>(kDayNumberShift)) + (ms - days * 86400000.0) / 86400000.0;
      return;
    }
    case FieldType::kLogical:
      if (p[0] == 0) return detail::SetBlank(out);
      out->blank = false;
      out->b = (static_cast<uint8_t>(p[0]) & 0x7F) != 0;
      return;
    case FieldType::kBcd:
      if (detail::BcdIsBlank(p)) return detail::SetBlank(out);
      out->blank = false;
      out->text = detail::BcdText(p, f.size);
      return;
    case FieldType::kBytes:
      if (detail::AllZero(p, f.size)) return detail::SetBlank(out);
      out->blank = false;
      out->text.assign(p, f.size);
      return;
    case FieldType::kMemo:
    case FieldType::kFmtMemo:
    case FieldType::kBlob:
    case FieldType::kOle:
    case FieldType::kGraphic: {
      BlobRef r = ParseBlobRef(p, f.size);
      if (r.length == 0) return detail::SetBlank(out);
      if (r.InRecord()) {
        BlobValue(f.type, r.head.substr(0, r.length), cp, out);
      } else {
        *needsBlobFile = true;
      }
      return;
    }
  }
  detail::SetBlank(out);
}

}  // namespace pdx
