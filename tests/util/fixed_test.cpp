#include "util/fixed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace corv {
namespace {

int64_t Raw(double v) { return Fixed::FromDouble(v).value().raw(); }

TEST(Fixed, ConversionFromDoubleRoundsToNearestTiesToEven) {
  EXPECT_EQ(Raw(19.6), 196000);
  EXPECT_EQ(Raw(5.5), 55000);
  EXPECT_EQ(Raw(0.00004), 0);
  EXPECT_EQ(Raw(0.00006), 1);
  EXPECT_EQ(Raw(0.00125), 12);  // 12.5 -> 12
  EXPECT_EQ(Raw(0.00135), 14);  // 13.5 -> 14
  EXPECT_EQ(Raw(-0.00125), -12);
  EXPECT_EQ(Raw(-0.00135), -14);
  EXPECT_EQ(Raw(-1.23456), -12346);
  EXPECT_DOUBLE_EQ(Fixed::FromRaw(196000).ToDouble(), 19.6);
}

TEST(Fixed, RefusesWhatDoesNotFit) {
  EXPECT_FALSE(Fixed::FromDouble(std::nan("")).has_value());
  EXPECT_FALSE(Fixed::FromDouble(INFINITY).has_value());
  EXPECT_FALSE(Fixed::FromDouble(1e16).has_value());
  EXPECT_TRUE(Fixed::FromDouble(9e14).has_value());
  Fixed big = Fixed::FromRaw(INT64_MAX);
  EXPECT_THROW(big + Fixed::FromRaw(1), std::overflow_error);
  EXPECT_THROW(Fixed::FromRaw(INT64_MIN) - Fixed::FromRaw(1), std::overflow_error);
  EXPECT_THROW(big * Fixed::FromInt(2), std::overflow_error);
  EXPECT_THROW(Fixed::FromInt(INT64_MAX / 1000), std::overflow_error);
  // The checked product says so instead of throwing, and is the same product otherwise.
  EXPECT_FALSE(Fixed::CheckedMul(big, Fixed::FromInt(2)).has_value());
  EXPECT_FALSE(Fixed::CheckedMul(Fixed::FromRaw(INT64_MIN), Fixed::FromInt(-1)).has_value());
  EXPECT_EQ(Fixed::CheckedMul(Fixed::FromRaw(15000), Fixed::FromRaw(-3)), Fixed::FromRaw(15000) * Fixed::FromRaw(-3));
}

TEST(Fixed, ArithmeticTruncatesProductsTowardZero) {
  Fixed a = Fixed::FromRaw(3);      // 0.0003
  Fixed half = Fixed::FromRaw(5000);  // 0.5
  EXPECT_EQ((a * half).raw(), 1);     // 0.00015 -> 0.0001
  EXPECT_EQ((-a * half).raw(), -1);   // -0.00015 -> -0.0001
  EXPECT_EQ((Fixed::FromRaw(12345) * Fixed::FromRaw(12345)).raw(), 15239);  // 1.2345^2 = 1.52399025
  EXPECT_EQ((Fixed::FromInt(2) + Fixed::FromRaw(5)).raw(), 20005);
  EXPECT_LT(Fixed::FromRaw(-1), Fixed());
}

TEST(Fixed, TextBothWays) {
  EXPECT_EQ(Fixed::FromRaw(196000).ToText(), "19.6");
  EXPECT_EQ(Fixed::FromRaw(-1).ToText(), "-0.0001");
  EXPECT_EQ(Fixed::FromInt(1).ToText(), "1");
  EXPECT_EQ(Fixed::FromRaw(INT64_MIN).ToText(), "-922337203685477.5808");
  EXPECT_EQ(Fixed::FromText("19,6")->raw(), 196000);
  EXPECT_EQ(Fixed::FromText("-0.0001")->raw(), -1);
  EXPECT_EQ(Fixed::FromText("922337203685477.5807")->raw(), INT64_MAX);
  EXPECT_FALSE(Fixed::FromText("922337203685477.5808").has_value());
  EXPECT_FALSE(Fixed::FromText("1.23456").has_value());
  EXPECT_FALSE(Fixed::FromText("1.2.3").has_value());
  EXPECT_FALSE(Fixed::FromText("").has_value());
  EXPECT_FALSE(Fixed::FromText("abc").has_value());
}

}  // namespace
}  // namespace corv
