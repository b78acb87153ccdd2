#pragma once
// One small demo installation shared by the tests of this suite (generated on
// first use), and a table read whole into memory.
#include <string>
#include <vector>

#include "demo/generateur.h"
#include "paradox/table.h"

namespace demotest {

struct Installation {
  std::string dir;
  corv::demo::Options options;
  corv::demo::Bilan bilan;
};

// Five agencies, 80 dossiers each, seed 7, reference date 8 December 2026.
const Installation& Demo();

struct TableLue {
  pdx::TableInfo info;
  std::vector<std::vector<pdx::Value>> rows;
  // Field index (from 0) by name; fails the test when absent.
  size_t F(const std::string& nom) const;
  const pdx::Value& V(size_t row, const std::string& nom) const { return rows[row][F(nom)]; }
};

// Reads dir/name whole (relative to the installation); fails the test on error.
TableLue Lire(const std::string& relatif, const std::string& nom);
TableLue LireDans(const std::string& dir, const std::string& nom);
// The Env the tests generate through (no disk syncs).
pdx::Env* EnvDemo();
bool Existe(const std::string& relatif, const std::string& nom);

}  // namespace demotest
