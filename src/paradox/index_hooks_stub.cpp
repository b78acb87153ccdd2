// Stand-in for the index layer until it provides these functions; whoever
// defines them elsewhere removes this file.
#include "paradox/index_hooks.h"

namespace pdx {

Status DiscoverSecondaryIndexes(Env*, const std::string&, const ParadoxFile&, std::vector<IndexDesc>*) {
  return Status::OK();
}

Status OpenIndexOrder(const TableImpl&, const IndexDesc& index, std::unique_ptr<IndexOrder>*) {
  return Status::NotSupported("index order" + (index.name.empty() ? std::string() : " '" + index.name + "'") +
                              " is not available");
}

}  // namespace pdx
