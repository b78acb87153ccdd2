// The files beside the tables: the configuration files, the binary parameter
// file "General" and head office's document files.
#include "data/parametres.h"
#include "demo/ecrivain.h"
#include "util/ini.h"
#include "util/text.h"

namespace corv::demo {


namespace {

pdx::Status EcrireOctets(pdx::Env* env, const std::string& chemin, const std::string& octets) {
  std::unique_ptr<pdx::WritableFile> f;
  pdx::Status s = env->NewWritableFile(chemin, &f);
  if (s.ok()) s = f->Append(octets.data(), octets.size());
  if (s.ok()) s = f->Sync();
  if (s.ok()) s = f->Close();
  if (!s.ok()) return pdx::Status::IOError("writing " + chemin + ": " + s.message());
  return s;
}

pdx::Status EcrireIni(pdx::Env* env, const std::string& chemin, const IniFile& ini) {
  pdx::Status s = ini.Save(env, chemin);
  if (!s.ok()) return pdx::Status::IOError("writing " + chemin + ": " + s.message());
  return s;
}

}  // namespace

pdx::Status EcrireFichiers(Ecrivain& e) {
  const Monde& m = *e.monde;

  // Start-up configuration: the six named databases below the prefix "Q:",
  // which the "Chemins" section maps to the installation's directory.
  IniFile bde;
  bde.WriteString("Alias", "Quintrel", m.prefixe);
  for (const char* k : {"Administration", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj"})
    bde.WriteString("Alias", k, CheminWindows(m, k));
  bde.WriteString("Chemins", m.prefixe, e.racine);
  DEMO_ESSAI(EcrireIni(e.env, e.Hote("qvrbde.ini"), bde));

  // Options of the conditions transfer; the sales section differs from the
  // defaults so that reading it shows.
  IniFile corvanes;
  corvanes.WriteBool("TransfertRemiseAchat", "SuppressionRemisesAgence", true);
  corvanes.WriteBool("TransfertRemiseAchat", "AjoutFournisseursSansRemises", true);
  corvanes.WriteBool("TransfertRemiseAchat", "InclureFournisseursZoneLibre", false);
  corvanes.WriteBool("TransfertRemiseAchat", "AfficherInfosDetaillees", false);
  corvanes.WriteBool("TransfertRemiseVente", "SuppressionRemisesAgence", true);
  corvanes.WriteBool("TransfertRemiseVente", "AjoutFournisseursSansRemises", false);
  corvanes.WriteBool("TransfertRemiseVente", "InclureFournisseursZoneLibre", true);
  corvanes.WriteBool("TransfertRemiseVente", "AfficherInfosDetaillees", true);
  DEMO_ESSAI(EcrireIni(e.env, e.Hote("Administration/Corvanes.ini"), corvanes));

  IniFile import;
  import.WriteInteger("Client", "Periode", 30);
  import.WriteFloat("Config", "KR", 1.15);
  import.WriteInteger("Config", "RDO", 99);
  DEMO_ESSAI(EcrireIni(e.env, e.Hote("Administration/import.ini"), import));

  FichierGeneral g;
  std::string societe;
  Utf8ToCp1252("Corvanes Démo - Menuiseries réunies, 12 rue de la République, 69002 Lyon", &societe);
  for (size_t i = 0; i < societe.size() && i < g.bloc1.size(); ++i) g.bloc1[i] = static_cast<uint8_t>(societe[i]);
  g.tva = {0, 20, 5.5, 10, 2.1};
  g.entiers = {1, 0};
  g.valeur1 = 1.0;
  g.uniteCm = 0;  // dimensions in millimetres
  for (int i = 0; i < FichierGeneral::kOptionCount; ++i) g.options[static_cast<size_t>(i)] = static_cast<int16_t>(i % 2);
  const char texte[] = "CORVANES";
  for (size_t i = 0; i < 8; ++i) g.texte[i] = static_cast<uint8_t>(texte[i]);
  g.valeur2 = 1.0;
  DEMO_ESSAI(EcrireOctets(e.env, e.Hote("Administration/General"), EncoderFichierGeneral(g)));

  // Head office's documents; the last one listed in "MesDocs.DB" is missing.
  for (int i = 0; i + 1 < kNombreDocuments; ++i) {
    std::string corps;
    Utf8ToCp1252(std::string("%PDF-1.4\n% Document de démonstration : ") + kDocuments[i] + "\n%%EOF\n", &corps);
    DEMO_ESSAI(EcrireOctets(e.env, e.Hote(std::string("Administration/Documents/Interne/") + kDocuments[i]), corps));
  }
  return pdx::Status::OK();
}

}  // namespace corv::demo
