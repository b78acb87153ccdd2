#pragma once
// In-memory datasets (the rmd.../rxmd... tables): field definitions, rows of
// values, append, sort on a list of fields without regard to case, lookup by
// key, iteration. Never stored.
//
// Contract:
//  - Field names are compared without case; field numbers start at 1.
//  - Values are checked against the field's type on Append/Set: an alpha value
//    longer than its width, or a number out of a short's or long's range, is
//    refused with InvalidArgument naming the table and field; nothing changes.
//  - Sort is stable; texts compare without case, blanks sort first.
//  - Find gives the first row (in the current order) whose leading key fields
//    equal the values.
#include <string>
#include <vector>

#include "data/dictionnaire.h"
#include "paradox/status.h"
#include "paradox/types.h"

namespace corv {

class MemTable {
 public:
  using Row = std::vector<pdx::Value>;

  MemTable(std::string name, std::vector<ChampDef> fields);
  explicit MemTable(const TableMemoireDef& def) : MemTable(def.nom, def.champs) {}

  const std::string& name() const { return name_; }
  const std::vector<ChampDef>& fields() const { return fields_; }
  int FieldNumber(const std::string& name) const;  // 0 when absent

  // A row in field order; missing trailing values are blank.
  pdx::Status Append(Row row);
  // One value by field name on row i.
  pdx::Status Set(size_t row, const std::string& field, pdx::Value v);
  const pdx::Value& Get(size_t row, int field) const { return rows_[row][static_cast<size_t>(field - 1)]; }
  const pdx::Value& Get(size_t row, const std::string& field) const;
  void Clear() { rows_.clear(); }
  pdx::Status Delete(size_t row);

  // "Externe;IdMessage".
  pdx::Status Sort(const std::string& fieldList);
  // Row index or -1. caseSensitive false compares texts without case.
  pdx::Status Find(const std::string& fieldList, const std::vector<pdx::Value>& key, bool caseSensitive,
                   long* row) const;

  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  const Row& operator[](size_t i) const { return rows_[i]; }
  std::vector<Row>::const_iterator begin() const { return rows_.begin(); }
  std::vector<Row>::const_iterator end() const { return rows_.end(); }

 private:
  pdx::Status Check(int field, const pdx::Value& v) const;
  pdx::Status Fields(const std::string& list, std::vector<int>* out) const;

  std::string name_;
  std::vector<ChampDef> fields_;
  std::vector<Row> rows_;
};

// Compares two values of one type; texts optionally without case; blank first.
int CompareValues(const pdx::Value& a, const pdx::Value& b, pdx::FieldType type, bool caseSensitive);

}  // namespace corv
