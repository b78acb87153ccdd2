#pragma once
// Table of the non-ASCII letters known to the collations (collation_letters.cpp).
#include <cstddef>
#include <cstdint>

namespace pdx {
namespace collation_internal {

// Accent classes, in the order accented letters sort after the plain letter.
enum Accent : uint8_t {
  kNoAccent = 0, kAcute, kGrave, kCircumflex, kDiaeresis, kTilde, kRing, kCedilla, kCaron,
  kMacron, kBreve, kOgonek, kDotAbove, kDoubleAcute, kStroke, kLigature, kOtherAccent,
};

// Primary weights of Cyrillic letters start here (after every Latin letter and
// ASCII sign); a Latin letter's base is its uppercase ASCII letter.
constexpr uint16_t kCyrillicBase = 0x800;

struct LetterInfo {
  char32_t code;
  uint16_t base1;   // first letter sorted as: 'A'..'Z', or a Cyrillic weight
  uint16_t base2;   // second letter of a ligature (e.g. 'E' of AE), else 0
  uint8_t accent;   // Accent
  uint8_t upper;    // 1 for an uppercase letter
  char32_t upcase;  // uppercase form, 0 = itself / none
};

extern const LetterInfo kLetters[];
extern const size_t kLetterCount;

}  // namespace collation_internal
}  // namespace pdx
