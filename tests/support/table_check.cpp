#include "support/table_check.h"

#include "paradox/check.h"
#include "paradox/field_codec.h"
#include "paradox/index_check.h"
#include "paradox/table.h"
#include "paradox/table_impl.h"

namespace testutil {

std::string ValueText(const pdx::Value& v, pdx::FieldType t) {
  if (v.blank) return "<blank>";
  switch (t) {
    case pdx::FieldType::kShort:
    case pdx::FieldType::kLong:
    case pdx::FieldType::kAutoInc: return std::to_string(v.i);
    case pdx::FieldType::kNumber:
    case pdx::FieldType::kMoney:
    case pdx::FieldType::kDate:
    case pdx::FieldType::kTime:
    case pdx::FieldType::kTimestamp: return pdx::FormatDouble(v.d);
    case pdx::FieldType::kLogical: return v.b ? "true" : "false";
    default: return v.text;
  }
}

std::vector<std::vector<std::string>> ReadRows(pdx::Env* env, const std::string& dir, const std::string& name) {
  std::vector<std::vector<std::string>> out;
  std::unique_ptr<pdx::Table> t;
  pdx::Status s = pdx::Table::Open(env, dir, name, &t);
  if (!s.ok()) return {{"ERROR: " + s.ToString()}};
  auto c = t->NewCursor();
  s = c->First();
  while (s.ok() && !c->AtEnd()) {
    std::vector<std::string> row;
    for (size_t f = 1; f <= t->info().fields.size(); ++f) {
      pdx::Value v;
      pdx::Status g = c->GetValue(static_cast<int>(f), &v);
      row.push_back(g.ok() ? ValueText(v, t->info().fields[f - 1].type) : "ERROR: " + g.ToString());
    }
    out.push_back(std::move(row));
    s = c->Next();
  }
  if (!s.ok()) out.push_back({"ERROR: " + s.ToString()});
  return out;
}

std::vector<std::string> IndexFindings(pdx::Env* env, const std::string& dir, const std::string& name) {
  std::vector<pdx::CheckFinding> found;
  pdx::Status s = pdx::CheckTable(env, dir, name, &found);
  if (!s.ok()) return {"cannot check: " + s.ToString()};
  std::vector<std::string> findings;
  for (const auto& f : found) findings.push_back(f.file + ": " + f.what);
  return findings;
}

}  // namespace testutil
