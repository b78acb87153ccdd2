// pdx reindex FILE: rebuild a table's primary and secondary index files from
// its data. pdx copy SRC DST: re-write a table record by record through the
// writer into a new table of the same definitions (indexes and blobs included).
// Exit 0 done, 2 failed (the message names the table).
#include <cstdio>
#include <memory>

#include "paradox/table.h"
#include "paradox/writer.h"
#include "pdx.h"

namespace pdxtool {

int Reindex(const std::string& file) {
  std::string dir, name;
  SplitPath(file, &dir, &name);
  pdx::Status s = pdx::RebuildIndexes(pdx::Env::Default(), dir, name);
  if (!s.ok()) {
    PrintError(file, s.message());
    return 2;
  }
  return 0;
}

int Copy(const std::string& src, const std::string& dst) {
  std::string sdir, sname, ddir, dname;
  SplitPath(src, &sdir, &sname);
  SplitPath(dst, &ddir, &dname);
  pdx::Env* env = pdx::Env::Default();
  std::unique_ptr<pdx::Table> in;
  pdx::Status s = pdx::Table::Open(env, sdir, sname, &in);
  if (!s.ok()) {
    PrintError(src, s.message());
    return 2;
  }
  std::unique_ptr<pdx::TableWriter> out;
  s = pdx::TableWriter::Create(env, ddir, dname, pdx::DefinitionOf(in->info()), {}, &out);
  if (!s.ok()) {
    PrintError(dst, s.message());
    return 2;
  }
  auto c = in->NewCursor();
  std::vector<pdx::Value> row(in->info().fields.size());
  for (s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    for (size_t f = 0; f < row.size() && s.ok(); ++f) s = c->GetValue(static_cast<int>(f + 1), &row[f]);
    if (s.ok()) s = out->Insert(row);
    if (!s.ok()) break;
  }
  if (s.ok()) s = out->Close();
  if (!s.ok()) {
    PrintError(dst, s.message());
    return 2;
  }
  return 0;
}

}  // namespace pdxtool
