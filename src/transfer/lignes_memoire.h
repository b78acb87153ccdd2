#pragma once
// Moving rows between the data module's tables and a run's memory tables, for
// the transfers that copy head office's rows as they are (personalisations,
// messaging, documents), and the origin code of published rows.
//
// Contract:
//  - Fields are matched by name (without case), so an agency file whose fields
//    lie in another order, or an older file with fewer fields, still receives
//    each value in its own field; a memory field the file lacks is not carried.
//    Renames pair a memory field with the file's field of another name.
//  - Values are converted to the target field's type (ConvertirValeur); a
//    value that does not fit is InvalidArgument naming the table and field.
//  - Origin code (Externe): a blank value reads as 0, as the agencies' program
//    reads it.
#include <functional>
#include <string>
#include <vector>

#include "data/composant.h"
#include "data/memtable.h"
#include "paradox/status.h"
#include "paradox/writer.h"
#include "util/run_report.h"

namespace corv {

struct Renommage {
  std::string memoire;  // field of the memory table
  std::string fichier;  // field of the table file
};

// The memory table of a run window, from the dictionary ("rxmdPerso").
MemTable TableMemoire(const std::string& nom);

// The origin code of a value of field Externe.
int Origine(const pdx::Value& v);
// Origins a publication replaces at the agency: 1 (received) and 5 (kept as 5).
inline bool OriginePubliee(int externe) { return externe == 1 || externe == 5; }

// Reads every row of the open table into mem, in the table's order. garder
// (optional) sees the memory row and may change it; false = the row is not
// kept. RowProgress advances by one per source row; *total = rows read.
pdx::Status LireVersMemoire(Composant& source, MemTable* mem, const std::vector<Renommage>& renommes,
                            const std::function<bool(MemTable::Row*)>& garder, RunReport& report, int* total);

// The record of the open table c holding the memory row's values (fields of c
// the memory table lacks stay blank).
pdx::Status EnregistrementDepuisMemoire(const Composant& c, const MemTable& mem, size_t ligne,
                                        const std::vector<Renommage>& renommes, std::vector<pdx::Value>* rec);

// Rows of the open table c whose Externe is 1 or 5: counted in *n; deleted
// through w when w is not null (a simulation passes null and only counts). The
// rows are found by reading the file, then deleted by primary key in the
// writer, so nothing reaches the file before the writer's commit.
pdx::Status SupprimerLignesPubliees(Composant& c, pdx::TableWriter* w, int* n);

}  // namespace corv
