#pragma once
// What a user reads of a failure: a French phrase for its kind, then the
// detail as it was reported (it names the file; the engine's own words stay in
// English for whoever looks into the fault).
#include <string>

#include "paradox/status.h"

namespace corv {

// "fichier introuvable", "fichier endommagé", ...; "" for OK.
std::string FrenchKind(const pdx::Status& s);

// FrenchKind(s) followed by the detail in brackets ("fichier endommagé
// (CLIENT.DB: bad block 3)"); the phrase alone when there is no detail.
std::string FrenchText(const pdx::Status& s);

}  // namespace corv
