#pragma once
// The order of a table's alpha keys, for callers that walk two keyed tables side
// by side and must compare key values the way the engine sorted them (a table's
// sort order and code page, not byte order).
//
// Contract: values are stored bytes (the table's code page), compared case-
// sensitively as a primary key is; <0, 0, >0 as a sorts before, with, after b.
#include <memory>
#include <string_view>

#include "paradox/status.h"
#include "paradox/table.h"

namespace pdx {

class Collation;

class TextOrder {
 public:
  TextOrder();
  ~TextOrder();
  TextOrder(TextOrder&&) noexcept;
  TextOrder& operator=(TextOrder&&) noexcept;

  // NotSupported when the table's sort order or code page is not one we know.
  static Status ForTable(const TableInfo& info, TextOrder* out);

  int Compare(std::string_view a, std::string_view b) const;

 private:
  std::unique_ptr<Collation> collation_;
};

}  // namespace pdx
