#pragma once
// The article codes of "CodeArticle.DB" (database QuintrelAdministration): per
// supplier, group, family, model and price code (the key), the supplier's own
// reference and the article codes by VAT kind. Edited row by row, exported to
// and imported from a semicolon-separated file.
//
// File layout (ours; the agencies' program never reads it):
//  - code page 1252, lines ended by CR LF, fields separated by ";";
//  - line 1: the field names, in table order for an export;
//  - one line per row; a value holding ";", a double quote or a line break is
//    written between double quotes, inner quotes doubled;
//  - integers as plain digits, empty = no value.
// An import reads the same layout (columns in any order, matched by name
// without case; the key fields required, the others optional; a file starting
// with the UTF-8 byte-order mark, or valid UTF-8 with accented letters, is read
// as UTF-8; LF alone ends a line too).
// It checks every line before writing anything: one bad line (its number and
// field named) and the table is left as it was. A good file replaces the rows
// whose key it holds (fields absent from the file keep their value) and adds
// the others, all in one write.
//
// Contract:
//  - Rows are kept as texts in field order, sorted by key as the table is.
//  - Every change is written to disk at once; a refused change (a key already
//    used, a value the field cannot hold) leaves the table untouched and says
//    why in a box.
//  - Exported files are written beside their final name and renamed over it.
//  - The data module's component is left as found (open or closed, read-only).
#include <cstddef>
#include <string>
#include <vector>

#include "paradox/status.h"
#include "paradox/types.h"

namespace corv {

class Composant;
class Dialogs;
class HostPaths;
class TDM;

inline constexpr const char* kFichierExportCodeArticle = "export_code_article.csv";
inline constexpr const char* kFichierImportCodeArticle = "import_code_article.csv";
inline constexpr size_t kChampsCleCodeArticle = 5;  // Fournisseur;Groupe;Famille;Modele;Tarif

using LigneCodeArticle = std::vector<std::string>;  // field texts in table order

struct BilanImportCodes {
  size_t remplaces = 0;
  size_t ajoutes = 0;
};

// Semicolon-separated lines (UTF-8 inside; the code page is the caller's).
std::string LigneCsv(const std::vector<std::string>& valeurs);
// Splits text into records; *lignes receives each record's first line number
// (from 1). A quoted value left open at the end is an error naming its line.
bool LireCsv(const std::string& texte, std::vector<std::vector<std::string>>* enregistrements,
             std::vector<size_t>* lignes, std::string* erreur);

class CodesArticle {
 public:
  CodesArticle(TDM& dm, HostPaths& host, Dialogs& dialogs);
  ~CodesArticle();
  CodesArticle(const CodesArticle&) = delete;
  CodesArticle& operator=(const CodesArticle&) = delete;

  // Opens the table for writing and reads its rows; false after a box.
  bool Ouvrir();
  // Puts the component back as found.
  void Fermer();
  bool Ouvert() const { return ouvert_; }

  // Field names and descriptors of the open table, in order.
  const std::vector<pdx::FieldDesc>& Champs() const { return champs_; }
  const std::vector<LigneCodeArticle>& Lignes() const { return lignes_; }
  // Index of the row with this key, or -1.
  int Trouver(const LigneCodeArticle& ligne) const;
  // "Fournisseur GX, Groupe 1, Famille FE, Modele A1, Tarif 01".
  std::string TexteCle(const LigneCodeArticle& ligne) const;

  // A value the field cannot hold: "" when valid, else why (in French, naming
  // the field). Key alpha fields are compared after trimming.
  std::string VerifierValeur(size_t champ, const std::string& texte) const;

  // Each returns the row's index after the change, or -1 after a box.
  int Ajouter(LigneCodeArticle ligne);
  int Modifier(size_t index, LigneCodeArticle ligne);
  // Asks first; false when refused, cancelled or failed.
  bool Supprimer(size_t index);

  // Writes every row into repertoire + "export_code_article.csv" (host or
  // Windows form). True after the closing box.
  bool Exporter(const std::string& repertoire);
  // Reads repertoire + "import_code_article.csv"; true after the closing box
  // giving the counts.
  bool Importer(const std::string& repertoire, BilanImportCodes* bilan = nullptr);

 private:
  Composant& table();
  pdx::Status Relire();
  std::string Normaliser(LigneCodeArticle* ligne) const;  // "" or why not
  pdx::Status Valeurs(const LigneCodeArticle& ligne, std::vector<pdx::Value>* out) const;
  std::vector<pdx::Value> Cle(const LigneCodeArticle& ligne) const;
  void Echec(const std::string& quoi, const pdx::Status& s);

  TDM& dm_;
  HostPaths& host_;
  Dialogs& dialogs_;
  bool ouvert_ = false;
  bool etaitActif_ = false;
  bool etaitLectureSeule_ = true;
  std::vector<pdx::FieldDesc> champs_;
  std::vector<LigneCodeArticle> lignes_;
};

}  // namespace corv
