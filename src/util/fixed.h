#pragma once
// Fixed-point decimal with four decimal places: a signed 64-bit count of
// ten-thousandths. Used for money, rates and coefficients.
//
// Contract:
//  - FromDouble multiplies by 10000 and rounds to the nearest integer, ties to
//    even; it refuses NaN, infinities and values outside the 64-bit range.
//  - ToDouble divides by 10000.
//  - Addition and subtraction are exact; multiplication truncates the product
//    toward zero to four decimals. Any result outside the 64-bit range throws
//    std::overflow_error rather than wrapping (CheckedMul: nullopt instead,
//    for products of values read from files).
#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace corv {

class Fixed {
 public:
  static constexpr int64_t kScale = 10000;

  constexpr Fixed() = default;
  static constexpr Fixed FromRaw(int64_t tenThousandths) { Fixed f; f.raw_ = tenThousandths; return f; }
  static Fixed FromInt(int64_t units);
  static std::optional<Fixed> FromDouble(double v);
  // Decimal text with "." or "," as separator and at most four decimals
  // ("19.6", "-0,0001"); nullopt for anything else.
  static std::optional<Fixed> FromText(const std::string& text);

  constexpr int64_t raw() const { return raw_; }
  double ToDouble() const { return static_cast<double>(raw_) / kScale; }
  // Shortest decimal text with "." ("19.6", "1", "-0.0001").
  std::string ToText() const;

  Fixed operator+(Fixed o) const;
  Fixed operator-(Fixed o) const;
  Fixed operator-() const;
  Fixed operator*(Fixed o) const;
  static std::optional<Fixed> CheckedMul(Fixed a, Fixed b);
  Fixed& operator+=(Fixed o) { return *this = *this + o; }
  Fixed& operator-=(Fixed o) { return *this = *this - o; }
  constexpr auto operator<=>(const Fixed&) const = default;

 private:
  int64_t raw_ = 0;
};

// A fixed-point value with the one-byte kind tag it is stored with in the
// general parameters (2 for a percentage rate, 1 for a coefficient).
struct TaggedFixed {
  uint8_t tag = 0;
  Fixed value;
  bool operator==(const TaggedFixed&) const = default;
};

}  // namespace corv
