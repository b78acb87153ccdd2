// The collection: the rules of each computation on installations written
// document by document, the fast collection against the literal algorithm on
// random installations and on the demo, and parallel against sequential runs.
#include <gtest/gtest.h>

#include <random>

#include "demo/env_rapide.h"
#include "demo/generateur.h"
#include "installation_stats.h"
#include "litteral.h"
#include "stats/collecte.h"
#include "support/scripted_dialogs.h"
#include "util/dates.h"

namespace {

using corv::Calcul;
using corv::Periode;
using statstest::AgenceTest;
using statstest::Ligne;
using statstest::Piece;

const double J = corv::DayNumber(2026, 3, 10);

corv::ResultatStatistiques Collecter(statstest::Installation& inst, testutil::ScriptedDialogs& d, Calcul c,
                                     Periode p = {}, int parallele = 1, corv::RecordingRunReport* rep = nullptr) {
  corv::RecordingRunReport local;
  corv::OptionsStatistiques o;
  o.calcul = c;
  o.periode = p;
  o.parallele = parallele;
  corv::ResultatStatistiques r;
  pdx::Status s = corv::CollecterStatistiques(inst.session, inst.host, d, rep ? *rep : local, o, &r);
  EXPECT_TRUE(s.ok()) << s.ToString();
  return r;
}

Piece P(const std::string& dossier, int type, int num, int ordre, double date, double tv, int etat = 0,
        const std::string& f = "") {
  Piece p;
  p.dossier = dossier;
  p.type = type, p.num = num, p.ordre = ordre, p.date = date, p.totalVente = tv, p.etat = etat;
  p.fournisseur = f;
  return p;
}

Ligne L(const std::string& dossier, int base, int numero, int type, const std::string& f, double vente,
        double achat = 0, int q = 1, double prixNet = 0, const std::string& xml = "") {
  Ligne l;
  l.dossier = dossier;
  l.base = base, l.numero = numero, l.type = type, l.quantite = q;
  l.vente = vente, l.achat = achat, l.prixNet = prixNet;
  l.fournisseur = f;
  l.xml = xml;
  return l;
}

std::vector<AgenceTest> Resume() {
  AgenceTest a;
  a.code = "A1";
  a.nom = "Lyon";
  a.pieces = {
      P("D1", 0, 1, 0, J, 100), P("D1", 0, 2, 0, J, 0),  // a quote of 0 does not count
      P("D2", 2, 1, 0, J, 500, -1),                         // a cancelled order
      P("D3", 2, 1, 0, J, 1000), P("D3", 3, 1, 1, J, 50), P("D3", 3, 2, 2, J, 7),
      P("D4", 0, 1, 0, J, 999),                             // incomplete: its order has no Etat
      P("D5", 2, 1, 0, 0, 300, 1), P("D5", 1, 1, 1, 0, 0), P("D5", 1, 2, 1, J + 5, 0), P("D5", 1, 3, 1, J + 9, 0),
  };
  Piece sansEtat = P("D4", 2, 1, 0, J, 400);
  sansEtat.etat.reset();
  a.pieces.push_back(sansEtat);
  AgenceTest absente;
  absente.code = "A2";
  absente.nom = "Absente";
  absente.repertoire = false;
  AgenceTest vide;
  vide.code = "A3";
  vide.nom = "Sans pièces";
  vide.piece = vide.ligne = false;
  return {a, absente, vide};
}

TEST(CollecteTest, AgencySummaryCountsQuotesOrdersAndAttachedDocuments) {
  statstest::Installation inst;
  inst.Ecrire(Resume());
  testutil::ScriptedDialogs d;
  corv::ResultatStatistiques r = Collecter(inst, d, Calcul::kAgences);
  ASSERT_EQ(r.agences.size(), 2u);  // the agency without a directory has no row
  const auto& a = r.agences[0];
  EXPECT_EQ(a.code, "A1");
  EXPECT_EQ(a.nom, "Lyon");
  EXPECT_EQ(a.stat.nbDevis(), 1);
  EXPECT_DOUBLE_EQ(a.stat.totalDevis(), 100);
  EXPECT_EQ(a.stat.nbCommandes(), 2);                // D3 and D5
  EXPECT_DOUBLE_EQ(a.stat.totalCommande(), 1350);   // 1000 + 50 attached + 300
  EXPECT_EQ(r.agences[1].stat, corv::TStatistiqueAchat());  // no PIECE.DB: zeros
  EXPECT_EQ(r.total, a.stat);
  EXPECT_TRUE(d.shown().empty());
  // The program's named databases are left as they were.
  EXPECT_EQ(*inst.session.Directory(corv::kAliasDossiers), "Q:\\Dossiers\\");
}

TEST(CollecteTest, PeriodBoundsAreInclusiveAndAnUndatedOrderTakesItsSupplierOrdersDate) {
  statstest::Installation inst;
  inst.Ecrire(Resume());
  testutil::ScriptedDialogs d;
  // Only the documents dated exactly J: the D5 order counts at J + 5.
  corv::ResultatStatistiques r = Collecter(inst, d, Calcul::kAgences, {J, J});
  EXPECT_EQ(r.agences[0].stat.nbDevis(), 1);
  EXPECT_EQ(r.agences[0].stat.nbCommandes(), 1);
  EXPECT_DOUBLE_EQ(r.agences[0].stat.totalCommande(), 1050);
  r = Collecter(inst, d, Calcul::kAgences, {J + 5, J + 5});
  EXPECT_EQ(r.agences[0].stat.nbDevis(), 0);
  EXPECT_EQ(r.agences[0].stat.nbCommandes(), 1);
  EXPECT_DOUBLE_EQ(r.agences[0].stat.totalCommande(), 300);
  r = Collecter(inst, d, Calcul::kAgences, {J + 6, 0});
  EXPECT_EQ(r.agences[0].stat.nbCommandes(), 0);
}

std::vector<AgenceTest> Achats() {
  AgenceTest a;
  a.code = "A1";
  a.nom = "Lyon";
  a.pieces = {P("D1", 0, 1, 0, J, 100),
              P("D2", 2, 1, 0, J, 1000), P("D2", 1, 1, 1, J, 400, 0, "AA"), P("D2", 3, 2, 1, J, 10)};
  a.lignes = {
      // The quote: three lines of AA count one quote for AA.
      L("D1", 0, 1, 1, "AA", 10), L("D1", 0, 2, 1, "AA", 20), L("D1", 0, 3, 1, "AA", 30), L("D1", 0, 4, 1, "BB", 5),
      L("D1", 1, 1, 1, "AA", 2),
      // The order: a line of 3 with a sub-line of 2, eco-participation 1,5 a unit.
      L("D2", 0, 1, 201, "AA", 100, 60, 3, 5,
        "<Ligne><Prix><Eco-Participation><PrixHTDEEE>1,5</PrixHTDEEE></Eco-Participation></Prix></Ligne>"),
      L("D2", 1, 1, 201, "AA", 10, 4, 2),
      L("D2", 0, 2, 302, "AA", 50, 30, 1),  // a line of the attached document number 2
      L("D2", 0, 3, 201, "BB", 1000, 1000, 1),  // another supplier's line
      L("D2", 0, 4, 1, "AA", 1000, 1000, 1),    // a quote line
      L("D2", 0, 5, 303, "AA", 1000, 1000, 1),  // no attached document 3
  };
  AgenceTest sansLignes;
  sansLignes.code = "B2";
  sansLignes.nom = "Sans lignes";
  sansLignes.pieces = {P("X", 0, 1, 0, J, 10)};
  sansLignes.ligne = false;
  return {a, sansLignes};
}

TEST(CollecteTest, PurchasesPerAgencyFollowLineOwnershipQuantitiesAndEcoParticipation) {
  statstest::Installation inst;
  inst.Ecrire(Achats(), {{"AA", "Alu Atlantique"}});
  testutil::ScriptedDialogs d;
  corv::ResultatStatistiques r = Collecter(inst, d, Calcul::kAchats);
  ASSERT_EQ(r.agences.size(), 2u);
  const auto& a = r.agences[0];
  EXPECT_EQ(a.stat.nbDevis(), 1);
  EXPECT_DOUBLE_EQ(a.stat.totalDevis(), 100);
  EXPECT_EQ(a.stat.nbCommandes(), 1);  // the customer order only
  EXPECT_EQ(a.stat.nbProduits(), 4);   // 3 + 1: sub-lines add no products
  EXPECT_DOUBLE_EQ(a.stat.totalAchat(), (60 + 5 + 1.5) * 3 + 4 * 3 * 2 + 30);
  EXPECT_DOUBLE_EQ(a.stat.totalCommande(), (100 + 5 + 1.5) * 3 + 10 * 3 * 2 + 50);
  ASSERT_EQ(a.fournisseurs.size(), 2u);
  const auto& aa = *a.fournisseurs.at("AA");
  EXPECT_EQ(aa.nbDevis(), 1);
  EXPECT_DOUBLE_EQ(aa.totalDevis(), 10 + 2 + 20 + 30);
  EXPECT_EQ(aa.nbCommandes(), 1);
  EXPECT_EQ(aa.nbProduits(), 4);
  EXPECT_DOUBLE_EQ(aa.totalAchat(), a.stat.totalAchat());
  const auto& bb = *a.fournisseurs.at("BB");
  EXPECT_EQ(bb.nbDevis(), 1);
  EXPECT_DOUBLE_EQ(bb.totalDevis(), 5);
  EXPECT_EQ(bb.nbCommandes(), 0);
  EXPECT_EQ(r.agences[1].stat, corv::TStatistiqueAchat());  // no LIGNE.DB: zeros
  EXPECT_EQ(r.nomsFournisseurs.at("AA"), "Alu Atlantique");
  // The agency summary does not need the lines.
  r = Collecter(inst, d, Calcul::kAgences);
  EXPECT_EQ(r.agences[1].stat.nbDevis(), 1);
}

TEST(CollecteTest, SupplierListRegroupsTheAgenciesSupplierFigures) {
  statstest::Installation inst;
  std::vector<AgenceTest> ag = Achats();
  AgenceTest b = ag[0];
  b.code = "A0";
  b.nom = "Annecy";
  ag.push_back(b);
  inst.Ecrire(ag);
  testutil::ScriptedDialogs d;
  corv::ResultatStatistiques r2 = Collecter(inst, d, Calcul::kAchats);
  corv::ResultatStatistiques r = Collecter(inst, d, Calcul::kFournisseurs);
  ASSERT_EQ(r.fournisseurs.size(), 2u);
  EXPECT_EQ(r.fournisseurs[0].code, "AA");
  ASSERT_EQ(r.fournisseurs[0].agences.size(), 2u);
  EXPECT_EQ(r.fournisseurs[0].agences.begin()->first, "A0");  // byte order of the codes
  corv::TStatistiqueAchat deux;
  deux.Ajouter(*r2.agences[0].fournisseurs.at("AA"));
  deux.Ajouter(*r2.agences[0].fournisseurs.at("AA"));
  EXPECT_EQ(r.fournisseurs[0].stat, deux);
  corv::TStatistiqueAchat total;
  for (const auto& f : r.fournisseurs) total.Ajouter(f.stat);
  EXPECT_EQ(r.total, total);
  EXPECT_EQ(r.agences.size(), 3u);
}

TEST(CollecteTest, ATableThatCannotBeOpenedIsReportedAndGivesZeros) {
  statstest::Installation inst;
  std::vector<AgenceTest> ag = Achats();
  inst.Ecrire(ag);
  testutil::WriteFile(inst.Dossiers("A1") + "/PIECE.DB", std::string(3000, '\x07'));
  testutil::ScriptedDialogs d;
  corv::ResultatStatistiques r = Collecter(inst, d, Calcul::kAchats);
  ASSERT_EQ(r.agences.size(), 2u);
  EXPECT_EQ(r.agences[0].stat, corv::TStatistiqueAchat());
  ASSERT_EQ(d.Texts("information").size(), 1u);
  EXPECT_EQ(d.Texts("information")[0],
            "Impossible d'ouvrir la table : PIECE.DB\nDans le répertoire : Q:\\Agences\\A1\\Dossiers\\");
}

TEST(CollecteTest, StopRequestEndsTheRunBetweenAgencies) {
  statstest::Installation inst;
  std::vector<AgenceTest> ag = Achats();
  inst.Ecrire(ag);
  testutil::ScriptedDialogs d;
  corv::RecordingRunReport rep;
  rep.stop = true;
  corv::ResultatStatistiques r = Collecter(inst, d, Calcul::kAgences, {}, 1, &rep);
  EXPECT_TRUE(r.interrompu);
  EXPECT_TRUE(r.agences.empty());
  corv::RecordingRunReport rep2;
  r = Collecter(inst, d, Calcul::kAgences, {}, 2, &rep2);
  EXPECT_FALSE(r.interrompu);
  EXPECT_EQ(rep2.agencyPosition, 2);
  EXPECT_EQ(rep2.agencyMaximum, 2);
}

// ---- Random installations against the literal algorithm ----

std::string Xml(std::mt19937& g) {
  switch (g() % 9) {
    case 0: case 1: return "";
    case 2: return "<Ligne><Options/></Ligne>";
    case 3: return "<Ligne><Eco-Participation><PrixHTMobilier>0.5</PrixHTMobilier><PrixHTPMCB>1,25</PrixHTPMCB>"
                   "<PrixHTDEEE>1.5</PrixHTDEEE></Eco-Participation></Ligne>";
    case 4: return "<Ligne><A><Eco-Participation><PrixHTDEEE> 2.5 </PrixHTDEEE></Eco-Participation></A>"
                   "<Eco-Participation><PrixHTDEEE>9</PrixHTDEEE></Eco-Participation></Ligne>";
    case 5: return "<Ligne><Eco-Participation><PrixHTPMCB>0,3</PrixHTPMCB></Eco-Participation></Ligne>";
    case 6: return "<Ligne><Eco-Participation><PrixHTDEEE>abc</PrixHTDEEE></Eco-Participation>";  // not well-formed
    case 7: return "<Ligne><Eco-Participation/>" + std::string(g() % 3000, ' ') + "</Ligne>";
    default: return "<Ligne><Eco-Participation><PrixHTMobilier>" + std::to_string(g() % 100) + "," +
                    std::to_string(g() % 100) + "</PrixHTMobilier></Eco-Participation></Ligne>";
  }
}

std::vector<AgenceTest> Aleatoire(uint32_t graine) {
  std::mt19937 g(graine);
  auto un = [&](int n) { return static_cast<int>(g() % static_cast<uint32_t>(n)); };
  const char* fns[] = {"AA", "BB", "Cc", "cC", "Z9", ""};
  std::vector<AgenceTest> out;
  int nAgences = 3 + un(3);
  for (int k = 0; k < nAgences; ++k) {
    AgenceTest a;
    a.code = std::string(1, static_cast<char>('A' + un(26))) + std::to_string(k);
    a.nom = "Agence " + std::to_string(k);
    a.repertoire = un(8) != 0;
    a.piece = un(10) != 0;
    a.ligne = un(10) != 0;
    int nDossiers = 10 + un(30);
    for (int i = 0; i < nDossiers; ++i) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%c%05d", un(3) == 0 ? 'B' : 'A', i * 7 % 100);
      std::string dossier = buf;
      bool dejaVu = false;
      for (const Piece& p : a.pieces) dejaVu = dejaVu || p.dossier == dossier;
      for (const Ligne& l : a.lignes) dejaVu = dejaVu || l.dossier == dossier;
      if (dejaVu) continue;
      // Documents: unique (Type, Num).
      std::set<std::pair<int, int>> cles;
      int nDocs = un(7);
      for (int d = 0; d < nDocs; ++d) {
        int type = un(10) < 9 ? un(4) : 4 + un(2);
        int num = un(15) == 0 ? 32000 + un(3) : (un(12) == 0 ? -1 - un(3) : 1 + un(3));
        if (!cles.insert({type, num}).second) continue;
        Piece p = P(dossier, type, num, un(6) == 0 ? 0 : 1 + un(3),
                    un(6) == 0 ? 0 : J + un(20), un(6) == 0 ? 0 : (un(100000) / 100.0), un(5) == 0 ? -1 : un(2),
                    fns[un(6)]);
        if (un(40) == 0) {  // a null among the fields that make a dossier incomplete
          switch (un(5)) {
            case 0: p.type.reset(); break;
            case 1: p.num.reset(); break;
            case 2: p.ordre.reset(); break;
            case 3: p.date.reset(); break;
            default: p.etat.reset();
          }
        }
        if (un(30) == 0) p.totalVente.reset();
        if (!p.type || !p.num) {
          // Keys with a null stay unique: at most one such document.
          bool deja = false;
          for (const Piece& x : a.pieces) deja = deja || (x.dossier == dossier && (!x.type || !x.num));
          if (deja) continue;
        }
        a.pieces.push_back(p);
      }
      // Lines: top-level ones and sub-lines, unique (Base, Numero).
      std::set<std::pair<int, int>> lcles;
      int nLignes = un(9);
      for (int l = 0; l < nLignes; ++l) {
        int base = un(3) == 0 ? 1 + un(4) : 0;
        int numero = un(20) == 0 ? 32000 + un(3) : (un(25) == 0 ? 0 : 1 + un(6));
        if (!lcles.insert({base, numero}).second) continue;
        int types[] = {1, 201, 202, 301, 302, 303, 100, 200 + un(3), 300 + un(3), -99};
        Ligne x = L(dossier, base, numero, types[un(10)], fns[un(5)], un(50000) / 100.0, un(40000) / 100.0,
                    un(8) == 0 ? -1 : un(5), un(4) == 0 ? 35 : 0, Xml(g));
        if (un(30) == 0) x.type.reset();
        if (un(30) == 0) x.quantite.reset();
        if (un(30) == 0) x.vente.reset();
        a.lignes.push_back(x);
      }
      // A few blank keys: a line without Numero, one without Base.
      if (un(15) == 0) {
        Ligne x = L(dossier, 0, 0, 1, "AA", 3, 2, 2);
        x.numero.reset();
        a.lignes.push_back(x);
      }
      if (un(15) == 0) {
        Ligne x = L(dossier, 0, 1, 201, "AA", 3, 2, 2);
        x.base.reset();
        a.lignes.push_back(x);
      }
    }
    // Lines of dossiers that have no documents.
    for (int i = 0; i < 3; ++i) a.lignes.push_back(L("A9999" + std::to_string(i), 0, 1, 1, "AA", 1));
    out.push_back(a);
  }
  return out;
}

class AleatoireTest : public ::testing::TestWithParam<uint32_t> {};

TEST_P(AleatoireTest, FastCollectionEqualsTheLiteralAlgorithm) {
  statstest::Installation inst;
  inst.Ecrire(Aleatoire(GetParam()), {{"AA", "Alu"}, {"BB", "Bois"}});
  for (Calcul c : {Calcul::kAgences, Calcul::kAchats, Calcul::kFournisseurs})
    for (Periode p : {Periode{}, Periode{J + 3, J + 12}, Periode{0, J + 7}}) {
      SCOPED_TRACE(testing::Message() << "computation " << static_cast<int>(c) << " from " << p.debut << " to "
                                      << p.fin);
      testutil::ScriptedDialogs d1, d2, d3;
      corv::ResultatStatistiques lent, rapide, parallele;
      statstest::CalculLitteral(inst.session, inst.host, d1, c, p, &lent);
      rapide = Collecter(inst, d2, c, p);
      EXPECT_TRUE(statstest::MemesChiffres(rapide, lent));
      parallele = Collecter(inst, d3, c, p, 3);
      EXPECT_TRUE(statstest::MemesChiffres(parallele, rapide));
      EXPECT_EQ(d2.Texts("information"), d3.Texts("information"));
    }
}

INSTANTIATE_TEST_SUITE_P(Graines, AleatoireTest, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

// ---- The demo installation ----

struct Demo {
  testutil::TempDir tmp;
  corv::Session session;
  corv::HostPaths host{pdx::Env::Default()};
  bool ok = false;
  Demo() {
    corv::demo::Options o;
    o.repertoire = tmp.path() + "/demo";
    o.agences = 5;
    o.dossiers = 120;
    o.graine = 11;
    o.jour = corv::DayNumber(2026, 12, 8);
    corv::demo::Bilan b;
    std::unique_ptr<pdx::Env> env = corv::demo::NouvelEnvSansSync(pdx::Env::Default());
    pdx::Status s = corv::demo::Generer(env.get(), o, &b);
    EXPECT_TRUE(s.ok()) << s.ToString();
    ok = s.ok();
    host.AddPrefix("Q:", o.repertoire);
    session.SetAlias(corv::kAliasAdministration, "Q:\\Administration\\");
    session.SetAlias(corv::kAliasDossiers, "Q:\\Dossiers\\");
  }
};

TEST(CollecteDemoTest, FastAndParallelCollectionsEqualTheLiteralAlgorithmOnTheDemo) {
  Demo demo;
  ASSERT_TRUE(demo.ok);
  for (Calcul c : {Calcul::kAgences, Calcul::kAchats, Calcul::kFournisseurs}) {
    SCOPED_TRACE(static_cast<int>(c));
    testutil::ScriptedDialogs d1, d2;
    corv::ResultatStatistiques lent, rapide, parallele;
    const Periode p{corv::DayNumber(2023, 1, 1), corv::DayNumber(2025, 12, 31)};
    // Twice over the same tables: the first run also brought the agencies'
    // older files up to date.
    corv::RecordingRunReport rep;
    corv::OptionsStatistiques o;
    o.calcul = c;
    o.periode = p;
    ASSERT_TRUE(corv::CollecterStatistiques(demo.session, demo.host, d2, rep, o, &rapide).ok());
    statstest::CalculLitteral(demo.session, demo.host, d1, c, p, &lent);
    EXPECT_TRUE(statstest::MemesChiffres(rapide, lent));
    o.parallele = 2;
    ASSERT_TRUE(corv::CollecterStatistiques(demo.session, demo.host, d2, rep, o, &parallele).ok());
    EXPECT_TRUE(statstest::MemesChiffres(parallele, rapide));
    EXPECT_GT(rapide.total.nbDevis(), 0);
    if (c != Calcul::kAgences) {
      EXPECT_GT(rapide.total.totalAchat(), 0);
    }
    EXPECT_TRUE(rep.errors.empty()) << rep.errors[0];
  }
}

}  // namespace
