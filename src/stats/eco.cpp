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

namespace {

bool Blanc(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool DebutNom(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':'; }
bool SuiteNom(char c) { return DebutNom(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

}  // namespace

bool LecteurEco::LireSimple(std::string_view x, double* total) {
  // Only what the parser reads the same way under any of its options is
  // taken: "<Nom>", "</Nom>", "<Nom/>" with ASCII names and nothing between
  // the name and the ">", text without "&", carriage return or NUL, one root
  // with only blanks (space, tab, line feed) around it. Anything else
  // (declaration, comment, CDATA, attribute, entity, a second root, text at
  // the top, a tag left open or closed by another name) is left to the parser.
  elements_.clear();
  ouverts_.clear();
  const size_t n = x.size();
  if (n >= UINT32_MAX) return false;
  bool racineFermee = false;
  size_t i = 0;
  while (i < n) {
    if (x[i] != '<') {
      const size_t debut = i;
      bool blancs = true;
      for (; i < n && x[i] != '<'; ++i) {
        const char c = x[i];
        if (c == '&' || c == '\r' || c == '\0') return false;
        if (!Blanc(c)) blancs = false;
      }
      if (ouverts_.empty()) {
        if (!blancs) return false;
      } else if (!blancs) {
        Element& e = elements_[ouverts_.back()];
        if (!e.aTexte) {
          e.aTexte = true;
          e.texte = static_cast<uint32_t>(debut);
          e.texteLong = static_cast<uint32_t>(i - debut);
        }
      }
      continue;
    }
    ++i;
    const bool fin = i < n && x[i] == '/';
    if (fin) ++i;
    if (i >= n || !DebutNom(x[i])) return false;
    const size_t nom = i;
    while (i < n && SuiteNom(x[i])) ++i;
    const size_t nomLong = i - nom;
    if (fin) {
      if (i >= n || x[i] != '>' || ouverts_.empty()) return false;
      const Element& e = elements_[ouverts_.back()];
      if (x.substr(e.nom, e.nomLong) != x.substr(nom, nomLong)) return false;
      ouverts_.pop_back();
      ++i;
      if (ouverts_.empty()) racineFermee = true;
      continue;
    }
    if (racineFermee) return false;
    bool vide = false;
    if (i < n && x[i] == '/') {
      vide = true;
      ++i;
    }
    if (i >= n || x[i] != '>') return false;
    ++i;
    const uint32_t parent = ouverts_.empty() ? UINT32_MAX : ouverts_.back();
    elements_.push_back(Element{parent, static_cast<uint32_t>(nom), static_cast<uint32_t>(nomLong), 0, 0, false});
    if (!vide) ouverts_.push_back(static_cast<uint32_t>(elements_.size() - 1));
    else if (ouverts_.empty()) racineFermee = true;
  }
  if (!ouverts_.empty() || elements_.empty()) return false;
  *total = 0;
  // The first "Eco-Participation" under the root in document order (the
  // root itself is not searched, as the parser's find_node does not).
  size_t eco = 0;
  for (size_t k = 1; k < elements_.size() && eco == 0; ++k)
    if (x.substr(elements_[k].nom, elements_[k].nomLong) == kEcoParticipation) eco = k;
  if (eco == 0) return true;
  for (std::string_view nomEnfant : {std::string_view("PrixHTMobilier"), std::string_view("PrixHTPMCB"),
                                     std::string_view("PrixHTDEEE")}) {
    for (size_t k = eco + 1; k < elements_.size(); ++k) {
      const Element& e = elements_[k];
      if (e.parent != eco || x.substr(e.nom, e.nomLong) != nomEnfant) continue;
      // As the parser's child_value: the first text, "" when there is none.
      *total += NombreXml(e.aTexte ? x.substr(e.texte, e.texteLong) : std::string_view());
      break;
    }
  }
  return true;
}

double LecteurEco::Lire(std::string_view brut, const pdx::CodePage* cp, bool* illisible) {
  if (illisible) *illisible = false;
  if (brut.empty() || brut.find(kEcoParticipation) == std::string_view::npos) return 0;
  double total = 0;
  if (LireSimple(brut, &total)) return total;
  utf8_.clear();
  if (cp) cp->Decode(brut.data(), brut.size(), &utf8_);
  else utf8_.assign(brut);
  return EcoParticipationSurPlace(&utf8_, illisible);
}

}  // namespace corv
