// pdx info: what a table (or any file of the table family) declares.
#include <cstdio>

#include "paradox/format/paradox_file.h"
#include "paradox/table.h"
#include "pdx.h"

namespace pdxtool {
namespace {

const char* TypeName(uint8_t t) {
  static const char* kNames[] = {"keyed table",        "primary index",        "non-keyed table",
                                 "secondary index",    "secondary index tree", "secondary index",
                                 "composite index",    "composite index tree", "composite index"};
  return t < 9 ? kNames[t] : "?";
}

void PrintFields(const std::vector<pdx::FieldDesc>& fields) {
  std::printf("fields:\n");
  for (size_t i = 0; i < fields.size(); ++i)
    std::printf("  %zu %s %c %u\n", i + 1, fields[i].name.c_str(), pdx::FieldTypeLetter(fields[i].type),
                fields[i].size);
}

int InfoOfOtherFile(const std::string& file) {
  std::unique_ptr<pdx::ParadoxFile> f;
  pdx::Status s = pdx::ParadoxFile::Open(pdx::Env::Default(), file, &f);
  if (!s.ok()) {
    PrintError(file, s.message());
    return 2;
  }
  const pdx::FileHeader& h = f->header();
  std::printf("file: %s\n", file.c_str());
  std::printf("type: %s (%u)\n", TypeName(h.fileType), h.fileType);
  std::printf("level: %s\n", h.LevelText().c_str());
  std::printf("code page: %d\n", h.EffectiveCodePage());
  if (!h.sortOrderName.empty()) std::printf("sort order: %s\n", h.sortOrderName.c_str());
  std::printf("block size: %u\n", h.blockSize);
  std::printf("records: %u\n", h.recordCount);
  std::printf("record size: %u\n", h.recordSize);
  PrintFields(h.fields);
  return 0;
}

}  // namespace

int Info(const std::string& file) {
  std::string dir, name;
  SplitPath(file, &dir, &name);
  std::unique_ptr<pdx::Table> table;
  pdx::Status s = pdx::Table::Open(pdx::Env::Default(), dir, name, &table);
  if (s.IsInvalidArgument()) return InfoOfOtherFile(file);  // an index file
  if (!s.ok()) {
    PrintError(file, s.message());
    return 2;
  }
  const pdx::TableInfo& info = table->info();
  std::printf("file: %s\n", info.path.c_str());
  std::printf("type: %s\n", info.keyFieldCount > 0 ? "keyed table" : "non-keyed table");
  std::printf("level: %s\n", info.levelText.c_str());
  std::printf("code page: %d\n", info.codePage);
  std::printf("sort order: %s\n", info.sortOrder.c_str());
  std::printf("block size: %d\n", info.blockSize);
  std::printf("records: %u\n", info.recordCount);
  std::printf("record size: %d\n", info.recordSize);
  std::printf("key fields: %d\n", info.keyFieldCount);
  if (info.autoIncrement) std::printf("autoincrement: %u\n", info.autoIncrement);
  PrintFields(info.fields);
  std::printf("indexes:\n");
  for (const pdx::IndexDesc& d : info.indexes) {
    std::string fields;
    for (int f : d.fields) {
      if (!fields.empty()) fields += ", ";
      fields += f >= 1 && f <= static_cast<int>(info.fields.size()) ? info.fields[f - 1].name : "?";
    }
    std::string flags;
    if (d.primary) flags += " primary";
    if (d.unique) flags += " unique";
    if (d.caseInsensitive) flags += " case-insensitive";
    if (d.descending) flags += " descending";
    std::printf("  %s \"%s\" (%s)%s\n", d.file.empty() ? "-" : d.file.c_str(), d.name.c_str(), fields.c_str(),
                flags.c_str());
  }
  return 0;
}

}  // namespace pdxtool
