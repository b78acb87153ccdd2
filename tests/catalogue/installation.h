#pragma once
// A small demo installation per test (generated once, then copied), with the
// application started on it.
#include <memory>
#include <string>
#include <vector>

#include "data/application.h"
#include "paradox/types.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

namespace cattest {

// A fresh copy of the shared demo installation, and the application on it.
class Installation {
 public:
  Installation();
  const std::string& dir() const { return tmp_.path(); }
  corv::Application& app() { return *app_; }
  corv::TDM& dm() { return *app_->dm(); }
  testutil::ScriptedDialogs& dialogs() { return dialogs_; }
  std::string Tarifs() const { return dir() + "/Tarifs"; }
  std::string Administration() const { return dir() + "/Administration"; }

 private:
  testutil::TempDir tmp_;
  testutil::ScriptedDialogs dialogs_;
  std::unique_ptr<corv::Application> app_;
};

// Every row of dir/table, values in field order.
std::vector<std::vector<pdx::Value>> LireTable(const std::string& dir, const std::string& table,
                                               std::vector<pdx::FieldDesc>* champs = nullptr);
std::string Texte(const pdx::Value& v);

}  // namespace cattest
