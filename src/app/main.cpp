// corvanes: the desktop program.
//   corvanes [--ini FILE] [--captures DIR]
// --ini: start on another installation's "qvrbde.ini" (default: the one beside
// the executable). --captures: open each window in turn, save each as
// DIR/<class>.png and exit (works with QT_QPA_PLATFORM=offscreen); messages go
// to standard error instead of boxes, so nothing waits for a user.
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "data/application.h"
#include "forms/captures.h"
#include "forms/fenetres.h"
#include "forms/fiche_main.h"
#include "forms/qt_dialogs.h"
#include "paradox/env.h"
#include "util/allocator.h"

int main(int argc, char** argv) {
  corv::KeepFreedMemory();
  corv::CorvApplication a(argc, argv);
  QApplication::setApplicationName("Corvanes");
  std::string ini, captures;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--ini") == 0 && i + 1 < argc) {
      ini = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath().toStdString();
    } else if (std::strcmp(argv[i], "--captures") == 0 && i + 1 < argc) {
      captures = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath().toStdString();
    } else {
      std::fprintf(stderr, "usage: corvanes [--ini FILE] [--captures DIR]\n");
      return 2;
    }
  }
  corv::QtDialogs boites;
  corv::ConsoleDialogs console("corvanes: ");
  corv::Dialogs& dialogs = captures.empty() ? static_cast<corv::Dialogs&>(boites) : console;
  a.DefinirDialogues(&dialogs);
  try {
    corv::Application app(pdx::Env::Default(), QApplication::applicationFilePath().toStdString(), dialogs);
    if (!app.Demarrer(ini)) return 0;
    corv::TFicheMainCorvane principale(app);
    principale.show();
    if (!captures.empty()) {
      corv::ContexteCapture ctx(app, QString::fromStdString(captures), &principale);
      int echecs = corv::ExecuterCaptures(ctx);
      for (const std::string& f : ctx.fichiers()) std::printf("%s\n", f.c_str());
      return echecs == 0 ? 0 : 1;
    }
    return a.exec();
  } catch (const std::exception& e) {
    dialogs.Error(e.what());
  } catch (...) {
    dialogs.Error("");
  }
  return 0;
}
