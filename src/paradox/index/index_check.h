#pragma once
// Whether a table's index files are up to date with its data (`pdx check`).
//
// Contract:
//  - CheckIndexes reads the table and every index file beside it and appends
//    one line per finding, each naming the file and what is wrong: index files
//    that cannot be read, a primary index whose blocks, counts or keys differ
//    from the data blocks, records out of primary key order or with a repeated
//    key, secondary entries that do not match the records (missing, extra, other
//    values, out of order) and trees (.Ynn/.YGn) that do not match their entry
//    files. Nothing is written. A clean table appends nothing. With a sort
//    order we do not know, key order is not checked.
//  - The Status is not OK only when the table itself cannot be read.
#include <string>
#include <vector>

#include "paradox/status.h"
#include "paradox/read/table_impl.h"

namespace pdx {

Status CheckIndexes(const TableImpl& table, std::vector<std::string>* findings);

}  // namespace pdx
