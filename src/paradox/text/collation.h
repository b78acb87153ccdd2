#pragma once
// Key comparison of the Paradox engine: the order of alpha values per sort order,
// and of every other key type by value.
//
// Contract:
//  - A Collation is made for one sort order name (as stored in the table header,
//    matched without regard to case) and one code page, given as its byte ->
//    Unicode map. It compares alpha values in their stored form: code page bytes
//    ending at the first NUL or at the end of the field.
//  - Blank (all-NUL) values sort first in every order.
//  - "ascii" orders bytes by value. The dictionary orders ("intl", "intl850",
//    "ANSIINTL", the Nordic, Spanish and Cyrillic ones) compare in three levels:
//    letters first (case and accents ignored, a-umlaut counting as "ae", sharp s
//    as "ss", ae and oe ligatures as two letters), then accents, then case with
//    the lowercase letter first. The Nordic orders put their own letters after Z;
//    the Spanish one puts n-tilde after N; the Cyrillic ones put Cyrillic letters
//    in alphabetical order after the Latin ones.
//  - The case-insensitive variant (a case-insensitive index) drops the case
//    level; the engine stores such keys uppercased (see Upcase).
//  - Objects are plain values: no global state, cheap to copy.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/status.h"
#include "paradox/types.h"

namespace pdx {

// A code page as a map from byte to Unicode code point (0 where undefined).
using CodePageMap = std::array<char32_t, 256>;

// The map of ISO 8859-1 (identity); handy where only ASCII and Latin-1 matter.
CodePageMap Latin1Map();

class Collation {
 public:
  // An "ascii" collation over Latin-1 (byte order); Make() gives the others.
  Collation();

  // Builds the collation of sortOrder over the code page. NotSupported (naming
  // the order) when the name is not one we know.
  static Status Make(const std::string& sortOrder, const CodePageMap& codePage, Collation* out);
  // The sort order names Make() accepts, in their usual spelling.
  static std::vector<std::string> KnownNames();

  const std::string& name() const { return name_; }
  // True for the byte-order family ("ascii").
  bool binary() const { return binary_; }

  // <0, 0, >0 as a sorts before, with, after b.
  int CompareAlpha(std::string_view a, std::string_view b, bool caseInsensitive) const;
  // Uppercases stored bytes in place, the way keys of a case-insensitive index
  // are stored. Bytes with no uppercase form in the code page stay as they are.
  void Upcase(char* bytes, size_t n) const;
  std::string Upcased(std::string_view bytes) const;

  // Sort keys: a stored alpha value of fieldSize bytes turned into
  // SortKeySize(fieldSize, ci) bytes (zero-padded) such that memcmp of two
  // keys has the sign of CompareAlpha of their values. Made once per value,
  // they let a search compare keys with memcmp instead of walking the levels.
  size_t SortKeySize(size_t fieldSize, bool caseInsensitive) const;
  void SortKey(const char* stored, size_t fieldSize, bool caseInsensitive, char* out) const;

 private:
  // Weight of one byte: up to two letters (primary), accent, case.
  struct Weight {
    uint16_t primary[2] = {0, 0};
    uint8_t accent = 0;
    uint8_t upper = 0;
  };
  int CompareDictionary(std::string_view a, std::string_view b, bool caseInsensitive) const;
  // Dense ranks of the primary weights, for sort keys (collation_sort_key.cpp).
  void BuildRanks();

  std::string name_ = "ascii";
  bool binary_ = true;
  std::array<Weight, 256> weight_{};
  std::array<uint8_t, 256> upcase_{};
  // Per byte: ranks (from 1, 0 = none) of its primary weights, in sort keys
  // rankBytes_ wide (1 when the code page has at most 255 of them).
  std::array<std::array<uint16_t, 2>, 256> rank_{};
  uint8_t rankBytes_ = 1;
  // The same when rankBytes_ is 1: both ranks, then how many there are.
  std::array<std::array<uint8_t, 3>, 256> rank8_{};
};

// Compares two stored field values of one type (the bytes of the field in a
// record, `size` bytes each): alpha through the collation, every other type by
// value (the stored encodings of numbers, dates, times, logicals and bytes order
// as their values when compared as unsigned bytes; blank, all NUL, is lowest).
int CompareStoredField(FieldType type, const char* a, const char* b, size_t size, const Collation& collation,
                       bool caseInsensitive);

}  // namespace pdx
