#include "data/dictionnaire.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "util/session.h"
#include "util/text.h"

namespace corv {
namespace {

using FT = pdx::FieldType;

TEST(Dictionnaire, FieldCountsOfEveryTable) {
  struct Expect {
    const char* alias;
    const char* file;
    size_t fields;
  };
  const Expect kExpect[] = {
      {kAliasAdministration, "CLIENT.DB", 80}, {kAliasAdministration, "FOURNIS.DB", 54},
      {kAliasAdministration, "REMISES.DB", 8}, {kAliasAdministration, "LIBELLE.DB", 11},
      {kAliasAdministration, "AGENT.DB", 16}, {kAliasAdministration, "DESTINAT.DB", 4},
      {kAliasAdministration, "BIBLIO.DB", 13}, {kAliasAdministration, "HISTORIK.DB", 13},
      {kAliasAdministration, "EXPORT.DB", 15}, {kAliasAdministration, "CodeArticle.DB", 14},
      {kAliasAdministration, "Utilisateur.db", 20}, {kAliasAdministration, "Agence.DB", 24},
      {kAliasAdministration, "TarifsAgence.DB", 6}, {kAliasAdministration, "Perso.DB", 11},
      {kAliasAdministration, "AgenceRegion.DB", 5}, {kAliasAdministration, "AgenceSecteur.DB", 7},
      {kAliasAdministration, "AgenceUnite.DB", 6}, {kAliasAdministration, "Tva.DB", 7},
      {kAliasAdministration, "EcoPartExport.DB", 2}, {kAliasAdministration, "Message.DB", 12},
      {kAliasAdministration, "MessageType.DB", 3}, {kAliasAdministration, "MesDocs.DB", 16},
      {kAliasAdministration, "MesDocsType.DB", 4}, {kAliasAdministration, "HistoCon.DB", 7},
      {kAliasAdministration, "ConfigTauxMarge.DB", 6}, {kAliasAdministration, "DeblocageTauxMarge.DB", 11},
      {kAliasAdministration, "Prefixe.DB", 3}, {kAliasAdministration, "ClientEvts.DB", 7},
      {kAliasAdministration, "ClientEvtsType.DB", 2}, {kAliasAdministration, "ClientRaf.DB", 11},
      {kAliasAdministration, "ClientRafType.DB", 2}, {kAliasAdministration, "ClientChampsPerso.DB", 3},
      {kAliasAdministration, "TempTDB.DB", 21},
      {kAliasDossiers, "DOSSIER.DB", 43}, {kAliasDossiers, "PIECE.DB", 43}, {kAliasDossiers, "LIGNE.DB", 51},
      {kAliasDossiers, "SLIGNE.DB", 6}, {kAliasDossiers, "MesDocs.DB", 16}, {kAliasDossiers, "MesDocsType.DB", 4},
      {kAliasTarifs, "GROUPE.DB", 6}, {kAliasTarifs, "FAMILLE.DB", 15}, {kAliasTarifs, "TABLEAU.DB", 5},
      {kAliasTarifs, "HAUTEUR.DB", 4}, {kAliasTarifs, "LARGEUR.DB", 4}, {kAliasTarifs, "MODELE.DB", 13},
      {kAliasTarifs, "TARIF.DB", 33}, {kAliasTarifs, "GRILLE.DB", 11}, {kAliasTarifs, "ZONES.DB", 13},
      {kAliasTarifs, "HM.DB", 37}, {kAliasTarifs, "LIMITES.DB", 12}, {kAliasTarifs, "COMPOSE.DB", 9},
      {kAliasTarifs, "LIEN.DB", 8}, {kAliasTarifs, "LIAISON.DB", 8}, {kAliasTarifs, "SETFAM.DB", 5},
      {kAliasTarifs, "MTarifs.DB", 29}, {kAliasTarifs, "Majtarif.DB", 7}, {kAliasTarifs, "DETAIL.DB", 13},
      {kAliasTarifs, "pmo.DB", 12}, {kAliasTarifs, "EcoPartType.DB", 2}, {kAliasTarifs, "EcoPart.DB", 4},
      {kAliasTarifs, "ContrainteFns.DB", 6}, {kAliasTarifs, "ContrainteType.DB", 3},
      {kAliasTarifs, "Contrainte.DB", 9}, {kAliasTarifs, "COMPOSE_FNS.DB", 11}, {kAliasTarifs, "FOURNIS.DB", 44},
  };
  EXPECT_EQ(Dictionnaire().size(), std::size(kExpect));
  for (const auto& e : kExpect) {
    const TableDef* t = TrouverTable(e.alias, e.file);
    ASSERT_NE(t, nullptr) << e.file;
    EXPECT_EQ(t->champs.size(), e.fields) << e.alias << " " << e.file;
  }
}

TEST(Dictionnaire, DefinitionsAreConsistent) {
  std::set<std::string> seen;
  for (const auto& t : Dictionnaire()) {
    SCOPED_TRACE(t.alias + " " + t.fichier);
    EXPECT_TRUE(seen.insert(FoldCase(t.alias + "/" + t.fichier)).second) << "listed twice";
    std::set<std::string> names;
    for (const auto& c : t.champs) EXPECT_TRUE(names.insert(FoldCase(c.nom)).second) << "field twice: " << c.nom;
    // The primary key is the leading fields, in order.
    for (size_t i = 0; i < t.cle.size(); ++i) EXPECT_EQ(t.NumeroChamp(t.cle[i]), static_cast<int>(i + 1)) << t.cle[i];
    for (const auto& ix : t.index)
      for (const auto& f : ix.champs) EXPECT_NE(t.NumeroChamp(f), 0) << ix.nom << ": " << f;
    EXPECT_FALSE(t.composants.empty());
    for (const auto& c : t.composants) {
      if (!c.index.empty()) {
        EXPECT_NE(t.Index(c.index), nullptr) << c.nom << " reads through " << c.index;
      }
      if (!c.ordre.empty()) {
        bool ok = c.ordre == t.cle;
        for (const auto& ix : t.index) ok = ok || c.ordre == ix.champs;
        EXPECT_TRUE(ok) << c.nom << ": no index on its order";
      }
    }
    // A memo keeps at most 240 bytes in the record.
    for (const auto& c : t.champs)
      if (c.type == FT::kMemo || c.type == FT::kFmtMemo || c.type == FT::kGraphic) {
        EXPECT_GE(c.taille, 1) << c.nom;
        EXPECT_LE(c.taille, 240) << c.nom;
      }
  }
}

TEST(Dictionnaire, LayoutsAndFixes) {
  const TableDef* cp = TrouverTable(kAliasAdministration, "clientchampsperso.db");
  ASSERT_NE(cp, nullptr);
  EXPECT_EQ(cp->cle, (std::vector<std::string>{"IdClientChampsPerso", "NoChampPerso"}));

  const TableMemoireDef* perso = TrouverTableMemoire("rxmdPerso");
  ASSERT_NE(perso, nullptr);
  EXPECT_EQ(perso->champs[5], (ChampDef{"Libelle", FT::kAlpha, 50}));
  const TableDef* persoDb = TrouverTable(kAliasAdministration, "Perso.DB");
  EXPECT_EQ(persoDb->champs[5], perso->champs[5]);
  const TableMemoireDef* msg = TrouverTableMemoire("rxmdMessage");
  ASSERT_NE(msg, nullptr);
  EXPECT_EQ(msg->champs[5], (ChampDef{"Importance", FT::kLong, 0}));
  EXPECT_EQ(TablesMemoire().size(), 10u);

  // Documents: the same layout in both named databases, in creation order.
  const TableDef* a = TrouverTable(kAliasAdministration, "MesDocs.DB");
  const TableDef* d = TrouverTable(kAliasDossiers, "MesDocs.DB");
  ASSERT_TRUE(a && d);
  EXPECT_EQ(a->champs, d->champs);
  EXPECT_EQ(a->champs[8].nom, "Fournisseur");
  EXPECT_EQ(a->champs[10].nom, "Modele");
  EXPECT_EQ(TrouverTableMemoire("rxmdMesDocs")->champs[8].nom, "Fournisseur");

  EXPECT_EQ(TableDuComposant("tblProduitFns")->fichier, "TARIF.DB");
  EXPECT_EQ(TableDuComposant("tblDossierDocs")->alias, kAliasDossiers);
  EXPECT_EQ(TableDuComposant("_tblAgence", "TFicheTDB")->fichier, "Agence.DB");
  EXPECT_EQ(TableDuComposant("_tblAgence"), nullptr);
  EXPECT_TRUE(TableDuComposant("tblAgence")->Composant("tblAgence")->lectureSeule);
  EXPECT_EQ(TableDuComposant("tblMessage")->Composant("tblMessage")->index, "MessageDate");
  const IndexDef* date = TrouverTable(kAliasAdministration, "Message.DB")->Index("MessageDate");
  EXPECT_TRUE(date->descendant);
  const IndexDef* fns = TrouverTable(kAliasTarifs, "TARIF.DB")->Index("Fns");
  EXPECT_TRUE(fns->sansCasse);
  EXPECT_EQ(fns->champs.size(), 5u);
  EXPECT_EQ(TrouverTable(kAliasTarifs, "LIEN.DB")->Index("Fns")->champs.size(), 8u);  // trailing ";" dropped

  const TableDef* f = TrouverTable(kAliasTarifs, "FOURNIS.DB");
  EXPECT_EQ(f->champs[4].nom, "Qualité");
  EXPECT_EQ(f->champs[20].nom, "N° Compte");
  EXPECT_EQ(f->champs[39].nom, "Comm C.A.");
  EXPECT_EQ(TrouverTable(kAliasTarifs, "HM.DB")->champs[11].nom, "Montant 02");
  EXPECT_EQ(TrouverTable(kAliasTarifs, "Majtarif.DB")->champs[6], (ChampDef{"Produits", FT::kFmtMemo, 30}));
  EXPECT_EQ(TrouverTable(kAliasAdministration, "HistoCon.DB")->champs[0].type, FT::kAutoInc);
}

TEST(Dictionnaire, FieldTextAndDescriptors) {
  auto f = ChampsDepuisTexte("Code A10, Observation M1, Quand TS, Id +, Ok L, Dessin G1");
  ASSERT_EQ(f.size(), 6u);
  EXPECT_EQ(DescripteurChamp(f[0]).size, 10);
  EXPECT_EQ(DescripteurChamp(f[1]).size, 11);
  EXPECT_EQ(DescripteurChamp(f[2]).size, 8);
  EXPECT_EQ(DescripteurChamp(f[3]).type, FT::kAutoInc);
  EXPECT_EQ(DescripteurChamp(f[4]).size, 1);
  EXPECT_EQ(DescripteurChamp(f[5]).type, FT::kGraphic);
  EXPECT_THROW(ChampsDepuisTexte("Code"), std::invalid_argument);
  EXPECT_THROW(ChampsDepuisTexte("Code A"), std::invalid_argument);
  EXPECT_THROW(ChampsDepuisTexte("Code S2"), std::invalid_argument);
  EXPECT_EQ(ListeDepuisTexte("a; b;;c;"), (std::vector<std::string>{"a", "b", "c"}));
}

std::vector<std::string> Names(const std::vector<ChampDef>& f) {
  std::vector<std::string> n;
  for (const auto& c : f) n.push_back(c.nom);
  return n;
}

TEST(PlanMaj, CurrentLayoutsAreLeftAlone) {
  for (const auto& t : Dictionnaire()) {
    std::vector<std::string> idx;
    for (const auto& i : t.index) idx.push_back(i.nom);
    PlanMaj p = PlanifierMaj(t, t.champs, idx);
    EXPECT_TRUE(p.Vide()) << t.alias << " " << t.fichier;
  }
}

TEST(PlanMaj, EveryOlderFieldCountReachesTheCurrentLayout) {
  int checked = 0;
  for (const auto& t : Dictionnaire())
    for (const auto& r : t.regles) {
      if (r.action != RegleMaj::Action::kAjouter) continue;
      for (const auto& c : r.si) {
        if (c.sorte != ConditionMaj::Sorte::kNombre && c.sorte != ConditionMaj::Sorte::kNombreAuPlus) continue;
        auto n = static_cast<size_t>(c.valeurs[0]);
        std::vector<ChampDef> old(t.champs.begin(), t.champs.begin() + static_cast<long>(n));
        PlanMaj p = PlanifierMaj(t, old, {});
        EXPECT_EQ(p.champs, t.champs) << t.fichier << " from " << n << " fields";
        ++checked;
      }
    }
  EXPECT_GE(checked, 50);
}

TEST(PlanMaj, OldClientReachesEightyFieldsWithItsZeros) {
  const TableDef* t = TrouverTable(kAliasAdministration, "CLIENT.DB");
  std::vector<ChampDef> old(t->champs.begin(), t->champs.begin() + 49);
  old[0].taille = 7;
  old[13].taille = 30;  // Mail
  old[33].taille = 30;  // LivraisonMail
  old[36].taille = 2;   // LivraisonCode
  old[39].nom = "Ferme";
  PlanMaj p = PlanifierMaj(*t, old, {});
  EXPECT_TRUE(p.restructurer);
  EXPECT_EQ(p.champs, t->champs);
  EXPECT_EQ(p.aZero, (std::vector<std::string>{"MargeDebloque", "Costume", "FlagAccord", "Type"}));
  // Widths alone on a current-length file.
  std::vector<ChampDef> narrow = t->champs;
  narrow[13].taille = 50;
  PlanMaj q = PlanifierMaj(*t, narrow, {});
  EXPECT_EQ(q.champs, t->champs);
  EXPECT_TRUE(q.aZero.empty());
}

TEST(PlanMaj, FieldRulesSeeTheLayoutLeftByEarlierRules) {
  // FOURNIS.DB at 50 fields with Franco stored as a number.
  const TableDef* f = TrouverTable(kAliasAdministration, "FOURNIS.DB");
  std::vector<ChampDef> old(f->champs.begin(), f->champs.begin() + 50);
  old[46] = {"Franco", FT::kNumber, 0};
  EXPECT_EQ(PlanifierMaj(*f, old, {}).champs, f->champs);

  // Utilisateur.db at 19 fields: MdP widened, Droits becomes a number.
  const TableDef* u = TrouverTable(kAliasAdministration, "Utilisateur.db");
  std::vector<ChampDef> uo(u->champs.begin(), u->champs.begin() + 14);
  uo[7].type = FT::kShort;
  uo[9].taille = 10;
  PlanMaj up = PlanifierMaj(*u, uo, {});
  EXPECT_EQ(up.champs, u->champs);

  // CodeArticle.DB at 10 fields: the appended names are renamed at 12.
  const TableDef* c = TrouverTable(kAliasAdministration, "CodeArticle.DB");
  std::vector<ChampDef> co(c->champs.begin(), c->champs.begin() + 10);
  EXPECT_EQ(Names(PlanifierMaj(*c, co, {}).champs), Names(c->champs));

  // LIGNE.DB at 49 fields: Tva gets its default -1.
  const TableDef* l = TrouverTable(kAliasDossiers, "LIGNE.DB");
  std::vector<ChampDef> lo(l->champs.begin(), l->champs.begin() + 49);
  lo[22].type = FT::kShort;
  PlanMaj lp = PlanifierMaj(*l, lo, {});
  EXPECT_EQ(lp.champs, l->champs);
  EXPECT_EQ(lp.defauts, (std::vector<std::pair<std::string, std::string>>{{"Tva", "-1"}}));
}

TEST(PlanMaj, DeblocageIndexReplacement) {
  const TableDef* t = TrouverTable(kAliasAdministration, "DeblocageTauxMarge.DB");
  PlanMaj p = PlanifierMaj(*t, t->champs, {"DossierNumero"});
  EXPECT_FALSE(p.restructurer);
  EXPECT_EQ(p.indexSupprimes, (std::vector<std::string>{"DossierNumero"}));
  ASSERT_EQ(p.indexAjoutes.size(), 1u);
  EXPECT_EQ(p.indexAjoutes[0].nom, "AgenceNumero");
  EXPECT_EQ(p.indexAjoutes[0].champs, (std::vector<std::string>{"DossierNumero", "AgenceCode"}));
  EXPECT_FALSE(p.indexAjoutes[0].unique || p.indexAjoutes[0].sansCasse || p.indexAjoutes[0].descendant);
  EXPECT_TRUE(PlanifierMaj(*t, t->champs, {}).Vide());
}

}  // namespace
}  // namespace corv
