// The background helper of the task windows, on a bare window: what the run
// reports is all shown before its end, closing waits for the stop, and a
// window destroyed during a run leaves no run behind it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "forms/qt_run_report.h"
#include "forms/tache_fenetre.h"

namespace {

using corv::QtRunReport;
using corv::RunReport;
using corv::TacheFenetre;

TEST(TacheFenetre, EveryLineArrivesInOrderBeforeTheEndAndARunIsOneAtATime) {
  QDialog fenetre;
  auto* tache = new TacheFenetre(&fenetre);
  QStringList lignes;
  int agence = -1;
  QObject::connect(tache->qtReport(), &QtRunReport::message, &fenetre, [&](const QString& l) { lignes << l; });
  QObject::connect(tache->qtReport(), &QtRunReport::agencyProgress, &fenetre, [&](int p, int) { agence = p; });
  int lignesALaFin = -1, agenceALaFin = -1;
  QString erreur = "pas de fin";
  bool enCoursALaFin = true;
  QObject::connect(tache, &TacheFenetre::termine, &fenetre, [&](const QString& e) {
    lignesALaFin = static_cast<int>(lignes.size());
    agenceALaFin = agence;
    enCoursALaFin = tache->EnCours();
    erreur = e;
  });
  ASSERT_TRUE(tache->Lancer([](RunReport& r) {
    for (int i = 0; i < 2000; ++i) r.Message("ligne " + std::to_string(i));
    r.AgencyProgress(7, 7);
    return std::string("Agence de Lyon : échec");
  }));
  EXPECT_TRUE(tache->EnCours());
  EXPECT_FALSE(tache->Lancer([](RunReport&) { return std::string(); }));
  tache->AttendreFin();
  EXPECT_FALSE(tache->EnCours());
  EXPECT_EQ(lignesALaFin, 2000);
  EXPECT_EQ(agenceALaFin, 7);
  EXPECT_FALSE(enCoursALaFin);
  EXPECT_EQ(erreur, QString("Agence de Lyon : échec"));
  ASSERT_EQ(lignes.size(), 2000);
  EXPECT_EQ(lignes.front(), "ligne 0");
  EXPECT_EQ(lignes.back(), "ligne 1999");
}

TEST(TacheFenetre, CloseAfterStopClosesTheWindowOnceTheRunHasEnded) {
  QDialog fenetre;
  fenetre.show();
  auto* tache = new TacheFenetre(&fenetre);
  bool fermetureVue = false;
  QObject::connect(tache, &TacheFenetre::termine, &fenetre,
                   [&](const QString&) { fermetureVue = tache->FermetureDemandee(); });
  RunReport& rapport = tache->report();  // as a run object built before the start holds it
  ASSERT_TRUE(tache->Lancer([&rapport](RunReport&) {
    while (!rapport.StopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return std::string();
  }));
  tache->FermerApresArret();
  EXPECT_TRUE(fenetre.isVisible());
  tache->AttendreFin();
  EXPECT_TRUE(fermetureVue);
  EXPECT_FALSE(fenetre.isVisible());
  EXPECT_FALSE(tache->FermetureDemandee());
}

TEST(TacheFenetre, AWindowDestroyedDuringARunStopsItAndWaitsForIt) {
  auto fini = std::make_shared<std::atomic<bool>>(false);
  bool termineVu = false;
  {
    QDialog fenetre;
    auto* tache = new TacheFenetre(&fenetre);
    QObject::connect(tache, &TacheFenetre::termine, [&](const QString&) { termineVu = true; });
    ASSERT_TRUE(tache->Lancer([fini](RunReport& r) {
      while (!r.StopRequested()) {
        r.Message("encore");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      fini->store(true);
      return std::string();
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(fini->load());
  QCoreApplication::processEvents();  // nothing of the run is left to deliver
  EXPECT_FALSE(termineVu);
}

}  // namespace
