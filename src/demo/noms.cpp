#include "demo/noms.h"

#include <cstdio>
#include <vector>

namespace corv::demo {
namespace {

const std::vector<Ville>& Villes() {
  static const std::vector<Ville> v = {
      {"Lyon", "69003", "04"},         {"Marseille", "13008", "04"},   {"Nantes", "44000", "02"},
      {"Bordeaux", "33000", "05"},     {"Lille", "59000", "03"},       {"Toulouse", "31000", "05"},
      {"Rennes", "35000", "02"},       {"Strasbourg", "67000", "03"},  {"Montpellier", "34000", "04"},
      {"Dijon", "21000", "03"},        {"Angers", "49000", "02"},      {"Grenoble", "38000", "04"},
      {"Reims", "51100", "03"},        {"Orléans", "45000", "02"},     {"Tours", "37000", "02"},
      {"Limoges", "87000", "05"},      {"Clermont-Ferrand", "63000", "04"}, {"Besançon", "25000", "03"},
      {"Nîmes", "30000", "04"},        {"Le Mans", "72000", "02"},     {"Amiens", "80000", "03"},
      {"Metz", "57000", "03"},         {"Perpignan", "66000", "04"},   {"Caen", "14000", "02"},
      {"Rouen", "76000", "02"},        {"Nancy", "54000", "03"},       {"Poitiers", "86000", "05"},
      {"Pau", "64000", "05"},          {"La Rochelle", "17000", "05"}, {"Brest", "29200", "02"},
      {"Annecy", "74000", "04"},       {"Valence", "26000", "04"},     {"Chambéry", "73000", "04"},
      {"Troyes", "10000", "03"},       {"Niort", "79000", "05"},       {"Quimper", "29000", "02"},
      {"Colmar", "68000", "03"},       {"Agen", "47000", "05"},        {"Béziers", "34500", "04"},
      {"Saint-Étienne", "42000", "04"}, {"Vannes", "56000", "02"},     {"Angoulême", "16000", "05"},
      {"Châteauroux", "36000", "02"},  {"Évreux", "27000", "02"},      {"Mâcon", "71000", "03"},
      {"Arras", "62000", "03"},        {"Bayonne", "64100", "05"},     {"Laval", "53000", "02"},
      {"Périgueux", "24000", "05"},    {"Épinal", "88000", "03"},      {"Albi", "81000", "05"},
      {"Auxerre", "89000", "03"},      {"Vichy", "03200", "04"},       {"Cholet", "49300", "02"},
  };
  return v;
}

const std::vector<std::string>& Noms() {
  static const std::vector<std::string> v = {
      "Martin", "Bernard", "Dubois", "Thomas", "Robert", "Richard", "Petit", "Durand", "Leroy", "Moreau",
      "Simon", "Laurent", "Lefèvre", "Michel", "Garcia", "David", "Bertrand", "Roux", "Vincent", "Fournier",
      "Morel", "Girard", "André", "Lefebvre", "Mercier", "Dupont", "Lambert", "Bonnet", "François", "Martinez",
      "Legrand", "Garnier", "Faure", "Rousseau", "Blanc", "Guérin", "Muller", "Henry", "Roussel", "Nicolas",
      "Perrin", "Morin", "Mathieu", "Clément", "Gauthier", "Dumont", "Lopez", "Fontaine", "Chevalier", "Robin",
      "Masson", "Sanchez", "Gérard", "Nguyen", "Boyer", "Denis", "Lemaire", "Duval", "Joly", "Gautier",
      "Roger", "Roche", "Roy", "Noël", "Meyer", "Lucas", "Meunier", "Jean", "Pérez", "Marchand",
      "Dufour", "Blanchard", "Barbier", "Brun", "Dumas", "Brunet", "Schmitt", "Leroux", "Colin", "Fernandez",
  };
  return v;
}

const std::vector<std::string>& Prenoms() {
  static const std::vector<std::string> v = {
      "Jean", "Marie", "Pierre", "Françoise", "Michel", "Monique", "André", "Catherine", "Philippe", "Nathalie",
      "Alain", "Isabelle", "Jacques", "Sylvie", "Bernard", "Martine", "Éric", "Christine", "Daniel", "Sophie",
      "Hélène", "Stéphane", "Valérie", "Frédéric", "Céline", "Jérôme", "Agnès", "Benoît", "Chloé", "Gaëlle",
      "Léa", "Hugo", "Théo", "Zoé", "Maël", "Noémie", "Raphaël", "Inès", "Loïc", "Anaïs",
  };
  return v;
}

const std::vector<std::string>& Voies() {
  static const std::vector<std::string> v = {"rue", "avenue", "boulevard", "impasse", "allée", "chemin", "place",
                                             "route", "quai"};
  return v;
}

const std::vector<std::string>& NomsDeVoie() {
  static const std::vector<std::string> v = {
      "des Tilleuls", "Victor Hugo", "de la République", "Jean Jaurès", "du Général de Gaulle", "Pasteur",
      "des Écoles", "de la Gare", "du Moulin", "des Lilas", "de l'Église", "du Château", "Voltaire",
      "des Acacias", "de Verdun", "Gambetta", "du Stade", "des Peupliers", "Émile Zola", "de la Forêt",
      "du Marché", "Jules Ferry", "des Vignes", "Sainte-Anne", "de la Fontaine", "des Prés",
  };
  return v;
}

const std::vector<std::string>& Activites() {
  static const std::vector<std::string> v = {
      "Menuiseries", "Fermetures", "Charpentes", "Bâtiment", "Rénovation", "Habitat", "Constructions",
      "Agencement", "Vérandas", "Couverture", "Isolation", "Serrurerie",
  };
  return v;
}

const std::vector<std::string>& Suffixes() {
  static const std::vector<std::string> v = {"et Fils", "SARL", "SA", "& Associés", "Frères", "EURL", "SAS",
                                             "Père et Fils"};
  return v;
}

// Appends the UTF-8 sequence starting at s[i] folded to ASCII letters, if it is a letter.
void AjouterLettre(const std::string& s, size_t* i, bool majuscules, std::string* out) {
  unsigned char c = static_cast<unsigned char>(s[*i]);
  if (c < 0x80) {
    ++*i;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      char x = static_cast<char>(c);
      if (majuscules && x >= 'a') x = static_cast<char>(x - 'a' + 'A');
      if (!majuscules && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
      out->push_back(x);
    }
    return;
  }
  // Two-byte Latin-1 letters: map accented vowels and c-cedilla to their base.
  if ((c & 0xE0) == 0xC0 && *i + 1 < s.size()) {
    unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[*i + 1]) & 0x3Fu);
    *i += 2;
    static const char* kBase = "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTsaaaaaaaceeeeiiiidnooooo/ouuuuyty";
    if (cp >= 0xC0 && cp <= 0xFF) {
      char x = kBase[cp - 0xC0];
      if (x == 'x' || x == '/' ) return;
      if (majuscules && x >= 'a') x = static_cast<char>(x - 'a' + 'A');
      if (!majuscules && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
      out->push_back(x);
    }
    return;
  }
  ++*i;
  while (*i < s.size() && (static_cast<unsigned char>(s[*i]) & 0xC0) == 0x80) ++*i;
}

std::string Deux(int n) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", n % 100);
  return b;
}

}  // namespace

const Ville& VilleAuHasard(Alea& a) { return Villes()[a.Suivant() % Villes().size()]; }
const Ville& VilleNumero(int i) { return Villes()[static_cast<size_t>(i) % Villes().size()]; }
int NombreVilles() { return static_cast<int>(Villes().size()); }

std::string Nom(Alea& a) { return a.Parmi(Noms()); }
std::string Prenom(Alea& a) { return a.Parmi(Prenoms()); }

std::string RaisonSociale(Alea& a) {
  std::string s = a.Parmi(Activites()) + " " + a.Parmi(Noms());
  if (a.Chance(0.6)) s += " " + a.Parmi(Suffixes());
  return s;
}

std::string Rue(Alea& a) {
  std::string s;
  if (a.Chance(0.85)) s = std::to_string(a.Entre(1, 180)) + (a.Chance(0.1) ? " bis " : " ");
  return s + a.Parmi(Voies()) + " " + a.Parmi(NomsDeVoie());
}

std::string Telephone(Alea& a, const Ville& v) {
  return std::string(v.indicatif) + " " + Deux(a.Entre(10, 99)) + " " + Deux(a.Entre(0, 99)) + " " +
         Deux(a.Entre(0, 99)) + " " + Deux(a.Entre(0, 99));
}

std::string Portable(Alea& a) {
  return std::string(a.Chance(0.7) ? "06" : "07") + " " + Deux(a.Entre(10, 99)) + " " + Deux(a.Entre(0, 99)) +
         " " + Deux(a.Entre(0, 99)) + " " + Deux(a.Entre(0, 99));
}

std::string Mail(const std::string& local, const std::string& domaine) { return local + "@" + domaine; }

std::string CodeDepuis(const std::string& s, size_t longueur) {
  std::string out;
  for (size_t i = 0; i < s.size() && out.size() < longueur;) AjouterLettre(s, &i, true, &out);
  return out;
}

std::string Minuscules(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size();) AjouterLettre(s, &i, false, &out);
  return out;
}

}  // namespace corv::demo
