#pragma once
// Restructuring a table: change field descriptors and append fields, keeping
// every row, blob and index.
//
// Contract:
//  - `fields` lists the new descriptors: first one per current field, in the
//    current order (field numbers do not move, so indexes keep theirs), then
//    the appended fields. A current field may be renamed, widened or narrowed,
//    change type between compatible types (values are converted: Short to Long,
//    Number, Money or BCD; Long to Number, Money or BCD; Number and Money either
//    way; Alpha to Memo or Formatted memo and back; Date to Timestamp), and
//    lose "required", but not gain it. An appended field is blank in every row
//    (it may be "required" only in an empty table).
//  - Narrowing an alpha field (or turning a memo into an alpha field) that holds
//    a longer value is refused, naming the field and the record, unless
//    options.truncate; then the value is cut at the new size.
//  - The table's validity-check file (.VAL) follows: its copy of the field list
//    takes the new names, types and sizes and the appended fields.
//  - All or nothing, through the same lock and commit as a TableWriter: on any
//    error the table is as it was.
#include <functional>
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/status.h"
#include "paradox/types.h"
#include "paradox/writer.h"

namespace pdx {

struct RestructureOptions {
  bool truncate = false;
  // Applied to every converted row before it is written, in the same commit:
  // assignments that must land with the new layout or not at all.
  std::function<void(std::vector<Value>&)> transformRow;
  TableWriter::Options writer;
};

// The current descriptors of dir/name, numbered from 1 by position.
Status TableFields(Env* env, const std::string& dir, const std::string& name, std::vector<FieldDesc>* fields);

Status RestructureTable(Env* env, const std::string& dir, const std::string& name, const std::vector<FieldDesc>& fields,
                        const RestructureOptions& options = {});

}  // namespace pdx
