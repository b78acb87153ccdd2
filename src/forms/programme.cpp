#include "forms/programme.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <exception>

#include "data/application.h"
#include "data/demarrage.h"
#include "forms/captures.h"
#include "forms/fenetres.h"
#include "forms/fiche_main.h"
#include "paradox/env.h"
#include "util/dialogs.h"

namespace corv {

namespace {

std::string CheminAbsolu(const std::string& chemin) {
  return QFileInfo(QString::fromLocal8Bit(chemin.c_str())).absoluteFilePath().toStdString();
}

int Executer(const std::string& ini, const std::string& captures, const std::string& exePath, Dialogs& dialogs) {
  Application app(pdx::Env::Default(), exePath, dialogs);
  pdx::Status s = app.Demarrer(ini);
  if (!s.ok()) {
    SignalerEchecDemarrage(s, dialogs);
    return 1;
  }
  TFicheMainCorvane principale(app);
  principale.show();
  if (!captures.empty()) {
    ContexteCapture ctx(app, QString::fromStdString(captures), &principale);
    int echecs = ExecuterCaptures(ctx);
    for (const std::string& f : ctx.fichiers()) std::printf("%s\n", f.c_str());
    return echecs == 0 ? 0 : 1;
  }
  return QApplication::exec();
}

}  // namespace

int ExecuterProgramme(const std::vector<std::string>& args, const std::string& exePath, Dialogs& boites) {
  std::string ini, captures;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--ini" && i + 1 < args.size()) {
      ini = CheminAbsolu(args[++i]);
    } else if (args[i] == "--captures" && i + 1 < args.size()) {
      captures = CheminAbsolu(args[++i]);
    } else {
      std::fprintf(stderr, "Usage : corvanes [--ini FICHIER] [--captures RÉPERTOIRE]\n");
      return 2;
    }
  }
  ConsoleDialogs console("corvanes : ");
  Dialogs& dialogs = captures.empty() ? boites : static_cast<Dialogs&>(console);
  auto* application = dynamic_cast<CorvApplication*>(QCoreApplication::instance());
  if (application) application->DefinirDialogues(&dialogs);
  int code = 1;
  try {
    code = Executer(ini, captures, exePath, dialogs);
  } catch (const std::exception& e) {
    dialogs.Error(std::string("Corvanes s'arrête sur une erreur inattendue :\n") + e.what());
  } catch (...) {
    dialogs.Error("Corvanes s'arrête sur une erreur inattendue.");
  }
  if (application) application->DefinirDialogues(nullptr);
  return code;
}

}  // namespace corv
