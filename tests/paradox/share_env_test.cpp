// The simulated share's accounting: which operation counts as what, how many
// bytes each moves, and what it would have cost (no sleeping: counts only).
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <thread>
#include <vector>

#include "bench/share_env.h"
#include "paradox/table.h"
#include "paradox/writer.h"

namespace {

using bench::ShareEnv;

class ShareEnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = pdx::NewMemEnv();
    ASSERT_TRUE(base_->CreateDir("/d").ok());
    std::unique_ptr<pdx::WritableFile> f;
    ASSERT_TRUE(base_->NewWritableFile("/d/A.DB", &f).ok());
    ASSERT_TRUE(f->Append(std::string(10000, 'x').data(), 10000).ok());
    ASSERT_TRUE(f->Close().ok());
    share_ = std::make_unique<ShareEnv>(base_.get(), 1000, 1e6);
    share_->SetSleeping(false);
  }
  std::unique_ptr<pdx::Env> base_;
  std::unique_ptr<ShareEnv> share_;
};

TEST_F(ShareEnvTest, EachOperationIsOneRoundTripOfItsKind) {
  ShareEnv& s = *share_;
  EXPECT_TRUE(s.FileExists("/d/A.DB"));
  EXPECT_FALSE(s.FileExists("/d/B.DB"));  // a miss costs the same
  EXPECT_TRUE(s.DirExists("/d"));
  uint64_t size = 0;
  EXPECT_TRUE(s.GetFileSize("/d/A.DB", &size).ok());
  std::vector<std::string> names;
  EXPECT_TRUE(s.GetChildren("/d", &names).ok());
  EXPECT_TRUE(s.CreateDir("/e").ok());
  EXPECT_TRUE(s.RenameFile("/d/A.DB", "/e/A.DB").ok());
  EXPECT_TRUE(s.SyncDir("/e").ok());
  EXPECT_FALSE(s.RemoveFile("/d/none").ok());  // failures are round trips too
  std::unique_ptr<pdx::FileLock> lock;
  EXPECT_TRUE(s.LockFile("/e/A.cvlock", &lock).ok());
  pdx::LockProbe probe;
  EXPECT_TRUE(s.ProbeFileLock("/e/A.DB", &probe).ok());

  EXPECT_EQ(s.count(ShareEnv::kExists), 3u);
  EXPECT_EQ(s.count(ShareEnv::kSize), 1u);
  EXPECT_EQ(s.count(ShareEnv::kList), 1u);
  EXPECT_EQ(s.count(ShareEnv::kMkdir), 1u);
  EXPECT_EQ(s.count(ShareEnv::kRename), 1u);
  EXPECT_EQ(s.count(ShareEnv::kSyncDir), 1u);
  EXPECT_EQ(s.count(ShareEnv::kRemove), 1u);
  EXPECT_EQ(s.count(ShareEnv::kLock), 1u);
  EXPECT_EQ(s.count(ShareEnv::kProbe), 1u);
  EXPECT_EQ(s.count(ShareEnv::kOpen) + s.count(ShareEnv::kRead) + s.count(ShareEnv::kWrite), 0u);
  EXPECT_EQ(s.RoundTrips(), 11u);
  // Nothing moved but the listing's names.
  EXPECT_EQ(s.bytesWritten(), 0u);
  EXPECT_GT(s.bytesRead(), 0u);
  EXPECT_LT(s.bytesRead(), 1000u);
}

TEST_F(ShareEnvTest, ReadsAndWritesChargeTheirBytes) {
  ShareEnv& s = *share_;
  std::unique_ptr<pdx::RandomAccessFile> r;
  ASSERT_TRUE(s.NewRandomAccessFile("/d/A.DB", &r).ok());
  EXPECT_EQ(r->Size(), 10000u);  // known from the open: no round trip
  std::string buf(8192, '\0');
  size_t got = 0;
  ASSERT_TRUE(r->Read(0, 8192, buf.data(), &got).ok());
  EXPECT_EQ(got, 8192u);
  ASSERT_TRUE(r->Read(8192, 8192, buf.data(), &got).ok());
  EXPECT_EQ(got, 1808u);  // past the end: only what came back is charged
  EXPECT_EQ(s.count(ShareEnv::kOpen), 1u);
  EXPECT_EQ(s.count(ShareEnv::kRead), 2u);
  EXPECT_EQ(s.bytesRead(), 10000u);

  std::unique_ptr<pdx::WritableFile> w;
  ASSERT_TRUE(s.NewWritableFile("/d/B.DB", &w).ok());
  ASSERT_TRUE(w->Append(buf.data(), 3000).ok());
  ASSERT_TRUE(w->WriteAt(0, buf.data(), 500).ok());
  ASSERT_TRUE(w->Flush().ok());  // nothing leaves the client
  ASSERT_TRUE(w->Sync().ok());
  ASSERT_TRUE(w->SyncData().ok());
  ASSERT_TRUE(w->Close().ok());
  EXPECT_EQ(s.count(ShareEnv::kOpen), 2u);
  EXPECT_EQ(s.count(ShareEnv::kWrite), 2u);
  EXPECT_EQ(s.count(ShareEnv::kSync), 2u);
  EXPECT_EQ(s.bytesWritten(), 3500u);
  // The file is really there, through the wrapped Env.
  uint64_t size = 0;
  ASSERT_TRUE(base_->GetFileSize("/d/B.DB", &size).ok());
  EXPECT_EQ(size, 3000u);

  // Cost: a millisecond per round trip, a microsecond per byte at 1 MB/s.
  const double trips = static_cast<double>(s.RoundTrips());
  EXPECT_DOUBLE_EQ(s.chargedUs(), trips * 1000 + 10000 + 3500);

  s.ResetCounts();
  EXPECT_EQ(s.RoundTrips(), 0u);
  EXPECT_EQ(s.bytesRead() + s.bytesWritten(), 0u);
}

TEST_F(ShareEnvTest, ConcurrentCallsAreEachCounted) {
  ShareEnv& s = *share_;
  std::vector<std::thread> ts;
  for (int t = 0; t < 4; ++t)
    ts.emplace_back([&s] {
      for (int i = 0; i < 500; ++i) s.FileExists("/d/A.DB");
    });
  for (auto& t : ts) t.join();
  EXPECT_EQ(s.count(ShareEnv::kExists), 2000u);
}

// What a writer costs on a share: its open lists the table's directory once
// (the engine's lock files, a change left unfinished and the table's files
// are all looked for in that listing) and opens each file of the table once;
// its flush hands each new file over in one request. The trace says which
// file each operation touched.
TEST_F(ShareEnvTest, AWriterListsItsDirectoryOnceAndWritesEachFileInOneRequest) {
  {
    pdx::TableDefinition def;
    def.fields = {{"Code", pdx::FieldType::kLong, 4, false}, {"Nom", pdx::FieldType::kAlpha, 20, false}};
    def.keyFieldCount = 1;
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(base_.get(), "/d", "T", def, {}, &w).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  ShareEnv& s = *share_;
  std::FILE* trace = std::tmpfile();
  ASSERT_NE(trace, nullptr);
  s.SetTrace(trace, "/d/T.");
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Open(&s, "/d", "T", {}, &w).ok());
  EXPECT_EQ(s.count(ShareEnv::kList), 1u);
  EXPECT_EQ(s.count(ShareEnv::kLock), 1u);
  // Many blocks' worth of rows, which the writer produces in pieces.
  for (int i = 0; i < 20000; ++i)
    ASSERT_TRUE(w->Insert({pdx::Value::Int(i), pdx::Value::Text("nom " + std::to_string(i))}).ok());
  ASSERT_TRUE(w->Close().ok());
  s.SetTrace(nullptr);

  std::rewind(trace);
  std::map<std::string, int> opens, writes;
  char line[512];
  while (std::fgets(line, sizeof line, trace)) {
    char kind[16] = {}, path[400] = {};
    double ms = 0;
    unsigned long long bytes = 0;
    ASSERT_EQ(std::sscanf(line, "%lf %15s %llu %399s", &ms, kind, &bytes, path), 4) << line;
    std::string p = path;
    // A staged file by the name it replaces.
    if (p.find(".cvtmp") != std::string::npos) p = p.substr(0, p.find('.', p.find("/T.") + 3));
    if (std::string(kind) == "open") ++opens[p];
    if (std::string(kind) == "write") ++writes[p];
  }
  std::fclose(trace);
  // Read for the rows: the data file and its primary index, once each; then
  // the same names once more, for the new versions written and for the old
  // ones the commit keeps open while renaming over them.
#ifdef _WIN32
  const int keptOpen = 0;  // a file held open may stop the rename there
#else
  const int keptOpen = 1;
#endif
  EXPECT_EQ(opens["/d/T.DB"], 2 + keptOpen) << "opens of the data file";
  EXPECT_EQ(opens["/d/T.PX"], 2 + keptOpen) << "opens of the primary index";
  EXPECT_EQ(writes["/d/T.DB"], 1) << "writes of the new data file";
  EXPECT_EQ(writes["/d/T.PX"], 1) << "writes of the new primary index";
  EXPECT_GT(s.bytesWritten(), 20000u * 24);

  // A reader finds the table whatever the case of the name asked for, in the
  // one listing its open makes, without looking for the name first.
  s.ResetCounts();
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(&s, "/d", "t.db", &t).ok());
  EXPECT_EQ(t->info().path, "/d/T.DB");
  EXPECT_EQ(t->info().recordCount, 20000u);
  EXPECT_EQ(s.count(ShareEnv::kList), 1u);
  EXPECT_EQ(s.count(ShareEnv::kExists), 0u);
  pdx::Status absent = pdx::Table::Open(&s, "/d", "X", &t);
  EXPECT_TRUE(absent.IsNotFound()) << absent.ToString();
  EXPECT_NE(absent.message().find("/d/X.DB"), std::string::npos) << absent.message();

  // A preview takes the rows of a table open already: nothing is opened,
  // listed or looked for again, only the primary index's header read.
  ASSERT_TRUE(pdx::Table::Open(&s, "/d", "T", &t).ok());
  s.ResetCounts();
  pdx::TableWriter::Options apercu;
  apercu.preview = true;
  apercu.rowsOf = t.get();
  std::unique_ptr<pdx::TableWriter> p;
  ASSERT_TRUE(pdx::TableWriter::Open(&s, "/d", "T", apercu, &p).ok());
  EXPECT_EQ(p->RecordCount(), 20000u);
  std::vector<pdx::Value> v;
  pdx::RowId id = 0;
  ASSERT_TRUE(p->Find({pdx::Value::Int(12345)}, &id).ok());
  ASSERT_TRUE(p->Get(id, &v).ok());
  EXPECT_EQ(v[1].text, "nom 12345");
  EXPECT_EQ(s.count(ShareEnv::kOpen) + s.count(ShareEnv::kList) + s.count(ShareEnv::kExists), 0u);
  EXPECT_LE(s.count(ShareEnv::kRead), 2u);
  // A walk in key order reads the blocks after the first in one request, and
  // still hands over every row of the range, in order; a search reads its
  // block alone.
  s.ResetCounts();
  auto c = t->NewCursor();
  ASSERT_TRUE(c->SetOrderPrimary().ok());
  ASSERT_TRUE(c->SetRange({pdx::Value::Int(1000)}, {pdx::Value::Int(18999)}).ok());
  int64_t attendu = 1000, code = 0;
  for (pdx::Status e = c->First(); !c->AtEnd(); e = c->Next()) {
    ASSERT_TRUE(e.ok()) << e.ToString();
    ASSERT_TRUE(c->GetInt(1, &code).ok());
    ASSERT_EQ(code, attendu++);
  }
  EXPECT_EQ(attendu, 19000);
  const uint64_t lectures = s.count(ShareEnv::kRead);
  // The index's blocks, the first data block, then the rest at once: some 230
  // blocks of rows otherwise.
  EXPECT_LE(lectures, 12u);
  bool trouve = false;
  ASSERT_TRUE(c->Seek({pdx::Value::Int(5000)}, &trouve).ok());
  ASSERT_TRUE(trouve);
  ASSERT_TRUE(c->GetInt(1, &code).ok());
  EXPECT_EQ(code, 5000);
  // Writing for real always reads the table again under its lock.
  apercu.preview = false;
  EXPECT_TRUE(pdx::TableWriter::Open(&s, "/d", "T", apercu, &p).IsInvalidArgument());
}

}  // namespace
