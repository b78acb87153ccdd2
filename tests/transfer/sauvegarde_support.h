#pragma once
// Helpers of the backup and fault tests: a fresh demo installation of their own
// (the runs change it), an agency's Administration directory, and a table's rows
// as comparable text.
#include <memory>
#include <string>
#include <vector>

#include "demo/generateur.h"
#include "support/test_util.h"

namespace t3 {

struct Demo {
  testutil::TempDir tmp;
  std::string dir;  // the installation (qvrbde.ini, Administration, Agences, ...)
  corv::demo::Bilan bilan;
  std::string ini() const { return dir + "/qvrbde.ini"; }
  // Host directory of an agency's own Administration.
  std::string Administration(const std::string& code) const { return dir + "/Agences/" + code + "/Administration"; }
  // Codes of the agencies with their own Administration, in Code order.
  std::vector<std::string> AgencesPropres() const;
};

// Generates a small installation (seed 7, 8 December 2026); fails the test on error.
std::unique_ptr<Demo> NouvelleDemo(int agences, int dossiers);

// Every row of dir/table, one text per row (fields joined by '|'), in stored order;
// "<absent>" alone when the table cannot be read.
std::vector<std::string> Lignes(const std::string& dir, const std::string& table);

// Consistency findings of dir/table (pdx check), one line each; empty when clean.
std::vector<std::string> Controle(const std::string& dir, const std::string& table);

}  // namespace t3
