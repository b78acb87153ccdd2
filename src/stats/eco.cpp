#include "stats/eco.h"

#include <charconv>
#include <cstring>

#include <pugixml.hpp>

namespace corv {

double NombreXml(std::string_view texte) {
  size_t a = 0, b = texte.size();
  while (a < b && std::strchr(" \t\r\n", texte[a])) ++a;
  while (b > a && std::strchr(" \t\r\n", texte[b - 1])) --b;
  std::string s(texte.substr(a, b - a));
  for (char& c : s)
    if (c == ',') c = '.';
  const char* debut = s.data();
  if (!s.empty() && s[0] == '+') ++debut;
  double v = 0;
  auto [fin, ec] = std::from_chars(debut, s.data() + s.size(), v);
  if (ec != std::errc() || fin != s.data() + s.size() || s.empty()) return 0;
  return v;
}

double EcoParticipation(std::string_view xml, bool* illisible) {
  if (illisible) *illisible = false;
  if (xml.empty() || xml.find(kEcoParticipation) == std::string_view::npos) return 0;
  pugi::xml_document doc;
  pugi::xml_parse_result r = doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!r) {
    if (illisible) *illisible = true;
    return 0;
  }
  pugi::xml_node eco = doc.document_element().find_node([](const pugi::xml_node& n) {
    return n.type() == pugi::node_element && std::strcmp(n.name(), "Eco-Participation") == 0;
  });
  if (!eco) return 0;
  double total = 0;
  for (const char* nom : {"PrixHTMobilier", "PrixHTPMCB", "PrixHTDEEE"}) {
    pugi::xml_node c = eco.child(nom);
    if (c) total += NombreXml(c.child_value());
  }
  return total;
}

}  // namespace corv
