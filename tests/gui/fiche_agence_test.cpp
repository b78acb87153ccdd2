#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "forms/fiche_agence.h"
#include "forms/fiche_agence_edition.h"
#include "forms/fiche_agence_fournisseurs.h"
#include "forms/liste_simple.h"
#include "gui_support.h"
#include "paradox/table_lock.h"
#include "util/ini.h"

namespace guitest {
namespace {

using corv::GrilleFournisseurs;
using corv::ListeSimple;
using corv::TFicheAgence;

struct Agence {
  std::string code, nom, repertoire;
  bool repertoireExiste = false, administration = false;
  size_t champsFournis = 0;  // 0: no "FOURNIS.DB"
};

// The agencies of the installation in table order.
std::vector<Agence> Agences(Installation& inst) {
  std::vector<Agence> r;
  TableLue t = Lire(inst.Administration(), "Agence.DB");
  for (size_t i = 0; i < t.lignes.size(); ++i) {
    Agence a{t.T(i, "Code"), t.T(i, "Nom"), t.T(i, "Repertoire")};
    a.repertoireExiste = std::filesystem::is_directory(inst.Agence(a.code));
    a.administration = std::filesystem::is_directory(inst.Agence(a.code) + "/Administration");
    if (std::filesystem::exists(inst.Agence(a.code) + "/Administration/FOURNIS.DB"))
      a.champsFournis = Lire(inst.Agence(a.code) + "/Administration", "FOURNIS.DB").champs.size();
    r.push_back(a);
  }
  return r;
}

// The first agency matching: its index in table order.
size_t Premiere(const std::vector<Agence>& v, const std::function<bool(const Agence&)>& p) {
  for (size_t i = 0; i < v.size(); ++i)
    if (p(v[i])) return i;
  ADD_FAILURE() << "no such agency in the demo";
  return 0;
}
size_t Propre(const std::vector<Agence>& v) {
  return Premiere(v, [](const Agence& a) { return a.champsFournis == 54; });
}

std::unique_ptr<TFicheAgence> Ouvrir(Installation& inst) {
  auto f = std::make_unique<TFicheAgence>(inst.app());
  f->show();
  Evenements();
  return f;
}

// The entry of an agency in the list.
int Entree(TFicheAgence& f, const std::string& code) {
  for (int i = 0; i < f.cblNom()->Compte(); ++i)
    if (f.cblNom()->Texte(i).endsWith(QString::fromStdString(" (" + code + ")"))) return i;
  ADD_FAILURE() << "no entry for " << code;
  return -1;
}

void Choisir(TFicheAgence& f, const std::string& code) { f.cblNom()->ChoisirParUtilisateur(Entree(f, code)); }

QLineEdit* Champ(TFicheAgence& f, const char* nom) { return Trouver<QLineEdit>(&f, nom); }

// Closes the card, answering the closing question when one is asked.
void Fermer(Installation& inst, TFicheAgence& f, bool enregistrer) {
  if (f.Etat == 2) inst.dialogs().AnswerYes(enregistrer);
  f.close();
}

bool Attache(Installation& inst, const std::string& agence, const std::string& fournisseur) {
  TableLue t = Lire(inst.Administration(), "TarifsAgence.DB");
  for (size_t i = 0; i < t.lignes.size(); ++i)
    if (t.T(i, "Agence") == agence && t.T(i, "Fournisseur") == fournisseur) return true;
  return false;
}

TEST(FicheAgence, FirstShowingFillsTheSortedListAndOpensTheFirstEntry) {
  Installation inst;
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  ListeSimple* l = f->cblNom();
  ASSERT_EQ(l->Compte(), static_cast<int>(agences.size()));
  for (int i = 1; i < l->Compte(); ++i) EXPECT_LE(QString::compare(l->Texte(i - 1), l->Texte(i), Qt::CaseInsensitive), 0);
  EXPECT_EQ(l->IndexSelectionne(), 0);
  EXPECT_EQ(f->Etat, 2);
  EXPECT_TRUE(f->pcData()->isEnabled());
  EXPECT_EQ(f->windowTitle(), "Agence : " + l->Texte(0));
  EXPECT_EQ(Trouver<QToolButton>(f.get(), "tbNouveau")->toolTip(), "Créer un nouveau Agence");
  EXPECT_EQ(Trouver<QToolButton>(f.get(), "tbPrecedant")->toolTip(), "Agence précédent");
  EXPECT_EQ(Trouver<QToolButton>(f.get(), "tbSupprimer")->toolTip(), "Suppression du Agence");
  EXPECT_FALSE(Trouver<QToolButton>(f.get(), "tbSelectionner")->isEnabled());
  EXPECT_TRUE(l->TexteEdition().isEmpty());
  EXPECT_TRUE(Champ(*f, "Code")->isReadOnly());
  // Enter in a field presses no button of the card (no input box, no closing).
  QTest::keyClick(Champ(*f, "Nom"), Qt::Key_Return);
  EXPECT_TRUE(inst.dialogs().shown().empty());
  EXPECT_TRUE(f->isVisible());
  // The window becoming active again does not refill the list.
  l->Supprimer(l->Compte() - 1);
  f->FormActivate();
  EXPECT_EQ(l->Compte(), static_cast<int>(agences.size()) - 1);
  // Navigation.
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbSuivant"), Qt::LeftButton);
  EXPECT_EQ(l->IndexSelectionne(), 1);
  EXPECT_EQ(f->IndexCourant, 1);
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbPrecedant"), Qt::LeftButton);
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbPrecedant"), Qt::LeftButton);
  EXPECT_EQ(f->IndexCourant, 0);
  Fermer(inst, *f, false);
  // Head office's suppliers were completed from the updates database.
  TableLue four = Lire(inst.Administration(), "FOURNIS.DB");
  std::set<std::string> codes;
  for (size_t i = 0; i < four.lignes.size(); ++i) codes.insert(four.T(i, "Code"));
  for (const char* c : {"Z2", "Z3", "OB"}) EXPECT_TRUE(codes.count(c)) << c;
}

TEST(FicheAgence, SwitchingSavesWithoutAQuestionClosingAsks) {
  Installation inst;
  auto agences = Agences(inst);
  std::swap(agences[0], agences[Propre(agences)]);
  std::swap(agences[2], agences[Premiere(agences, [&](const Agence& a) { return a.administration && a.code != agences[0].code; })]);
  auto index = [&](const std::string& code) {
    auto v = Agences(inst);
    for (size_t i = 0; i < v.size(); ++i)
      if (v[i].code == code) return i;
    return size_t{0};
  };
  auto f = Ouvrir(inst);
  Choisir(*f, agences[0].code);
  Champ(*f, "Nom")->setText("Agence renommée");
  Champ(*f, "CodeDepot")->setText("D42");
  Choisir(*f, agences[2].code);
  EXPECT_TRUE(inst.dialogs().Texts("question").empty());
  EXPECT_EQ(f->cblNom()->Texte(Entree(*f, agences[0].code)).toStdString(),
            "Agence renommée (" + agences[0].code + ")");
  Champ(*f, "Nom")->setText("Ne pas garder");
  inst.dialogs().AnswerYes(false);
  f->close();
  EXPECT_EQ(inst.dialogs().Texts("question"), std::vector<std::string>{"Voulez-vous enregistrer les modifications ?"});
  EXPECT_FALSE(f->isVisible());
  f.reset();
  auto apres = Agences(inst);
  EXPECT_EQ(apres[index(agences[0].code)].nom, "Agence renommée");
  EXPECT_EQ(apres[index(agences[2].code)].nom, agences[2].nom);
  EXPECT_EQ(Lire(inst.Administration(), "Agence.DB").T(index(agences[0].code), "CodeDepot"), "D42");

  // Yes saves; Escape goes through the same question.
  f = Ouvrir(inst);
  Choisir(*f, agences[2].code);
  Champ(*f, "Nom")->setText("Gardé");
  inst.dialogs().AnswerYes(true);
  QTest::keyClick(f.get(), Qt::Key_Escape);
  EXPECT_FALSE(f->isVisible());
  f.reset();
  EXPECT_EQ(Agences(inst)[index(agences[2].code)].nom, "Gardé");
}

TEST(FicheAgence, CancellationKeepsTheStoredRecord) {
  Installation inst;
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  Choisir(*f, agences[0].code);
  Champ(*f, "Nom")->setText("Annulé");
  inst.dialogs().AnswerYes(true);
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbAnnuler"), Qt::LeftButton);
  EXPECT_EQ(inst.dialogs().Texts("question").back(), "Vous allez annuler la modification de la fiche Agence\nConfirmez-vous ?");
  EXPECT_EQ(f->Etat, 0);
  EXPECT_EQ(Champ(*f, "Nom")->text().toStdString(), agences[0].nom);
  EXPECT_TRUE(Champ(*f, "Nom")->isReadOnly());  // typing now would be lost
  f->cblNom()->ChoisirParUtilisateur((f->IndexCourant + 1) % f->cblNom()->Compte());
  EXPECT_FALSE(Champ(*f, "Nom")->isReadOnly());
  EXPECT_TRUE(Champ(*f, "Code")->isReadOnly());
  EXPECT_EQ(inst.dialogs().Texts("question").size(), 1u);  // switching after a cancellation: nothing to save
  Fermer(inst, *f, false);
  EXPECT_EQ(Agences(inst)[0].nom, agences[0].nom);
}

// An agency whose supplier attachments cannot be read: one error box naming
// the table, and the record is not shown beside the previous agency's ticks.
TEST(FicheAgence, AnAgencyWhoseSuppliersCannotBeReadIsNotShown) {
  Installation inst;
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  Choisir(*f, agences[0].code);
  inst.dialogs().AnswerYes(true);
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbAnnuler"), Qt::LeftButton);  // nothing to save on leaving
  ASSERT_TRUE((*inst.app().dm())["tblTarifsAgence"].Fermer().ok());
  testutil::WriteFile(inst.Administration() + "/TarifsAgence.DB", std::string(300, 'x'));
  Choisir(*f, agences[1].code);
  const std::vector<std::string> erreurs = inst.dialogs().Texts("error");
  ASSERT_EQ(erreurs.size(), 1u);
  EXPECT_NE(erreurs[0].find("TarifsAgence.DB"), std::string::npos) << erreurs[0];
  EXPECT_EQ(f->cblNom()->IndexSelectionne(), -1);
  EXPECT_EQ(f->IndexCourant, -1);
  EXPECT_EQ(f->Etat, 0);
  EXPECT_FALSE(f->pcData()->isEnabled());
  EXPECT_TRUE(f->grille()->Lignes().empty());
  f->close();
  EXPECT_FALSE(f->isVisible());
}

TEST(FicheAgence, DeletionSelectsThePreviousAndKeepsTheAttachments) {
  Installation inst;
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  int n = f->cblNom()->Compte();
  f->cblNom()->ChoisirParUtilisateur(n - 1);
  std::string code = f->CleCourante();
  ASSERT_TRUE(Attache(inst, code, "GX"));
  inst.dialogs().AnswerYes(true);
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbSupprimer"), Qt::LeftButton);
  EXPECT_EQ(inst.dialogs().Texts("question").back(), "Vous allez supprimer la fiche Agence\nConfirmez-vous ?");
  EXPECT_EQ(f->cblNom()->Compte(), n - 1);
  EXPECT_EQ(f->cblNom()->IndexSelectionne(), n - 2);
  EXPECT_EQ(f->Etat, 2);
  // Deleting every entry leaves no selection and the pages disabled.
  while (f->cblNom()->Compte() > 0) {
    inst.dialogs().AnswerYes(true);
    QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbSupprimer"), Qt::LeftButton);
  }
  EXPECT_EQ(f->cblNom()->IndexSelectionne(), -1);
  EXPECT_FALSE(f->pcData()->isEnabled());
  EXPECT_EQ(f->windowTitle(), "Agence");
  f->close();
  f.reset();
  EXPECT_TRUE(Agences(inst).empty());
  EXPECT_TRUE(Attache(inst, code, "GX"));  // the attachments stay

  // An empty table: nothing open.
  f = Ouvrir(inst);
  EXPECT_EQ(f->cblNom()->Compte(), 0);
  EXPECT_FALSE(f->pcData()->isEnabled());
  EXPECT_EQ(f->IndexCourant, -1);
}

TEST(FicheAgence, CreationUpperCasesAndRefusesBadCodes) {
  Installation inst;
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  int n = f->cblNom()->Compte();
  inst.dialogs().AnswerText("mar01");
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbNouveau"), Qt::LeftButton);
  EXPECT_EQ(inst.dialogs().shown().back().caption, "Création Agence");
  EXPECT_EQ(inst.dialogs().shown().back().text, "Saisissez le code de l'agence Agence");
  EXPECT_EQ(f->cblNom()->Compte(), n + 1);
  EXPECT_EQ(f->windowTitle(), "Agence : nouveau (MAR01)");
  EXPECT_EQ(f->pcData()->currentWidget()->objectName(), "tsNom");
  EXPECT_EQ(f->Etat, 2);

  // Eleven characters, an existing code (in lower case too): refused, the card stays on MAR01.
  inst.dialogs().AnswerText("ABCDEFGHIJK");
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbNouveau"), Qt::LeftButton);
  inst.dialogs().AnswerText(agences[0].code);
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbNouveau"), Qt::LeftButton);
  std::string bas = agences[1].code;
  for (char& c : bas) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  inst.dialogs().AnswerText(bas);
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbNouveau"), Qt::LeftButton);
  inst.dialogs().AnswerText("");
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbNouveau"), Qt::LeftButton);
  EXPECT_EQ(inst.dialogs().Texts("error"),
            (std::vector<std::string>{"Longeur maximale 10 caractères", "Code déjà existant", "Code déjà existant"}));
  EXPECT_EQ(f->cblNom()->Compte(), n + 1);
  EXPECT_EQ(f->windowTitle(), "Agence : nouveau (MAR01)");

  // Exactly ten characters, after a deletion, twice: each opens its own record.
  inst.dialogs().AnswerYes(true);
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbSupprimer"), Qt::LeftButton);
  inst.dialogs().AnswerText("abcdefghij");
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbNouveau"), Qt::LeftButton);
  EXPECT_EQ(f->windowTitle(), "Agence : nouveau (ABCDEFGHIJ)");
  Champ(*f, "Nom")->setText("Première");
  inst.dialogs().AnswerText("zz2");
  QTest::mouseClick(Trouver<QToolButton>(f.get(), "tbNouveau"), Qt::LeftButton);
  EXPECT_EQ(f->windowTitle(), "Agence : nouveau (ZZ2)");
  EXPECT_EQ(Champ(*f, "Code")->text(), "ZZ2");
  Fermer(inst, *f, true);
  f.reset();
  std::map<std::string, std::string> noms;
  for (const Agence& a : Agences(inst)) noms[a.code] = a.nom;
  EXPECT_EQ(noms.count("MAR01"), 0u);
  EXPECT_EQ(noms["ABCDEFGHIJ"], "Première");
  EXPECT_EQ(noms["ZZ2"], "nouveau");
}

TEST(FicheAgence, SaveWithoutSupplierFileStillSavesTheAgency) {
  Installation inst;
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  const Agence& absente = agences[Premiere(agences, [](const Agence& a) { return !a.repertoireExiste; })];
  Choisir(*f, absente.code);
  Champ(*f, "Nom")->setText("Sans fournisseurs");
  f->cblNom()->ChoisirParUtilisateur(Entree(*f, agences[Propre(agences)].code));
  EXPECT_EQ(inst.dialogs().Texts("information"),
            std::vector<std::string>{"Le fichier Fournis est introuvable, les modifications ne sont pas prises ne compte !"});
  Fermer(inst, *f, false);
  f.reset();
  for (const Agence& a : Agences(inst))
    if (a.code == absente.code) {
      EXPECT_EQ(a.nom, "Sans fournisseurs");
    }
}

TEST(FicheAgence, TickingMirrorsTheSupplierIntoTheAgency) {
  Installation inst;
  auto agences = Agences(inst);
  const Agence& a = agences[Propre(agences)];
  std::string admin = inst.Agence(a.code) + "/Administration";
  auto f = Ouvrir(inst);
  Choisir(*f, a.code);
  GrilleFournisseurs* g = f->grille();
  // A supplier not attached, and one attached that the agency's table holds.
  int libre = -1, attache = -1;
  TableLue fa = Lire(admin, "FOURNIS.DB");
  auto chezAgence = [&](const std::string& code) {
    for (size_t i = 0; i < fa.lignes.size(); ++i)
      if (fa.T(i, "Code") == code) return true;
    return false;
  };
  TableLue remisesSiege = Lire(inst.Administration(), "REMISES.DB");
  for (int r = 0; r < g->rowCount(); ++r) {
    auto l = g->Ligne(r);
    bool aDesRemises = false;
    for (size_t i = 0; i < remisesSiege.lignes.size(); ++i) aDesRemises |= remisesSiege.T(i, "Fournisseur") == l.code;
    if (!l.attache && libre < 0 && !chezAgence(l.code) && aDesRemises) libre = r;
    if (l.attache && attache < 0 && chezAgence(l.code) && l.code != "GX") attache = r;
  }
  ASSERT_GE(libre, 0);
  ASSERT_GE(attache, 0);
  std::string codeLibre = g->Ligne(libre).code, codeAttache = g->Ligne(attache).code;
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualItemRect(g->item(libre, 0)).center());
  EXPECT_TRUE(g->Ligne(libre).attache);
  g->Cocher(attache, false);
  ASSERT_TRUE(f->Valider());
  EXPECT_TRUE(inst.dialogs().shown().empty()) << inst.dialogs().shown().back().text;
  Fermer(inst, *f, false);
  f.reset();
  EXPECT_TRUE(Attache(inst, a.code, codeLibre));
  EXPECT_FALSE(Attache(inst, a.code, codeAttache));
  fa = Lire(admin, "FOURNIS.DB");
  EXPECT_TRUE(chezAgence(codeLibre));
  EXPECT_FALSE(chezAgence(codeAttache));
  // The new supplier's conditions came along (the agency had none for it).
  TableLue remises = Lire(admin, "REMISES.DB");
  size_t n = 0;
  for (size_t i = 0; i < remises.lignes.size(); ++i) n += remises.T(i, "Fournisseur") == codeLibre;
  size_t attendu = 0;
  for (size_t i = 0; i < remisesSiege.lignes.size(); ++i) attendu += remisesSiege.T(i, "Fournisseur") == codeLibre;
  EXPECT_EQ(n, attendu);
}

TEST(FicheAgence, SaveUpgradesAnOldSupplierTable) {
  Installation inst;
  auto agences = Agences(inst);
  const Agence& a = agences[Premiere(agences, [](const Agence& x) { return x.champsFournis == 46; })];
  std::string admin = inst.Agence(a.code) + "/Administration";
  ASSERT_EQ(Lire(admin, "FOURNIS.DB").champs.size(), 46u);
  auto f = Ouvrir(inst);
  Choisir(*f, a.code);
  ASSERT_TRUE(f->Valider());
  Fermer(inst, *f, false);
  TableLue t = Lire(admin, "FOURNIS.DB");
  ASSERT_EQ(t.champs.size(), 50u);
  EXPECT_EQ(t.champs[46].name, "Franco");
  EXPECT_EQ(t.champs[47].name, "ForfaitPort");
  EXPECT_EQ(t.champs[48].name, "MargeAveugle");
  EXPECT_EQ(t.champs[49].name, "CoefTarif");
  EXPECT_EQ(t.champs[36].size, 6);
}

TEST(FicheAgence, CodeChangeCarriesTheAttachments) {
  Installation inst;
  auto agences = Agences(inst);
  const Agence& a = agences[Propre(agences)];
  ASSERT_TRUE(Attache(inst, a.code, "GX"));
  auto f = Ouvrir(inst);
  Choisir(*f, a.code);
  inst.dialogs().AnswerText(agences[agences[0].code == a.code ? 1 : 0].code);
  QTest::mouseClick(Trouver<QPushButton>(f.get(), "Label12"), Qt::LeftButton);
  EXPECT_EQ(inst.dialogs().Texts("error"), std::vector<std::string>{"Code déjà existant"});
  EXPECT_TRUE(Attache(inst, a.code, "GX"));
  inst.dialogs().AnswerText("NOUV1");
  QTest::mouseClick(Trouver<QPushButton>(f.get(), "Label12"), Qt::LeftButton);
  EXPECT_EQ(inst.dialogs().shown().back().caption, "Modification code Agence");
  EXPECT_EQ(Champ(*f, "Code")->text(), "NOUV1");
  EXPECT_EQ(f->CleCourante(), "NOUV1");
  Fermer(inst, *f, false);
  f.reset();
  EXPECT_FALSE(Attache(inst, a.code, "GX"));
  EXPECT_TRUE(Attache(inst, "NOUV1", "GX"));
  std::set<std::string> codes;
  for (const Agence& x : Agences(inst)) codes.insert(x.code);
  EXPECT_TRUE(codes.count("NOUV1"));
  EXPECT_FALSE(codes.count(a.code));
}

TEST(FicheAgence, EditionPageForOneAgencyAndForAll) {
  Installation inst;
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  const Agence& a = agences[Propre(agences)];
  Choisir(*f, a.code);
  size_t coches = 0;
  for (const auto& l : f->grille()->Lignes()) coches += l.attache;
  f->pcData()->setCurrentWidget(f->edition());
  EXPECT_EQ(f->edition()->Titre(), a.nom);
  EXPECT_EQ(f->edition()->Lignes().size(), coches);
  Trouver<QCheckBox>(f.get(), "cbToutesLesAgences")->setChecked(true);
  EXPECT_EQ(f->edition()->Titre(), "Cartographies");
  const auto& lignes = f->edition()->Lignes();
  ASSERT_FALSE(lignes.empty());
  EXPECT_EQ(lignes[0].agence, f->cblNom()->Texte(0).toStdString());
  size_t vides = 0;
  for (const auto& l : lignes) vides += l.agence.empty() && l.fournisseur.empty();
  EXPECT_EQ(vides, agences.size());
  // Export through the grid's menu action.
  testutil::TempDir t;
  inst.dialogs().AnswerText(t.file("carto.csv"));
  ASSERT_TRUE(f->edition()->Exporter());
  std::string csv = testutil::ReadFile(t.file("carto.csv"));
  EXPECT_EQ(csv.substr(0, 14), "Cartographies\r");
  Fermer(inst, *f, false);
}

TEST(FicheAgence, ClosingWritesTheImportSettings) {
  Installation inst;
  auto f = Ouvrir(inst);
  Trouver<QSpinBox>(f.get(), "ceImportClientPeriode")->setValue(12);
  Trouver<QDoubleSpinBox>(f.get(), "ceMargeRisque")->setValue(1.25);
  Trouver<QCheckBox>(f.get(), "cbRelanceObligatoire")->setChecked(true);
  Fermer(inst, *f, false);
  corv::IniFile ini;
  ASSERT_TRUE(corv::IniFile::Load(pdx::Env::Default(), inst.Administration() + "/import.ini", &ini).ok());
  EXPECT_EQ(ini.ReadInteger("Client", "Periode", 0), 12);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("Config", "KR", 0), 1.25);
  EXPECT_EQ(ini.ReadInteger("Config", "RDO", 0), 99);
  f = Ouvrir(inst);
  EXPECT_EQ(Trouver<QSpinBox>(f.get(), "ceImportClientPeriode")->value(), 12);
  EXPECT_TRUE(Trouver<QCheckBox>(f.get(), "cbRelanceObligatoire")->isChecked());
  // Destroyed without being closed (the program ending): the settings are
  // written all the same and the agency table is free again.
  Trouver<QSpinBox>(f.get(), "ceImportClientPeriode")->setValue(7);
  inst.dialogs().Clear();
  f.reset();
  EXPECT_TRUE(inst.dialogs().Texts("question").empty());
  ASSERT_TRUE(corv::IniFile::Load(pdx::Env::Default(), inst.Administration() + "/import.ini", &ini).ok());
  EXPECT_EQ(ini.ReadInteger("Client", "Periode", 0), 7);
  std::unique_ptr<pdx::TableWriteLock> verrou;
  EXPECT_TRUE(pdx::AcquireTableWriteLock(pdx::Env::Default(), inst.Administration(), "Agence", {}, &verrou).ok());
}

TEST(FicheAgence, FreezingAsksAndUntickingDoesNot) {
  Installation inst;
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  size_t p = Propre(agences);
  Choisir(*f, agences[p].code);
  auto* cb = Trouver<QCheckBox>(f.get(), "cbFigerFournisseur");
  ASSERT_FALSE(cb->isChecked());
  inst.dialogs().AnswerYes(true);
  QTest::mouseClick(cb, Qt::LeftButton);
  EXPECT_EQ(inst.dialogs().Texts("question"),
            std::vector<std::string>{"Voulez-vous réinitialiser les fournisseurs de cette agence ?"});
  QTest::mouseClick(cb, Qt::LeftButton);  // unticking: nothing asked
  EXPECT_EQ(inst.dialogs().Texts("question").size(), 1u);
  inst.dialogs().AnswerYes(false);
  QTest::mouseClick(cb, Qt::LeftButton);
  ASSERT_EQ(inst.dialogs().Texts("question").size(), 2u);
  ASSERT_TRUE(f->Valider());
  Fermer(inst, *f, false);
  EXPECT_EQ(std::stoi(Lire(inst.Administration(), "Agence.DB").T(p, "Flag")) & 2, 2);
}

TEST(FicheAgence, DetailOpensTheProductSelectionForATickedRow) {
  Installation inst;
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  Choisir(*f, agences[Propre(agences)].code);
  ModalesEnregistrees modales([](QDialog&) { return 0; });
  GrilleFournisseurs* g = f->grille();
  int coche = -1, libre = -1;
  for (int r = 0; r < g->rowCount(); ++r) (g->Ligne(r).attache ? coche : libre) = r;
  ASSERT_GE(coche, 0);
  ASSERT_GE(libre, 0);
  std::string avant = g->Ligne(coche).texte;
  QTest::mouseClick(static_cast<QPushButton*>(g->BoutonDetail(libre)), Qt::LeftButton);
  EXPECT_TRUE(modales.vues().empty());
  QTest::mouseClick(static_cast<QPushButton*>(g->BoutonDetail(coche)), Qt::LeftButton);
  ASSERT_EQ(modales.vues().size(), 1u);
  EXPECT_EQ(modales.vues()[0].titre, "Selection produits");
  EXPECT_EQ(g->Ligne(coche).texte.empty(), avant.empty());
  Fermer(inst, *f, false);
}

TEST(FicheAgence, ARecordLockedElsewhereIsNotOpened) {
  Installation inst;
  int tube[2];
  ASSERT_EQ(pipe(tube), 0);
  pid_t pid = fork();
  if (pid == 0) {
    // The original engine working on the table: its lock file held.
    // (a POSIX record lock, as the engine's file sharing shows it)
    std::string lck = inst.Administration() + "/Agence.lck";
    int fd = ::open(lck.c_str(), O_RDWR | O_CREAT, 0644);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    bool ok = fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0;
    char c = ok ? 'o' : 'n';
    (void)!write(tube[1], &c, 1);
    sleep(30);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(tube[0], &c, 1), 1);
  ASSERT_EQ(c, 'o');
  auto f = Ouvrir(inst);
  EXPECT_EQ(inst.dialogs().Texts("warning"), std::vector<std::string>{"Enregistrement utilisé par un autre utilisateur"});
  EXPECT_EQ(f->cblNom()->IndexSelectionne(), -1);
  EXPECT_FALSE(f->pcData()->isEnabled());
  EXPECT_EQ(f->Etat, 0);
  f->close();
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  close(tube[0]);
  close(tube[1]);
}

}  // namespace
}  // namespace guitest

namespace guitest {
namespace {

TEST(FicheAgence, AnAgencyInHeadOfficesAdministrationIsNotMirroredInto) {
  Installation inst;
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  size_t avant = Lire(inst.Administration(), "FOURNIS.DB").lignes.size();  // with the updates' suppliers
  const Agence& a = agences[Propre(agences)];
  Choisir(*f, a.code);
  Champ(*f, "Repertoire")->setText("Q:");  // its Administration is head office's
  f->grille()->ToutCocher(false);
  ASSERT_TRUE(f->Valider());
  Fermer(inst, *f, false);
  f.reset();
  EXPECT_EQ(Lire(inst.Administration(), "FOURNIS.DB").lignes.size(), avant);
  EXPECT_FALSE(Attache(inst, a.code, "GX"));  // the attachments are saved all the same
  EXPECT_TRUE(inst.dialogs().shown().empty());
}

TEST(FicheAgence, PrintConfigurationPassesTheAgencyCode) {
  Installation inst;
  std::filesystem::create_directories(inst.dir() + "/bin/Modules/Impression");
  std::string module = inst.dir() + "/bin/Modules/Impression/Module_Impression";
  testutil::WriteFile(module, "#!/bin/sh\ncp \"$1\" \"$(dirname \"$0\")/recu.ini\"\necho \"$2\" >> \"$(dirname \"$0\")/recu.ini\"\n");
  std::filesystem::permissions(module, std::filesystem::perms::owner_all);
  auto agences = Agences(inst);
  auto f = Ouvrir(inst);
  Choisir(*f, agences[0].code);
  QTest::mouseClick(Trouver<QPushButton>(f.get(), "btnConfigImpression"), Qt::LeftButton);
  std::string recu = testutil::ReadFile(inst.dir() + "/bin/Modules/Impression/recu.ini");
  corv::IniFile ini = corv::IniFile::FromText(recu);
  EXPECT_EQ(ini.ReadString("Configuration", "Agence", ""), agences[0].code);
  EXPECT_NE(recu.find("CONFIGURATION"), std::string::npos);
  EXPECT_TRUE(inst.dialogs().shown().empty());
  Fermer(inst, *f, false);
}

}  // namespace
}  // namespace guitest

namespace guitest {
namespace {

TEST(FicheAgence, WithoutTheAgencyTableTheCardIsDisabled) {
  Installation inst;
  for (const auto& e : std::filesystem::directory_iterator(inst.Administration())) {
    std::string n = e.path().filename().string();
    if (n.rfind("Agence.", 0) == 0) std::filesystem::remove(e.path());
  }
  auto f = Ouvrir(inst);
  EXPECT_FALSE(f->cblNom()->isEnabled());
  EXPECT_FALSE(f->pcData()->isEnabled());
  EXPECT_FALSE(Trouver<QToolButton>(f.get(), "tbNouveau")->isEnabled());
  EXPECT_EQ(f->cblNom()->Compte(), 0);
  f->close();
  EXPECT_FALSE(f->isVisible());
  // Nothing was written for a card that never opened.
  EXPECT_FALSE(std::filesystem::exists(inst.Administration() + "/Agence.DB"));
}

TEST(FicheAgence, ButtonsOpenTheArticleCodesAndTickEveryRow) {
  Installation inst;
  auto f = Ouvrir(inst);
  ModalesEnregistrees modales([](QDialog&) { return 0; });
  QTest::mouseClick(Trouver<QPushButton>(f.get(), "Label14"), Qt::LeftButton);
  ASSERT_EQ(modales.vues().size(), 1u);
  EXPECT_EQ(modales.vues()[0].titre, "Gestion des Codes Article");
  f->pcData()->setCurrentIndex(1);
  QTest::mouseClick(Trouver<QPushButton>(f.get(), "btnToutSelectionner"), Qt::LeftButton);
  for (const auto& l : f->grille()->Lignes()) EXPECT_TRUE(l.attache) << l.code;
  QTest::mouseClick(Trouver<QPushButton>(f.get(), "btnToutDeselectionner"), Qt::LeftButton);
  for (const auto& l : f->grille()->Lignes()) EXPECT_FALSE(l.attache) << l.code;
  Fermer(inst, *f, false);
}

}  // namespace
}  // namespace guitest
