#include "util/text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "paradox/codepage.h"

namespace corv {
namespace {

// Code points of bytes 0x80..0x9F in code page 1252 (0 = undefined).
constexpr uint16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// UTF-8 itself is the engine's (one decoder for the whole program).
using pdx::AppendUtf8;
using pdx::NextUtf8;

uint32_t FoldCodePoint(uint32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 0x20;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;
  switch (cp) {
    case 0x0152: return 0x0153;  // Œ
    case 0x0160: return 0x0161;  // Š
    case 0x017D: return 0x017E;  // Ž
    case 0x0178: return 0x00FF;  // Ÿ
    default: return cp;
  }
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    uint32_t cp = b;
    if (b >= 0x80 && b <= 0x9F) cp = kHigh[b - 0x80] ? kHigh[b - 0x80] : 0xFFFD;
    AppendUtf8(cp, &out);
  }
  return out;
}

bool Utf8ToCp1252(std::string_view utf8, std::string* out) {
  std::string r;
  r.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    uint32_t cp = 0;
    if (!NextUtf8(utf8, &i, &cp)) return false;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      r.push_back(static_cast<char>(cp));
      continue;
    }
    int found = -1;
    for (int k = 0; k < 32; ++k)
      if (kHigh[k] != 0 && kHigh[k] == cp) found = k;
    if (found < 0) return false;
    r.push_back(static_cast<char>(0x80 + found));
  }
  *out = std::move(r);
  return true;
}

std::string Utf8ToCp1252Marked(std::string_view utf8, int* replaced) {
  std::string r;
  r.reserve(utf8.size());
  int n = 0;
  char marque[16];
  size_t i = 0;
  while (i < utf8.size()) {
    const size_t debut = i;
    uint32_t cp = 0;
    if (!NextUtf8(utf8, &i, &cp)) {
      std::snprintf(marque, sizeof marque, "<0x%02X>", static_cast<unsigned char>(utf8[debut]));
      r += marque;
      ++n;
      i = debut + 1;
      continue;
    }
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      r.push_back(static_cast<char>(cp));
      continue;
    }
    int found = -1;
    for (int k = 0; k < 32; ++k)
      if (kHigh[k] != 0 && kHigh[k] == cp) found = k;
    if (found >= 0) {
      r.push_back(static_cast<char>(0x80 + found));
      continue;
    }
    std::snprintf(marque, sizeof marque, "<U+%04X>", static_cast<unsigned>(cp));
    r += marque;
    ++n;
  }
  if (replaced) *replaced = n;
  return r;
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  uint32_t cp = 0;
  while (i < s.size())
    if (!NextUtf8(s, &i, &cp)) return false;
  return true;
}

std::string Trim(std::string_view s) {
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  size_t b = 0, e = s.size();
  while (b < e && space(s[b])) ++b;
  while (e > b && space(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

std::string FoldCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    size_t start = i;
    uint32_t cp = 0;
    if (!NextUtf8(utf8, &i, &cp)) {
      // Not UTF-8: keep the byte as it is.
      out.push_back(utf8[start]);
      i = start + 1;
      continue;
    }
    AppendUtf8(FoldCodePoint(cp), &out);
  }
  return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  // Up to their first difference, texts of ASCII letters fold in place (one
  // byte each): codes and field names, compared by the thousand in sorts and
  // lookups, make no copies. The first byte outside ASCII folds them whole.
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if ((x | y) & 0x80) {
      int c = FoldCase(a).compare(FoldCase(b));
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 0x20);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 0x20);
    if (x != y) return x < y ? -1 : 1;
  }
  // One is the other's start: whatever follows folds to at least a byte.
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }

}  // namespace corv
