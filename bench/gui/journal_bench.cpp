// Window log benchmark: a run logs LINES message lines (a detailed conditions
// log) from its worker thread into a transfer window; measures the time from
// the start until the window shows every line and is ready for another run.
// Last line: lines_per_second=X.
// Usage: journal_bench [LINES]   (default 500000; QT_QPA_PLATFORM=offscreen
// runs it without a display)
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/application.h"
#include "forms/fiche_transfert.h"
#include "paradox/env.h"
#include "util/run_report.h"

namespace {

class SansBoites : public corv::UnattendedDialogs {
 public:
  void Message(corv::MessageKind, const std::string& text, const std::string&) override {
    std::fprintf(stderr, "journal_bench: %s\n", text.c_str());
  }
};

class FenetreJournal : public corv::TFicheTransfert {
 public:
  FenetreJournal(corv::Application& app, int lignes) : TFicheTransfert(app), lignes_(lignes) {}

 protected:
  // The lines are those of a detailed purchase conditions log.
  corv::SorteTransfert SorteFenetre() const override { return corv::SorteTransfert::kConditionsAchat; }
  Travail PreparerTravail() override {
    const int n = lignes_;
    return [n](corv::RunReport& r) -> std::string {
      for (int i = 0; i < n; ++i)
        r.Message(" => Agence  : Agence de Nantes - Remise ajoutée : 2, AL, , 1, " + std::to_string(i % 100) +
                  ", 10, 5, 0");
      return "";
    };
  }

 private:
  int lignes_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  const int lignes = argc > 1 ? std::atoi(argv[1]) : 500000;
  SansBoites boites;
  corv::Application app(pdx::Env::Default(), QApplication::applicationFilePath().toStdString(), boites);
  FenetreJournal f(app, lignes);
  f.show();
  QElapsedTimer t;
  t.start();
  f.btnLancerClick();
  f.AttendreFin();
  const double s = static_cast<double>(t.elapsed()) / 1000.0;
  if (f.listMessages->count() != lignes) {
    std::fprintf(stderr, "journal_bench: %d lines shown, %d logged\n", f.listMessages->count(), lignes);
    return 1;
  }
  std::printf("lines=%d seconds=%.3f\n", lignes, s);
  std::printf("lines_per_second=%.0f\n", s > 0 ? lignes / s : 0.0);
  return 0;
}
