#pragma once
// Brings a table file to a new layout in one step, keeping every row: the
// fields of an upgrade plan (changed in place or appended), the file's own
// secondary indexes (following their fields) with the plan's index changes,
// and the plan's zero assignments on every existing row.
//
// All or nothing: the new version of every file is built aside, then replaces
// the old ones through the engine's table commit, so a failure at any point
// leaves the table as it was (or, after the commit point, completed by the
// next open). The table's write lock is held throughout.
//
// Values move by field position; a field whose type changes has its values
// converted (16-bit integer to number, number to text, ...); a value that
// cannot be converted stops the upgrade with the row named.
#include <string>

#include "data/dictionnaire.h"
#include "paradox/env.h"
#include "paradox/status.h"

namespace corv {

pdx::Status AppliquerMaj(pdx::Env* env, const std::string& hostDir, const std::string& fichier, const PlanMaj& plan);

}  // namespace corv
