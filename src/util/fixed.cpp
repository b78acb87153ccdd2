#include "util/fixed.h"

#include <cmath>
#include <stdexcept>

namespace corv {
namespace {
// 128-bit intermediate for exact products (a GCC/Clang extension).
__extension__ typedef __int128 Int128;
}  // namespace

Fixed Fixed::FromInt(int64_t units) {
  int64_t r = 0;
  if (__builtin_mul_overflow(units, kScale, &r)) throw std::overflow_error("fixed-point value out of range");
  return FromRaw(r);
}

std::optional<Fixed> Fixed::FromDouble(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  double x = v * kScale;
  double f = std::floor(x);
  double diff = x - f;
  double r = f;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0)) r = f + 1;
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (r >= 9223372036854775808.0 || r < -9223372036854775808.0) return std::nullopt;
  return FromRaw(static_cast<int64_t>(r));
}

std::optional<Fixed> Fixed::FromText(const std::string& text) {
  size_t i = 0;
  bool neg = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) neg = text[i++] == '-';
  Int128 units = 0;
  int digits = 0, decimals = 0;
  bool sep = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c == '.' || c == ',') {
      if (sep) return std::nullopt;
      sep = true;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    if (sep && ++decimals > 4) return std::nullopt;
    units = units * 10 + (c - '0');
    if (++digits > 19) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  for (int k = decimals; k < 4; ++k) units *= 10;
  if (neg) units = -units;
  if (units > INT64_MAX || units < INT64_MIN) return std::nullopt;
  return FromRaw(static_cast<int64_t>(units));
}

std::string Fixed::ToText() const {
  // Work on the magnitude as unsigned so INT64_MIN prints too.
  bool neg = raw_ < 0;
  uint64_t m = neg ? 0 - static_cast<uint64_t>(raw_) : static_cast<uint64_t>(raw_);
  std::string s = std::to_string(m / kScale);
  uint64_t frac = m % kScale;
  if (frac != 0) {
    std::string f = std::to_string(frac + kScale).substr(1);
    while (!f.empty() && f.back() == '0') f.pop_back();
    s += "." + f;
  }
  return neg ? "-" + s : s;
}

Fixed Fixed::operator+(Fixed o) const {
  int64_t r = 0;
  if (__builtin_add_overflow(raw_, o.raw_, &r)) throw std::overflow_error("fixed-point addition overflows");
  return FromRaw(r);
}

Fixed Fixed::operator-(Fixed o) const {
  int64_t r = 0;
  if (__builtin_sub_overflow(raw_, o.raw_, &r)) throw std::overflow_error("fixed-point subtraction overflows");
  return FromRaw(r);
}

Fixed Fixed::operator-() const { return Fixed() - *this; }

std::optional<Fixed> Fixed::CheckedMul(Fixed a, Fixed b) {
  Int128 p = static_cast<Int128>(a.raw_) * b.raw_ / kScale;  // truncates toward zero
  if (p > INT64_MAX || p < INT64_MIN) return std::nullopt;
  return FromRaw(static_cast<int64_t>(p));
}

Fixed Fixed::operator*(Fixed o) const {
  std::optional<Fixed> p = CheckedMul(*this, o);
  if (!p) throw std::overflow_error("fixed-point multiplication overflows");
  return *p;
}

}  // namespace corv
