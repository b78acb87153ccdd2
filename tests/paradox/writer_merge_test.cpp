#include <gtest/gtest.h>

#include <random>
#include <set>

#include "paradox/record_view.h"
#include "paradox/writer.h"
#include "support/field_defs.h"
#include "support/table_check.h"

namespace {

using pdx::FieldType;
using pdx::MergeOutcome;
using pdx::Value;
using testutil::Field;

// A conditions-like table: a five-field key of shorts and short texts, then
// rates.
pdx::TableDefinition RemiseDef(bool extraField = false) {
  pdx::TableDefinition def;
  def.fields = {Field("Type", FieldType::kShort),      Field("Fournisseur", FieldType::kAlpha, 2),
                Field("Client", FieldType::kAlpha, 10), Field("TypeGroupe", FieldType::kShort),
                Field("Groupe", FieldType::kAlpha, 2),  Field("R1", FieldType::kNumber),
                Field("R2", FieldType::kNumber)};
  if (extraField) def.fields.push_back(Field("Note", FieldType::kAlpha, 20));
  def.keyFieldCount = 5;
  return def;
}

std::vector<Value> Row(int type, const std::string& f, const std::string& client, int tg, const std::string& g,
                       double r1, double r2) {
  return {Value::Int(type), Value::Text(f), Value::Text(client), Value::Int(tg), Value::Text(g), Value::Double(r1),
          Value::Double(r2)};
}

// Decisions that depend only on the rows' values, so that the merge and the
// one-row-at-a-time model reach the same ones.
bool DropOf(double r1, const std::string& client) { return client.empty() || static_cast<int>(r1) % 3 != 0; }
bool TakeOf(size_t row) { return row % 7 != 3; }
bool ReplaceOf(double incomingR1, double currentR1) { return incomingR1 > currentR1; }

class Decider : public pdx::MergeDecider {
 public:
  explicit Decider(const std::vector<std::vector<Value>>& incoming) : incoming_(incoming) {}
  bool Drop(size_t range, const pdx::RecordView& v) override {
    ranges.push_back(range);
    std::string scratch;
    return DropOf(v.Double(6), std::string(v.Text(3, &scratch)));
  }
  bool Take(size_t row) override { return TakeOf(row); }
  bool Replace(size_t row, const pdx::RecordView& v) override { return ReplaceOf(incoming_[row][5].d, v.Double(6)); }
  std::vector<size_t> ranges;

 private:
  const std::vector<std::vector<Value>>& incoming_;
};

class MergeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(env_->CreateDir(dir_).ok()); }
  void Make(const std::string& name, const std::vector<std::vector<Value>>& rows, bool extra = false) {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(env_.get(), dir_, name, RemiseDef(extra), {}, &w).ok());
    for (const auto& r : rows) ASSERT_TRUE(w->Insert(r).ok()) << r[1].text << r[2].text;
    ASSERT_TRUE(w->Close().ok());
  }
  std::string Bytes(const std::string& path) {
    uint64_t size = 0;
    std::unique_ptr<pdx::RandomAccessFile> f;
    EXPECT_TRUE(env_->GetFileSize(path, &size).ok());
    EXPECT_TRUE(env_->NewRandomAccessFile(path, &f).ok());
    std::string out(size, '\0');
    size_t got = 0;
    if (f) {
      EXPECT_TRUE(f->Read(0, out.size(), out.data(), &got).ok());
    }
    out.resize(got);
    return out;
  }
  std::unique_ptr<pdx::Env> env_ = pdx::NewMemEnv();
  const std::string dir_ = "/agence";
};

// The same changes made one row at a time through Find, Insert, Update and
// Delete.
void Model(pdx::TableWriter* w, const std::vector<std::vector<Value>>& incoming,
           const std::vector<std::pair<int, std::string>>& ranges, std::vector<MergeOutcome::Kind>* kinds) {
  std::set<std::pair<int, std::string>> drop(ranges.begin(), ranges.end());
  std::vector<Value> v;
  for (pdx::RowId id : w->Rows()) {
    ASSERT_TRUE(w->Get(id, &v).ok());
    if (drop.count({static_cast<int>(v[0].i), v[1].text}) && DropOf(v[5].d, v[2].blank ? "" : v[2].text)) {
      ASSERT_TRUE(w->Delete(id).ok());
    }
  }
  kinds->assign(incoming.size(), MergeOutcome::kSkipped);
  for (size_t i = 0; i < incoming.size(); ++i) {
    if (!TakeOf(i)) continue;
    std::vector<Value> key(incoming[i].begin(), incoming[i].begin() + 5);
    pdx::RowId id = 0;
    pdx::Status s = w->Find(key, &id);
    if (s.IsNotFound()) {
      ASSERT_TRUE(w->Insert(incoming[i]).ok());
      (*kinds)[i] = MergeOutcome::kInserted;
      continue;
    }
    ASSERT_TRUE(s.ok()) << s.ToString();
    ASSERT_TRUE(w->Get(id, &v).ok());
    if (!ReplaceOf(incoming[i][5].d, v[5].d)) {
      (*kinds)[i] = MergeOutcome::kUnchanged;
      continue;
    }
    v[5] = incoming[i][5];
    v[6] = incoming[i][6];
    ASSERT_TRUE(w->Update(id, v).ok());
    (*kinds)[i] = MergeOutcome::kReplaced;
  }
}

TEST_F(MergeTest, RandomBatchesGiveWhatOneRowAtATimeGives) {
  // Few distinct values, so that keys meet often: current rows, incoming rows
  // of equal keys (some twice in the batch), case variants that are other keys.
  const std::vector<std::string> fournisseurs = {"AB", "ab", "AC", "B", ""};
  const std::vector<std::string> clients = {"", "C1", "c1", "Z9", "été"};
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 rng(seed);
    auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
    auto random = [&]() {
      return Row(1 + static_cast<int>(rng() % 2), pick(fournisseurs), pick(clients), static_cast<int>(rng() % 2),
                 pick({"G1", "G2", ""}), static_cast<double>(rng() % 40), static_cast<double>(rng() % 5));
    };
    std::vector<std::vector<Value>> current, incoming;
    std::set<std::string> seen;
    for (int k = 0; k < 300; ++k) {
      auto r = random();
      std::string key = std::to_string(r[0].i) + "|" + r[1].text + "|" + r[2].text + "|" + std::to_string(r[3].i) + "|" + r[4].text;
      if (seen.insert(key).second) current.push_back(r);
    }
    for (int k = 0; k < 250; ++k) incoming.push_back(random());
    std::vector<std::pair<int, std::string>> ranges = {{1, "AB"}, {2, "ab"}, {1, ""}, {1, "AB"}};
    std::vector<std::vector<Value>> prefixes;
    for (const auto& [t, f] : ranges) prefixes.push_back({Value::Int(t), Value::Text(f)});

    Make("MERGE", current);
    Make("MODELE", current);
    std::unique_ptr<pdx::TableWriter> w, m;
    ASSERT_TRUE(pdx::TableWriter::Open(env_.get(), dir_, "MERGE", {}, &w).ok());
    ASSERT_TRUE(pdx::TableWriter::Open(env_.get(), dir_, "MODELE", {}, &m).ok());
    pdx::MergeBatch batch;
    batch.SetRows(incoming);
    batch.SetUpdateFields({6, 7});
    batch.SetDropRanges(prefixes);
    Decider d(incoming);
    MergeOutcome out;
    pdx::Status s = w->Merge(batch, d, &out);
    ASSERT_TRUE(s.ok()) << s.ToString();
    std::vector<MergeOutcome::Kind> kinds;
    Model(m.get(), incoming, ranges, &kinds);
    EXPECT_EQ(out.rows, kinds) << "seed " << seed;
    EXPECT_EQ(w->RecordCount(), m->RecordCount());
    // The range given twice is offered under its first index only.
    for (size_t r : d.ranges) EXPECT_NE(r, 3u);
    ASSERT_TRUE(w->Close().ok());
    ASSERT_TRUE(m->Close().ok());
    EXPECT_EQ(testutil::ReadRows(env_.get(), dir_, "MERGE.DB"), testutil::ReadRows(env_.get(), dir_, "MODELE.DB"))
        << "seed " << seed;
    EXPECT_EQ(testutil::FindingsText(env_.get(), dir_, "MERGE"), "");
    ASSERT_TRUE(env_->RemoveFile(dir_ + "/MERGE.DB").ok());
    ASSERT_TRUE(env_->RemoveFile(dir_ + "/MERGE.PX").ok());
    ASSERT_TRUE(env_->RemoveFile(dir_ + "/MODELE.DB").ok());
    ASSERT_TRUE(env_->RemoveFile(dir_ + "/MODELE.PX").ok());
  }
}

TEST_F(MergeTest, LookupsAndChangesAfterAMergeAndOneBatchForTwoLayouts) {
  Make("A", {Row(1, "AB", "", 0, "G1", 5, 0), Row(1, "AC", "", 0, "G1", 5, 0)});
  Make("B", {Row(1, "AB", "", 0, "G1", 5, 0), Row(2, "AB", "", 0, "G1", 5, 0)}, /*extra=*/true);
  pdx::MergeBatch batch;
  batch.SetRows({Row(1, "AB", "", 0, "G1", 9, 1), Row(1, "AA", "", 0, "G1", 3, 0)});
  batch.SetUpdateFields({6, 7});
  for (const char* name : {"A", "B"}) {
    SCOPED_TRACE(name);
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Open(env_.get(), dir_, name, {}, &w).ok());
    std::vector<std::vector<Value>> incoming = {batch.row(0), batch.row(1)};
    Decider d(incoming);
    MergeOutcome out;
    ASSERT_TRUE(w->Merge(batch, d, &out).ok());
    EXPECT_EQ(out.rows, (std::vector<MergeOutcome::Kind>{MergeOutcome::kReplaced, MergeOutcome::kInserted}));
    // The writer still finds, inserts and deletes by key after a merge.
    pdx::RowId id = 0;
    ASSERT_TRUE(w->Find({Value::Int(1), Value::Text("AA"), Value::Text(""), Value::Int(0), Value::Text("G1")}, &id).ok());
    ASSERT_TRUE(w->Delete(id).ok());
    ASSERT_TRUE(w->Insert(Row(1, "AD", "", 0, "G1", 1, 1)).ok());
    EXPECT_TRUE(w->Insert(Row(1, "AB", "", 0, "G1", 1, 1)).IsInvalidArgument());
    ASSERT_TRUE(w->Close().ok());
    auto rows = testutil::ReadRows(env_.get(), dir_, std::string(name) + ".DB");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1], "AB");
    EXPECT_EQ(rows[0][5], "9");
    EXPECT_EQ(rows[1][1], std::string(name) == "A" ? "AC" : "AD");
    EXPECT_EQ(testutil::FindingsText(env_.get(), dir_, name), "");
  }
}

TEST_F(MergeTest, RowsStoredOutOfKeyOrderAndMergesAfterOtherChangesGiveTheModelsResult) {
  // Rows as another program may have left them: records of the first block
  // swapped, so the chain is not in key order (and a duplicate is refused).
  std::vector<std::vector<Value>> current;
  for (int k = 0; k < 60; ++k)
    current.push_back(Row(1 + k % 2, k % 3 ? "AB" : "AC", k % 4 ? "C" + std::to_string(k) : "", k, "G1", k % 40, 0));
  auto swapFirstRecords = [&](const std::string& name, int a, int b) {
    const std::string path = dir_ + "/" + name + ".DB";
    std::string db = Bytes(path);
    ASSERT_GT(db.size(), 8u);
    const size_t recordSize = static_cast<uint8_t>(db[0]) | static_cast<uint8_t>(db[1]) << 8;
    const size_t headerSize = static_cast<uint8_t>(db[2]) | static_cast<uint8_t>(db[3]) << 8;
    const size_t first = headerSize + 6;  // the first block's records, after its own header
    std::string ra = db.substr(first + a * recordSize, recordSize), rb = db.substr(first + b * recordSize, recordSize);
    db.replace(first + a * recordSize, recordSize, rb);
    db.replace(first + b * recordSize, recordSize, ra);
    std::unique_ptr<pdx::WritableFile> f;
    ASSERT_TRUE(env_->NewWritableFile(path, &f).ok());
    ASSERT_TRUE(f->Append(db.data(), db.size()).ok());
    ASSERT_TRUE(f->Close().ok());
  };
  Make("MERGE", current);
  Make("MODELE", current);
  if (HasFatalFailure()) return;
  // The model keeps its rows in key order.
  swapFirstRecords("MERGE", 0, 5);
  swapFirstRecords("MERGE", 20, 21);
  // Incoming rows of the keys of the rows moved, with better rates: a walk
  // that took the stored order for the key order would miss them.
  const auto chain = testutil::ReadRows(env_.get(), dir_, "MERGE.DB");
  ASSERT_EQ(chain.size(), current.size());
  auto sameKey = [&](size_t at, double r1) {
    const auto& c = chain[at];
    return Row(std::stoi(c[0]), c[1], c[2] == "<blank>" ? "" : c[2], std::stoi(c[3]), c[4], r1, 7);
  };
  std::unique_ptr<pdx::TableWriter> w, m;
  ASSERT_TRUE(pdx::TableWriter::Open(env_.get(), dir_, "MERGE", {}, &w).ok());
  ASSERT_TRUE(pdx::TableWriter::Open(env_.get(), dir_, "MODELE", {}, &m).ok());

  // Three batches: on the rows as loaded, right after a merge, and after an
  // insert made between two merges.
  const std::vector<std::vector<std::vector<Value>>> batches = {
      {sameKey(0, 90), sameKey(5, 91), Row(2, "AC", "C3", 0, "G1", 1, 1), Row(1, "AA", "", 0, "G2", 4, 0)},
      {sameKey(20, 92), sameKey(21, 93), sameKey(0, 94), Row(2, "AC", "", 0, "G1", 3, 3)},
      {sameKey(5, 95), Row(1, "AD", "X", 0, "G1", 9, 9), Row(1, "AA", "", 0, "G2", 99, 0)}};
  const std::vector<std::pair<int, std::string>> ranges = {{2, "AC"}};
  std::vector<std::vector<Value>> prefixes;
  for (const auto& [t, f] : ranges) prefixes.push_back({Value::Int(t), Value::Text(f)});
  for (size_t b = 0; b < batches.size(); ++b) {
    SCOPED_TRACE(b);
    if (b == 2) {
      ASSERT_TRUE(w->Insert(Row(1, "AE", "", 0, "G1", 1, 1)).ok());
      ASSERT_TRUE(m->Insert(Row(1, "AE", "", 0, "G1", 1, 1)).ok());
    }
    pdx::MergeBatch batch;
    batch.SetRows(batches[b]);
    batch.SetUpdateFields({6, 7});
    batch.SetDropRanges(prefixes);
    Decider d(batches[b]);
    MergeOutcome out;
    pdx::Status s = w->Merge(batch, d, &out);
    ASSERT_TRUE(s.ok()) << s.ToString();
    std::vector<MergeOutcome::Kind> kinds;
    Model(m.get(), batches[b], ranges, &kinds);
    EXPECT_EQ(out.rows, kinds);
    EXPECT_EQ(w->RecordCount(), m->RecordCount());
  }
  ASSERT_TRUE(w->Close().ok());
  ASSERT_TRUE(m->Close().ok());
  EXPECT_EQ(testutil::ReadRows(env_.get(), dir_, "MERGE.DB"), testutil::ReadRows(env_.get(), dir_, "MODELE.DB"));
  EXPECT_EQ(testutil::FindingsText(env_.get(), dir_, "MERGE"), "");

  // Two rows of one key in the chain: the table cannot be opened for writing.
  Make("DOUBLE", {Row(1, "AB", "C1", 0, "G1", 1, 0), Row(1, "AB", "C2", 0, "G1", 2, 0)});
  {
    const std::string path = dir_ + "/DOUBLE.DB";
    std::string db = Bytes(path);
    const size_t recordSize = static_cast<uint8_t>(db[0]) | static_cast<uint8_t>(db[1]) << 8;
    const size_t headerSize = static_cast<uint8_t>(db[2]) | static_cast<uint8_t>(db[3]) << 8;
    db.replace(headerSize + 6 + recordSize, recordSize, db.substr(headerSize + 6, recordSize));
    std::unique_ptr<pdx::WritableFile> f;
    ASSERT_TRUE(env_->NewWritableFile(path, &f).ok());
    ASSERT_TRUE(f->Append(db.data(), db.size()).ok());
    ASSERT_TRUE(f->Close().ok());
  }
  std::unique_ptr<pdx::TableWriter> d;
  pdx::Status s = pdx::TableWriter::Open(env_.get(), dir_, "DOUBLE", {}, &d);
  EXPECT_TRUE(s.IsCorruption()) << s.ToString();
  EXPECT_NE(s.message().find("duplicate primary key"), std::string::npos) << s.message();
}

TEST_F(MergeTest, ALargeTableStoredOutOfKeyOrderIsFoundWhereverTheDisorderIs) {
  // Twenty thousand rows, as a transfer loads them; the disorder in the
  // middle of the chain, between two rows that each follow their neighbour
  // on the other side, or deep in the second half.
  std::vector<std::vector<Value>> rows;
  for (int k = 0; k < 20000; ++k)
    rows.push_back(Row(1 + k / 10000, std::string(1, static_cast<char>('A' + k / 1000 % 10)) + "X",
                       "C" + std::to_string(100000 + k % 1000), 0, "G1", k % 50, 0));
  // Offset of the record at a place of the chain (a table just written has
  // its blocks in chain order).
  auto offsetOf = [](const std::string& db, size_t index) -> size_t {
    const size_t recordSize = static_cast<uint8_t>(db[0]) | static_cast<uint8_t>(db[1]) << 8;
    const size_t headerSize = static_cast<uint8_t>(db[2]) | static_cast<uint8_t>(db[3]) << 8;
    const size_t blockSize = static_cast<size_t>(static_cast<uint8_t>(db[5])) * 1024;
    for (size_t at = headerSize; at + blockSize <= db.size(); at += blockSize) {
      const int16_t add = static_cast<int16_t>(static_cast<uint8_t>(db[at + 4]) | static_cast<uint8_t>(db[at + 5]) << 8);
      const size_t count = add < 0 ? 0 : static_cast<size_t>(add) / recordSize + 1;
      if (index < count) return at + 6 + index * recordSize;
      index -= count;
    }
    return std::string::npos;
  };
  auto rewrite = [&](const std::string& name, size_t a, size_t b, bool duplicate) {
    const std::string path = dir_ + "/" + name + ".DB";
    std::string db = Bytes(path);
    const size_t recordSize = static_cast<uint8_t>(db[0]) | static_cast<uint8_t>(db[1]) << 8;
    const size_t oa = offsetOf(db, a), ob = offsetOf(db, b);
    ASSERT_NE(oa, std::string::npos);
    ASSERT_NE(ob, std::string::npos);
    std::string ra = db.substr(oa, recordSize), rb = db.substr(ob, recordSize);
    db.replace(ob, recordSize, ra);
    if (!duplicate) db.replace(oa, recordSize, rb);
    std::unique_ptr<pdx::WritableFile> f;
    ASSERT_TRUE(env_->NewWritableFile(path, &f).ok());
    ASSERT_TRUE(f->Append(db.data(), db.size()).ok());
    ASSERT_TRUE(f->Close().ok());
  };
  const std::vector<Value> extra = Row(1, "AX", "C000000", 0, "G1", 1, 1);
  std::vector<std::vector<Value>> withExtra = rows;
  withExtra.push_back(extra);
  Make("MODELE", withExtra);
  Make("TEL", rows);     // as written
  Make("COUTURE", rows);  // the two middle rows swapped
  Make("MOITIE", rows);   // two rows of the second half swapped
  Make("DOUBLE", rows);   // a row of the second half written twice
  if (HasFatalFailure()) return;
  rewrite("COUTURE", 9999, 10000, false);
  rewrite("MOITIE", 15000, 15001, false);
  rewrite("DOUBLE", 15000, 15001, true);
  if (HasFatalFailure()) return;
  const auto modele = testutil::ReadRows(env_.get(), dir_, "MODELE.DB");
  for (const char* name : {"TEL", "COUTURE", "MOITIE"}) {
    SCOPED_TRACE(name);
    std::unique_ptr<pdx::TableWriter> w;
    pdx::Status s = pdx::TableWriter::Open(env_.get(), dir_, name, {}, &w);
    ASSERT_TRUE(s.ok()) << s.ToString();
    // An insert that goes first in key order, then the whole table written
    // again in key order.
    ASSERT_TRUE(w->Insert(extra).ok());
    pdx::RowId id = 0;
    EXPECT_TRUE(w->Find({Value::Int(2), Value::Text("JX"), Value::Text("C100999"), Value::Int(0), Value::Text("G1")}, &id).ok());
    ASSERT_TRUE(w->Close().ok());
    EXPECT_EQ(testutil::ReadRows(env_.get(), dir_, std::string(name) + ".DB"), modele);
    EXPECT_EQ(testutil::FindingsText(env_.get(), dir_, name), "");
  }
  std::unique_ptr<pdx::TableWriter> d;
  pdx::Status s = pdx::TableWriter::Open(env_.get(), dir_, "DOUBLE", {}, &d);
  EXPECT_TRUE(s.IsCorruption()) << s.ToString();
  EXPECT_NE(s.message().find("duplicate primary key"), std::string::npos) << s.message();
}

TEST_F(MergeTest, PreviewCountsWithoutWritingEvenWhileTheTableIsInUse) {
  Make("R", {Row(1, "AB", "", 0, "G1", 5, 0), Row(1, "AB", "C1", 0, "", 6, 0)});
  const std::string before = Bytes(dir_ + "/R.DB");
  std::unique_ptr<pdx::TableWriter> other;
  ASSERT_TRUE(pdx::TableWriter::Open(env_.get(), dir_, "R", {}, &other).ok());
  pdx::TableWriter::Options o;
  o.preview = true;
  std::unique_ptr<pdx::TableWriter> w;
  pdx::Status s = pdx::TableWriter::Open(env_.get(), dir_, "R", o, &w);
  ASSERT_TRUE(s.ok()) << s.ToString();
  pdx::MergeBatch batch;
  std::vector<std::vector<Value>> incoming = {Row(1, "AB", "", 0, "G2", 9, 0)};
  batch.SetRows(incoming);
  batch.SetDropRanges({{Value::Int(1), Value::Text("AB")}});
  Decider d(incoming);
  MergeOutcome out;
  ASSERT_TRUE(w->Merge(batch, d, &out).ok());
  EXPECT_EQ(out.dropped, 1u);  // the row without a client
  EXPECT_EQ(out.rows[0], MergeOutcome::kInserted);
  EXPECT_TRUE(w->Flush().IsNotSupported());
  EXPECT_TRUE(w->Close().ok());
  EXPECT_EQ(Bytes(dir_ + "/R.DB"), before);
}

TEST_F(MergeTest, RefusalsChangeNothing) {
  Make("R", {Row(1, "AB", "", 0, "G1", 5, 0)});
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Open(env_.get(), dir_, "R", {}, &w).ok());
  std::vector<std::vector<Value>> incoming = {Row(1, "AC", "", 0, "G1", 5, 0), Row(1, "AD", "Пример", 0, "G1", 5, 0)};
  Decider d(incoming);
  MergeOutcome out;
  {
    pdx::MergeBatch batch;  // a text the code page cannot hold
    batch.SetRows(incoming);
    pdx::Status s = w->Merge(batch, d, &out);
    EXPECT_TRUE(s.IsInvalidArgument()) << s.ToString();
    EXPECT_NE(s.message().find("R.DB"), std::string::npos) << s.message();
  }
  {
    pdx::MergeBatch batch;  // a key field cannot be an update field
    batch.SetRows({incoming[0]});
    batch.SetUpdateFields({2});
    EXPECT_TRUE(w->Merge(batch, d, &out).IsInvalidArgument());
  }
  {
    pdx::MergeBatch batch;  // ranges of different lengths
    batch.SetRows({incoming[0]});
    batch.SetDropRanges({{Value::Int(1)}, {Value::Int(1), Value::Text("AB")}});
    EXPECT_TRUE(w->Merge(batch, d, &out).IsInvalidArgument());
  }
  EXPECT_EQ(w->RecordCount(), 1u);
  ASSERT_TRUE(w->Close().ok());
  EXPECT_EQ(testutil::ReadRows(env_.get(), dir_, "R.DB").size(), 1u);

  pdx::TableDefinition plain = RemiseDef();
  plain.keyFieldCount = 0;
  std::unique_ptr<pdx::TableWriter> p;
  ASSERT_TRUE(pdx::TableWriter::Create(env_.get(), dir_, "PLAIN", plain, {}, &p).ok());
  pdx::MergeBatch batch;
  batch.SetRows({incoming[0]});
  EXPECT_TRUE(p->Merge(batch, d, &out).IsInvalidArgument());
}

}  // namespace
