#pragma once
// Reading an installation back through the core: start-up's configuration of
// the named databases from "qvrbde.ini", then the dictionary's components on
// head office's Administration and on each agency's Dossiers (re-pointed as the
// statistics do). What the run command shows until the desktop program exists.
#include <string>

#include "demo/generateur.h"
#include "paradox/env.h"
#include "paradox/status.h"

namespace corv::demo {

// Counts of head office's Administration tables (every dictionary table found
// there) and, per row of "Agence.DB" in key order, its directory and the
// counts of its dossiers, pieces and lines (sub-lines included; sousLignes =
// rows of "SLIGNE.DB"). An agency whose directory is missing is kAbsente; one
// with Flag bit 0 set is kPartagee.
pdx::Status Relire(pdx::Env* env, const std::string& dir, Bilan* out);
std::string Formater(const std::string& dir, const Bilan& b);
// Relire then Formater; *texte holds what could be read even on failure.
pdx::Status Resumer(pdx::Env* env, const std::string& dir, std::string* texte);

}  // namespace corv::demo
