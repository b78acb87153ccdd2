#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <thread>

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

pdx::TableDefinition ArticleDef() {
  pdx::TableDefinition def;
  def.fields = {Field("Code", FieldType::kLong), Field("Libellé", FieldType::kAlpha, 30), Field("Prix", FieldType::kMoney),
                Field("Stock", FieldType::kShort), Field("Créé", FieldType::kDate), Field("Note", FieldType::kMemo, 15),
                Field("Actif", FieldType::kLogical)};
  def.keyFieldCount = 1;
  return def;
}

std::vector<Value> Article(int code, const std::string& name, double price, const std::string& note = "") {
  return {Value::Int(code), Value::Text(name), Value::Double(price), Value::Int(code % 100),
          Value::Double(40000 + code % 365), note.empty() ? Value::Blank() : Value::Text(note), Value::Bool(code % 2)};
}

class WriterTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(env_->CreateDir("/agence").ok()); }
  std::unique_ptr<pdx::Env> env_ = pdx::NewMemEnv();
  const std::string dir_ = "/agence";
};

TEST_F(WriterTest, CreatedTableReadsBackInKeyOrderWithCleanIndexes) {
  std::unique_ptr<pdx::TableWriter> w;
  pdx::Status s = pdx::TableWriter::Create(env_.get(), dir_, "ARTICLE", ArticleDef(), {}, &w);
  ASSERT_TRUE(s.ok()) << s.ToString();
  for (int code : {30, 10, 20})
    ASSERT_TRUE(w->Insert(Article(code, "Vis n°" + std::to_string(code), code * 1.25,
                                  code == 20 ? std::string(400, 'x') + "fin" : "court")).ok());
  ASSERT_TRUE(w->Close().ok());

  auto rows = testutil::ReadRows(env_.get(), dir_, "article.db");
  ASSERT_EQ(rows.size(), 3u) << rows[0][0];
  EXPECT_EQ(rows[0][0], "10");
  EXPECT_EQ(rows[1][0], "20");
  EXPECT_EQ(rows[2][0], "30");
  EXPECT_EQ(rows[0][1], "Vis n°10");
  EXPECT_EQ(rows[0][2], "12.5");
  EXPECT_EQ(rows[0][5], "court");  // fits in the record
  EXPECT_EQ(rows[1][5], std::string(400, 'x') + "fin");  // in the .MB
  EXPECT_EQ(rows[0][6], "false");
  EXPECT_TRUE(testutil::IndexFindings(env_.get(), dir_, "ARTICLE").empty());
}

TEST_F(WriterTest, DuplicateKeyIsRefusedNamingTableAndKeyAndChangesNothing) {
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Create(env_.get(), dir_, "ARTICLE", ArticleDef(), {}, &w).ok());
  pdx::RowId a = 0, b = 0;
  ASSERT_TRUE(w->Insert(Article(1, "un", 1), &a).ok());
  ASSERT_TRUE(w->Insert(Article(2, "deux", 2), &b).ok());
  pdx::Status s = w->Insert(Article(1, "bis", 3));
  ASSERT_TRUE(s.IsInvalidArgument());
  EXPECT_NE(s.message().find("ARTICLE"), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("(1)"), std::string::npos) << s.message();
  s = w->Update(b, Article(1, "deux devenu un", 2));
  EXPECT_TRUE(s.IsInvalidArgument());
  EXPECT_EQ(w->RecordCount(), 2u);
  std::vector<Value> v;
  ASSERT_TRUE(w->Get(b, &v).ok());
  EXPECT_EQ(v[1].text, "deux");
  // Text the code page cannot hold, too many values.
  EXPECT_TRUE(w->Insert(Article(5, "Пример", 1)).IsInvalidArgument());
  EXPECT_TRUE(w->Insert(std::vector<Value>(9, Value::Int(1))).IsInvalidArgument());
  EXPECT_EQ(w->RecordCount(), 2u);
  // A blank key is a key: once, and first.
  pdx::RowId blank = 0;
  ASSERT_TRUE(w->Insert({Value::Blank(), Value::Text("x")}, &blank).ok());
  EXPECT_TRUE(w->Insert({Value::Blank(), Value::Text("y")}).IsInvalidArgument());
  EXPECT_EQ(w->Rows().front(), blank);
  ASSERT_TRUE(w->Delete(blank).ok());
  // A key change moves the row.
  ASSERT_TRUE(w->Update(a, Article(3, "un devenu trois", 1)).ok());
  pdx::RowId found = 99;
  ASSERT_TRUE(w->Find({Value::Int(3)}, &found).ok());
  EXPECT_EQ(found, a);
  EXPECT_TRUE(w->Find({Value::Int(1)}, &found).IsNotFound());
  EXPECT_EQ(w->Rows(), (std::vector<pdx::RowId>{b, a}));
}

TEST_F(WriterTest, SecondWriterGetsTableInUse) {
  std::unique_ptr<pdx::TableWriter> w, w2;
  ASSERT_TRUE(pdx::TableWriter::Create(env_.get(), dir_, "ARTICLE", ArticleDef(), {}, &w).ok());
  pdx::Status s = pdx::TableWriter::Open(env_.get(), dir_, "article", {}, &w2);
  ASSERT_TRUE(s.IsBusy()) << s.ToString();
  EXPECT_NE(s.message().find("table in use"), std::string::npos);
  ASSERT_TRUE(w->Close().ok());
  w.reset();
  EXPECT_TRUE(pdx::TableWriter::Open(env_.get(), dir_, "article", {}, &w2).ok());
}

// Random inserts, updates and deletes over many blocks, with a secondary
// index, against a plain map: after every flush the table reads as the map
// and its indexes check clean.
TEST_F(WriterTest, RandomChangesMatchAModelAndKeepIndexesClean) {
  pdx::TableDefinition def = ArticleDef();
  def.indexes.push_back({"", {"Libellé"}});
  def.indexes.push_back({"ParPrix", {"Prix", "Stock"}});
  std::unique_ptr<pdx::TableWriter> w;
  pdx::Status s = pdx::TableWriter::Create(env_.get(), dir_, "ARTICLE", def, {}, &w);
  ASSERT_TRUE(s.ok()) << s.ToString();
  std::map<int, std::vector<Value>> model;
  std::mt19937 rng(7);
  for (int step = 0; step < 6; ++step) {
    for (int op = 0; op < 400; ++op) {
      int code = static_cast<int>(rng() % 1500);
      int kind = static_cast<int>(rng() % 3);
      pdx::RowId id = 0;
      bool exists = w->Find({Value::Int(code)}, &id).ok();
      ASSERT_EQ(exists, model.count(code) > 0);
      std::string note = rng() % 4 ? "" : std::string(rng() % 300, static_cast<char>('a' + rng() % 26));
      auto row = Article(code, "Art " + std::to_string(rng() % 50), static_cast<double>(rng() % 1000) / 4, note);
      if (kind == 0 && !exists) {
        ASSERT_TRUE(w->Insert(row).ok());
        model[code] = row;
      } else if (kind == 1 && exists) {
        ASSERT_TRUE(w->Update(id, row).ok());
        model[code] = row;
      } else if (kind == 2 && exists) {
        ASSERT_TRUE(w->Delete(id).ok());
        model.erase(code);
      }
    }
    s = w->Flush();
    ASSERT_TRUE(s.ok()) << s.ToString();
    auto rows = testutil::ReadRows(env_.get(), dir_, "ARTICLE");
    ASSERT_EQ(rows.size(), model.size()) << (rows.empty() ? "" : rows.back()[0]);
    size_t i = 0;
    for (const auto& [code, vals] : model) {
      ASSERT_EQ(rows[i][0], std::to_string(code));
      ASSERT_EQ(rows[i][1], vals[1].text);
      ASSERT_EQ(rows[i][5], vals[5].blank ? "<blank>" : vals[5].text) << code;
      ++i;
    }
    auto findings = testutil::IndexFindings(env_.get(), dir_, "ARTICLE");
    EXPECT_TRUE(findings.empty()) << findings.front();
  }
  // The reader finds both indexes, under the names the engine gives them.
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(env_.get(), dir_, "ARTICLE", &t).ok());
  ASSERT_EQ(t->info().indexes.size(), 3u);
  EXPECT_EQ(t->info().indexes[1].file, "ARTICLE.X02");
  EXPECT_EQ(t->info().indexes[1].name, "Libellé");
  EXPECT_EQ(t->info().indexes[2].file, "ARTICLE.XG0");
  EXPECT_EQ(t->info().indexes[2].name, "ParPrix");
  EXPECT_EQ(t->info().indexes[2].fields, (std::vector<int>{3, 4}));
}

TEST_F(WriterTest, EmptyDeleteIndexAndAutoIncrement) {
  pdx::TableDefinition def;
  def.fields = {Field("N", FieldType::kAutoInc), Field("Nom", FieldType::kAlpha, 10)};
  def.keyFieldCount = 1;
  def.indexes.push_back({"nom", {"Nom"}});  // named after its field: still the plain kind
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Create(env_.get(), dir_, "CLIENT", def, {}, &w).ok());
  EXPECT_TRUE(env_->FileExists("/agence/CLIENT.X02"));
  ASSERT_TRUE(w->Insert({Value::Blank(), Value::Text("a")}).ok());
  ASSERT_TRUE(w->Insert({Value::Int(10), Value::Text("b")}).ok());
  ASSERT_TRUE(w->Insert({Value::Blank(), Value::Text("c")}).ok());
  ASSERT_TRUE(w->Close().ok());
  w.reset();
  auto rows = testutil::ReadRows(env_.get(), dir_, "CLIENT");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][0], "1");
  EXPECT_EQ(rows[2][0], "11");
  ASSERT_TRUE(pdx::TableWriter::Open(env_.get(), dir_, "CLIENT", {}, &w).ok());
  EXPECT_EQ(w->info().autoIncrement, 11u);
  ASSERT_TRUE(w->Empty().ok());
  ASSERT_TRUE(w->DeleteIndex("Nom").ok());
  ASSERT_TRUE(w->Insert({Value::Blank(), Value::Text("d")}).ok());  // numbering goes on
  ASSERT_TRUE(w->Close().ok());
  rows = testutil::ReadRows(env_.get(), dir_, "CLIENT");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "12");
  EXPECT_FALSE(env_->FileExists("/agence/CLIENT.X02"));
  EXPECT_FALSE(env_->FileExists("/agence/CLIENT.Y02"));
  EXPECT_TRUE(testutil::IndexFindings(env_.get(), dir_, "CLIENT").empty());
}

// Small memos share blocks of the blob file; the space of replaced or deleted
// values is given back at the next flush.
TEST_F(WriterTest, BlobFileHoldsSmallValuesTogetherAndReleasesSpace) {
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Create(env_.get(), dir_, "ARTICLE", ArticleDef(), {}, &w).ok());
  std::vector<pdx::RowId> ids(200);
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(w->Insert(Article(i, "a", 1, std::string(40 + i % 7, 'n')), &ids[i]).ok());
  ASSERT_TRUE(w->Flush().ok());
  uint64_t small = 0, big = 0, after = 0;
  ASSERT_TRUE(env_->GetFileSize("/agence/ARTICLE.MB", &small).ok());
  EXPECT_LE(small, 6u * 4096);  // 200 values of ~45 bytes: a few shared blocks
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(w->Update(ids[i], Article(i, "a", 1, std::string(50000, 'g'))).ok());
  ASSERT_TRUE(w->Flush().ok());
  ASSERT_TRUE(env_->GetFileSize("/agence/ARTICLE.MB", &big).ok());
  EXPECT_GE(big, small + 10u * 50000);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(w->Delete(ids[i]).ok());
  ASSERT_TRUE(w->Close().ok());
  ASSERT_TRUE(env_->GetFileSize("/agence/ARTICLE.MB", &after).ok());
  EXPECT_LE(after, small);
  auto rows = testutil::ReadRows(env_.get(), dir_, "ARTICLE");
  ASSERT_EQ(rows.size(), 190u);
  EXPECT_EQ(rows[0][5], std::string(40 + 10 % 7, 'n'));
  EXPECT_TRUE(testutil::IndexFindings(env_.get(), dir_, "ARTICLE").empty());
}

// Values at the edges of their type are stored so that they read back equal and
// sort by value (a negative short key before a positive one); values a field
// cannot hold are refused and leave no row.
TEST_F(WriterTest, EdgeValuesRoundTripInKeyOrderAndUnfitValuesAreRefused) {
  pdx::TableDefinition def;
  def.fields = {Field("K", FieldType::kShort), Field("L", FieldType::kLong), Field("N", FieldType::kNumber),
                Field("A", FieldType::kAlpha, 4)};
  def.keyFieldCount = 1;
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Create(env_.get(), dir_, "BORNES", def, {}, &w).ok());
  const std::vector<std::vector<Value>> rows = {
      {Value::Int(32767), Value::Int(2147483647), Value::Double(1e300), Value::Text("abcd")},
      {Value::Int(-32767), Value::Int(-2147483647), Value::Double(-0.5), Value::Text("é")},
      {Value::Int(0), Value::Int(0), Value::Int(-3), Value::Text("")},
      {Value::Int(-1), Value::Blank(), Value::Double(-0.0), Value::Text("ÀÉÎ")}};
  for (const auto& r : rows) ASSERT_TRUE(w->Insert(r).ok()) << r[0].i;
  EXPECT_FALSE(w->Insert({Value::Int(32768), Value::Int(1), Value::Double(1), Value::Text("x")}).ok());
  EXPECT_FALSE(w->Insert({Value::Int(5), Value::Int(2147483648LL), Value::Double(1), Value::Text("x")}).ok());
  EXPECT_FALSE(w->Insert({Value::Int(6), Value::Int(1), Value::Text("un"), Value::Text("x")}).ok());
  pdx::Status s = w->Insert({Value::Int(7), Value::Int(1), Value::Double(1), Value::Text("abcde")});
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.message().find("\"A\""), std::string::npos) << s.ToString();
  EXPECT_EQ(w->RecordCount(), rows.size());

  std::vector<int64_t> keys;
  for (pdx::RowId id : w->Rows()) {
    std::vector<Value> v;
    ASSERT_TRUE(w->Get(id, &v).ok());
    keys.push_back(v[0].i);
    const auto& in = *std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r[0].i == v[0].i; });
    EXPECT_EQ(v[1].blank, in[1].blank);
    EXPECT_EQ(v[1].i, in[1].i);
    EXPECT_EQ(v[2].d, in[2].d != 0 ? in[2].d : static_cast<double>(in[2].i));
    EXPECT_EQ(v[3].text, in[3].text);
  }
  EXPECT_EQ(keys, (std::vector<int64_t>{-32767, -1, 0, 32767}));
}

}  // namespace

namespace {

// Closing in two halves: the files written beside the table first, the commit
// later (from another thread, as the transfers do), or never.
TEST_F(WriterTest, CloseInTwoHalvesCommitsLaterOrLeavesTheTableAsItWas) {
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(env_.get(), dir_, "ARTICLE", ArticleDef(), {}, &w).ok());
    ASSERT_TRUE(w->Insert(Article(1, "un", 1)).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  auto names = [&] {
    std::vector<std::string> n;
    EXPECT_TRUE(env_->GetChildren(dir_, &n).ok());
    std::sort(n.begin(), n.end());
    return n;
  };
  const auto before = names();
  auto open = [&] {
    std::unique_ptr<pdx::TableWriter> w;
    pdx::Status s = pdx::TableWriter::Open(env_.get(), dir_, "ARTICLE", {}, &w);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return w;
  };

  // Dropped without its commit: nothing of the table changed, nothing left
  // beside it, and the table is free again.
  {
    auto w = open();
    ASSERT_TRUE(w->Insert(Article(2, "deux", 2, std::string(300, 'm'))).ok());
    std::unique_ptr<pdx::PendingClose> p;
    ASSERT_TRUE(w->CloseStaged(&p).ok());
    EXPECT_NE(names(), before);  // the staged files
    EXPECT_TRUE(w->Flush().IsInvalidArgument());  // closed: its lock went with p
    w.reset();
    std::unique_ptr<pdx::TableWriter> other;
    EXPECT_TRUE(pdx::TableWriter::Open(env_.get(), dir_, "ARTICLE", {}, &other).IsBusy());
    p.reset();
  }
  EXPECT_EQ(names(), before);
  EXPECT_EQ(testutil::ReadRows(env_.get(), dir_, "ARTICLE.DB").size(), 1u);

  // Committed on another thread after the writer is gone.
  {
    auto w = open();
    ASSERT_TRUE(w->Insert(Article(3, "trois", 3, std::string(300, 'n'))).ok());
    std::unique_ptr<pdx::PendingClose> p;
    ASSERT_TRUE(w->CloseStaged(&p).ok());
    w.reset();
    EXPECT_EQ(testutil::ReadRows(env_.get(), dir_, "ARTICLE.DB").size(), 1u);  // not yet
    pdx::Status s;
    std::thread t([&] { s = p->Commit(); });
    t.join();
    EXPECT_TRUE(s.ok()) << s.ToString();
    auto rows = testutil::ReadRows(env_.get(), dir_, "ARTICLE.DB");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][5], std::string(300, 'n'));
    EXPECT_TRUE(testutil::IndexFindings(env_.get(), dir_, "ARTICLE").empty());
    EXPECT_TRUE(open() != nullptr);  // released by the commit, before p goes
  }

  // Nothing changed: the commit writes nothing and only releases the table.
  {
    auto w = open();
    std::unique_ptr<pdx::PendingClose> p;
    ASSERT_TRUE(w->CloseStaged(&p).ok());
    EXPECT_TRUE(w->CloseStaged(&p).IsInvalidArgument());
    const auto files = names();
    ASSERT_TRUE(p->Commit().ok());
    EXPECT_EQ(names(), files);
    EXPECT_TRUE(open() != nullptr);
  }
}

}  // namespace
