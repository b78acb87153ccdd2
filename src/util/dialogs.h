#pragma once
// How the core talks to the user. The core never shows a window itself: it calls
// this interface, which the desktop program implements with real dialogs and the
// tests implement with a scripted double that records every text.
//
// Contract:
//  - Message boxes are modal, have a caption and one OK button. An empty caption
//    means the program's standard caption for that kind of box.
//  - Question asks Yes/No; true for Yes.
//  - Input, ChooseFile and ChooseDirectory return false when the user cancels,
//    leaving *value as it was; otherwise *value holds the answer.
//  - BeginWait/EndWait nest: the wait cursor shows while at least one is open
//    (use WaitCursor for a scoped one).
//  - ProcessEvents lets the interface repaint and react between the items of a
//    long loop; it never re-enters the core.
#include <cstdio>
#include <string>
#include <utility>

namespace corv {

enum class MessageKind { kInformation, kWarning, kError };

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  virtual void Message(MessageKind kind, const std::string& text, const std::string& caption = "") = 0;
  virtual bool Question(const std::string& text, const std::string& caption = "") = 0;
  virtual bool Input(const std::string& caption, const std::string& prompt, std::string* value) = 0;
  // filter: e.g. "Fichiers CSV (*.csv)|*.csv"; save: a save chooser rather than open.
  virtual bool ChooseFile(const std::string& caption, const std::string& filter, bool save, std::string* path) = 0;
  virtual bool ChooseDirectory(const std::string& caption, std::string* path) = 0;
  virtual void BeginWait() = 0;
  virtual void EndWait() = 0;
  virtual void ProcessEvents() = 0;

  void Information(const std::string& text, const std::string& caption = "") {
    Message(MessageKind::kInformation, text, caption);
  }
  void Warning(const std::string& text, const std::string& caption = "") {
    Message(MessageKind::kWarning, text, caption);
  }
  void Error(const std::string& text, const std::string& caption = "") { Message(MessageKind::kError, text, caption); }
};

// Dialogs where no user is at hand to answer (a command line, a run on a
// worker thread): the subclass says where messages go; questions are answered
// No, inputs and choosers cancelled, and there is no wait cursor.
class UnattendedDialogs : public Dialogs {
 public:
  bool Question(const std::string&, const std::string&) override { return false; }
  bool Input(const std::string&, const std::string&, std::string*) override { return false; }
  bool ChooseFile(const std::string&, const std::string&, bool, std::string*) override { return false; }
  bool ChooseDirectory(const std::string&, std::string*) override { return false; }
  void BeginWait() override {}
  void EndWait() override {}
  void ProcessEvents() override {}
};

// Dialogs of a program without a user interface (the demo generator, the
// benchmarks): each message is a line on standard error, after the prefix.
class ConsoleDialogs : public UnattendedDialogs {
 public:
  explicit ConsoleDialogs(std::string prefix = "") : prefix_(std::move(prefix)) {}
  int shown = 0;  // messages shown so far
  void Message(MessageKind, const std::string& text, const std::string&) override {
    ++shown;
    std::fprintf(stderr, "%s%s\n", prefix_.c_str(), text.c_str());
  }

 private:
  std::string prefix_;
};

// The wait cursor for the life of a scope.
class WaitCursor {
 public:
  explicit WaitCursor(Dialogs& d) : d_(d) { d_.BeginWait(); }
  ~WaitCursor() { d_.EndWait(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Dialogs& d_;
};

}  // namespace corv
