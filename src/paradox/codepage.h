#pragma once
// Single-byte code pages at the file boundary: table bytes <-> UTF-8.
//
// Contract:
//  - CodePage::Find gives an immutable, process-lifetime object for a supported
//    page (437, 850, 852, 860, 861, 863, 865, 866, 1250-1254, 1257); code page 0
//    (old headers) is 437. Unsupported pages give NotSupported.
//  - Decode never fails: every byte maps to one code point.
//  - Encode refuses (InvalidArgument naming the character) any character the page
//    cannot hold, and malformed UTF-8; it never substitutes silently.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "paradox/status.h"

namespace pdx {

class CodePage {
 public:
  static Status Find(int codePage, const CodePage** out);
  // True when Find would succeed.
  static bool IsSupported(int codePage);

  int number() const { return number_; }
  // Appends the UTF-8 form of n bytes to *out.
  void Decode(const char* bytes, size_t n, std::string* out) const;
  std::string Decode(std::string_view bytes) const {
    std::string s;
    Decode(bytes.data(), bytes.size(), &s);
    return s;
  }
  // Appends the code page form of utf8 to *out.
  Status Encode(std::string_view utf8, std::string* out) const;
  // Unicode code point of one byte.
  uint32_t CodePoint(uint8_t b) const { return table_[b]; }

  explicit CodePage(int number, const uint16_t* table);

 private:
  int number_;
  const uint16_t* table_;
  // UTF-8 of each byte: up to 3 bytes, length in [3].
  uint8_t utf8_[256][4];
  // (code point, byte) sorted by code point, for Encode.
  std::vector<std::pair<uint32_t, uint8_t>> reverse_;
};

// Appends the UTF-8 form of a code point.
void AppendUtf8(uint32_t cp, std::string* out);
// Decodes one code point from s at *pos (advanced); false on malformed input.
bool NextUtf8(std::string_view s, size_t* pos, uint32_t* cp);

}  // namespace pdx
