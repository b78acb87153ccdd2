#pragma once
// What every window of the program shares: how a modal window is shown (a test
// replaces that to drive the window and answer it), how an exception escaping
// a user action is shown, and the application object that shows any other.
#include <QApplication>
#include <QDialog>
#include <functional>

namespace corv {

class Dialogs;

// Shows a window modally and returns its result. Every window of the program
// opens its modal windows through this, so that tests can see and drive them.
int ExecuterModal(QDialog& fenetre);

// Replaces the modal display (tests): the hook gets the window, already
// created, and returns the result the window would have. Null restores exec().
using CrochetModal = std::function<int(QDialog&)>;
void DefinirCrochetModal(CrochetModal crochet);

// Runs a user action; an exception escaping it is shown in an error box and the
// program carries on. Returns false when one escaped.
bool Garder(Dialogs& dialogs, const std::function<void()>& action);

// The program's application object: an exception that escapes an event handler
// is shown through the dialogs and the event loop goes on.
class CorvApplication : public QApplication {
 public:
  CorvApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  void DefinirDialogues(Dialogs* dialogs) { dialogs_ = dialogs; }
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  Dialogs* dialogs_ = nullptr;
};

// The font of the tiles and captions: "MS Sans Serif" where the system has it.
QFont PoliceSansSerif(int pixels, bool gras = false);

}  // namespace corv
