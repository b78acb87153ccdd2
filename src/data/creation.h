#pragma once
// From dictionary definitions to the engine: the engine's table definition of a
// dictionary table, creation of its file, and the layout of an existing file in
// dictionary terms (so that upgrade rules can be planned on it).
#include <string>
#include <vector>

#include "data/dictionnaire.h"
#include "paradox/env.h"
#include "paradox/status.h"
#include "paradox/table.h"
#include "paradox/writer.h"

namespace corv {

pdx::TableDefinition DefinitionMoteur(const TableDef& t);
pdx::IndexDefinition IndexMoteur(const IndexDef& i);

// Creates the table's file (and its index files) in a host directory. Fails,
// leaving the directory as it was, when the file exists.
pdx::Status CreerFichier(pdx::Env* env, const std::string& hostDir, const TableDef& t);

// A file's fields as dictionary fields (declared sizes) and its secondary index names.
std::vector<ChampDef> ChampsDuFichier(const pdx::TableInfo& info);
std::vector<std::string> IndexDuFichier(const pdx::TableInfo& info);

}  // namespace corv
