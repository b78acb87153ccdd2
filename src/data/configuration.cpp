#include "data/configuration.h"

namespace corv {

OptionsTransfertRemise LireOptionsTransfertRemise(const IniFile& ini, const std::string& section) {
  OptionsTransfertRemise o;
  o.suppressionRemisesAgence = ini.ReadBool(section, "SuppressionRemisesAgence", o.suppressionRemisesAgence);
  o.ajoutFournisseursSansRemises = ini.ReadBool(section, "AjoutFournisseursSansRemises", o.ajoutFournisseursSansRemises);
  o.inclureFournisseursZoneLibre = ini.ReadBool(section, "InclureFournisseursZoneLibre", o.inclureFournisseursZoneLibre);
  o.afficherInfosDetaillees = ini.ReadBool(section, "AfficherInfosDetaillees", o.afficherInfosDetaillees);
  return o;
}

void EcrireOptionsTransfertRemise(IniFile& ini, const std::string& section, const OptionsTransfertRemise& o) {
  ini.WriteBool(section, "SuppressionRemisesAgence", o.suppressionRemisesAgence);
  ini.WriteBool(section, "AjoutFournisseursSansRemises", o.ajoutFournisseursSansRemises);
  ini.WriteBool(section, "InclureFournisseursZoneLibre", o.inclureFournisseursZoneLibre);
  ini.WriteBool(section, "AfficherInfosDetaillees", o.afficherInfosDetaillees);
}

long long LirePeriodeImport(const IniFile& ini) { return ini.ReadInteger("Client", "Periode", 0); }

}  // namespace corv
