#pragma once
// The "Edition" page's grid exported as a semicolon-separated file: a title
// line, a header line ("Agences;Fournisseurs"), one line per grid row; code
// page 1252, CR LF. The file is written aside and renamed over the target.
#include <string>
#include <vector>

#include "agency/carte_agence.h"
#include "paradox/env.h"
#include "paradox/status.h"

namespace corv {

std::string CsvEdition(const std::string& titre, const std::vector<LigneEdition>& lignes);

// Writes UTF-8 text as code page 1252 (InvalidArgument naming the character's
// line when one has no place in it; the target is then left as it was).
pdx::Status EcrireFichier1252(pdx::Env* env, const std::string& cheminHote, const std::string& texteUtf8);

}  // namespace corv
