#pragma once
// A table component: one way of presenting a table file of the dictionary (its
// named database, its file, the order or index it reads through, whether it is
// read-only). It stays closed until opened; opening runs its BeforeOpen handler
// first (the data module's creation and upgrade of the file), then opens the
// file in the named database's current directory, so a component re-pointed at
// an agency reads the agency's file.
//
// Contract:
//  - The directory is asked from the session at every open (never cached).
//  - Opening reads the file's header and checks that the component's index
//    exists; the index itself is read at the first use of the rows, so opening
//    a large table costs the same as opening a small one.
//  - Field numbers start at 1 and follow the open file's layout.
//  - The current index is the component's order (an index by name, a field
//    list, or the primary key) until changed; ranges and key searches use it.
//  - A failure leaves the component closed and says which file, where and why.
//  - Writing (not on a read-only component) goes through the engine's writer,
//    opened on the first change and kept until Fermer. Changes reach the file
//    at Enregistrer, Fermer, or before the next Premier, Chercher, DefinirPlage
//    or order change, which re-read the file; Suivant keeps walking the rows as
//    they were read. Supprimer moves to the next row, like a dataset does.
//  - The edit buffer: Inserer (blank) or Editer (the current record), then
//    FixerValeur, then Valider (update of the edited record, insertion
//    otherwise) or Annuler.
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "data/dictionnaire.h"
#include "util/session.h"
#include "paradox/status.h"
#include "paradox/table.h"
#include "paradox/writer.h"
#include "util/winpath.h"

namespace corv {

// What a component needs to reach its file.
struct Contexte {
  Session* session = nullptr;
  HostPaths* host = nullptr;
};

class Composant {
 public:
  Composant(const Contexte& ctx, const TableDef& def, const ComposantDef& comp);
  ~Composant();
  Composant(const Composant&) = delete;
  Composant& operator=(const Composant&) = delete;

  const std::string& Nom() const { return comp_.nom; }
  const TableDef& Def() const { return def_; }
  const ComposantDef& DefComposant() const { return comp_; }
  const std::string& Fichier() const { return def_.fichier; }
  const std::string& Alias() const { return alias_; }
  // Another named database for the same file (closes the component first,
  // writing its pending changes: their failure is returned, the alias changes).
  pdx::Status DefinirAlias(const std::string& alias);
  bool LectureSeule() const { return lectureSeule_; }
  void DefinirLectureSeule(bool v) { lectureSeule_ = v; }

  // The named database's current directory (Windows form, "" when unknown) and
  // its host form; while the table is open, the host directory it was opened
  // from (its writer writes there, and the path is not converted again).
  std::string Repertoire() const;
  std::string RepertoireHote() const;
  bool FichierExiste() const;
  // Whether the files of all these components (of one named database) are
  // there, found in one listing of its directory, converted once; their next
  // open then takes that directory and listing instead of converting and
  // listing again (round trips on a network share). Other databases: each
  // looked for as FichierExiste does.
  static bool FichiersPresents(std::initializer_list<Composant*> composants);
  // The listing FichiersPresents left for the next open, or null.
  const std::vector<std::string>* ListingIndique() const;

  // Run before every open; an error stops the open. The handler may hand over
  // the table it opened in the named database's directory (GarderTable): the
  // open then reads that one instead of opening the file again.
  std::function<pdx::Status(Composant&)> avantOuverture;
  void GarderTable(std::unique_ptr<pdx::Table> t, std::string repertoireHote) {
    ouverteAvant_ = std::move(t);
    repertoireAvant_ = std::move(repertoireHote);
  }
  // Run after every posted record.
  std::function<pdx::Status(Composant&)> apresValidation;

  pdx::Status Ouvrir();
  // Writes pending changes, then closes.
  pdx::Status Fermer();
  // Closes without writing: changes not yet written are dropped (a run ended
  // by an error leaves the table as it was).
  void Abandonner();
  bool Actif() const { return table_ != nullptr; }

  // The current index: by name ("" = primary) or by its field list.
  pdx::Status DefinirIndex(const std::string& nom);
  pdx::Status DefinirOrdre(const std::vector<std::string>& champs);
  // Field numbers of the current index (the primary key fields for "primary").
  std::vector<int> ChampsIndexCourant() const;

  pdx::Status Premier();
  pdx::Status Suivant();
  bool Fin() const;
  pdx::Status Chercher(const std::vector<pdx::Value>& cle, bool* trouve);
  pdx::Status DefinirPlage(const std::vector<pdx::Value>& debut, const std::vector<pdx::Value>& fin);
  void AnnulerPlage();

  int NombreChamps() const;
  const pdx::FieldDesc& Champ(int numero) const;
  int NumeroChamp(const std::string& nom) const;
  uint32_t NombreEnregistrements() const;
  pdx::Status Valeur(int numero, pdx::Value* v) const;
  pdx::Status Texte(int numero, std::string* s) const;
  // The current record's values in field order.
  pdx::Status Enregistrement(std::vector<pdx::Value>* valeurs) const;

  // Editing.
  pdx::Status Inserer();
  pdx::Status Editer();
  bool EnEdition() const { return edition_ != Edition::kAucune; }
  pdx::Status FixerValeur(int numero, pdx::Value v);
  pdx::Status FixerValeur(const std::string& champ, pdx::Value v);
  const std::vector<pdx::Value>& Tampon() const { return tampon_; }
  pdx::Status Valider();
  void Annuler() { edition_ = Edition::kAucune; }
  pdx::Status Supprimer();
  // Writes a whole record by primary key without moving the cursor: the record
  // with that key gets the first `copies` values (its other fields are kept),
  // or a new record is inserted. Runs the after-post handler.
  pdx::Status InsererOuRemplacer(const std::vector<pdx::Value>& valeurs, size_t copies);
  pdx::Status Vider();
  // Forces the pending changes to disk now.
  pdx::Status Enregistrer();
  // The engine's writer on the file (opened on demand).
  pdx::Status Ecrivain(pdx::TableWriter** w);
  // Hands the writer (with its pending changes and the table's lock) to the
  // caller, which commits or drops it; the component then closes as if it
  // had none. Null when there is none.
  std::unique_ptr<pdx::TableWriter> DetacherEcrivain();

  pdx::Table* table() const { return table_.get(); }
  pdx::Cursor* curseur() const { return cursor_.get(); }

 private:
  pdx::Status AppliquerOrdre() const;
  pdx::Status VerifierOrdre() const;
  bool EstCle(const std::vector<std::string>& champs) const;
  // Applies the current order on first use (see Ouvrir).
  pdx::Status Pret() const;
  // After a change of index or order: drops the range and applies the new order.
  pdx::Status NouvelOrdre();
  pdx::Status Verifier(int numero) const;
  pdx::Status Modifiable() const;
  void CleTexteVide(std::vector<pdx::Value>* valeurs) const;
  pdx::Status Synchroniser();
  pdx::Status LigneCourante(const std::vector<pdx::Value>& valeurs, pdx::RowId* row);
  enum class Edition { kAucune, kInsertion, kModification };

  Contexte ctx_;
  const TableDef& def_;
  ComposantDef comp_;
  std::string alias_;
  bool lectureSeule_;
  std::string index_;               // current index by name
  std::vector<std::string> ordre_;  // or by field list
  std::unique_ptr<pdx::Table> table_;
  std::string RepertoireAlias() const;  // the named database's directory, converted now
  void OublierIndication();

  // Left by FichiersPresents for the next open: the database's directory as
  // it was then (Windows form), converted, and its listing.
  std::string indiqueWindows_, indiqueHote_;
  std::shared_ptr<const std::vector<std::string>> indiqueListing_;

  std::unique_ptr<pdx::Table> ouverteAvant_;  // handed over by the open handler
  std::string repertoireAvant_;               // the host directory it was opened from
  std::string repertoireOuvert_;              // that of table_
  std::unique_ptr<pdx::Cursor> cursor_;
  std::unique_ptr<pdx::TableWriter> writer_;
  bool pending_ = false;  // writer changes not yet re-read by the cursor
  mutable bool ordreApplique_ = false;
  bool plage_ = false;
  std::vector<pdx::Value> plageDebut_, plageFin_;
  Edition edition_ = Edition::kAucune;
  std::vector<pdx::Value> tampon_;
  std::vector<pdx::Value> origine_;  // the edited record as read
};

}  // namespace corv
