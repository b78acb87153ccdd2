#pragma once
// The eco-participation of a quote line, read from its "Xml" memo: the first
// element "Eco-Participation" anywhere under the root, the sum of its children
// "PrixHTMobilier", "PrixHTPMCB" and "PrixHTDEEE" (a missing one counts 0;
// "." or "," as the decimal separator). An empty memo, or one without the
// element, is 0 and is never parsed.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "paradox/codepage.h"

namespace corv {

inline constexpr std::string_view kEcoParticipation = "Eco-Participation";

// *illisible is set when the memo names the element but is not well-formed XML
// (the amount is then 0).
double EcoParticipation(std::string_view xml, bool* illisible = nullptr);
// The same on a text it may overwrite (parsed in place, without a copy).
double EcoParticipationSurPlace(std::string* xml, bool* illisible = nullptr);
// A decimal number with "." or "," as separator, blanks around it allowed; 0
// when the text is not one.
double NombreXml(std::string_view texte);

// Reads the memos of a scan one after another, keeping its buffers, straight
// from their stored bytes. The same amounts and the same verdict on a memo
// that is not well-formed as EcoParticipation on the memo's text.
// Most memos are in the plain form the quoting program writes: elements
// without attributes, text without entities, nothing else. Those are read by
// a scan of the bytes as they are stored (names and numbers are ASCII, which
// every code page keeps); any other construct, and any fault, goes to the
// XML parser after conversion to UTF-8, which then decides.
class LecteurEco {
 public:
  // brut: the memo's bytes in code page cp (null: they are UTF-8 already).
  double Lire(std::string_view brut, const pdx::CodePage* cp, bool* illisible);
  // Only the plain form: false (and nothing set) when the memo is not in it.
  bool LireSimple(std::string_view brut, double* total);

 private:
  struct Element {
    uint32_t parent;
    uint32_t nom, nomLong;      // in the memo
    uint32_t texte, texteLong;  // first text that is not only blanks
    bool aTexte;
  };
  std::vector<Element> elements_;
  std::vector<uint32_t> ouverts_;
  std::string utf8_;
};

}  // namespace corv
