#pragma once
// A Dialogs double for tests: records every box and question shown, and answers
// from queues the test fills. An unexpected question (empty queue) fails the test
// and answers No / cancel.
#include <deque>
#include <string>
#include <vector>

#include "util/dialogs.h"

namespace testutil {

class ScriptedDialogs : public corv::Dialogs {
 public:
  struct Shown {
    std::string what;  // "information", "warning", "error", "question", "input", "file", "directory"
    std::string caption;
    std::string text;
  };

  void Message(corv::MessageKind kind, const std::string& text, const std::string& caption) override;
  bool Question(const std::string& text, const std::string& caption) override;
  bool Input(const std::string& caption, const std::string& prompt, std::string* value) override;
  bool ChooseFile(const std::string& caption, const std::string& filter, bool save, std::string* path) override;
  bool ChooseDirectory(const std::string& caption, std::string* path) override;
  void BeginWait() override;
  void EndWait() override;
  void ProcessEvents() override { ++events_; }

  // Answers, consumed in order.
  void AnswerYes(bool yes) { yesNo_.push_back(yes); }
  // An empty optional-like: pass cancel = true to answer "cancel".
  void AnswerText(const std::string& text, bool cancel = false) { texts_.push_back({text, cancel}); }

  const std::vector<Shown>& shown() const { return shown_; }
  // Texts of the boxes of one kind ("warning", ...), in order.
  std::vector<std::string> Texts(const std::string& what) const;
  void Clear() { shown_.clear(); }
  int waitDepth() const { return waitDepth_; }
  int maxWaitDepth() const { return maxWaitDepth_; }
  int events() const { return events_; }

 private:
  struct TextAnswer {
    std::string text;
    bool cancel;
  };
  bool NextText(std::string* value);

  std::vector<Shown> shown_;
  std::deque<bool> yesNo_;
  std::deque<TextAnswer> texts_;
  int waitDepth_ = 0;
  int maxWaitDepth_ = 0;
  int events_ = 0;
};

}  // namespace testutil
