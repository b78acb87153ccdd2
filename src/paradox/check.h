#pragma once
// Consistency check of a table's files: header against blocks, the block chain,
// record counts, blob references, and the index files (index_check.h).
//
// Contract: CheckTable returns a non-OK Status only when the table cannot be
// examined at all (missing file, unreadable header); every inconsistency found
// is appended to *findings, and the check goes on where it safely can.
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/status.h"

namespace pdx {

struct CheckFinding {
  std::string file;  // file name the finding is about ("orders.db", "orders.mb")
  std::string what;  // one line, no trailing newline
};

Status CheckTable(Env* env, const std::string& dir, const std::string& name, std::vector<CheckFinding>* findings);

}  // namespace pdx
