#pragma once
// What the window tests share: a small demo installation per test (generated
// once, then copied) with the application started on it and its dialogs
// answered by the scripted double; the modal display replaced so that a test
// sees and drives every window a window opens; tables read back from disk.
#include <QDialog>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/application.h"
#include "paradox/types.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

namespace guitest {

// A fresh copy of the shared demo (five agencies: the first with its own
// installation, the second sharing head office's Administration, the third with
// frozen suppliers, the fourth with a 46-field "FOURNIS.DB", the last whose
// directory is missing).
class Installation {
 public:
  Installation();
  const std::string& dir() const { return tmp_.path(); }
  std::string Administration() const { return dir() + "/Administration"; }
  // Host directory of an agency's installation.
  std::string Agence(const std::string& code) const { return dir() + "/Agences/" + code; }
  corv::Application& app() { return *app_; }
  testutil::ScriptedDialogs& dialogs() { return dialogs_; }

 private:
  testutil::TempDir tmp_;
  testutil::ScriptedDialogs dialogs_;
  std::unique_ptr<corv::Application> app_;
};

// Replaces the modal display while alive: each window shown modally is
// recorded (class name from its objectName, caption) and handed to `pilote`
// when set, which may drive it; the window then counts as closed.
class ModalesEnregistrees {
 public:
  struct Vue {
    std::string objet, titre;
  };
  explicit ModalesEnregistrees(std::function<int(QDialog&)> pilote = nullptr);
  ~ModalesEnregistrees();
  const std::vector<Vue>& vues() const { return vues_; }

 private:
  std::vector<Vue> vues_;
  std::function<int(QDialog&)> pilote_;
};

struct TableLue {
  std::vector<pdx::FieldDesc> champs;
  std::vector<std::vector<pdx::Value>> lignes;
  int F(const std::string& nom) const;  // field index from 0, -1 when absent
  std::string T(size_t ligne, const std::string& nom) const;
};
TableLue Lire(const std::string& dir, const std::string& table);

// A child widget by objectName; fails the test when absent.
template <typename W>
W* Trouver(QWidget* parent, const char* nom) {
  W* w = parent->findChild<W*>(QString::fromUtf8(nom));
  EXPECT_NE(w, nullptr) << "no widget " << nom;
  return w;
}

// Every table of an installation (rows as text) and every document file, by
// path relative to it; backups, logs and the executable's directory left out.
using Contenu = std::map<std::string, std::vector<std::vector<std::string>>>;
Contenu ContenuInstallation(const std::string& racine);

void Evenements(int ms = 10);

}  // namespace guitest
