// corvanes: the desktop program.
//   corvanes [--ini FILE] [--captures DIR]
// --ini: start on another installation's "qvrbde.ini" (default: the one beside
// the executable). --captures: open each window in turn, save each as
// DIR/<class>.png and exit (works with QT_QPA_PLATFORM=offscreen); messages go
// to standard error instead of boxes, so nothing waits for a user.
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
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  corv::QtDialogs boites;
  return corv::ExecuterProgramme(args, QApplication::applicationFilePath().toStdString(), boites);
}
