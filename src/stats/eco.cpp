#include "stats/eco.h"

#include <charconv>
#include <cstring>

#include <pugixml.hpp>

namespace corv {

double NombreXml(std::string_view texte) {
  size_t a = 0, b = texte.size();
  while (a < b && std::strchr(" \t\r\n", texte[a])) ++a;
  while (b > a && std::strchr(" \t\r\n", texte[b - 1])) --b;
  // A copy with "," made ".": on the stack for any number's length.
  char local[64] = {};
  std::string grand;
  char* s = local;
  const size_t n = b - a;
  if (n > sizeof local) {
    grand.assign(texte.substr(a, n));
    s = grand.data();
  } else if (n > 0) {
    std::memcpy(s, texte.data() + a, n);
  }
  for (size_t i = 0; i < n; ++i)
    if (s[i] == ',') s[i] = '.';
  const char* debut = s;
  if (n > 0 && s[0] == '+') ++debut;
  double v = 0;
  auto [fin, ec] = std::from_chars(debut, s + n, v);
  if (ec != std::errc() || fin != s + n || n == 0) return 0;
  return v;
}

namespace {

double Analyser(char* xml, size_t n, bool* illisible) {
  pugi::xml_document doc;
  pugi::xml_parse_result r = doc.load_buffer_inplace(xml, n, pugi::parse_default, pugi::encoding_utf8);
  if (!r) {
    if (illisible) *illisible = true;
    return 0;
  }
  pugi::xml_node eco = doc.document_element().find_node([](const pugi::xml_node& x) {
    return x.type() == pugi::node_element && std::strcmp(x.name(), "Eco-Participation") == 0;
  });
  if (!eco) return 0;
  double total = 0;
  for (const char* nom : {"PrixHTMobilier", "PrixHTPMCB", "PrixHTDEEE"}) {
    pugi::xml_node c = eco.child(nom);
    if (c) total += NombreXml(c.child_value());
  }
  return total;
}

}  // namespace

double EcoParticipationSurPlace(std::string* xml, bool* illisible) {
  if (illisible) *illisible = false;
  // Most memos do not hold the element: a plain search spares them the parser.
  if (xml->empty() || xml->find(kEcoParticipation) == std::string::npos) return 0;
  return Analyser(xml->data(), xml->size(), illisible);
}

double EcoParticipation(std::string_view xml, bool* illisible) {
  std::string copie(xml);
  return EcoParticipationSurPlace(&copie, illisible);
}

}  // namespace corv
