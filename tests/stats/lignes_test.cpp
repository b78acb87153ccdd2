// The lists as shown: cells, number format, derived figures, sorting, details.
#include <gtest/gtest.h>

#include "stats/lignes.h"

namespace {

using corv::LigneStat;
using corv::ListeStat;
using corv::TStatistiqueAchat;

const std::string NB = "\xC2\xA0";

TStatistiqueAchat Stat(int devis, double totalDevis, int cdes, double totalCde, int produits = 0, double achat = 0) {
  TStatistiqueAchat s;
  s.AjouterNbDevis(devis);
  s.AjouterTotalDevis(totalDevis);
  s.AjouterNbCommandes(cdes);
  s.AjouterTotalCommande(totalCde);
  s.AjouterNbProduits(produits);
  s.AjouterTotalAchat(achat);
  return s;
}

TEST(FormatTest, AmountsHaveTwoDecimalsFrenchSeparatorsAndFifteenDigits) {
  EXPECT_EQ(corv::FormatMontant(1234.5), "1" + NB + "234,50");
  EXPECT_EQ(corv::FormatMontant(0), "0,00");
  EXPECT_EQ(corv::FormatMontant(-1234567.891), "-1" + NB + "234" + NB + "567,89");
  EXPECT_EQ(corv::FormatMontant(0.125), "0,13");  // halves away from zero, on the decimal digits
  EXPECT_EQ(corv::FormatMontant(99.995), "100,00");
  EXPECT_EQ(corv::FormatMontant(0.005), "0,01");
  EXPECT_EQ(corv::FormatMontant(0.004), "0,00");
  EXPECT_EQ(corv::FormatMontant(-0.001), "0,00");
  EXPECT_EQ(corv::FormatMontant(999.999), "1" + NB + "000,00");
  EXPECT_EQ(corv::FormatMontant(123456789012.345), "123" + NB + "456" + NB + "789" + NB + "012,35");
  EXPECT_EQ(corv::FormatMontant(100.0 / 3), "33,33");
  EXPECT_EQ(corv::FormatEntier(1234), "1234");
}

TEST(FormatTest, CellValuesIgnoreBothSpacesAndReadTheDecimalComma) {
  EXPECT_DOUBLE_EQ(corv::ValeurCellule("1" + NB + "234,50"), 1234.5);
  EXPECT_DOUBLE_EQ(corv::ValeurCellule("1 234,5"), 1234.5);
  EXPECT_DOUBLE_EQ(corv::ValeurCellule("-12,25"), -12.25);
  EXPECT_DOUBLE_EQ(corv::ValeurCellule("0"), 0);
  EXPECT_DOUBLE_EQ(corv::ValeurCellule("abc"), 0);
}

corv::ResultatStatistiques Achats() {
  corv::ResultatStatistiques r;
  r.calcul = corv::Calcul::kAchats;
  corv::StatAgence lyon{"LYO", "Lyon", Stat(2, 1000, 1, 600, 3, 400), {}};
  lyon.fournisseurs["AA"] = std::make_shared<TStatistiqueAchat>(Stat(1, 500, 1, 600, 3, 400));
  lyon.fournisseurs["ZZ"] = std::make_shared<TStatistiqueAchat>(Stat(1, 500, 0, 0));
  corv::StatAgence vide{"VID", "zz Vide", {}, {}};
  corv::StatAgence zzz{"ZZZ", "ZZZZZZZZZZ Zénith", Stat(5, 10, 0, 0), {}};
  r.agences = {lyon, vide, zzz};
  for (const auto& a : r.agences) r.total.Ajouter(a.stat);
  r.nomsFournisseurs["AA"] = "Alu Atlantique";
  r.nomsAgences = {{"LYO", "Lyon"}, {"VID", "zz Vide"}, {"ZZZ", "ZZZZZZZZZZ Zénith"}};
  return r;
}

TEST(ListeTest, AgencyListCellsRatiosAndTotalRow) {
  corv::ResultatStatistiques r = Achats();
  r.calcul = corv::Calcul::kAgences;
  ListeStat l = corv::ListeDesAgences(r);
  ASSERT_EQ(l.colonnes.size(), 7u);
  EXPECT_EQ(l.colonnes[2], "Total devis HT (€)");
  ASSERT_EQ(l.lignes.size(), 4u);
  // Sorted by the first column: case-insensitive, "TOTAL" after every name.
  EXPECT_EQ(l.lignes[0].libelle, "Lyon");
  EXPECT_EQ(l.lignes[1].libelle, "zz Vide");
  EXPECT_EQ(l.lignes[2].libelle, "ZZZZZZZZZZ Zénith");
  EXPECT_EQ(l.lignes[3].libelle, "TOTAL");
  EXPECT_TRUE(l.lignes[3].total);
  EXPECT_EQ(l.lignes[0].cellules,
            (std::vector<std::string>{"2", "1" + NB + "000,00", "1", "600,00", "33,33", "37,50"}));
  // An agency without documents: zeros, and "0" for each ratio.
  EXPECT_EQ(l.lignes[1].cellules, (std::vector<std::string>{"0", "0,00", "0", "0,00", "0", "0"}));
  EXPECT_EQ(l.lignes[3].cellules[0], "7");
  EXPECT_TRUE(l.Details(0).empty());
}

TEST(ListeTest, SortingByANumberPutsTheLargestFirstAndNeverToggles) {
  ListeStat l = corv::ListeDesAgences(Achats());
  l.Trier(1);  // "Nb devis"
  EXPECT_EQ(l.lignes[0].libelle, "TOTAL");
  EXPECT_EQ(l.lignes[1].libelle, "ZZZZZZZZZZ Zénith");
  EXPECT_EQ(l.lignes[2].libelle, "Lyon");
  l.Trier(1);
  EXPECT_EQ(l.lignes[0].libelle, "TOTAL");
  EXPECT_EQ(l.colonneTri, 1);
  l.Trier(2);  // amounts: 1 010 > 1 000 > 10 > 0
  EXPECT_EQ(l.lignes[1].libelle, "Lyon");
  l.Trier(0);
  EXPECT_EQ(l.lignes.back().libelle, "TOTAL");
  l.Trier(99);  // no such column: nothing changes
  EXPECT_EQ(l.colonneTri, 0);
}

TEST(ListeTest, PurchaseListDetailsCaptionsAndSelection) {
  ListeStat l = corv::ListeDesAchats(Achats());
  ASSERT_EQ(l.colonnes.size(), 10u);
  EXPECT_EQ(l.colonnesDetail,
            (std::vector<std::string>{"Fournisseur", "Nb produits vendus", "Total produits vendus HT (€)",
                                      "Total achat produits vendus HT (€)", "Coef de marge (%)", "Marge brut (€)"}));
  ASSERT_EQ(l.lignes[0].libelle, "Lyon");
  EXPECT_EQ(l.lignes[0].cellules,
            (std::vector<std::string>{"3", "600,00", "400,00", "50,00", "200,00", "33,33", "1", "1" + NB + "000,00",
                                      "37,50"}));
  std::vector<LigneStat> d = l.Details(0);
  ASSERT_EQ(d.size(), 2u);
  // Sorted by caption, folded to small letters: "[" before the letters.
  EXPECT_EQ(d[0].libelle, "[ZZ]");  // a code head office does not know
  EXPECT_EQ(d[1].libelle, "Alu Atlantique");
  EXPECT_EQ(d[0].cellules, (std::vector<std::string>{"0", "0,00", "0,00", "0", "0,00"}));
  EXPECT_EQ(l.LegendeDetail(0), "Détail des achats de l'agence Lyon");
  // The total row, or no selection: the plain caption and no detail rows.
  EXPECT_EQ(l.LegendeDetail(3), "Détail des achats de l'agence");
  EXPECT_TRUE(l.Details(3).empty());
  EXPECT_EQ(l.LegendeDetail(), "Détail des achats de l'agence");
  l.colonneTriDetail = 1;
  EXPECT_EQ(l.Details(0)[0].libelle, "Alu Atlantique");
}

TEST(ListeTest, SupplierListUsesTheIntegerConversionRate) {
  corv::ResultatStatistiques r;
  r.calcul = corv::Calcul::kFournisseurs;
  corv::StatFournisseur f;
  f.code = "AA";
  f.agences["LYO"] = std::make_shared<TStatistiqueAchat>(Stat(2, 10, 1, 20, 1, 15));
  f.stat = *f.agences["LYO"];
  r.fournisseurs = {f};
  r.total = f.stat;
  r.nomsAgences["LYO"] = "Lyon";
  ListeStat l = corv::ListeDesFournisseurs(r);
  EXPECT_EQ(l.colonnes[0], "Fournisseur");
  ASSERT_EQ(l.lignes.size(), 2u);
  EXPECT_EQ(l.lignes[0].libelle, "[AA]");
  EXPECT_EQ(l.lignes[0].cellules[5], "33,00");  // 1 order and 2 quotes: 33, not 33.33
  EXPECT_EQ(l.lignes[1].cellules[5], "33,00");
  EXPECT_EQ(l.lignes[0].cellules[3], "33,33");  // the margin coefficient stays a real ratio
  EXPECT_EQ(l.Details(0)[0].libelle, "Lyon");
  EXPECT_EQ(l.LegendeDetail(0), "Détail du fournisseur [AA]");
  EXPECT_EQ(l.LegendeDetail(1), "Détail du fournisseur");
  // The same figures in the purchase list keep the real quotient.
  corv::ResultatStatistiques a;
  a.agences = {{"LYO", "Lyon", f.stat, {}}};
  a.total = f.stat;
  EXPECT_EQ(corv::ListeDesAchats(a).lignes[0].cellules[5], "33,33");
}

}  // namespace
