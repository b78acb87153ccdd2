#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace testutil {

void ScriptedDialogs::Message(corv::MessageKind kind, const std::string& text, const std::string& caption) {
  const char* what = kind == corv::MessageKind::kInformation ? "information"
                     : kind == corv::MessageKind::kWarning   ? "warning"
                                                             : "error";
  shown_.push_back({what, caption, text});
}

bool ScriptedDialogs::Question(const std::string& text, const std::string& caption) {
  shown_.push_back({"question", caption, text});
  if (yesNo_.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return false;
  }
  bool a = yesNo_.front();
  yesNo_.pop_front();
  return a;
}

bool ScriptedDialogs::NextText(std::string* value) {
  if (texts_.empty()) {
    ADD_FAILURE() << "unexpected request for text: " << shown_.back().text;
    return false;
  }
  TextAnswer a = texts_.front();
  texts_.pop_front();
  if (a.cancel) return false;
  *value = a.text;
  return true;
}

bool ScriptedDialogs::Input(const std::string& caption, const std::string& prompt, std::string* value) {
  shown_.push_back({"input", caption, prompt});
  return NextText(value);
}

bool ScriptedDialogs::ChooseFile(const std::string& caption, const std::string& filter, bool save, std::string* path) {
  shown_.push_back({"file", caption, (save ? "save " : "open ") + filter});
  return NextText(path);
}

bool ScriptedDialogs::ChooseDirectory(const std::string& caption, std::string* path) {
  shown_.push_back({"directory", caption, ""});
  return NextText(path);
}

void ScriptedDialogs::BeginWait() {
  ++waitDepth_;
  if (waitDepth_ > maxWaitDepth_) maxWaitDepth_ = waitDepth_;
}

void ScriptedDialogs::EndWait() {
  if (waitDepth_ == 0) ADD_FAILURE() << "EndWait without BeginWait";
  else --waitDepth_;
}

std::vector<std::string> ScriptedDialogs::Texts(const std::string& what) const {
  std::vector<std::string> out;
  for (const auto& s : shown_)
    if (s.what == what) out.push_back(s.text);
  return out;
}

}  // namespace testutil
