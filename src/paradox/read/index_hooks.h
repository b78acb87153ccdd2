#pragma once
// Seam between the table reader and the index layer (.PX, .Xnn/.Ynn, .XGn/.YGn
// readers and collation). The table reader calls these; the index layer
// (index/index_order.cpp) defines them. It lives with the reader so that the
// includes go one way only: index/ uses read/, read/ never includes index/.
#include <memory>
#include <string>
#include <vector>

#include "paradox/format/paradox_file.h"
#include "paradox/table.h"

namespace pdx {

class TableImpl;

// Records of a table in the order of one index, with key searches over it.
class IndexOrder {
 public:
  virtual ~IndexOrder() = default;
  // Every record of the table, in index order.
  virtual const std::vector<RecordRef>& records() const = 0;
  // First position whose leading key fields are >= (LowerBound) or > (UpperBound)
  // the given values (fewer values than key fields compare as a prefix).
  virtual Status LowerBound(const std::vector<Value>& leading, size_t* pos) const = 0;
  virtual Status UpperBound(const std::vector<Value>& leading, size_t* pos) const = 0;
};

// Appends the table's secondary indexes (after the primary one) to *indexes.
Status DiscoverSecondaryIndexes(Env* env, const std::string& dir, const ParadoxFile& db,
                                std::vector<IndexDesc>* indexes);

// Opens the order of index (one of table.info().indexes, primary included).
Status OpenIndexOrder(const TableImpl& table, const IndexDesc& index, std::unique_ptr<IndexOrder>* out);

}  // namespace pdx
