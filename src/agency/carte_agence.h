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
//    are not the card's expected cases are returned, the file named in their
//    context (the window shows them and carries on).
//  - The agency's supplier table is reached through the named database
//    "QVRAgence", pointed at Repertoire + "\Administration" for the time of
//    one operation. An agency whose Administration is head office's own is
//    never mirrored into (that would delete head-office suppliers).
#include <memory>
#include <string>
#include <vector>

#include "data/application.h"
#include "data/composant.h"
#include "paradox/status.h"

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

  // The opening steps. *ouverte false when "Agence.DB" does not exist (the
  // card is then disabled). The supplier list is read afterwards.
  [[nodiscard]] pdx::Status Ouvrir(bool* ouverte);
  // Closes what Ouvrir opened (the agency table stays with its card); every
  // table is closed, the first failure returned.
  [[nodiscard]] pdx::Status Fermer();

  const std::vector<FournisseurSiege>& Fournisseurs() const { return fournisseurs_; }
  // Suppliers of "QuintrelMaj"'s "FOURNIS.DB" added to head office's (*ajoutes: count).
  [[nodiscard]] pdx::Status FusionnerFournisseursMaj(int* ajoutes = nullptr);

  ReglagesImport LireReglages() const;
  bool EcrireReglages(const ReglagesImport& r);

  // The grid rows for an agency: every head-office supplier, ticked when attached.
  [[nodiscard]] pdx::Status Attachements(const std::string& agence, std::vector<LigneFournisseur>* lignes);

  // Saves the grid for the agency (steps 2 to 5 of the save). *ecrits (when
  // given): true when the attachments were written, false after one of the two
  // supplier-file messages (nothing written, not an error).
  [[nodiscard]] pdx::Status EnregistrerFournisseurs(const std::string& agence, const std::string& repertoire,
                                                    const std::vector<LigneFournisseur>& lignes,
                                                    bool* ecrits = nullptr);

  // Creation: the typed code upper-cased into *code; *accepte false after the
  // error box (too long, already there) or when empty (no box).
  [[nodiscard]] pdx::Status VerifierNouveauCode(std::string* code, bool* accepte);
  [[nodiscard]] pdx::Status CodeExiste(const std::string& code, bool* existe);
  // Inserts the row Code = code, Nom = "nouveau".
  [[nodiscard]] pdx::Status CreerAgence(const std::string& code);
  // Rewrites every attachment of the old code with the new one; *change false
  // after "Code déjà existant" (nothing changed).
  [[nodiscard]] pdx::Status ChangerCodeAttachements(const std::string& ancien, const std::string& nouveau,
                                                    bool* change);

  bool RepertoireExiste(const std::string& repertoire) const;
  // Copies the head-office record of every ticked supplier present in both
  // tables over the agency's; *copies (when given): the count copied.
  [[nodiscard]] pdx::Status FigerFournisseurs(const std::string& repertoire,
                                              const std::vector<LigneFournisseur>& lignes, int* copies = nullptr);

  // Lines of the "Edition" grid.
  static std::vector<LigneEdition> EditionAgence(const std::vector<LigneFournisseur>& lignes);
  [[nodiscard]] pdx::Status EditionToutes(const std::vector<EntreeAgence>& entrees, std::vector<LigneEdition>* r);

  Application& app() { return app_; }

 private:
  // The agency's supplier table on Repertoire + "\Administration", upgraded;
  // *c null after the message when it cannot be opened (message = show it).
  [[nodiscard]] pdx::Status FournisseursAgence(const std::string& repertoire, bool upgrade, bool message,
                                               std::unique_ptr<Composant>* c);
  bool AdministrationDuSiege(const std::string& repertoire) const;
  [[nodiscard]] pdx::Status SupprimerAttachements(const std::string& agence, const std::string& fournisseur);

  Application& app_;
  TDM& dm_;
  std::vector<FournisseurSiege> fournisseurs_;
  TableDef defFournisAgence_;  // head office's layout, upgraded by the card's four steps only
};

}  // namespace corv
