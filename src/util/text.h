#pragma once
// Small text helpers shared by the configuration and path code.
//
// Text is UTF-8 inside the program. Files written on Windows (INI files, stored
// paths) are in the Western code page 1252; conversion happens only where such a
// file is read or written.
#include <string>
#include <string_view>

namespace corv {

// Bytes in code page 1252 -> UTF-8. The five undefined bytes map to U+FFFD.
std::string Cp1252ToUtf8(std::string_view bytes);
// UTF-8 -> code page 1252. False (and *out untouched) when a character has no
// place in the code page or the input is not valid UTF-8.
bool Utf8ToCp1252(std::string_view utf8, std::string* out);
bool IsValidUtf8(std::string_view s);
// UTF-8 -> code page 1252 for a log, which must keep every line: a character
// the code page has no place for is written as its code point between angle
// brackets ("<U+4E2D>"), a byte that is not UTF-8 as "<0xFF>"; *replaced,
// when given, counts them. Nothing is silently dropped or changed.
std::string Utf8ToCp1252Marked(std::string_view utf8, int* replaced = nullptr);

// Removes spaces, tabs, CR and LF at both ends.
std::string Trim(std::string_view s);

// Case folding as Windows does for Western names: ASCII letters and the Latin-1
// and Latin Extended letters of code page 1252 (é = É, œ = Œ, ÿ = Ÿ).
std::string FoldCase(std::string_view utf8);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Three-way comparison of the folded texts (byte order of the folded UTF-8).
int CompareNoCase(std::string_view a, std::string_view b);

}  // namespace corv
