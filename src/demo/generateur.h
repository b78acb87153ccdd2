#pragma once
// corvanes-demo: writes a complete demo installation (head office with its
// agencies) under one directory, through the dictionary and the engine, the
// same for a given seed and reference date.
//
// Layout written under the directory (Windows prefix "Q:" mapped to it by the
// "Chemins" section of "qvrbde.ini"):
//   qvrbde.ini
//   Administration   head office's tables, "Corvanes.ini", "import.ini",
//                    "General", and the "Documents" tree (Interne, Externe, Standard)
//   Dossiers, Archives, Corbeille, Tarifs, Maj
//   Agences/<code>   each agency's installation ("Administration", "Dossiers")
//
// Contract: the directory may exist but must not already hold an installation
// ("qvrbde.ini"); a failure says which file and why, and the files written so
// far stay (the caller removes the directory).
#include <string>
#include <vector>

#include "demo/monde.h"
#include "paradox/env.h"
#include "paradox/status.h"

namespace corv::demo {

struct BilanAgence {
  std::string code, nom, repertoire;
  SorteAgence sorte = SorteAgence::kPropre;
  size_t dossiers = 0, pieces = 0, lignes = 0, sousLignes = 0;
};

struct Bilan {
  std::vector<std::pair<std::string, size_t>> tablesSiege;  // head office's Administration: file, rows
  std::vector<BilanAgence> agences;
};

pdx::Status Generer(pdx::Env* env, const Options& o, Bilan* bilan);

// Parses "YYYY-MM-DD"; false when it is not a valid date.
bool LireDate(const std::string& s, double* jour);

}  // namespace corv::demo
