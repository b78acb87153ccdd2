// A reader keeps the version of the table it opened, whatever a writer commits
// afterwards: records, blobs and every index order stay those of one version.
#include <gtest/gtest.h>

#include "paradox/table.h"
#include "paradox/writer.h"
#include "support/field_defs.h"
#include "support/table_check.h"
#include "support/test_util.h"

namespace {

using pdx::FieldDesc;
using pdx::FieldType;
using pdx::Value;
using testutil::Field;

pdx::TableDefinition ClientDef() {
  pdx::TableDefinition def;
  def.fields = {Field("Code", FieldType::kLong, 4), Field("Nom", FieldType::kAlpha, 20), Field("Ville", FieldType::kAlpha, 20),
                Field("Note", FieldType::kMemo, 10)};
  def.keyFieldCount = 1;
  def.indexes = {{"Nom", {"Nom"}, false, false, false}, {"VilleNom", {"Ville", "Nom"}, false, true, false}};
  return def;
}

// Every record as "Code|Nom|Ville|Note" in the order named ("" = primary).
std::vector<std::string> Rows(pdx::Table& t, const std::string& order) {
  auto c = t.NewCursor();
  pdx::Status s = order.empty() ? c->SetOrderPrimary() : c->SetOrderIndex(order);
  if (!s.ok()) return {"ERROR: " + s.ToString()};
  std::vector<std::string> out;
  for (s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    std::string row;
    for (int f = 1; f <= 4; ++f) {
      std::string v;
      pdx::Status g = c->GetText(f, &v);
      row += (f > 1 ? "|" : "") + (g.ok() ? v : "ERROR");
    }
    out.push_back(row);
  }
  if (!s.ok()) out.push_back("ERROR: " + s.ToString());
  return out;
}

std::string LongNote(int i) { return std::string(40, static_cast<char>('a' + i % 26)) + std::to_string(i); }

class ReaderVersionTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      env_ = pdx::Env::Default();
      dir_ = tmp_.path();
    } else {
      mem_ = pdx::NewMemEnv();
      env_ = mem_.get();
      ASSERT_TRUE(env_->CreateDir(dir_).ok());
    }
  }
  testutil::TempDir tmp_;
  std::unique_ptr<pdx::Env> mem_;
  pdx::Env* env_ = nullptr;
  std::string dir_ = "/siege";
};

TEST_P(ReaderVersionTest, OpenReaderKeepsItsVersionAcrossACommit) {
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Create(env_, dir_, "CLIENT", ClientDef(), {}, &w).ok());
  const char* towns[] = {"Lyon", "Brest", "Nantes", "Albi"};
  for (int i = 1; i <= 300; ++i) {
    ASSERT_TRUE(w->Insert({Value::Int(i), Value::Text("Nom" + std::to_string(1000 - i)), Value::Text(towns[i % 4]),
                           Value::Text(LongNote(i))})
                    .ok());
  }
  ASSERT_TRUE(w->Close().ok());

  // Opened only: nothing of the indexes or blobs has been read yet.
  std::unique_ptr<pdx::Table> before;
  ASSERT_TRUE(pdx::Table::Open(env_, dir_, "client.db", &before).ok());
  std::unique_ptr<pdx::Table> reference;
  ASSERT_TRUE(pdx::Table::Open(env_, dir_, "CLIENT", &reference).ok());
  const auto oldPrimary = Rows(*reference, ""), oldNom = Rows(*reference, "Nom"),
             oldVille = Rows(*reference, "VilleNom");
  ASSERT_EQ(oldPrimary.size(), 300u);
  reference.reset();

  // The writer changes every file: records across blocks, both indexes, blobs,
  // and drops one index.
  ASSERT_TRUE(pdx::TableWriter::Open(env_, dir_, "CLIENT", {}, &w).ok());
  for (int i = 1; i <= 300; i += 3) {
    pdx::RowId r = 0;
    ASSERT_TRUE(w->Find({Value::Int(i)}, &r).ok());
    ASSERT_TRUE(w->Delete(r).ok());
  }
  for (int i = 2; i <= 300; i += 3) {
    pdx::RowId r = 0;
    ASSERT_TRUE(w->Find({Value::Int(i)}, &r).ok());
    ASSERT_TRUE(w->Update(r, {Value::Int(i), Value::Text("Autre" + std::to_string(i)), Value::Text("Metz"),
                              Value::Text(LongNote(i + 7))})
                    .ok());
  }
  for (int i = 301; i <= 400; ++i)
    ASSERT_TRUE(w->Insert({Value::Int(i), Value::Text("Neuf"), Value::Text("Pau"), Value::Text(LongNote(i))}).ok());
  ASSERT_TRUE(w->DeleteIndex("VilleNom").ok());
  ASSERT_TRUE(w->Close().ok());

  EXPECT_EQ(before->info().recordCount, 300u);
  EXPECT_EQ(Rows(*before, ""), oldPrimary);
  EXPECT_EQ(Rows(*before, "Nom"), oldNom);
  EXPECT_EQ(Rows(*before, "VilleNom"), oldVille);

  // A reader opened now sees the new version whole.
  std::unique_ptr<pdx::Table> after;
  ASSERT_TRUE(pdx::Table::Open(env_, dir_, "CLIENT", &after).ok());
  auto newPrimary = Rows(*after, "");
  ASSERT_EQ(newPrimary.size(), 300u - 100u + 100u);
  EXPECT_EQ(newPrimary[0], "2|Autre2|Metz|" + LongNote(9));
  EXPECT_EQ(Rows(*after, "Nom").size(), newPrimary.size());
  EXPECT_FALSE(after->NewCursor()->SetOrderIndex("VilleNom").ok());
  EXPECT_TRUE(testutil::IndexFindings(env_, dir_, "CLIENT").empty());
}

INSTANTIATE_TEST_SUITE_P(Envs, ReaderVersionTest, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Disk" : "Memory"; });

}  // namespace
