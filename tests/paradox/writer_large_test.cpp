#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "paradox/env.h"
#include "support/fault_env.h"
#include "paradox/writer.h"
#include "support/table_check.h"

namespace {

using pdx::FieldType;
using pdx::Value;

// A table whose data file takes many batches of blocks (about 600 blocks of
// 1 KiB, before and after the changes).
pdx::TableDefinition Def() {
  pdx::TableDefinition def;
  def.fields = {{"Code", FieldType::kLong, 4, false}, {"Nom", FieldType::kAlpha, 8, false}};
  def.keyFieldCount = 1;
  def.blockSizeKiB = 1;
  return def;
}

// Rows 0..count-1 named "n<code % 1000>"; changed: those ending in 1 deleted,
// the even ones renamed "m...".
std::vector<std::vector<std::string>> Expected(int count, bool changed) {
  std::vector<std::vector<std::string>> rows;
  for (int code = 0; code < count; ++code) {
    if (changed && code % 10 == 1) continue;
    const char* tag = changed && code % 2 == 0 ? "m" : "n";
    rows.push_back({std::to_string(code), tag + std::to_string(code % 1000)});
  }
  return rows;
}

// Written whole and in key order; a failed write of the data file (its blocks
// go in one request) leaves the table as it was, and the same changes go
// through after.
TEST(WriterLarge, BigDataFileIsWrittenInOrderAndAFailedWriteLeavesTheTable) {
  auto mem = pdx::NewMemEnv();
  ASSERT_TRUE(mem->CreateDir("/d").ok());
  const int count = 50000;
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(mem.get(), "/d", "BIG", Def(), {}, &w).ok());
    // Descending codes: every insert lands before the others.
    for (int code = count - 1; code >= 0; --code)
      ASSERT_TRUE(w->Insert({Value::Int(code), Value::Text("n" + std::to_string(code % 1000))}).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  const auto before = Expected(count, false);
  ASSERT_EQ(testutil::ReadRows(mem.get(), "/d", "BIG"), before);

  pdx::FaultEnv env(mem.get());
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Open(&env, "/d", "BIG", {}, &w).ok());
  for (int code = 1; code < count; code += 10) {
    pdx::RowId id = 0;
    ASSERT_TRUE(w->Find({Value::Int(code)}, &id).ok());
    ASSERT_TRUE(w->Delete(id).ok());
  }
  for (int code = 0; code < count; code += 2) {
    pdx::RowId id = 0;
    ASSERT_TRUE(w->Find({Value::Int(code)}, &id).ok());
    ASSERT_TRUE(w->Update(id, {Value::Int(code), Value::Text("m" + std::to_string(code % 1000))}).ok());
  }
  env.Reset();
  env.FailNth(pdx::FaultEnv::Op::kWrite, 1);  // the data file's blocks, handed over in one request
  pdx::Status s = w->Flush();
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find("/d/BIG"), std::string::npos) << s.message();
  EXPECT_EQ(testutil::ReadRows(mem.get(), "/d", "BIG"), before);
  env.Reset();
  ASSERT_TRUE(w->Close().ok());
  EXPECT_EQ(testutil::ReadRows(mem.get(), "/d", "BIG"), Expected(count, true));
  EXPECT_TRUE(testutil::IndexFindings(mem.get(), "/d", "BIG").empty());
}

}  // namespace
