// Field decoding on hand-made bytes: sign handling, blanks, BCD, calendar.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "paradox/format/field_codec.h"

namespace {

pdx::Value Decode(pdx::FieldType t, uint16_t size, const std::string& bytes) {
  const pdx::CodePage* cp = nullptr;
  EXPECT_TRUE(pdx::CodePage::Find(1252, &cp).ok());
  pdx::FieldDesc f;
  f.type = t;
  f.size = size;
  pdx::Value v;
  bool needs = false;
  pdx::DecodeField(f, bytes.data(), *cp, &v, &needs);
  EXPECT_FALSE(needs);
  return v;
}

std::string Hex(const char* h) {
  std::string out;
  for (; h[0] && h[1]; h += 2) out.push_back(static_cast<char>(std::stoi(std::string(h, 2), nullptr, 16)));
  return out;
}

TEST(ReaderCodec, IntegersAndDoubles) {
  using T = pdx::FieldType;
  EXPECT_EQ(Decode(T::kShort, 2, Hex("8028")).i, 40);
  EXPECT_EQ(Decode(T::kShort, 2, Hex("7fd8")).i, -40);
  EXPECT_EQ(Decode(T::kShort, 2, Hex("8000")).i, 0);
  EXPECT_TRUE(Decode(T::kShort, 2, Hex("0000")).blank);
  EXPECT_EQ(Decode(T::kLong, 4, Hex("7fffffd8")).i, -40);
  EXPECT_EQ(Decode(T::kAutoInc, 4, Hex("80000005")).i, 5);
  EXPECT_EQ(Decode(T::kNumber, 8, Hex("c044000000000000")).d, 40.0);
  EXPECT_EQ(Decode(T::kMoney, 8, Hex("3fbbffffffffffff")).d, -40.0);
  EXPECT_FALSE(Decode(T::kNumber, 8, Hex("8000000000000000")).blank);
  EXPECT_TRUE(Decode(T::kNumber, 8, Hex("0000000000000000")).blank);
  EXPECT_EQ(Decode(T::kLogical, 1, Hex("80")).b, false);
  EXPECT_EQ(Decode(T::kLogical, 1, Hex("81")).b, true);
  EXPECT_TRUE(Decode(T::kLogical, 1, Hex("00")).blank);
}

TEST(ReaderCodec, DatesTimesAndTimestamps) {
  using T = pdx::FieldType;
  // 719163 days from 1 Jan 0001 is 1 Jan 1970, day number 25569.
  EXPECT_EQ(Decode(T::kDate, 4, Hex("800af93b")).d, 25569.0);
  EXPECT_EQ(pdx::FormatDate(25569), "1970-01-01");
  // A date stored as zero reads as blank; a time of midnight does not.
  EXPECT_TRUE(Decode(T::kDate, 4, Hex("80000000")).blank);
  pdx::Value midnight = Decode(T::kTime, 4, Hex("80000000"));
  EXPECT_FALSE(midnight.blank);
  EXPECT_EQ(pdx::FormatTime(midnight.d), "00:00:00.000");
  EXPECT_EQ(pdx::FormatTime(Decode(T::kTime, 4, Hex("82667c99")).d), "11:11:11.001");
  EXPECT_TRUE(Decode(T::kTimestamp, 8, Hex("8000000000000000")).blank);
  pdx::Value ts = Decode(T::kTimestamp, 8, Hex("c2ccbc645e5e4c00"));
  EXPECT_EQ(pdx::FormatTimestamp(ts.d), "2003-06-10T11:11:11.000");
  EXPECT_EQ(pdx::FormatDate(0), "1899-12-30");
  EXPECT_EQ(pdx::FormatTimestamp(-1.75), "1899-12-28T06:00:00.000");
  EXPECT_EQ(pdx::FormatTimestamp(36526.999999999), "2000-01-02T00:00:00.000");  // rounds up to midnight
  // Damaged values are shown, not converted.
  EXPECT_EQ(pdx::FormatTimestamp(std::numeric_limits<double>::quiet_NaN()), "?");
  EXPECT_EQ(pdx::FormatDate(1e300), "?");
  for (int64_t days : {-800000, -1, 0, 59, 60, 36525, 2958465}) {
    int64_t y;
    unsigned m, d;
    pdx::CivilFromDays(days, &y, &m, &d);
    EXPECT_EQ(pdx::DaysFromCivil(y, m, d), days);
  }
}

TEST(ReaderCodec, BcdAsExactDecimalText) {
  using T = pdx::FieldType;
  EXPECT_EQ(Decode(T::kBcd, 6, Hex("c600000000000000000000000013123457")).text, "13.123457");
  EXPECT_EQ(Decode(T::kBcd, 6, Hex("46ffffffffffffffffffffffffbfffffff")).text, "-40.000000");
  EXPECT_EQ(Decode(T::kBcd, 2, Hex("c2000000000000000000000000000000" "05")).text, "0.05");
  EXPECT_EQ(Decode(T::kBcd, 0, Hex("c0000000000000000000000000000012" "34")).text, "1234");
  EXPECT_EQ(Decode(T::kBcd, 6, Hex("c600000000000000000000000000000000")).text, "0.000000");
  EXPECT_TRUE(Decode(T::kBcd, 6, Hex("0600000000000000000000000000000000")).blank);
}

TEST(ReaderCodec, AlphaBytesAndBlobsInTheRecord) {
  using T = pdx::FieldType;
  EXPECT_EQ(Decode(T::kAlpha, 8, std::string("F\xFCnf\0\0\0\0", 8)).text, "Fünf");
  EXPECT_TRUE(Decode(T::kAlpha, 4, std::string(4, '\0')).blank);
  EXPECT_EQ(Decode(T::kBytes, 3, Hex("000100")).text, std::string("\0\1\0", 3));
  EXPECT_TRUE(Decode(T::kBytes, 3, Hex("000000")).blank);
  // A memo of 3 bytes wholly kept in its 5-byte head needs no blob file.
  std::string memo = std::string("ab\xE9\0\0", 5) + Hex("00000000" "03000000" "0000");
  EXPECT_EQ(Decode(T::kMemo, 15, memo).text, "abé");
  EXPECT_TRUE(Decode(T::kMemo, 15, std::string(15, '\0')).blank);
}

}  // namespace
