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
#include "data/session.h"
#include "paradox/status.h"
#include "util/dialogs.h"

namespace corv {

// Points the named database at racine + "\" + sousRepertoire + "\" (a root
// already ending in a backslash gives a doubled one, which paths accept).
// NotFound when the session does not know the named database.
pdx::Status ChangerRepertoireBase(Session& session, const std::string& alias, const std::string& sousRepertoire,
                                  const std::string& racine);

// 0 when the table is open; 1 after the information box
// "Impossible d'ouvrir la table : FILE\nDans le répertoire : DIR".
int OuvrirTable(Composant& table, Dialogs& dialogs);

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
