#include "catalogue/selection_produits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "data/dm.h"
#include "installation.h"

namespace corv {
namespace {

using cattest::Installation;
using cattest::LireTable;
using cattest::Texte;

std::vector<std::string> Codes(const std::vector<ElementSelection>& l) {
  std::vector<std::string> out;
  for (const auto& e : l) out.push_back(e.code);
  return out;
}

bool Contient(const std::vector<std::string>& v, const std::string& x) {
  return std::find(v.begin(), v.end(), x) != v.end();
}

TEST(DocumentSelection, TicksBuildTheDocumentAndUntickingFamilyDropsItsModels) {
  DocumentSelection d;
  std::string erreur;
  ASSERT_TRUE(d.Charger("", &erreur));
  EXPECT_EQ(d.Texte(), "");
  EXPECT_FALSE(d.FamilleCochee("FE"));

  // A model of an unticked family brings its family along.
  d.CocherModele("FE", "A1", true);
  EXPECT_TRUE(d.FamilleCochee("FE"));
  EXPECT_TRUE(d.ModeleCoche("FE", "A1"));
  d.CocherModele("FE", "B2", true);
  d.CocherModele("FE", "A1", true);  // twice: still one element
  d.CocherFamille("VR", true);
  EXPECT_EQ(d.Texte(), "<QvrMajProduits><FAMILLES><FE><A1/><B2/></FE><VR/></FAMILLES></QvrMajProduits>");

  // Unticking a model keeps its family.
  d.CocherModele("FE", "A1", false);
  EXPECT_TRUE(d.FamilleCochee("FE"));
  EXPECT_FALSE(d.ModeleCoche("FE", "A1"));
  // Unticking a family removes it with its models.
  d.CocherFamille("FE", false);
  EXPECT_EQ(d.Texte(), "<QvrMajProduits><FAMILLES><VR/></FAMILLES></QvrMajProduits>");
  d.CocherFamille("VR", false);
  EXPECT_EQ(d.Texte(), "") << "nothing ticked closes with an empty text";
}

TEST(DocumentSelection, ReadsTextWrittenElsewhere) {
  DocumentSelection d;
  std::string erreur;
  // The demo's form, with a declaration, spacing and a family named twice.
  ASSERT_TRUE(d.Charger("<?xml version=\"1.0\"?>\n<QvrMajProduits>\n <FAMILLES>\n  <FE><A1/></FE>\n  <PE/>\n  <FE/>\n"
                        " </FAMILLES>\n</QvrMajProduits>\n",
                        &erreur))
      << erreur;
  EXPECT_TRUE(d.ModeleCoche("FE", "A1"));
  EXPECT_TRUE(d.FamilleCochee("PE"));
  EXPECT_EQ(d.Familles(), (std::vector<std::string>{"FE", "PE", "FE"}));
  d.CocherFamille("FE", false);
  EXPECT_FALSE(d.FamilleCochee("FE"));
  EXPECT_EQ(d.Familles(), (std::vector<std::string>{"PE"}));

  // A document without "FAMILLES" gets one; an empty one closes as "".
  ASSERT_TRUE(d.Charger("<QvrMajProduits/>", &erreur));
  EXPECT_EQ(d.Texte(), "");
  d.CocherFamille("PE", true);
  EXPECT_EQ(d.Texte(), "<QvrMajProduits><FAMILLES><PE/></FAMILLES></QvrMajProduits>");

  EXPECT_FALSE(d.Charger("<QvrMajProduits><FAMILLES><FE>", &erreur));
  EXPECT_FALSE(erreur.empty());
  EXPECT_EQ(d.Texte(), "");
}

TEST(DocumentSelection, ElementNames) {
  EXPECT_TRUE(NomElementValide("FE"));
  EXPECT_TRUE(NomElementValide("A1"));
  EXPECT_TRUE(NomElementValide("_1"));
  EXPECT_TRUE(NomElementValide("Éa"));
  EXPECT_FALSE(NomElementValide(""));
  EXPECT_FALSE(NomElementValide("01"));
  EXPECT_FALSE(NomElementValide("A "));
  EXPECT_FALSE(NomElementValide("A<"));
  EXPECT_FALSE(NomElementValide("-A"));
}

// Families of group 1 in the order of "Ordre" and the suppliers' price rows,
// read straight from the demo's files.
struct Catalogue {
  std::vector<std::string> familles;                          // group 1, by Index
  std::map<std::string, std::set<std::string>> tarif;         // supplier -> families with a product
  std::map<std::string, std::set<std::string>> tarifModeles;  // supplier+family -> models
};

Catalogue LireCatalogue(const Installation& inst) {
  Catalogue c;
  std::vector<std::pair<long long, std::string>> fam;
  for (const auto& r : LireTable(inst.Tarifs(), "FAMILLE.DB"))
    if (r[0].i == 1) fam.push_back({r[4].i, r[1].text});
  std::sort(fam.begin(), fam.end());
  for (const auto& f : fam) c.familles.push_back(f.second);
  for (const auto& r : LireTable(inst.Tarifs(), "TARIF.DB"))
    if (r[0].i == 1) {
      c.tarif[r[3].text].insert(r[1].text);
      c.tarifModeles[r[3].text + r[1].text].insert(r[2].text);
    }
  return c;
}

TEST(SelectionProduits, FamilyListFollowsTheSupplierAndNeverShowsVZAndQWForGX) {
  Installation inst;
  Catalogue cat = LireCatalogue(inst);
  // The demo prices VZ and QW for GX: only the rule keeps them out.
  ASSERT_TRUE(cat.tarif["GX"].count("VZ") && cat.tarif["GX"].count("QW"));

  SelectionProduits sel(inst.dm(), inst.dialogs(), "<QvrMajProduits><FAMILLES><FE><A1/></FE></FAMILLES></QvrMajProduits>");
  sel.DefinirFournisseur("GX");
  std::vector<ElementSelection> l;
  ASSERT_TRUE(sel.Familles(&l).ok());
  std::vector<std::string> attendu;
  for (const auto& f : cat.familles)
    if (cat.tarif["GX"].count(f) && f != "VZ" && f != "QW") attendu.push_back(f);
  EXPECT_EQ(Codes(l), attendu);
  ASSERT_FALSE(l.empty());
  for (const auto& e : l) EXPECT_EQ(e.coche, e.code == "FE") << e.code;
  EXPECT_EQ(l[0].texte, "Fenêtres PVC Blanc ou plaxé");
  // The family table is closed again; the price table stays as OuvrirTable left it.
  EXPECT_FALSE(inst.dm()["tblFamilleOrdre"].Actif());
  EXPECT_TRUE(inst.dialogs().shown().empty());

  // Without a supplier every family of group 1 is listed, VZ and QW included.
  SelectionProduits tous(inst.dm(), inst.dialogs(), "");
  ASSERT_TRUE(tous.Familles(&l).ok());
  EXPECT_EQ(Codes(l), cat.familles);
  EXPECT_TRUE(Contient(Codes(l), "VZ"));
  EXPECT_FALSE(Contient(Codes(l), "OP")) << "group 2 is not offered";

  // Another supplier: only the families it prices.
  for (const auto& [fournisseur, familles] : cat.tarif) {
    if (fournisseur == "GX") continue;
    SelectionProduits autre(inst.dm(), inst.dialogs(), "");
    autre.DefinirFournisseur(fournisseur);
    ASSERT_TRUE(autre.Familles(&l).ok());
    std::vector<std::string> v = Codes(l);
    EXPECT_EQ(std::set<std::string>(v.begin(), v.end()), familles) << fournisseur;
  }
  // A supplier with no price row lists nothing.
  SelectionProduits aucun(inst.dm(), inst.dialogs(), "");
  aucun.DefinirFournisseur("Q9");
  ASSERT_TRUE(aucun.Familles(&l).ok());
  EXPECT_TRUE(l.empty());
}

TEST(SelectionProduits, ModelListAndTicks) {
  Installation inst;
  Catalogue cat = LireCatalogue(inst);
  const std::set<std::string>& prix = cat.tarifModeles["GXFE"];
  ASSERT_FALSE(prix.empty());

  SelectionProduits sel(inst.dm(), inst.dialogs(), "");
  sel.DefinirFournisseur("GX");
  std::vector<ElementSelection> m;
  ASSERT_TRUE(sel.Modeles("FE", &m).ok());
  std::vector<std::string> codes = Codes(m);
  EXPECT_EQ(std::set<std::string>(codes.begin(), codes.end()), prix);
  for (const auto& e : m) EXPECT_FALSE(e.coche);
  // Without a supplier: every model of the family, in the order of "Index".
  SelectionProduits tous(inst.dm(), inst.dialogs(), "");
  std::vector<ElementSelection> mt;
  ASSERT_TRUE(tous.Modeles("FE", &mt).ok());
  std::vector<std::pair<long long, std::string>> ordre;
  for (const auto& r : LireTable(inst.Tarifs(), "MODELE.DB"))
    if (r[0].i == 1 && r[1].text == "FE") ordre.push_back({r[4].i, r[2].text});
  std::sort(ordre.begin(), ordre.end());
  ASSERT_EQ(mt.size(), ordre.size());
  for (size_t i = 0; i < mt.size(); ++i) EXPECT_EQ(mt[i].code, ordre[i].second);
  EXPECT_GE(mt.size(), m.size());

  // A model of an unticked family ticks the family too.
  ASSERT_TRUE(sel.CocherModele("FE", m[0].code, true));
  EXPECT_TRUE(sel.FamilleCochee("FE"));
  ASSERT_TRUE(sel.Modeles("FE", &m).ok());
  EXPECT_TRUE(m[0].coche);
  EXPECT_NE(sel.Texte().find("<FE><" + m[0].code + "/></FE>"), std::string::npos) << sel.Texte();
  // Unticking the family removes it with its models.
  ASSERT_TRUE(sel.CocherFamille("FE", false));
  EXPECT_EQ(sel.Texte(), "");

  // A code that cannot name an XML element is refused, with a box.
  EXPECT_FALSE(sel.CocherFamille("01", true));
  EXPECT_FALSE(sel.CocherModele("FE", "1A", true));
  EXPECT_EQ(inst.dialogs().Texts("error").size(), 2u);
  EXPECT_EQ(sel.Texte(), "");
}

TEST(SelectionProduits, AnUnreadableTextIsKeptUntilReplaced) {
  Installation inst;
  const std::string abime = "<QvrMajProduits><FAMILLES><FE>";
  SelectionProduits sel(inst.dm(), inst.dialogs(), abime);
  EXPECT_TRUE(sel.TexteIllisible());
  sel.SignalerTexteIllisible();
  sel.SignalerTexteIllisible();
  EXPECT_EQ(inst.dialogs().Texts("warning").size(), 1u);
  EXPECT_EQ(sel.Texte(), abime);
  ASSERT_TRUE(sel.CocherFamille("VR", true));
  EXPECT_EQ(sel.Texte(), "<QvrMajProduits><FAMILLES><VR/></FAMILLES></QvrMajProduits>");
}

}  // namespace
}  // namespace corv
