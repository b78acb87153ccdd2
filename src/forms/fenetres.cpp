#include "forms/fenetres.h"

#include <QFont>
#include <exception>
#include <utility>

#include "util/dialogs.h"

namespace corv {
namespace {
CrochetModal& Crochet() {
  static CrochetModal c;
  return c;
}
}  // namespace

int ExecuterModal(QDialog& fenetre) {
  if (Crochet()) return Crochet()(fenetre);
  return fenetre.exec();
}

void DefinirCrochetModal(CrochetModal crochet) { Crochet() = std::move(crochet); }

bool Garder(Dialogs& dialogs, const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const std::exception& e) {
    dialogs.Error(e.what());
  } catch (...) {
    dialogs.Error("Erreur inconnue");
  }
  return false;
}

bool CorvApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    if (dialogs_) dialogs_->Error(e.what());
  } catch (...) {
    if (dialogs_) dialogs_->Error("Erreur inconnue");
  }
  return false;
}

QFont PoliceSansSerif(int pixels, bool gras) {
  // The original's font on Windows, through its scalable successor where Qt
  // does not list the bitmap one; elsewhere a sans serif of the same widths.
  QFont f;
  f.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans"});
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(pixels);
  f.setBold(gras);
  return f;
}

}  // namespace corv
