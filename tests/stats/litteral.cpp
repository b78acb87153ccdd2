#include <gtest/gtest.h>

#include "litteral.h"

#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>

#include <pugixml.hpp>

#include "data/dm.h"
#include "data/fonctions_bd.h"

namespace statstest {
namespace {

using corv::Composant;
using corv::TStatistiqueAchat;

void Ok(const pdx::Status& s) { EXPECT_TRUE(s.ok()) << s.ToString(); }

// Field values as the program reads them: a null reads 0 or "".
int Entier(const Composant& t, const char* champ) {
  pdx::Value v;
  EXPECT_TRUE(t.Valeur(t.NumeroChamp(champ), &v).ok());
  return v.blank ? 0 : static_cast<int>(v.i);
}
double Reel(const Composant& t, const char* champ) {
  pdx::Value v;
  EXPECT_TRUE(t.Valeur(t.NumeroChamp(champ), &v).ok());
  return v.blank ? 0 : v.d;
}
std::string Texte(const Composant& t, const char* champ) {
  pdx::Value v;
  EXPECT_TRUE(t.Valeur(t.NumeroChamp(champ), &v).ok());
  return v.blank ? "" : v.text;
}
bool Nul(const Composant& t, const char* champ) {
  pdx::Value v;
  EXPECT_TRUE(t.Valeur(t.NumeroChamp(champ), &v).ok());
  return v.blank;
}

double ValeurXml(const char* s) {
  std::string t(s);
  for (char& c : t)
    if (c == ',') c = '.';
  size_t a = t.find_first_not_of(" \t\r\n"), b = t.find_last_not_of(" \t\r\n");
  if (a == std::string::npos) return 0;
  t = t.substr(a, b - a + 1);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty() || t[0] == '-' ? (t.size() < 2 || !(std::isdigit(static_cast<unsigned char>(t[1])) || t[1] == '.'))
                               : !(std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '.'))
    return 0;
  char* fin = nullptr;
  double v = std::strtod(t.c_str(), &fin);
  return *fin == 0 ? v : 0;
}

double Eco(const Composant& ligne) {
  std::string xml = Texte(ligne, "Xml");
  if (xml.empty()) return 0;
  pugi::xml_document doc;
  if (!doc.load_string(xml.c_str())) return 0;
  pugi::xml_node trouve;
  // Depth first, document order, under the root.
  std::vector<pugi::xml_node> pile;
  for (pugi::xml_node c = doc.document_element().last_child(); c; c = c.previous_sibling()) pile.push_back(c);
  while (!pile.empty() && !trouve) {
    pugi::xml_node n = pile.back();
    pile.pop_back();
    if (n.type() == pugi::node_element && std::strcmp(n.name(), "Eco-Participation") == 0) {
      trouve = n;
      break;
    }
    for (pugi::xml_node c = n.last_child(); c; c = c.previous_sibling()) pile.push_back(c);
  }
  if (!trouve) return 0;
  double e = 0;
  e += trouve.child("PrixHTMobilier") ? ValeurXml(trouve.child("PrixHTMobilier").child_value()) : 0;
  e += trouve.child("PrixHTPMCB") ? ValeurXml(trouve.child("PrixHTPMCB").child_value()) : 0;
  e += trouve.child("PrixHTDEEE") ? ValeurXml(trouve.child("PrixHTDEEE").child_value()) : 0;
  return e;
}

bool Filtrer(Composant& t, corv::Dialogs& d, const std::vector<pdx::Value>& v) {
  bool nonVide = false;
  pdx::Status s = corv::FiltrerTable(t, d, v, &nonVide);
  EXPECT_TRUE(s.ok()) << s.ToString();
  return nonVide;
}

struct Agence {
  corv::TDM& dm;
  corv::Dialogs& dialogs;
  corv::Calcul calcul;
  corv::Periode periode;

  void Collecter(TStatistiqueAchat* a, corv::CarteFournisseurs* carte) {
    Composant& doc = dm["tblDocument"];
    Composant& doc2 = dm["mDocument"];
    Composant& lig = dm["tblLigne"];
    Composant& lig2 = dm["mLigne"];
    const bool achats = calcul != corv::Calcul::kAgences;
    if (!doc.FichierExiste()) return;
    if (achats && !lig.FichierExiste()) return;
    if (!corv::OuvrirTable(doc, dialogs).ok()) return;
    if (!corv::OuvrirTable(doc2, dialogs).ok()) {
      // The literal walk only reads: closing has nothing to write.
      doc.Fermer().IgnoreError();
      return;
    }
    if (achats && (!corv::OuvrirTable(lig, dialogs).ok() || !corv::OuvrirTable(lig2, dialogs).ok())) {
      doc.Fermer().IgnoreError(), doc2.Fermer().IgnoreError(), lig.Fermer().IgnoreError(), lig2.Fermer().IgnoreError();
      return;
    }
    std::set<std::string> incomplets;
    for (Ok(doc.Premier()); !doc.Fin(); Ok(doc.Suivant()))
      if (Nul(doc, "Type") || Nul(doc, "Num") || Nul(doc, "Ordre") || Nul(doc, "Date") || Nul(doc, "Etat"))
        incomplets.insert(Texte(doc, "Dossier"));
    for (Ok(doc.Premier()); !doc.Fin(); Ok(doc.Suivant())) {
      const std::string dossier = Texte(doc, "Dossier");
      if (incomplets.count(dossier)) continue;
      const int type = Entier(doc, "Type"), num = Entier(doc, "Num"), ordre = Entier(doc, "Ordre"),
                etat = Entier(doc, "Etat");
      const double totalVente = Reel(doc, "TotalVente");
      double date = Reel(doc, "Date");
      if (date == 0 && type == 2 && etat >= 0) {
        if (Filtrer(doc2, dialogs, {pdx::Value::Text(dossier), pdx::Value::Int(1)}))
          for (; !doc2.Fin(); Ok(doc2.Suivant()))
            if (Entier(doc2, "Ordre") == num) {
              date = Reel(doc2, "Date");
              if (date != 0) break;
            }
      }
      if (!((periode.debut == 0 || date >= periode.debut) && (periode.fin == 0 || date <= periode.fin))) continue;
      if (!achats) {
        if (type == 0 && totalVente != 0) {
          a->AjouterNbDevis(1);
          a->AjouterTotalDevis(totalVente);
        } else if (type == 2 && etat >= 0) {
          a->AjouterNbCommandes(1);
          a->AjouterTotalCommande(totalVente);
          if (Filtrer(doc2, dialogs, {pdx::Value::Text(dossier), pdx::Value::Int(3)}))
            for (; !doc2.Fin(); Ok(doc2.Suivant()))
              if (Entier(doc2, "Ordre") == num) a->AjouterTotalCommande(Reel(doc2, "TotalVente"));
        }
        continue;
      }
      if (type == 0 && totalVente != 0) {
        a->AjouterNbDevis(1);
        a->AjouterTotalDevis(totalVente);
        std::set<std::string> vus;
        if (Filtrer(lig, dialogs, {pdx::Value::Text(dossier), pdx::Value::Int(0)}))
          for (; !lig.Fin(); Ok(lig.Suivant())) {
            if (Entier(lig, "Type") != 1) continue;
            const std::string code = Texte(lig, "Fournisseur");
            TStatistiqueAchat& s = corv::Entree(*carte, code);
            if (vus.insert(code).second) s.AjouterNbDevis(1);
            s.AjouterTotalDevis(Reel(lig, "Vente"));
            if (Filtrer(lig2, dialogs, {pdx::Value::Text(dossier), pdx::Value::Int(Entier(lig, "Numero"))}))
              for (; !lig2.Fin(); Ok(lig2.Suivant())) s.AjouterTotalDevis(Reel(lig2, "Vente"));
          }
      } else if (type == 1 && totalVente != 0) {
        const std::string code = Texte(doc, "Fournisseur");
        TStatistiqueAchat& s = corv::Entree(*carte, code);
        s.AjouterNbCommandes(1);
        std::set<std::string> annexes;
        if (Filtrer(doc2, dialogs, {pdx::Value::Text(dossier), pdx::Value::Int(3)}))
          for (; !doc2.Fin(); Ok(doc2.Suivant()))
            if (Entier(doc2, "Ordre") == ordre) annexes.insert(std::to_string(Entier(doc2, "Num") + 300));
        if (Filtrer(lig, dialogs, {pdx::Value::Text(dossier), pdx::Value::Int(0)}))
          for (; !lig.Fin(); Ok(lig.Suivant())) {
            std::string typeTexte;
            EXPECT_TRUE(corv::LireChamp(lig, "Type", &typeTexte).ok());
            if (Texte(lig, "Fournisseur") != code) continue;
            if (Entier(lig, "Type") != ordre + 200 && !annexes.count(typeTexte)) continue;
            const double eco = Eco(lig);
            const int q = Entier(lig, "Quantite");
            const double achat = (Reel(lig, "Achat") + Reel(lig, "PrixNet") + eco) * q;
            const double vente = (Reel(lig, "Vente") + Reel(lig, "PrixNet") + eco) * q;
            for (TStatistiqueAchat* c : {a, &s}) {
              c->AjouterTotalAchat(achat);
              c->AjouterTotalCommande(vente);
              c->AjouterNbProduits(q);
            }
            if (Filtrer(lig2, dialogs, {pdx::Value::Text(dossier), pdx::Value::Int(Entier(lig, "Numero"))}))
              for (; !lig2.Fin(); Ok(lig2.Suivant())) {
                const double e2 = Eco(lig2);
                const int q2 = Entier(lig2, "Quantite");
                const double achat2 = (Reel(lig2, "Achat") + e2) * q * q2;
                const double vente2 = (Reel(lig2, "Vente") + e2) * q * q2;
                for (TStatistiqueAchat* c : {a, &s}) {
                  c->AjouterTotalAchat(achat2);
                  c->AjouterTotalCommande(vente2);
                }
              }
          }
      } else if (type == 2 && etat >= 0) {
        a->AjouterNbCommandes(1);
      }
    }
    doc.Fermer().IgnoreError(), doc2.Fermer().IgnoreError();
    if (achats) lig.Fermer().IgnoreError(), lig2.Fermer().IgnoreError();
  }
};

}  // namespace

void CalculLitteral(const corv::Session& session, corv::HostPaths& host, corv::Dialogs& dialogs, corv::Calcul calcul,
                    const corv::Periode& periode, corv::ResultatStatistiques* r) {
  *r = corv::ResultatStatistiques();
  r->calcul = calcul;
  r->periode = periode;
  corv::Session s(session);
  corv::TDM dm(s, host, dialogs);
  Composant& agence = dm["tblAgence"];
  ASSERT_TRUE(corv::OuvrirTable(agence, dialogs).ok());
  std::map<std::string, corv::CarteFournisseurs> parAgence;
  for (Ok(agence.Premier()); !agence.Fin(); Ok(agence.Suivant())) {
    const std::string code = Texte(agence, "Code"), nom = Texte(agence, "Nom"), rep = Texte(agence, "Repertoire");
    r->nomsAgences[code] = nom;
    if (rep.empty() || !host.DirExists(rep)) continue;
    ASSERT_TRUE(corv::ChangerRepertoireBase(s, corv::kAliasDossiers, "Dossiers", rep).ok());
    Agence a{dm, dialogs, calcul, periode};
    corv::StatAgence sa{code, nom, {}, {}};
    a.Collecter(&sa.stat, &sa.fournisseurs);
    if (calcul == corv::Calcul::kFournisseurs) {
      parAgence[code] = std::move(sa.fournisseurs);
      sa = corv::StatAgence{code, nom, {}, {}};
    } else {
      r->total.Ajouter(sa.stat);
    }
    r->agences.push_back(std::move(sa));
  }
  agence.Fermer().IgnoreError();
  if (calcul != corv::Calcul::kFournisseurs) return;
  std::map<std::string, corv::CarteAgences> regroupe;
  for (auto& [ag, carte] : parAgence)
    for (auto& [f, st] : carte) regroupe[f][ag] = st;
  for (auto& [f, carte] : regroupe) {
    corv::StatFournisseur sf;
    sf.code = f;
    for (auto& [ag, st] : carte) sf.stat.Ajouter(*st);
    sf.agences = carte;
    r->total.Ajouter(sf.stat);
    r->fournisseurs.push_back(std::move(sf));
  }
}

namespace {

std::string Decrire(const TStatistiqueAchat& s) {
  std::ostringstream o;
  o.precision(17);
  o << "{devis " << s.nbDevis() << " " << s.totalDevis() << ", commandes " << s.nbCommandes() << " "
    << s.totalCommande() << ", produits " << s.nbProduits() << ", achat " << s.totalAchat() << "}";
  return o.str();
}

::testing::AssertionResult MemesCartes(const std::string& ou, const std::map<std::string, corv::StatAchatPtr>& a,
                                       const std::map<std::string, corv::StatAchatPtr>& b) {
  if (a.size() != b.size())
    return ::testing::AssertionFailure() << ou << ": " << a.size() << " entries against " << b.size();
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
    if (i->first != j->first) return ::testing::AssertionFailure() << ou << ": key " << i->first << " against " << j->first;
    if (!(*i->second == *j->second))
      return ::testing::AssertionFailure() << ou << " [" << i->first << "]: " << Decrire(*i->second) << " against "
                                           << Decrire(*j->second);
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

::testing::AssertionResult MemesChiffres(const corv::ResultatStatistiques& a, const corv::ResultatStatistiques& b) {
  if (a.agences.size() != b.agences.size())
    return ::testing::AssertionFailure() << a.agences.size() << " agencies against " << b.agences.size();
  for (size_t i = 0; i < a.agences.size(); ++i) {
    const auto &x = a.agences[i], &y = b.agences[i];
    if (x.code != y.code || x.nom != y.nom)
      return ::testing::AssertionFailure() << "agency " << i << ": " << x.code << " against " << y.code;
    if (!(x.stat == y.stat))
      return ::testing::AssertionFailure() << "agency " << x.code << ": " << Decrire(x.stat) << " against "
                                           << Decrire(y.stat);
    auto m = MemesCartes("agency " + x.code, x.fournisseurs, y.fournisseurs);
    if (!m) return m;
  }
  if (a.fournisseurs.size() != b.fournisseurs.size())
    return ::testing::AssertionFailure() << a.fournisseurs.size() << " suppliers against " << b.fournisseurs.size();
  for (size_t i = 0; i < a.fournisseurs.size(); ++i) {
    const auto &x = a.fournisseurs[i], &y = b.fournisseurs[i];
    if (x.code != y.code) return ::testing::AssertionFailure() << "supplier " << x.code << " against " << y.code;
    if (!(x.stat == y.stat))
      return ::testing::AssertionFailure() << "supplier " << x.code << ": " << Decrire(x.stat) << " against "
                                           << Decrire(y.stat);
    auto m = MemesCartes("supplier " + x.code, x.agences, y.agences);
    if (!m) return m;
  }
  if (!(a.total == b.total))
    return ::testing::AssertionFailure() << "total: " << Decrire(a.total) << " against " << Decrire(b.total);
  return ::testing::AssertionSuccess();
}

}  // namespace statstest
