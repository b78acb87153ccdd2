#include "support/table_check.h"

#include "paradox/check.h"
#include "paradox/format/field_codec.h"
#include "paradox/index/index_check.h"
#include "paradox/table.h"
#include "paradox/read/table_impl.h"
#include "paradox/writer.h"

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

std::string FindingsText(pdx::Env* env, const std::string& dir, const std::string& name) {
  std::string out;
  for (const std::string& f : IndexFindings(env, dir, name)) out += f + "\n";
  return out;
}

pdx::Status CopyThroughWriter(pdx::Env* env, const std::string& srcDir, const std::string& srcName,
                              const std::string& dstDir, const std::string& dstName) {
  std::unique_ptr<pdx::Table> in;
  PDX_RETURN_IF_ERROR(pdx::Table::Open(env, srcDir, srcName, &in));
  std::unique_ptr<pdx::TableWriter> out;
  PDX_RETURN_IF_ERROR(pdx::TableWriter::Create(env, dstDir, dstName, pdx::DefinitionOf(in->info()), {}, &out));
  auto c = in->NewCursor();
  std::vector<pdx::Value> row(in->info().fields.size());
  pdx::Status s;
  for (s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    for (size_t f = 0; f < row.size(); ++f) PDX_RETURN_IF_ERROR(c->GetValue(static_cast<int>(f + 1), &row[f]));
    PDX_RETURN_IF_ERROR(out->Insert(row));
  }
  PDX_RETURN_IF_ERROR(s);
  return out->Close();
}

}  // namespace testutil
