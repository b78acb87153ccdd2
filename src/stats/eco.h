#pragma once
// The eco-participation of a quote line, read from its "Xml" memo: the first
// element "Eco-Participation" anywhere under the root, the sum of its children
// "PrixHTMobilier", "PrixHTPMCB" and "PrixHTDEEE" (a missing one counts 0;
// "." or "," as the decimal separator). An empty memo, or one without the
// element, is 0 and is never parsed.
#include <string>
#include <string_view>

namespace corv {

inline constexpr std::string_view kEcoParticipation = "Eco-Participation";

// *illisible is set when the memo names the element but is not well-formed XML
// (the amount is then 0).
double EcoParticipation(std::string_view xml, bool* illisible = nullptr);
// A decimal number with "." or "," as separator, blanks around it allowed; 0
// when the text is not one.
double NombreXml(std::string_view texte);

}  // namespace corv
