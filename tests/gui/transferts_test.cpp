// The transfer windows and the client clean-up on the demo installation: what a
// run shows against what the same core run and corvanes-batch print, real runs
// against the same core run on a twin installation, the conditions options,
// the controls during a run, "Arrêter" and closing during a run.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QTest>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "forms/fenetres_taches.h"
#include "forms/fiche_copie_document.h"
#include "forms/fiche_copie_messagerie.h"
#include "forms/fiche_copie_perso.h"
#include "forms/fiche_copie_remise.h"
#include "forms/fiche_main.h"
#include "forms/fiche_nettoyage_clients.h"
#include "forms/groupe_radio.h"
#include "forms/qt_run_report.h"
#include "gui_support.h"
#include "support/table_check.h"
#include "transfer/conditions.h"
#include "transfer/documents.h"
#include "transfer/messagerie.h"
#include "transfer/nettoyage_clients.h"
#include "transfer/personnalisations.h"
#include "transfer/preparation_run.h"

namespace guitest {
namespace {

using corv::TFicheMainCorvane;

namespace fs = std::filesystem;
using corv::TFicheTransfert;
using V = std::vector<std::string>;

// One kind of window: how the main menu makes it, the same core run, and the
// corvanes-batch command of that run.
struct Sorte {
  const char* classe;
  int mode;
  const char* commande;
  std::function<std::unique_ptr<corv::TransfertAgences>(corv::Application&, corv::RunReport&, const corv::OptionsRun&)>
      run;
};

std::vector<Sorte> Sortes() {
  using namespace corv;
  return {
      {"TFicheCopieRemiseAchatVersAgence", kModeAchat, "transfert conditions-achat",
       [](Application& a, RunReport& r, const OptionsRun& o) -> std::unique_ptr<TransfertAgences> {
         return std::make_unique<TransfertConditions>(a, r, o, LireOptionsConditions(a, kModeAchat));
       }},
      {"TFicheCopieRemiseAchatVersAgence", kModeVente, "transfert conditions-vente",
       [](Application& a, RunReport& r, const OptionsRun& o) -> std::unique_ptr<TransfertAgences> {
         return std::make_unique<TransfertConditions>(a, r, o, LireOptionsConditions(a, kModeVente));
       }},
      {"TFicheCopiePersoVersAgence", 0, "transfert personnalisations",
       [](Application& a, RunReport& r, const OptionsRun& o) -> std::unique_ptr<TransfertAgences> {
         return std::make_unique<TransfertPersonnalisations>(a, r, o);
       }},
      {"TFicheCopieMessagerieVersAgence", 0, "transfert messagerie",
       [](Application& a, RunReport& r, const OptionsRun& o) -> std::unique_ptr<TransfertAgences> {
         return std::make_unique<TransfertMessagerie>(a, r, o);
       }},
      {"TFicheCopieDocumentVersAgence", 0, "transfert documents",
       [](Application& a, RunReport& r, const OptionsRun& o) -> std::unique_ptr<TransfertAgences> {
         return std::make_unique<TransfertDocuments>(a, r, o);
       }},
      {"TFicheNettoyageClients", 0, "nettoyage-clients",
       [](Application& a, RunReport& r, const OptionsRun& o) -> std::unique_ptr<TransfertAgences> {
         return std::make_unique<NettoyageClients>(a, r, o);
       }},
  };
}

std::unique_ptr<TFicheTransfert> Fenetre(Installation& inst, const Sorte& s) {
  std::unique_ptr<QDialog> d = corv::CreerFenetreTache(s.classe, inst.app(), nullptr, s.mode);
  auto* t = dynamic_cast<TFicheTransfert*>(d.get());
  EXPECT_NE(t, nullptr) << s.classe;
  if (!t) return nullptr;
  d.release();
  return std::unique_ptr<TFicheTransfert>(t);
}

// Holds the run of a window at the first line of its first agency until
// Liberer: what the window does meanwhile happens before that agency ends.
class Retenue {
 public:
  explicit Retenue(TFicheTransfert& w) {
    auto* rapport = w.findChild<corv::QtRunReport*>();
    EXPECT_NE(rapport, nullptr);
    if (!rapport) return;
    // A direct connection runs on the run's own thread.
    connexion_ = QObject::connect(
        rapport, &corv::QtRunReport::message, rapport,
        [this](const QString& l) {
          if (!tenue_ && l.startsWith(QStringLiteral("Lecture de l'agence : "))) {
            tenue_ = true;
            go_.acquire();
          }
        },
        Qt::DirectConnection);
  }
  ~Retenue() { QObject::disconnect(connexion_); }
  void Liberer() { go_.release(); }

 private:
  QMetaObject::Connection connexion_;
  QSemaphore go_;
  bool tenue_ = false;
};

V Lignes(const QListWidget* l) {
  V v;
  for (int i = 0; i < l->count(); ++i) v.push_back(l->item(i)->text().toStdString());
  return v;
}

V LignesTexte(const std::string& texte) {
  V v;
  std::istringstream in(texte);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

void Lancer(TFicheTransfert& w, bool simulation) {
  w.cbSimulation->setChecked(simulation);
  w.btnLancer->click();
  w.AttendreFin();
}

// The same run in the core, prepared as the command line prepares it.
corv::ResultatRun LancerCoeur(Installation& inst, const Sorte& s, bool simulation, corv::RecordingRunReport* r) {
  corv::PreparationRun p = corv::PreparerRun(inst.app(), inst.app().FichierIni(), !simulation);
  std::unique_ptr<corv::TransfertAgences> run = s.run(inst.app(), *r, p.options);
  return run->Lancer();
}

std::string Batch() { return std::string(CORVANES_BINARY_DIR) + "/corvanes-batch"; }

std::vector<V> Rangs(Installation& inst, const std::string& rel, const std::string& table) {
  return testutil::ReadRows(pdx::Env::Default(), inst.dir() + "/" + rel, table);
}

// The agencies of "Agence.DB" with their own installation directory present.
V AgencesPropres(Installation& inst) {
  V v;
  TableLue a = Lire(inst.Administration(), "Agence.DB");
  for (size_t i = 0; i < a.lignes.size(); ++i) {
    std::string code = a.T(i, "Code");
    if ((std::stoi(a.T(i, "Flag").empty() ? "0" : a.T(i, "Flag")) & 1) == 0 && fs::is_directory(inst.Agence(code)))
      v.push_back(code);
  }
  return v;
}

class FenetresTransfertParSorte : public ::testing::TestWithParam<int> {
 protected:
  Sorte sorte = Sortes()[static_cast<size_t>(GetParam())];
};

TEST_P(FenetresTransfertParSorte, SimulationShowsWhatTheCoreRunAndTheCommandLineReport) {
  Installation inst;
  auto w = Fenetre(inst, sorte);
  ASSERT_TRUE(w);
  w->show();
  EXPECT_TRUE(w->cbSimulation->isChecked());
  Lancer(*w, true);
  EXPECT_EQ(w->DernierResultat().fin, corv::ResultatRun::Fin::kTerminee) << w->DernierResultat().erreur;
  const V messages = Lignes(w->listMessages), erreurs = Lignes(w->lstErreurs);
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[messages.size() - 4], std::string(70, '='));
  EXPECT_EQ(w->lblAgence->text().toStdString(), messages[messages.size() - 3]);
  EXPECT_EQ(w->listMessages->currentRow(), w->listMessages->count() - 1);  // the last line selected
  EXPECT_EQ(w->pbAgence->value(), w->pbAgence->maximum());
  EXPECT_GT(w->pbAgence->maximum(), 0);
  EXPECT_FALSE(erreurs.empty());  // the demo has an agency of each sort
  EXPECT_TRUE(inst.dialogs().shown().empty());

  corv::RecordingRunReport r;
  ASSERT_TRUE(LancerCoeur(inst, sorte, true, &r).ok());
  EXPECT_EQ(messages, r.messages);
  EXPECT_EQ(erreurs, r.errors);

  if (!fs::exists(Batch())) GTEST_SKIP() << "corvanes-batch not built at " << Batch() << " (build the target first)";
  std::string out, err = inst.dir() + "/stderr.txt";
  int code = testutil::RunCommand("'" + Batch() + "' --ini '" + inst.app().FichierIni() + "' " + sorte.commande +
                                      " 2>'" + err + "'",
                                  &out);
  EXPECT_EQ(code, 0);
  // The last line names the command's journal; the lines before it are the run's.
  V sortie = LignesTexte(out);
  ASSERT_FALSE(sortie.empty());
  EXPECT_EQ(sortie.back().rfind("Journal du traitement : " + inst.dir() + "/Journaux/", 0), 0u) << sortie.back();
  sortie.pop_back();
  EXPECT_EQ(sortie, messages);
  EXPECT_EQ(LignesTexte(testutil::ReadFile(err)), erreurs);
}

TEST_P(FenetresTransfertParSorte, RealRunChangesTheAgenciesAsTheSameCoreRunAndSavesFirst) {
  Installation fenetre, jumelle;
  auto w = Fenetre(fenetre, sorte);
  ASSERT_TRUE(w);
  const auto avant = ContenuInstallation(fenetre.dir());
  Lancer(*w, false);
  ASSERT_EQ(w->DernierResultat().fin, corv::ResultatRun::Fin::kTerminee) << w->DernierResultat().erreur;
  corv::RecordingRunReport r;
  ASSERT_TRUE(LancerCoeur(jumelle, sorte, false, &r).ok());
  EXPECT_EQ(Lignes(w->lstErreurs), r.errors);

  const auto apres = ContenuInstallation(fenetre.dir()), attendu = ContenuInstallation(jumelle.dir());
  EXPECT_NE(apres, avant) << "a real run changes something";
  ASSERT_EQ(apres.size(), attendu.size());
  for (const auto& [rel, rangs] : attendu) {
    auto it = apres.find(rel);
    ASSERT_NE(it, apres.end()) << rel;
    EXPECT_EQ(it->second, rangs) << rel;
  }
  // The tables changed were saved first, beside "qvrbde.ini", as the command
  // line saves them.
  std::vector<std::string> runs;
  ASSERT_TRUE(pdx::Env::Default()->GetChildren(fenetre.dir() + "/Sauvegardes", &runs).ok());
  EXPECT_EQ(runs.size(), 1u);
}

std::string NomSorte(const ::testing::TestParamInfo<int>& i) {
  static const char* const noms[] = {"ConditionsAchat", "ConditionsVente", "Personnalisations",
                                     "Messagerie",      "Documents",       "NettoyageClients"};
  return noms[i.param];
}

INSTANTIATE_TEST_SUITE_P(Transferts, FenetresTransfertParSorte, ::testing::Range(0, 6), NomSorte);

TEST(FenetresTransfert, CaptionsButtonsAndLogOfEachWindow) {
  Installation inst;
  struct Attendu {
    size_t sorte;
    const char *titre, *bouton, *journal;
  } attendus[] = {
      {0, "Copie des Remises Achat vers les agences", "Lancer la copie des remises vers les agences", "listMessages"},
      {1, "Copie des Remises Vente vers les agences", "Lancer la copie des remises vers les agences", "listMessages"},
      {2, "Copie des Personnalisations vers les agences", "Lancer la copie des personnalisations vers les agences",
       "listMessages"},
      {3, "Copie de la Messagerie vers les agences", "Lancer la copie de la Messagerie vers les agences",
       "listMessages"},
      {4, "Copie des Documents vers les agences", "Lancer la copie des Documents vers les agences", "listDocuments"},
      {5, "Nettoyage des clients", "Lancer le nettoyage des clients", "listMessages"},
  };
  for (const Attendu& a : attendus) {
    auto w = Fenetre(inst, Sortes()[a.sorte]);
    ASSERT_TRUE(w);
    w->show();
    EXPECT_EQ(w->objectName().toStdString(), Sortes()[a.sorte].classe);
    EXPECT_EQ(w->windowTitle().toStdString(), a.titre);
    EXPECT_EQ(w->btnLancer->text().toStdString(), a.bouton);
    EXPECT_EQ(w->listMessages->objectName().toStdString(), a.journal);
    EXPECT_EQ(w->cbSimulation->text().toStdString(), "Faire une simulation du lancement");
    EXPECT_TRUE(w->cbSimulation->isChecked());
    EXPECT_TRUE(w->cbSimulation->font().bold());
    EXPECT_EQ(w->cbSimulation->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(w->lstErreurs->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_FALSE(w->btnArreter->isEnabled());
    for (const char* nom : {"lblLecture", "pbRecord", "lblAgence", "pbAgence", "lstErreurs", "btnLancer"})
      EXPECT_NE(w->findChild<QWidget*>(nom), nullptr) << nom;
  }
}

TEST(FenetresTransfert, ConditionsOptionsComeFromCorvanesIniAndFollowTheDeletionBox) {
  Installation inst;
  testutil::WriteFile(inst.Administration() + "/Corvanes.ini",
                      "[TransfertRemiseVente]\r\nSuppressionRemisesAgence=0\r\nAjoutFournisseursSansRemises=0\r\n"
                      "InclureFournisseursZoneLibre=1\r\nAfficherInfosDetaillees=1\r\n");
  // No purchase section: the defaults.
  auto achat = Fenetre(inst, Sortes()[0]);
  auto* a = dynamic_cast<corv::TFicheCopieRemiseAchatVersAgence*>(achat.get());
  ASSERT_NE(a, nullptr);
  a->show();
  EXPECT_EQ(a->Mode(), corv::kModeAchat);
  EXPECT_EQ(a->rgRemise->title().toStdString(), "Copier les remises ACHAT");
  EXPECT_TRUE(a->cbDeleteData->isChecked());
  EXPECT_TRUE(a->cbAddFns->isChecked());
  EXPECT_FALSE(a->cbInclureZoneLibre->isChecked());
  EXPECT_FALSE(a->cbInfosDetaillees->isChecked());
  EXPECT_EQ(a->rgRemise->ItemIndex(), 0);
  EXPECT_EQ(a->rgRegle->ItemIndex(), 0);
  EXPECT_TRUE(a->cbAddFns->isVisible());
  EXPECT_FALSE(a->rgRegle->isVisible());
  EXPECT_EQ(a->cbInfosDetaillees->text().toStdString(), "Afficher les informations détaillées ");
  EXPECT_EQ(a->rgRemise->Item(1)->text().toStdString(), "Fournisseur + Conditions particulières");
  EXPECT_EQ(a->rgRegle->Item(1)->text().toStdString(), "On écrase la remise");

  auto vente = Fenetre(inst, Sortes()[1]);
  auto* v = dynamic_cast<corv::TFicheCopieRemiseAchatVersAgence*>(vente.get());
  ASSERT_NE(v, nullptr);
  v->show();
  EXPECT_EQ(v->Mode(), corv::kModeVente);
  EXPECT_EQ(v->windowTitle().toStdString(), "Copie des Remises Vente vers les agences");
  EXPECT_EQ(v->rgRemise->title().toStdString(), "Copier les remises VENTE");
  EXPECT_FALSE(v->cbDeleteData->isChecked());
  EXPECT_FALSE(v->cbAddFns->isChecked());
  EXPECT_TRUE(v->cbInclureZoneLibre->isChecked());
  EXPECT_TRUE(v->cbInfosDetaillees->isChecked());
  EXPECT_TRUE(v->rgRegle->isVisible());
  EXPECT_FALSE(v->cbAddFns->isVisible());

  // Clicking the deletion box swaps the two; clicking cbAddFns changes nothing.
  QTest::mouseClick(v->cbDeleteData, Qt::LeftButton, {}, QPoint(6, v->cbDeleteData->height() / 2));
  EXPECT_TRUE(v->cbDeleteData->isChecked());
  EXPECT_FALSE(v->rgRegle->isVisible());
  EXPECT_TRUE(v->cbAddFns->isVisible());
  v->cbAddFns->click();
  EXPECT_TRUE(v->cbAddFns->isVisible());
  v->cbDeleteData->click();
  EXPECT_TRUE(v->rgRegle->isVisible());
  EXPECT_FALSE(v->cbAddFns->isVisible());

  // What the run takes is what the controls show.
  v->rgRemise->Item(1)->click();
  v->rgRegle->Item(1)->click();
  corv::OptionsConditions o = v->Options();
  EXPECT_EQ(o.mode, corv::kModeVente);
  EXPECT_FALSE(o.suppression);
  EXPECT_TRUE(o.ajoutFournisseurs);
  EXPECT_TRUE(o.conditionsParticulieres);
  EXPECT_TRUE(o.ecraser);
  EXPECT_TRUE(o.zoneLibre);
  EXPECT_TRUE(o.details);
}

TEST(FenetresTransfert, ConditionsRunTakesTheOptionsShown) {
  Installation inst;
  auto w = Fenetre(inst, Sortes()[0]);
  auto* a = dynamic_cast<corv::TFicheCopieRemiseAchatVersAgence*>(w.get());
  ASSERT_NE(a, nullptr);
  a->cbDeleteData->click();  // no deletion: "On écrase la remise" replaces every row found
  a->rgRegle->Item(1)->click();
  a->rgRemise->Item(1)->click();
  a->cbInfosDetaillees->setChecked(true);
  Lancer(*a, true);
  corv::RecordingRunReport r;
  corv::PreparationRun p = corv::PreparerRun(inst.app(), inst.app().FichierIni(), false);
  corv::TransfertConditions run(inst.app(), r, p.options, a->Options());
  ASSERT_TRUE(run.Lancer().ok());
  EXPECT_EQ(Lignes(a->listMessages), r.messages);
  const V defaut = [&] {
    corv::RecordingRunReport d;
    corv::TransfertConditions x(inst.app(), d, p.options, corv::LireOptionsConditions(inst.app(), corv::kModeAchat));
    x.Lancer();
    return d.messages;
  }();
  EXPECT_NE(r.messages, defaut);
  bool detail = false;
  for (const auto& l : r.messages) detail = detail || l.find("Ajout de la remise  en mémoire : ") != std::string::npos;
  EXPECT_TRUE(detail);
  // The conditions window starts each run on empty lists.
  Lancer(*a, true);
  EXPECT_EQ(Lignes(a->listMessages), r.messages);
}

TEST(FenetresTransfert, StartAndOptionsAreDisabledDuringARunAndOtherWindowsKeepEarlierRuns) {
  Installation inst;
  auto w = Fenetre(inst, Sortes()[0]);
  auto* a = dynamic_cast<corv::TFicheCopieRemiseAchatVersAgence*>(w.get());
  ASSERT_NE(a, nullptr);
  a->show();
  a->btnLancer->click();
  // The run's end reaches the window through its event loop: until then it is running.
  ASSERT_TRUE(a->EnCours());
  EXPECT_FALSE(a->btnLancer->isEnabled());
  EXPECT_FALSE(a->cbSimulation->isEnabled());
  EXPECT_FALSE(a->cbDeleteData->isEnabled());
  EXPECT_FALSE(a->rgRemise->isEnabled());
  EXPECT_FALSE(a->cbInfosDetaillees->isEnabled());
  EXPECT_TRUE(a->btnArreter->isEnabled());
  a->btnLancerClick();  // a second start is refused while running
  a->AttendreFin();
  EXPECT_TRUE(a->btnLancer->isEnabled());
  EXPECT_TRUE(a->cbDeleteData->isEnabled());
  EXPECT_TRUE(a->cbSimulation->isEnabled());
  EXPECT_FALSE(a->btnArreter->isEnabled());
  V l = Lignes(a->listMessages);
  EXPECT_EQ(std::count(l.begin(), l.end(), "Fin de l'intégration des remises."), 1);

  // The other windows keep the lines of earlier runs above the new ones.
  auto p = Fenetre(inst, Sortes()[2]);
  Lancer(*p, true);
  const V premier = Lignes(p->listMessages), erreurs = Lignes(p->lstErreurs);
  Lancer(*p, true);
  V deux = premier;
  deux.insert(deux.end(), premier.begin(), premier.end());
  EXPECT_EQ(Lignes(p->listMessages), deux);
  EXPECT_EQ(Lignes(p->lstErreurs), erreurs);  // the error list starts empty
}

TEST(FenetresTransfert, StopLeavesTheLaterAgenciesUntouched) {
  Installation inst;
  const V propres = AgencesPropres(inst);
  ASSERT_GE(propres.size(), 2u);
  std::map<std::string, std::vector<V>> avant;
  for (const auto& c : propres) avant[c] = Rangs(inst, "Agences/" + c + "/Administration", "Perso.DB");
  const auto siege = Rangs(inst, "Administration", "Perso.DB");

  auto w = Fenetre(inst, Sortes()[2]);
  w->show();
  w->cbSimulation->setChecked(false);
  Retenue retenue(*w);
  w->btnLancer->click();
  // Asked before the run ends its first agency: it stops after that one.
  w->btnArreter->click();
  EXPECT_FALSE(w->btnArreter->isEnabled());
  retenue.Liberer();
  w->AttendreFin();
  EXPECT_EQ(w->DernierResultat().fin, corv::ResultatRun::Fin::kArretee);
  EXPECT_EQ(w->DernierResultat().agencesTraitees, 1);
  EXPECT_TRUE(inst.dialogs().shown().empty());

  const auto premiere = Rangs(inst, "Agences/" + propres[0] + "/Administration", "Perso.DB");
  ASSERT_EQ(premiere.size(), siege.size());
  for (size_t i = 1; i < propres.size(); ++i)
    EXPECT_EQ(Rangs(inst, "Agences/" + propres[i] + "/Administration", "Perso.DB"), avant[propres[i]]) << propres[i];
  // Where it stopped is said, and the run still ends with its closing lines.
  const V erreurs = Lignes(w->lstErreurs);
  ASSERT_FALSE(erreurs.empty());
  EXPECT_EQ(erreurs.back().rfind("Arrêt demandé après l'agence : ", 0), 0u) << erreurs.back();
  const V messages = Lignes(w->listMessages);
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[messages.size() - 3], "Fin de l'intégration des personnalisations.");
  EXPECT_TRUE(w->btnLancer->isEnabled());
}

TEST(FenetresTransfert, ClosingDuringARunAsksAndStopsAfterTheAgencyInProgress) {
  Installation inst;
  auto w = Fenetre(inst, Sortes()[3]);
  w->show();
  // No: the run goes on and the window stays.
  inst.dialogs().AnswerYes(false);
  w->btnLancer->click();
  w->close();
  EXPECT_TRUE(w->isVisible());
  w->AttendreFin();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->DernierResultat().fin, corv::ResultatRun::Fin::kTerminee);
  // Yes: the run stops after its agency, then the window closes.
  inst.dialogs().AnswerYes(true);
  Retenue retenue(*w);
  w->btnLancer->click();
  w->close();
  EXPECT_TRUE(w->isVisible());
  retenue.Liberer();
  w->AttendreFin();
  Evenements();
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->DernierResultat().fin, corv::ResultatRun::Fin::kArretee);
  EXPECT_EQ(inst.dialogs().Texts("question").size(), 2u);
}

TEST(FenetresTransfert, AnErrorEndingTheRunIsShownOnceItIsOver) {
  Installation inst;
  // Head office's personalisations cannot be read.
  testutil::WriteFile(inst.Administration() + "/Perso.DB", "pas une table Paradox");
  auto w = Fenetre(inst, Sortes()[2]);
  Lancer(*w, true);
  EXPECT_EQ(w->DernierResultat().fin, corv::ResultatRun::Fin::kErreur);
  ASSERT_EQ(inst.dialogs().Texts("error").size(), 1u);
  EXPECT_NE(inst.dialogs().Texts("error")[0].find("Perso.DB"), std::string::npos) << inst.dialogs().Texts("error")[0];
  EXPECT_TRUE(w->btnLancer->isEnabled());
}

TEST(FenetresTransfert, MainMenuTilesOpenTheWindowsWithTheirModes) {
  Installation inst;
  TFicheMainCorvane m(inst.app());
  m.show();
  std::vector<std::pair<std::string, int>> ouvertes;
  ModalesEnregistrees modales([&](QDialog& d) {
    auto* c = dynamic_cast<corv::TFicheCopieRemiseAchatVersAgence*>(&d);
    ouvertes.push_back({d.metaObject()->className(), c ? c->Mode() : 0});
    return 0;
  });
  for (const char* tuile : {"imgTransfertRemiseAchat", "lbTransfertRemiseVente", "imgTransfertPerso",
                            "lbTransfertMessagerie", "imgTransfertDocument", "lbNettoyageClients"}) {
    auto* l = Trouver<QLabel>(&m, tuile);
    if (l) QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(4, 4));
  }
  std::vector<std::pair<std::string, int>> attendu = {{"corv::TFicheCopieRemiseAchatVersAgence", 2},
                                                      {"corv::TFicheCopieRemiseAchatVersAgence", 1},
                                                      {"corv::TFicheCopiePersoVersAgence", 0},
                                                      {"corv::TFicheCopieMessagerieVersAgence", 0},
                                                      {"corv::TFicheCopieDocumentVersAgence", 0},
                                                      {"corv::TFicheNettoyageClients", 0}};
  EXPECT_EQ(ouvertes, attendu);
}

}  // namespace
}  // namespace guitest
