// corvanes: the desktop program.
//   corvanes [--ini FILE] [--captures DIR]
// --ini: start on another installation's "qvrbde.ini" (default: the one beside
// the executable). --captures: open each window in turn, save each as
// DIR/<class>.png and exit (works with QT_QPA_PLATFORM=offscreen); messages go
// to standard error instead of boxes, so nothing waits for a user.
#include <QIcon>
#include <string>
#include <vector>

#include "forms/fenetres.h"
#include "forms/programme.h"
#include "forms/qt_dialogs.h"
#include "util/allocator.h"

int main(int argc, char** argv) {
  corv::KeepFreedMemory();
  corv::CorvApplication a(argc, argv);
  QApplication::setApplicationName("Corvanes");
  QApplication::setWindowIcon(QIcon(":/corvanes.png"));
  // From Qt, which reads them as UTF-8 on every system (on Windows argv holds
  // the ANSI code page).
  std::vector<std::string> args;
  const QStringList qargs = QApplication::arguments();
  for (qsizetype i = 1; i < qargs.size(); ++i) args.push_back(qargs[i].toStdString());
  corv::QtDialogs boites;
  return corv::ExecuterProgramme(args, QApplication::applicationFilePath().toStdString(), boites);
}
