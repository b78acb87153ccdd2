#pragma once
// The options the program reads from "Corvanes.ini" and "import.ini" (both in
// the administration directory), with their defaults.
#include <string>

#include "util/ini.h"

namespace corv {

// Sections "TransfertRemiseAchat" (purchase) and "TransfertRemiseVente" (sales).
inline constexpr const char* kSectionRemiseAchat = "TransfertRemiseAchat";
inline constexpr const char* kSectionRemiseVente = "TransfertRemiseVente";

struct OptionsTransfertRemise {
  bool suppressionRemisesAgence = true;
  bool ajoutFournisseursSansRemises = true;
  bool inclureFournisseursZoneLibre = false;
  bool afficherInfosDetaillees = false;
};

OptionsTransfertRemise LireOptionsTransfertRemise(const IniFile& corvanesIni, const std::string& section);
void EcrireOptionsTransfertRemise(IniFile& corvanesIni, const std::string& section, const OptionsTransfertRemise& o);

// "import.ini", section "Client", key "Periode" (default 0).
long long LirePeriodeImport(const IniFile& importIni);

}  // namespace corv
