#pragma once
// Installations for the transfer tests: a private copy of the demo installation
// (generated once per test program, copied for each test), or a small one built
// table by table. Either is started like the program (Application::Demarrer on
// its "qvrbde.ini"), with the executable's directory in "bin".
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/application.h"
#include "demo/generateur.h"
#include "paradox/table.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

namespace transfertest {

using Ligne = std::map<std::string, pdx::Value>;

pdx::Value T(const std::string& s);
pdx::Value I(int64_t v);
pdx::Value N(double v);

class Installation {
 public:
  // An empty installation: the six named databases ("Q:" mapped to the
  // directory), "bin" for the executable, nothing else.
  Installation();
  ~Installation();

  const std::string& dir() const { return tmp_.path(); }
  std::string Hote(const std::string& relatif) const { return dir() + "/" + relatif; }
  std::string ExePath() const { return Hote("bin/Corvanes"); }
  std::string Ini() const { return Hote("qvrbde.ini"); }

  // Creates relatif/fichier from the dictionary table of that file name (alias
  // QuintrelAdministration unless given) holding the rows.
  void Table(const std::string& relatif, const std::string& fichier, const std::vector<Ligne>& lignes,
             const std::string& alias = "QuintrelAdministration");
  // Adds a row of head office's "Agence.DB" (created on first use);
  // repertoire is relative to the installation ("Agences/A1"), or absolute
  // Windows form when it starts with "Q:".
  void Agence(const std::string& code, const std::string& nom, const std::string& repertoire, int flag);
  // An agency directory with its "Administration" and "Dossiers".
  void RepertoireAgence(const std::string& relatif);

  // Starts the program on this installation (once).
  corv::Application& app();
  testutil::ScriptedDialogs dialogs;

  // Rows of relatif/fichier in primary-key order.
  std::vector<std::vector<pdx::Value>> Lire(const std::string& relatif, const std::string& fichier) const;
  pdx::TableInfo Info(const std::string& relatif, const std::string& fichier) const;
  // Bytes of every file of a directory (names and contents), to compare
  // before and after.
  std::map<std::string, std::string> Empreinte(const std::string& relatif) const;

 private:
  friend std::unique_ptr<Installation> CopieDemo();
  testutil::TempDir tmp_;
  std::vector<Ligne> agences_;
  std::unique_ptr<corv::Application> app_;
};

// A fresh copy of the demo installation (5 agencies, seed 7, 8 December 2026).
std::unique_ptr<Installation> CopieDemo();
const corv::demo::Bilan& BilanDemo();

}  // namespace transfertest
