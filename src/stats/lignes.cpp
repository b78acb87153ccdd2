#include "stats/lignes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "util/text.h"

namespace corv {
namespace {

const std::string kEspaceInsecable = "\xC2\xA0";

// A ratio, "0" when its denominator is zero.
std::string Ratio(double numerateur, double denominateur) {
  if (denominateur == 0) return "0";
  return FormatMontant(numerateur / denominateur);
}

std::string TauxNombre(const TStatistiqueGlobale& s, bool entier) {
  const int64_t den = static_cast<int64_t>(s.nbCommandes()) + s.nbDevis();
  if (den == 0) return "0";
  // The supplier list keeps the integer quotient (33, not 33.33).
  if (entier) return FormatMontant(static_cast<double>(static_cast<int64_t>(s.nbCommandes()) * 100 / den));
  return FormatMontant(static_cast<double>(s.nbCommandes()) * 100 / static_cast<double>(den));
}

std::string TauxMontant(const TStatistiqueGlobale& s) {
  return Ratio(s.totalCommande() * 100, s.totalDevis() + s.totalCommande());
}

std::string CoefMarge(const TStatistiqueAchat& s) {
  if (s.totalAchat() == 0) return "0";
  return FormatMontant((s.totalCommande() / s.totalAchat() - 1) * 100);
}

std::vector<std::string> CellulesAgence(const TStatistiqueGlobale& s) {
  return {FormatEntier(s.nbDevis()),      FormatMontant(s.totalDevis()), FormatEntier(s.nbCommandes()),
          FormatMontant(s.totalCommande()), TauxNombre(s, false),        TauxMontant(s)};
}

// The five columns shared by the main purchase lists and their details.
std::vector<std::string> CellulesProduits(const TStatistiqueAchat& s) {
  return {FormatEntier(s.nbProduits()), FormatMontant(s.totalCommande()), FormatMontant(s.totalAchat()),
          CoefMarge(s), FormatMontant(s.totalCommande() - s.totalAchat())};
}

std::vector<std::string> CellulesAchat(const TStatistiqueAchat& s, bool entier) {
  std::vector<std::string> c = CellulesProduits(s);
  c.push_back(TauxNombre(s, entier));
  c.push_back(FormatEntier(s.nbCommandes()));
  c.push_back(FormatMontant(s.totalDevis()));
  c.push_back(TauxMontant(s));
  return c;
}

LigneStat Total(std::vector<std::string> cellules) {
  LigneStat t;
  t.libelle = kLibelleTotal;
  t.cellules = std::move(cellules);
  t.total = true;
  return t;
}

}  // namespace

const std::vector<std::string>& ColonnesAgences() {
  static const std::vector<std::string> k = {"Agence",
                                             "Nb devis",
                                             "Total devis HT (€)",
                                             "Nb commandes",
                                             "Total commande HT (€)",
                                             "% Transfo (nombre)",
                                             "% Transfo (montant)"};
  return k;
}

const std::vector<std::string>& ColonnesAchats(bool parFournisseur) {
  static const std::vector<std::string> suite = {"Nb produits vendus",
                                                 "Total produits vendus HT (€)",
                                                 "Total achat produits vendus HT (€)",
                                                 "Coef de marge (%)",
                                                 "Marge brut (€)",
                                                 "% Transfo nb devis/commandes",
                                                 "Nb commande passées",
                                                 "Montant des devis (€)",
                                                 "% Transfo montant devis/commande"};
  static const std::vector<std::string> agences = [] {
    std::vector<std::string> v = {"Agence"};
    v.insert(v.end(), suite.begin(), suite.end());
    return v;
  }();
  static const std::vector<std::string> fournisseurs = [] {
    std::vector<std::string> v = {"Fournisseur"};
    v.insert(v.end(), suite.begin(), suite.end());
    return v;
  }();
  return parFournisseur ? fournisseurs : agences;
}

const std::vector<std::string>& ColonnesDetail(bool parFournisseur) {
  // The supplier list's details are agencies, the purchase list's suppliers.
  static const std::vector<std::string> fournisseurs = [] {
    std::vector<std::string> v = {"Fournisseur"};
    const auto& a = ColonnesAchats(false);
    v.insert(v.end(), a.begin() + 1, a.begin() + 6);
    return v;
  }();
  static const std::vector<std::string> agences = [] {
    std::vector<std::string> v = {"Agence"};
    const auto& a = ColonnesAchats(false);
    v.insert(v.end(), a.begin() + 1, a.begin() + 6);
    return v;
  }();
  return parFournisseur ? agences : fournisseurs;
}

std::string FormatEntier(int64_t n) { return std::to_string(n); }

std::string FormatMontant(double x) {
  if (!std::isfinite(x)) return x != x ? "NAN" : (x < 0 ? "-INF" : "INF");
  // 15 significant digits first, then two decimals rounded on those digits
  // (half away from zero), as the program's float formatting does.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(x));
  std::string chiffres;
  chiffres.push_back(buf[0]);
  chiffres.append(buf + 2, 14);
  int exposant = std::atoi(buf + 17);
  if (x == 0) exposant = 0, chiffres.assign(15, '0');
  // chiffres = d1..d15, value = d1.d2...d15 x 10^exposant.
  const int garder = exposant + 1 + 2;  // digits up to the hundredths
  std::string d;
  if (garder <= 0) {
    // Below a thousandth of the hundredths: rounds to 0, or 0.01 at a half.
    d = (garder == 0 && chiffres[0] >= '5') ? "1" : "0";
    exposant = -2;
  } else if (garder < 15) {
    d = chiffres.substr(0, static_cast<size_t>(garder));
    if (chiffres[static_cast<size_t>(garder)] >= '5') {
      int i = static_cast<int>(d.size()) - 1;
      while (i >= 0 && d[static_cast<size_t>(i)] == '9') d[static_cast<size_t>(i--)] = '0';
      if (i < 0) {
        d.insert(d.begin(), '1');
        ++exposant;
      } else {
        ++d[static_cast<size_t>(i)];
      }
    }
  } else {
    d = chiffres;
    d.append(static_cast<size_t>(garder - 15), '0');
  }
  // d holds the digits from the leading one to the hundredths.
  const int entiers = exposant + 1;
  std::string partieEntiere, decimales;
  if (entiers <= 0) {
    partieEntiere = "0";
    decimales = std::string(static_cast<size_t>(2 - static_cast<int>(d.size())), '0') + d;
  } else {
    partieEntiere = d.substr(0, static_cast<size_t>(entiers));
    decimales = d.substr(static_cast<size_t>(entiers));
  }
  decimales.resize(2, '0');
  std::string groupe;
  const size_t n = partieEntiere.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) groupe += kEspaceInsecable;
    groupe.push_back(partieEntiere[i]);
  }
  const bool nul = partieEntiere.find_first_not_of('0') == std::string::npos &&
                   decimales.find_first_not_of('0') == std::string::npos;
  return (x < 0 && !nul ? "-" : "") + groupe + "," + decimales;
}

double ValeurCellule(const std::string& cellule) {
  std::string s;
  for (size_t i = 0; i < cellule.size(); ++i) {
    if (cellule[i] == ' ') continue;
    if (cellule.compare(i, 2, kEspaceInsecable) == 0) {
      ++i;
      continue;
    }
    s.push_back(cellule[i] == ',' ? '.' : cellule[i]);
  }
  double v = 0;
  const char* debut = s.data();
  if (!s.empty() && s[0] == '+') ++debut;
  auto [fin, ec] = std::from_chars(debut, s.data() + s.size(), v);
  if (ec != std::errc() || fin != s.data() + s.size()) return 0;
  return v;
}

int ComparerLignes(const LigneStat& a, const LigneStat& b, int colonne) {
  if (colonne <= 0) {
    // The total row is captioned as if it were 28 letters Z, so it sorts last.
    static const std::string kZ(28, 'Z');
    const std::string& x = a.libelle == kLibelleTotal ? kZ : a.libelle;
    const std::string& y = b.libelle == kLibelleTotal ? kZ : b.libelle;
    return CompareNoCase(x, y);
  }
  const size_t c = static_cast<size_t>(colonne - 1);
  const double x = c < a.cellules.size() ? ValeurCellule(a.cellules[c]) : 0;
  const double y = c < b.cellules.size() ? ValeurCellule(b.cellules[c]) : 0;
  // Decreasing value.
  return x > y ? -1 : (x < y ? 1 : 0);
}

void TrierLignes(std::vector<LigneStat>* lignes, int colonne) {
  std::stable_sort(lignes->begin(), lignes->end(),
                   [colonne](const LigneStat& a, const LigneStat& b) { return ComparerLignes(a, b, colonne) < 0; });
}

void ListeStat::Trier(int colonne) {
  if (colonne < 0 || static_cast<size_t>(colonne) >= colonnes.size()) return;
  colonneTri = colonne;
  TrierLignes(&lignes, colonne);
}

std::vector<LigneStat> ListeStat::Details(size_t i) const {
  if (i >= lignes.size() || lignes[i].total || colonnesDetail.empty()) return {};
  std::vector<LigneStat> d = lignes[i].details;
  if (colonneTriDetail >= 0 && static_cast<size_t>(colonneTriDetail) < colonnesDetail.size())
    TrierLignes(&d, colonneTriDetail);
  return d;
}

std::string ListeStat::LegendeDetail(size_t i) const {
  std::string base = calcul == Calcul::kFournisseurs ? "Détail du fournisseur" : "Détail des achats de l'agence";
  if (calcul == Calcul::kAgences) return "";
  if (i >= lignes.size() || lignes[i].total) return base;
  return base + " " + lignes[i].libelle;
}

std::string LibelleFournisseur(const ResultatStatistiques& r, const std::string& code) {
  auto it = r.nomsFournisseurs.find(code);
  return it != r.nomsFournisseurs.end() ? it->second : "[" + code + "]";
}

std::string LibelleAgence(const ResultatStatistiques& r, const std::string& code) {
  auto it = r.nomsAgences.find(code);
  return it != r.nomsAgences.end() ? it->second : code;
}

ListeStat ListeDesAgences(const ResultatStatistiques& r) {
  ListeStat l;
  l.calcul = Calcul::kAgences;
  l.periode = r.periode;
  l.colonnes = ColonnesAgences();
  for (const StatAgence& a : r.agences) l.lignes.push_back({a.nom, CellulesAgence(a.stat), false, {}});
  l.lignes.push_back(Total(CellulesAgence(r.total)));
  l.Trier();
  return l;
}

ListeStat ListeDesAchats(const ResultatStatistiques& r) {
  ListeStat l;
  l.calcul = Calcul::kAchats;
  l.periode = r.periode;
  l.colonnes = ColonnesAchats(false);
  l.colonnesDetail = ColonnesDetail(false);
  for (const StatAgence& a : r.agences) {
    LigneStat ligne{a.nom, CellulesAchat(a.stat, false), false, {}};
    for (const auto& [code, stat] : a.fournisseurs)
      ligne.details.push_back({LibelleFournisseur(r, code), CellulesProduits(*stat), false, {}});
    l.lignes.push_back(std::move(ligne));
  }
  l.lignes.push_back(Total(CellulesAchat(r.total, false)));
  l.Trier();
  return l;
}

ListeStat ListeDesFournisseurs(const ResultatStatistiques& r) {
  ListeStat l;
  l.calcul = Calcul::kFournisseurs;
  l.periode = r.periode;
  l.colonnes = ColonnesAchats(true);
  l.colonnesDetail = ColonnesDetail(true);
  for (const StatFournisseur& f : r.fournisseurs) {
    LigneStat ligne{LibelleFournisseur(r, f.code), CellulesAchat(f.stat, true), false, {}};
    for (const auto& [code, stat] : f.agences)
      ligne.details.push_back({LibelleAgence(r, code), CellulesProduits(*stat), false, {}});
    l.lignes.push_back(std::move(ligne));
  }
  l.lignes.push_back(Total(CellulesAchat(r.total, true)));
  l.Trier();
  return l;
}

ListeStat ListePour(const ResultatStatistiques& r) {
  switch (r.calcul) {
    case Calcul::kAchats:
      return ListeDesAchats(r);
    case Calcul::kFournisseurs:
      return ListeDesFournisseurs(r);
    default:
      return ListeDesAgences(r);
  }
}

}  // namespace corv
