#include "forms/captures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <exception>

namespace corv {

bool ContexteCapture::Capturer(QWidget* w, const std::string& nom) {
  if (!w->isVisible()) w->show();
  // A few rounds of events: layouts, first showing, delayed paints.
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 150) QApplication::processEvents(QEventLoop::AllEvents, 20);
  QDir().mkpath(dir_);
  QString chemin = dir_ + "/" + QString::fromStdString(nom) + ".png";
  bool ok = w->grab().save(chemin, "PNG");
  (ok ? fichiers_ : echecs_).push_back(chemin.toStdString());
  return ok;
}

std::vector<EtapeCapture> EtapesCapture() {
  std::vector<EtapeCapture> e;
  AjouterCapturesMain(e);
  AjouterCapturesAgence(e);
  AjouterCapturesSelectionModele(e);
  AjouterCapturesCodeArticle(e);
  AjouterCapturesTransferts(e);
  AjouterCapturesStatistiques(e);
  return e;
}

int ExecuterCaptures(ContexteCapture& ctx) {
  int echecs = 0;
  for (const EtapeCapture& etape : EtapesCapture()) {
    size_t avant = ctx.echecs().size();
    try {
      etape.executer(ctx);
    } catch (const std::exception& ex) {
      ++echecs;
      std::fprintf(stderr, "capture %s: %s\n", etape.nom.c_str(), ex.what());
      continue;
    }
    echecs += static_cast<int>(ctx.echecs().size() - avant);
  }
  return echecs;
}

}  // namespace corv
