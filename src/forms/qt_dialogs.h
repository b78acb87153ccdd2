#pragma once
// The dialog interface of the core, with real Qt dialogs: message boxes with
// one OK button, Yes/No questions, an input box, file and directory choosers and
// the wait cursor. Captions left empty take the program's name.
#include <QWidget>
#include <QPointer>

#include "util/dialogs.h"

namespace corv {

class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  // The window dialogs are centred on (the active window when null).
  void DefinirParent(QWidget* parent) { parent_ = parent; }

  void Message(MessageKind kind, const std::string& text, const std::string& caption) override;
  bool Question(const std::string& text, const std::string& caption) override;
  bool Input(const std::string& caption, const std::string& prompt, std::string* value) override;
  bool ChooseFile(const std::string& caption, const std::string& filter, bool save, std::string* path) override;
  bool ChooseDirectory(const std::string& caption, std::string* path) override;
  void BeginWait() override;
  void EndWait() override;
  void ProcessEvents() override;

 private:
  QWidget* Parent() const;
  QPointer<QWidget> parent_;
};

// "Fichiers CSV (*.csv)|*.csv|Tous (*.*)|*.*" -> "Fichiers CSV (*.csv);;Tous (*.*)".
QString FiltreQt(const std::string& filter);
// path with the extension of the filter's pair number `choisi` ("*.xlsx" ->
// ".xlsx", lower case) when its file name has none; unchanged for "*.*".
std::string AvecExtensionDuFiltre(const std::string& filter, int choisi, const std::string& path);

}  // namespace corv
