#pragma once
// Database routines used by every task: re-pointing a named database at an
// agency's directory, opening a table with a readable message, key ranges, key
// searches and field values as text.
//
// Contract:
//  - OuvrirTable is the only routine that tells the user anything; the others
//    return their storage errors in the Status.
//  - Key values are consumed field by field along the current index: an alpha
//    field takes a text, a 16- or 32-bit integer field an integer (and, for
//    ChercherParCle, an autoincrement field too); a key field of another type
//    takes no value (it is searched as blank and the value is kept for the
//    next field). n values walk the first n fields of the index.
#include <string>
#include <vector>

#include "data/composant.h"
#include "data/memtable.h"
#include "util/session.h"
#include "paradox/status.h"
#include "util/dialogs.h"

namespace corv {

// Points the named database at racine + "\" + sousRepertoire + "\" (a root
// already ending in a backslash gives a doubled one, which paths accept).
// NotFound when the session does not know the named database.
pdx::Status ChangerRepertoireBase(Session& session, const std::string& alias, const std::string& sousRepertoire,
                                  const std::string& racine);

// OK when the table is open (or already was); otherwise, after the information
// box "Impossible d'ouvrir la table : FILE\nDans le répertoire : DIR", the
// engine's reason with the file named, of the engine's kind, so that a caller
// can tell "in use", "not found", "damaged" and "I/O error" apart.
[[nodiscard]] pdx::Status OuvrirTable(Composant& table, Dialogs& dialogs);

// The same, for callers that read better with the name.
[[nodiscard]] inline pdx::Status OuvrirSiFermee(Composant& table, Dialogs& dialogs) {
  return OuvrirTable(table, dialogs);
}

// Restricts the table to the rows whose leading index fields equal valeurs;
// the fields after them stay open between "" and "ZZZZZZZ" (texts), blank and
// 32000 (integers), 1 January 1980 and 31 December 2100 (dates). Opens the table
// when closed (OuvrirTable), goes to the first row; *nonVide tells whether the
// range holds a row.
pdx::Status FiltrerTable(Composant& table, Dialogs& dialogs, const std::vector<pdx::Value>& valeurs, bool* nonVide);

// Opens the table when closed (OuvrirTable) and positions on the first record
// whose leading index fields equal valeurs; not found is *trouve false, never
// an error.
pdx::Status ChercherParCle(Composant& table, Dialogs& dialogs, const std::vector<pdx::Value>& valeurs, bool* trouve);

// Positions on the key as ChercherParCle does (the table assumed open); when
// found deletes that record (*supprime true).
pdx::Status SupprimerParCle(Composant& table, const std::vector<pdx::Value>& valeurs, bool* supprime);

// Writes the source's current record into the target by field position (names
// are not consulted): the target's record with the same key is updated, else a
// new one is inserted; the values of the first k fields are copied, k being the
// smaller field count; then, unless garder, the source record is deleted.
// Values are converted to the target field's type (see ConvertirValeur).
pdx::Status CopierEnregistrement(Composant& source, Composant& cible, bool garder);
pdx::Status CopierEnregistrement(MemTable& source, size_t ligne, Composant& cible, bool garder);

// When the component's file does not exist in the named database (alias "" =
// the component's own), creates it from the component's fields and its primary
// key and returns a new component on it, which the caller owns; otherwise
// *nouveau is null.
pdx::Status CreerTableSiAbsente(const Composant& composant, const std::string& alias, const Contexte& ctx,
                                std::unique_ptr<Composant>* nouveau);

// Sets a field of the record being inserted or edited from a text: "" is blank;
// integers and numbers ("." or ","), dates "AAAA-MM-JJ" or "JJ/MM/AAAA",
// logicals "true"/"false"/"1"/"0". A text that does not fit the field is
// refused (InvalidArgument naming the field).
pdx::Status EcrireChamp(Composant& table, const std::string& champ, const std::string& texte);
pdx::Status EcrireChamp(Composant& table, int numero, const std::string& texte);
pdx::Status EcrireChamp(MemTable& table, size_t ligne, const std::string& champ, const std::string& texte);

// A value converted to a field type (text <-> numbers as EcrireChamp reads them).
pdx::Status ConvertirValeur(const pdx::Value& v, pdx::FieldType de, pdx::FieldType vers, pdx::Value* out);
pdx::Status ValeurDepuisTexte(const std::string& texte, pdx::FieldType type, pdx::Value* out);

// The key values as the current index consumes them (see above).
std::vector<pdx::Value> ValeursDeCle(const Composant& table, const std::vector<pdx::Value>& valeurs,
                                     bool autoIncComptent);

// Field values as text: by name or number on a table, by name on a memory table.
pdx::Status LireChamp(const Composant& table, const std::string& champ, std::string* texte);
pdx::Status LireChamp(const Composant& table, int numero, std::string* texte);
pdx::Status LireChamp(const MemTable& table, size_t ligne, const std::string& champ, std::string* texte);

// A value's text as the table layer shows it, for a field type.
std::string TexteValeur(const pdx::Value& v, pdx::FieldType type);

}  // namespace corv
