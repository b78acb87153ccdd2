#pragma once
// The dialogs of a run on a worker thread: its message boxes are shown by the
// window's own dialogs, on the window's thread, in the order the run gave them;
// the run does not wait for them. A run on a worker never asks a question or
// for a file (it is answered No / cancel), and the wait cursor and event
// processing are the window's business.
#include <QObject>

#include "util/dialogs.h"

namespace corv {

class DialogsRelais : public UnattendedDialogs {
 public:
  // fenetre: the window whose thread shows the boxes; boxes still on their way
  // when it is destroyed are dropped.
  DialogsRelais(Dialogs& cible, QObject* fenetre) : cible_(cible), fenetre_(fenetre) {}

  void Message(MessageKind kind, const std::string& text, const std::string& caption) override;

 private:
  Dialogs& cible_;
  QObject* fenetre_;
};

}  // namespace corv
