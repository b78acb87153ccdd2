// The backups window: a real transfer made in a window undone from it, for
// every agency or one, the tables then as before; the same tables as the
// command line's restoration; the refusals (a table in use, a file missing
// from the backup) shown as messages.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <map>

#include "forms/fenetres_taches.h"
#include "forms/fiche_restauration.h"
#include "forms/fiche_transfert.h"
#include "gui_support.h"
#include "paradox/writer.h"
#include "transfer/conditions.h"
#include "transfer/preparation_run.h"

namespace guitest {
namespace {

namespace fs = std::filesystem;
using corv::TFicheRestauration;
using corv::TFicheTransfert;

// The paths whose content differs between two states of an installation.
std::vector<std::string> Differences(const Contenu& a, const Contenu& b) {
  std::vector<std::string> d;
  for (const auto& [rel, rangs] : a) {
    auto it = b.find(rel);
    if (it == b.end() || it->second != rangs) d.push_back(rel);
  }
  for (const auto& [rel, rangs] : b)
    if (!a.count(rel)) d.push_back(rel);
  return d;
}

std::unique_ptr<TFicheTransfert> FenetreAchat(Installation& inst) {
  std::unique_ptr<QDialog> d =
      corv::CreerFenetreTache("TFicheCopieRemiseAchatVersAgence", inst.app(), nullptr, corv::kModeAchat);
  auto* t = dynamic_cast<TFicheTransfert*>(d.get());
  EXPECT_NE(t, nullptr);
  if (t) d.release();
  return std::unique_ptr<TFicheTransfert>(t);
}

// A simulation, then a real purchase conditions run, from its window. The
// simulation opens every table the real run opens, so the data module's
// upgrades of older table files (which no restoration undoes) are made before
// the state the tests compare with.
void Simuler(TFicheTransfert& w) {
  w.show();
  w.cbSimulation->setChecked(true);
  w.btnLancer->click();
  w.AttendreFin();
  ASSERT_EQ(w.DernierResultat().fin, corv::ResultatRun::Fin::kTerminee) << w.DernierResultat().erreur;
}

void TransfertReel(TFicheTransfert& w) {
  w.show();
  w.cbSimulation->setChecked(false);
  w.btnLancer->click();
  w.AttendreFin();
  ASSERT_EQ(w.DernierResultat().fin, corv::ResultatRun::Fin::kTerminee) << w.DernierResultat().erreur;
}

std::vector<std::string> Lignes(const QListWidget* l) {
  std::vector<std::string> v;
  for (int i = 0; i < l->count(); ++i) v.push_back(l->item(i)->text().toStdString());
  return v;
}

// Opens the backups window with "Sauvegardes..." and hands it to `pilote`.
void OuvrirSauvegardes(TFicheTransfert& w, const std::function<void(TFicheRestauration&)>& pilote) {
  ModalesEnregistrees m([&](QDialog& d) {
    auto* r = dynamic_cast<TFicheRestauration*>(&d);
    EXPECT_NE(r, nullptr) << d.objectName().toStdString();
    if (r) {
      r->show();
      pilote(*r);
    }
    return 0;
  });
  w.btnSauvegardes->click();
  ASSERT_EQ(m.vues().size(), 1u);
  EXPECT_EQ(m.vues()[0].objet, "TFicheRestauration");
  EXPECT_EQ(m.vues()[0].titre, "Sauvegardes - " + w.windowTitle().toStdString());
}

void Restaurer(TFicheRestauration& r) {
  Trouver<QPushButton>(&r, "btnRestaurer")->click();
  r.AttendreFin();
}

TEST(FicheRestauration, ARealTransferIsUndoneForEveryAgencyAndTheTablesAreAsBefore) {
  Installation inst;
  auto w = FenetreAchat(inst);
  ASSERT_TRUE(w);
  Simuler(*w);
  const Contenu avant = ContenuInstallation(inst.dir());
  TransfertReel(*w);
  ASSERT_FALSE(Differences(avant, ContenuInstallation(inst.dir())).empty()) << "the run changes something";
  // The window says where the run's journal went.
  EXPECT_TRUE(w->lblJournal->text().startsWith(QString::fromStdString("Journal du traitement : " + inst.dir() + "/Journaux/")))
      << w->lblJournal->text().toStdString();

  inst.dialogs().AnswerYes(true);
  OuvrirSauvegardes(*w, [&](TFicheRestauration& r) {
    auto* lw = Trouver<QTreeWidget>(&r, "lwSauvegardes");
    ASSERT_EQ(lw->topLevelItemCount(), 1);
    const corv::RunSauve run = r.Sauvegardes().at(0).run;  // the list is read again after a restoration
    EXPECT_EQ(lw->topLevelItem(0)->text(0).toStdString(), run.debut);
    EXPECT_EQ(lw->topLevelItem(0)->text(1), QStringLiteral("Conditions d'achat"));
    EXPECT_EQ(lw->topLevelItem(0)->text(2), QStringLiteral("Réel"));
    EXPECT_EQ(lw->topLevelItem(0)->text(5), QStringLiteral("Non"));
    // "Toutes les agences" first, then each agency saved.
    auto* agences = Trouver<QTreeWidget>(&r, "lwAgences");
    ASSERT_GE(run.agences.size(), 2u);
    EXPECT_EQ(agences->topLevelItemCount(), static_cast<int>(run.agences.size()) + 1);
    EXPECT_EQ(agences->currentItem(), agences->topLevelItem(0));

    Restaurer(r);
    const std::vector<std::string> messages = Lignes(r.listMessages);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front(), "Restauration de la sauvegarde : " + run.nom);
    EXPECT_EQ(messages.back().rfind("Restauration terminée : ", 0), 0u) << messages.back();
    EXPECT_TRUE(Lignes(r.lstErreurs).empty());
    EXPECT_EQ(r.pbAgence->value(), r.pbAgence->maximum());
    // What the restoration replaced is a backup of its own, listed first; the
    // run restored now shows its tables changed since.
    ASSERT_EQ(lw->topLevelItemCount(), 2);
    EXPECT_EQ(lw->topLevelItem(0)->text(2), QStringLiteral("Restauration"));
    EXPECT_TRUE(lw->topLevelItem(1)->text(5).startsWith(QStringLiteral("Oui : "))) << lw->topLevelItem(1)->text(5).toStdString();
    EXPECT_EQ(lw->currentItem(), lw->topLevelItem(1));  // the selection stays on the run restored
    // Every column in view without scrolling sideways, "Modifiées depuis" last;
    // a text cut to fit is whole in its tip.
    Evenements();
    EXPECT_EQ(lw->horizontalScrollBar()->maximum(), 0);
    EXPECT_LT(lw->header()->sectionViewportPosition(5) + 40, lw->viewport()->width());
    for (int c : {3, 4, 5}) EXPECT_EQ(lw->topLevelItem(1)->toolTip(c), lw->topLevelItem(1)->text(c)) << c;
    // Narrower, the window still shows them all.
    r.resize(600, r.height());
    Evenements();
    EXPECT_EQ(lw->horizontalScrollBar()->maximum(), 0);
    EXPECT_LT(lw->header()->sectionViewportPosition(5) + 40, lw->viewport()->width());
    r.resize(900, r.height());
    EXPECT_NE(r.lblJournal->text().indexOf(QStringLiteral("_restauration.log")), -1) << r.lblJournal->text().toStdString();
  });
  EXPECT_EQ(Differences(avant, ContenuInstallation(inst.dir())), std::vector<std::string>{});
  // The question named what would be replaced.
  std::vector<std::string> questions = inst.dialogs().Texts("question");
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_NE(questions[0].find("Conditions d'achat"), std::string::npos) << questions[0];
  EXPECT_NE(questions[0].find(") : REMISES.DB"), std::string::npos) << questions[0];
  EXPECT_TRUE(inst.dialogs().Texts("error").empty());
}

TEST(FicheRestauration, OneAgencyIsUndoneAloneAndTheRestorationCanItselfBeUndone) {
  Installation inst;
  auto w = FenetreAchat(inst);
  ASSERT_TRUE(w);
  Simuler(*w);
  const Contenu avant = ContenuInstallation(inst.dir());
  TransfertReel(*w);
  const Contenu apres = ContenuInstallation(inst.dir());
  std::string code;

  inst.dialogs().AnswerYes(false);  // "No" restores nothing
  inst.dialogs().AnswerYes(true);
  inst.dialogs().AnswerYes(true);
  OuvrirSauvegardes(*w, [&](TFicheRestauration& r) {
    ASSERT_EQ(r.Sauvegardes().size(), 1u);
    code = r.Sauvegardes()[0].run.agences.at(0).code;
    ASSERT_TRUE(r.SelectionnerAgence(code));
    Restaurer(r);
    EXPECT_EQ(r.Sauvegardes().size(), 1u);
    EXPECT_EQ(r.listMessages->count(), 0);

    Restaurer(r);
    ASSERT_EQ(r.Sauvegardes().size(), 2u);
    // Agency `code` is back as before the run, the others keep the run's changes.
    const Contenu partiel = ContenuInstallation(inst.dir());
    auto valeur = [](const Contenu& c, const std::string& rel) {
      auto it = c.find(rel);
      return it == c.end() ? std::vector<std::vector<std::string>>{{"<absent>"}} : it->second;
    };
    const std::vector<std::string> changes = Differences(avant, apres);
    EXPECT_TRUE(std::any_of(changes.begin(), changes.end(),
                            [&](const std::string& rel) { return rel.find("Agences/" + code + "/") == 0; }));
    for (const auto& rel : changes) {
      const bool deLAgence = rel.find("Agences/" + code + "/") == 0;
      EXPECT_EQ(valeur(partiel, rel), valeur(deLAgence ? avant : apres, rel)) << rel;
    }
    // Undo the restoration: its own backup, listed first.
    ASSERT_TRUE(r.SelectionnerSauvegarde(r.Sauvegardes()[0].run.nom));
    Restaurer(r);
    EXPECT_TRUE(Lignes(r.lstErreurs).empty());
  });
  EXPECT_EQ(Differences(apres, ContenuInstallation(inst.dir())), std::vector<std::string>{});
  std::vector<std::string> questions = inst.dialogs().Texts("question");
  ASSERT_EQ(questions.size(), 3u);
  EXPECT_NE(questions[1].find("pour la seule agence " + code), std::string::npos) << questions[1];
  EXPECT_NE(questions[2].find("(Avant la restauration de la sauvegarde du "), std::string::npos) << questions[2];
}

TEST(FicheRestauration, TheWindowAndTheCommandLineRestoreTheSameTables) {
  const std::string batch = std::string(CORVANES_BINARY_DIR) + "/corvanes-batch";
  if (!fs::exists(batch)) GTEST_SKIP() << "corvanes-batch not built at " << batch;
  Installation fenetre, ligne;
  auto w = FenetreAchat(fenetre);
  ASSERT_TRUE(w);
  TransfertReel(*w);
  // The same real run on the twin, through the core as the command line makes it.
  corv::RecordingRunReport rapport;
  corv::PreparationRun p = corv::PreparerRun(ligne.app(), ligne.app().FichierIni(), true);
  {
    corv::TransfertConditions run(ligne.app(), rapport, p.options,
                                  corv::LireOptionsConditions(ligne.app(), corv::kModeAchat));
    ASSERT_TRUE(run.Lancer().ok());
  }
  ASSERT_NE(p.sauvegarde->Run(), nullptr);
  const std::string nom = p.sauvegarde->Run()->Nom();
  ASSERT_EQ(Differences(ContenuInstallation(fenetre.dir()), ContenuInstallation(ligne.dir())), std::vector<std::string>{});

  auto commande = [&](const std::string& args) {
    std::string out;
    int rc = testutil::RunCommand("'" + batch + "' --ini '" + ligne.app().FichierIni() + "' restauration " + args + " 2>&1", &out);
    EXPECT_EQ(rc, 0) << out;
  };
  // One agency, then the whole run, each way.
  std::string code;
  fenetre.dialogs().AnswerYes(true);
  fenetre.dialogs().AnswerYes(true);
  OuvrirSauvegardes(*w, [&](TFicheRestauration& r) {
    ASSERT_EQ(r.Sauvegardes().size(), 1u);
    const std::string nomFenetre = r.Sauvegardes()[0].run.nom;  // the twin's run has a name of its own
    code = r.Sauvegardes()[0].run.agences.back().code;
    ASSERT_TRUE(r.SelectionnerAgence(code));
    Restaurer(r);
    commande(nom + " --agence " + code);
    EXPECT_EQ(Differences(ContenuInstallation(fenetre.dir()), ContenuInstallation(ligne.dir())), std::vector<std::string>{});
    ASSERT_TRUE(r.SelectionnerSauvegarde(nomFenetre));
    ASSERT_TRUE(r.SelectionnerAgence(""));
    Restaurer(r);
    commande(nom);
  });
  EXPECT_EQ(Differences(ContenuInstallation(fenetre.dir()), ContenuInstallation(ligne.dir())), std::vector<std::string>{});
  EXPECT_TRUE(fenetre.dialogs().Texts("error").empty());
}

TEST(FicheRestauration, ATableInUseOrAFileMissingFromTheBackupIsRefusedAndShown) {
  Installation inst;
  auto w = FenetreAchat(inst);
  ASSERT_TRUE(w);
  TransfertReel(*w);
  const Contenu apres = ContenuInstallation(inst.dir());

  inst.dialogs().AnswerYes(true);
  inst.dialogs().AnswerYes(true);
  OuvrirSauvegardes(*w, [&](TFicheRestauration& r) {
    ASSERT_EQ(r.Sauvegardes().size(), 1u);
    const corv::RunSauve run = r.Sauvegardes()[0].run;
    const corv::AgenceSauvee& a = run.agences.at(0);
    const corv::TableSauvee& t = a.tables.at(0);
    {
      // Another program writing the agency's table.
      std::unique_ptr<pdx::TableWriter> autre;
      ASSERT_TRUE(pdx::TableWriter::Open(pdx::Env::Default(), t.repertoireHote, t.fichier, {}, &autre).ok());
      Restaurer(r);
    }
    std::vector<std::string> erreurs = Lignes(r.lstErreurs);
    ASSERT_EQ(erreurs.size(), 1u);
    EXPECT_NE(erreurs[0].find("est utilisée par un autre programme"), std::string::npos) << erreurs[0];
    EXPECT_NE(erreurs[0].find(a.nom), std::string::npos) << erreurs[0];

    // A file of the backup gone.
    ASSERT_FALSE(t.fichiers.empty());
    fs::remove(run.repertoire + "/" + a.dossier + "/" + t.fichiers[0]);
    Restaurer(r);
    erreurs = Lignes(r.lstErreurs);
    ASSERT_EQ(erreurs.size(), 1u);  // the list shows the last attempt's
    EXPECT_NE(erreurs[0].find("la sauvegarde est incomplète"), std::string::npos) << erreurs[0];
    EXPECT_EQ(r.Sauvegardes().size(), 1u);  // nothing replaced, so nothing saved first
  });
  std::vector<std::string> boites = inst.dialogs().Texts("error");
  ASSERT_EQ(boites.size(), 2u);
  EXPECT_NE(boites[0].find("est utilisée par un autre programme"), std::string::npos);
  EXPECT_NE(boites[1].find("la sauvegarde est incomplète"), std::string::npos);
  EXPECT_EQ(Differences(apres, ContenuInstallation(inst.dir())), std::vector<std::string>{});
}

// A restoration never stops half way: closing the window while it runs is
// refused with a word, and a window destroyed meanwhile waits for its end
// (the tables are then all back) rather than leaving its thread behind.
TEST(FicheRestauration, ARestorationInProgressEndsBeforeItsWindowCloses) {
  Installation inst;
  auto w = FenetreAchat(inst);
  ASSERT_TRUE(w);
  Simuler(*w);
  const Contenu avant = ContenuInstallation(inst.dir());
  TransfertReel(*w);
  const Contenu apres = ContenuInstallation(inst.dir());
  const std::string libelle = w->windowTitle().toStdString();
  w.reset();

  auto r = std::make_unique<TFicheRestauration>(inst.app(), "conditions-achat", libelle);
  r->show();
  ASSERT_EQ(r->Sauvegardes().size(), 1u);
  r->LancerRestauration();
  ASSERT_TRUE(r->EnCours());
  EXPECT_FALSE(r->btnFermer->isEnabled());
  r->close();
  EXPECT_TRUE(r->isVisible());
  EXPECT_EQ(inst.dialogs().Texts("information"),
            std::vector<std::string>{
                "Une restauration est en cours : la fenêtre pourra être fermée quand elle sera terminée."});
  r->AttendreFin();
  EXPECT_FALSE(r->EnCours());
  EXPECT_TRUE(r->btnFermer->isEnabled());
  EXPECT_EQ(r->Sauvegardes().size(), 2u);  // with the restoration's own backup
  r->close();
  EXPECT_FALSE(r->isVisible());
  EXPECT_EQ(Differences(avant, ContenuInstallation(inst.dir())), std::vector<std::string>{});

  // Undone again, the window destroyed as soon as the restoration started.
  ASSERT_TRUE(r->SelectionnerSauvegarde(r->Sauvegardes()[0].run.nom));
  r->show();
  r->LancerRestauration();
  ASSERT_TRUE(r->EnCours());
  r.reset();
  EXPECT_EQ(Differences(apres, ContenuInstallation(inst.dir())), std::vector<std::string>{});
  EXPECT_TRUE(inst.dialogs().Texts("error").empty());
}

TEST(FicheRestauration, EachTaskWindowOpensTheBackupsOfItsOwnKind) {
  Installation inst;
  // One saved run of each kind, all of one agency table.
  const std::string admin = inst.dir() + "/Administration";
  const char* const sortes[] = {"conditions-achat", "conditions-vente", "personnalisations",
                                "messagerie",       "documents",        "nettoyage-clients"};
  std::map<std::string, std::string> noms;
  std::time_t t = 1796720400;
  for (const char* sorte : sortes) {
    corv::SauvegardeRun run(pdx::Env::Default(), corv::RacineSauvegardes(inst.app().FichierIni()), sorte, t += 60);
    ASSERT_TRUE(run.SauverTable("SIE", "Siège", "", admin, "Agence.DB").ok());
    noms[sorte] = run.Nom();
  }
  struct Fenetre {
    const char* classe;
    int mode;
    const char* sorte;
  };
  const Fenetre fenetres[] = {{"TFicheCopieRemiseAchatVersAgence", corv::kModeAchat, "conditions-achat"},
                              {"TFicheCopieRemiseAchatVersAgence", corv::kModeVente, "conditions-vente"},
                              {"TFicheCopiePersoVersAgence", 0, "personnalisations"},
                              {"TFicheCopieMessagerieVersAgence", 0, "messagerie"},
                              {"TFicheCopieDocumentVersAgence", 0, "documents"},
                              {"TFicheNettoyageClients", 0, "nettoyage-clients"}};
  for (const Fenetre& f : fenetres) {
    std::unique_ptr<QDialog> d = corv::CreerFenetreTache(f.classe, inst.app(), nullptr, f.mode);
    auto* w = dynamic_cast<TFicheTransfert*>(d.get());
    ASSERT_NE(w, nullptr) << f.classe;
    w->show();
    EXPECT_EQ(w->btnSauvegardes->text(), QStringLiteral("Sauvegardes...")) << f.classe;
    OuvrirSauvegardes(*w, [&](TFicheRestauration& r) {
      ASSERT_EQ(r.Sauvegardes().size(), 1u) << f.sorte;
      EXPECT_EQ(r.Sauvegardes()[0].run.nom, noms[f.sorte]);
      // Every later run saved the same table again.
      EXPECT_EQ(r.Sauvegardes()[0].modifieeDepuis.size(),
                static_cast<size_t>(std::end(sortes) - std::find(std::begin(sortes), std::end(sortes),
                                                                  std::string(f.sorte)) - 1))
          << f.sorte;
    });
  }
  EXPECT_TRUE(inst.dialogs().shown().empty());
}

}  // namespace
}  // namespace guitest
