#pragma once
// What the agency card does to the tables, without any window: its opening
// (the head-office supplier list completed from the updates database), the
// attachments of suppliers to an agency ("TarifsAgence.DB"), the agency's own
// supplier table kept in step with them, creation and code change checks, the
// frozen suppliers, the settings of "import.ini" and the lines of the
// "Edition" page.
//
// Contract:
//  - Messages go through Dialogs with the card's own texts; storage errors that
//    are not the card's expected cases are thrown as std::runtime_error naming
//    the file (the window shows them and carries on).
//  - The agency's supplier table is reached through the named database
//    "QVRAgence", pointed at Repertoire + "\Administration" for the time of
//    one operation. An agency whose Administration is head office's own is
//    never mirrored into (that would delete head-office suppliers).
#include <memory>
#include <string>
#include <vector>

#include "data/application.h"
#include "data/composant.h"

namespace corv {

inline constexpr const char* kAliasAgence = "QVRAgence";

struct FournisseurSiege {
  std::string code, nom;
};

// One row of the supplier grid.
struct LigneFournisseur {
  bool attache = false;  // "O" / "N"
  std::string nom, code;
  std::string texte;  // the attachment's selection text ("Blob")
  std::string Detail() const { return texte.empty() ? "" : "*"; }
};

// The three settings of "import.ini" shown on the card.
struct ReglagesImport {
  long long periode = 0;  // "Client" / "Periode"
  double kr = 1.0;        // "Config" / "KR", 1.000 to 2.000
  bool relance = false;   // "Config" / "RDO": 99 on, 0 off
};

// A line of the "Edition" grid: agency column, supplier column.
struct LigneEdition {
  std::string agence, fournisseur;
};

// An entry of the card's list, for the all-agencies edition.
struct EntreeAgence {
  std::string libelle, code;
};

// Upper case of Western letters (accented ones included), as codes are stored.
std::string MajusculesUtf8(const std::string& s);
size_t NombreCaracteres(const std::string& utf8);

class CarteAgence {
 public:
  explicit CarteAgence(Application& app);
  ~CarteAgence();

  Composant& TableAgence();
  Composant& TableTarifs();

  // The opening steps. False when "Agence.DB" does not exist (the card is then
  // disabled). The supplier list is read afterwards.
  bool Ouvrir();
  // Closes what Ouvrir opened (the agency table stays with its card).
  void Fermer();

  const std::vector<FournisseurSiege>& Fournisseurs() const { return fournisseurs_; }
  // Suppliers of "QuintrelMaj"'s "FOURNIS.DB" added to head office's (count).
  int FusionnerFournisseursMaj();

  ReglagesImport LireReglages() const;
  bool EcrireReglages(const ReglagesImport& r);

  // The grid rows for an agency: every head-office supplier, ticked when attached.
  std::vector<LigneFournisseur> Attachements(const std::string& agence);

  // Saves the grid for the agency (steps 2 to 5 of the save): true when the
  // attachments were written; false after one of the two supplier-file messages.
  bool EnregistrerFournisseurs(const std::string& agence, const std::string& repertoire,
                               const std::vector<LigneFournisseur>& lignes);

  // Creation: the typed code upper-cased into *code; false after the error box
  // (too long, already there) or when empty (no box).
  bool VerifierNouveauCode(std::string* code);
  bool CodeExiste(const std::string& code);
  // Inserts the row Code = code, Nom = "nouveau".
  void CreerAgence(const std::string& code);
  // Rewrites every attachment of the old code with the new one; false after
  // "Code déjà existant" (nothing changed).
  bool ChangerCodeAttachements(const std::string& ancien, const std::string& nouveau);

  bool RepertoireExiste(const std::string& repertoire) const;
  // Copies the head-office record of every ticked supplier present in both
  // tables over the agency's. Returns the count copied.
  int FigerFournisseurs(const std::string& repertoire, const std::vector<LigneFournisseur>& lignes);

  // Lines of the "Edition" grid.
  static std::vector<LigneEdition> EditionAgence(const std::vector<LigneFournisseur>& lignes);
  std::vector<LigneEdition> EditionToutes(const std::vector<EntreeAgence>& entrees);

  Application& app() { return app_; }

 private:
  // The agency's supplier table on Repertoire + "\Administration", upgraded;
  // null after the message when it cannot be opened (message = show it).
  std::unique_ptr<Composant> FournisseursAgence(const std::string& repertoire, bool upgrade, bool message);
  bool AdministrationDuSiege(const std::string& repertoire) const;
  void SupprimerAttachements(const std::string& agence, const std::string& fournisseur);
  void ReporterLignesDependantes(const std::string& fournisseur);

  Application& app_;
  TDM& dm_;
  std::vector<FournisseurSiege> fournisseurs_;
  TableDef defFournisAgence_;  // head office's layout, upgraded by the card's four steps only
};

}  // namespace corv
