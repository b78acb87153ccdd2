#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "paradox/commit.h"
#include "support/fault_env.h"
#include "support/test_util.h"

namespace {

using pdx::FaultEnv;

using testutil::GetFile;
using testutil::PutFile;

// The old version of a small table: data, primary index, a dropped index.
void MakeOld(pdx::Env* env) {
  ASSERT_TRUE(env->CreateDir("/d").ok());
  PutFile(env, "/d/T.DB", "old-db");
  PutFile(env, "/d/T.PX", "old-px");
  PutFile(env, "/d/T.X02", "old-x02");
}

std::string State(pdx::Env* env) {
  return GetFile(env, "/d/T.DB") + "|" + GetFile(env, "/d/T.PX") + "|" + GetFile(env, "/d/T.X02") + "|" + GetFile(env, "/d/T.MB");
}
const char* kOld = "old-db|old-px|old-x02|<absent>";
const char* kNew = "new-db|new-px|<absent>|new-mb";

// The change: rewrite .DB and .PX, add .MB, drop .X02.
pdx::Status Change(pdx::Env* env) {
  pdx::TableCommit c(env, "/d", "T");
  for (auto [name, bytes] : {std::pair{"T.DB", "new-db"}, {"T.PX", "new-px"}, {"T.MB", "new-mb"}}) {
    pdx::WritableFile* f = nullptr;
    PDX_RETURN_IF_ERROR(c.Stage(name, &f));
    PDX_RETURN_IF_ERROR(f->Append(bytes, 6));
  }
  PDX_RETURN_IF_ERROR(c.StageRemoval("T.X02"));
  return c.Commit();
}

TEST(TableCommit, ReplacesAndRemovesFilesAndLeavesNothingBehind) {
  auto env = pdx::NewMemEnv();
  MakeOld(env.get());
  ASSERT_TRUE(Change(env.get()).ok());
  EXPECT_EQ(State(env.get()), kNew);
  std::vector<std::string> names;
  ASSERT_TRUE(env->GetChildren("/d", &names).ok());
  std::sort(names.begin(), names.end());
  // No staged file; the lock file keeps a cleared journal record.
  EXPECT_EQ(names, (std::vector<std::string>{"T.DB", "T.MB", "T.PX", "T.cvlock"}));
  EXPECT_EQ(GetFile(env.get(), "/d/T.cvlock").substr(0, 8), std::string(8, '\0'));
  EXPECT_FALSE(pdx::NeedsRecovery(env.get(), "/d", "T"));
  // The next change writes its record over the cleared one.
  ASSERT_TRUE(Change(env.get()).ok());
  EXPECT_FALSE(pdx::NeedsRecovery(env.get(), "/d", "T"));
}

// Another program keeping one of the files open without delete sharing (the
// agencies' program on Windows): whichever file it is, the change is refused as
// "in use" before anything is renamed, the old version stays whole with no
// staged file or record left, and the same change goes through once it is let go.
TEST(TableCommit, FileHeldOpenElsewhereRefusesTheWholeChange) {
  for (const char* held : {"/d/T.DB", "/d/T.PX", "/d/T.X02"}) {
    SCOPED_TRACE(held);
    auto mem = pdx::NewMemEnv();
    FaultEnv env(mem.get());
    MakeOld(&env);
    env.HoldOpen(held);
    pdx::Status s = Change(&env);
    EXPECT_TRUE(s.IsBusy()) << s.ToString();
    EXPECT_NE(s.message().find(held), std::string::npos) << s.ToString();
    EXPECT_EQ(env.count(FaultEnv::Op::kRename), 0);
    EXPECT_EQ(State(&env), kOld);
    EXPECT_FALSE(pdx::NeedsRecovery(&env, "/d", "T"));
    env.Release(held);
    ASSERT_TRUE(Change(&env).ok());
    EXPECT_EQ(State(&env), kNew);
  }
}

TEST(TableCommit, RecoveryLeavesOtherTablesStagedFilesAlone) {
  auto env = pdx::NewMemEnv();
  PutFile(env.get(), "T.DB.cvtmp", "mine");
  PutFile(env.get(), "T.OLD.DB.cvtmp", "another table's change in progress");
  ASSERT_TRUE(pdx::RecoverTable(env.get(), "", "T").ok());
  EXPECT_FALSE(env->FileExists("T.DB.cvtmp"));
  EXPECT_TRUE(env->FileExists("T.OLD.DB.cvtmp"));
}

TEST(TableCommit, RefusesFilesOfAnotherTable) {
  auto env = pdx::NewMemEnv();
  pdx::TableCommit c(env.get(), "", "T");
  pdx::WritableFile* f = nullptr;
  EXPECT_TRUE(c.Stage("OTHER.DB", &f).IsInvalidArgument());
  EXPECT_TRUE(c.Stage("T", &f).IsInvalidArgument());
  EXPECT_TRUE(c.StageRemoval("../T.DB").IsInvalidArgument());
  EXPECT_TRUE(c.Stage("T.OLD.DB", &f).IsInvalidArgument());
  EXPECT_TRUE(c.Stage("t.db", &f).ok());  // names are matched without case
}

// A failure at any single write, sync, rename, create or remove: the change is
// either refused with the old version intact, or reported done with the new one;
// after recovery nothing is mixed.
TEST(TableCommit, EveryFailurePointLeavesOldOrNew) {
  auto mem = pdx::NewMemEnv();
  FaultEnv counter(mem.get());
  MakeOld(mem.get());
  ASSERT_TRUE(Change(&counter).ok());
  const int total = counter.count(FaultEnv::Op::kAny);
  ASSERT_GT(total, 10);
  int refused = 0, completedLater = 0;
  for (int n = 1; n <= total; ++n) {
    auto base = pdx::NewMemEnv();
    MakeOld(base.get());
    FaultEnv env(base.get());
    env.FailNth(FaultEnv::Op::kAny, n);
    pdx::Status s = Change(&env);
    std::string before = State(base.get());
    if (s.ok()) {  // a failed rename after the commit point is retried
      EXPECT_EQ(before, kNew) << n;
      EXPECT_FALSE(pdx::NeedsRecovery(base.get(), "/d", "T"));
      ++completedLater;
      continue;
    }
    if (before == kOld) {
      ++refused;
      EXPECT_FALSE(pdx::NeedsRecovery(base.get(), "/d", "T")) << "staged files left at point " << n;
    } else {
      ++completedLater;  // only past the commit point
      ASSERT_TRUE(pdx::RecoverTable(base.get(), "/d", "T").ok());
    }
    EXPECT_TRUE(State(base.get()) == kOld || State(base.get()) == kNew) << n << ": " << State(base.get());
  }
  EXPECT_GT(refused, 0);
  EXPECT_GE(refused + completedLater, total);
}

// A kill at any point (everything from that operation on fails, the write hit is
// torn), then recovery: old or new, never a mix; and both outcomes occur.
TEST(TableCommit, KillAtEveryPointRecoversToOldOrNew) {
  auto mem = pdx::NewMemEnv();
  FaultEnv counter(mem.get());
  MakeOld(mem.get());
  ASSERT_TRUE(Change(&counter).ok());
  const int total = counter.count(FaultEnv::Op::kAny);
  int olds = 0, news = 0;
  for (int n = 1; n <= total + 1; ++n) {
    auto base = pdx::NewMemEnv();
    MakeOld(base.get());
    {
      FaultEnv env(base.get());
      env.CrashAt(n);
      Change(&env).ok();
      // The dying process's destructor cleanup is lost too: its removes fail.
    }
    bool changed = false;
    ASSERT_TRUE(pdx::RecoverTable(base.get(), "/d", "T", &changed).ok());
    std::string st = State(base.get());
    ASSERT_TRUE(st == kOld || st == kNew) << "kill at " << n << ": " << st;
    (st == kOld ? olds : news)++;
    EXPECT_FALSE(pdx::NeedsRecovery(base.get(), "/d", "T"));
  }
  EXPECT_GT(olds, 0);
  EXPECT_GT(news, 0);
}

// What a crash just after the commit point leaves: the record kept in the
// lock file, and the staged files (name, bytes) it names.
struct Journalise {
  std::string record;
  std::vector<std::pair<std::string, std::string>> stages;
};

Journalise RecordOfChange() {
  auto mem = pdx::NewMemEnv();
  MakeOld(mem.get());
  FaultEnv fe(mem.get());
  fe.FailNth(FaultEnv::Op::kRename, 1, /*sticky=*/true);
  EXPECT_FALSE(Change(&fe).ok());
  Journalise j;
  j.record = GetFile(mem.get(), "/d/T.cvlock");
  std::vector<std::string> names;
  EXPECT_TRUE(mem->GetChildren("/d", &names).ok());
  for (const auto& n : names)
    if (n.size() > 6 && n.compare(n.size() - 6, 6, ".cvtmp") == 0) j.stages.emplace_back(n, GetFile(mem.get(), "/d/" + n));
  return j;
}

// A record of the layout written before changes had a number: its staged
// files are named NAME.cvtmp.
std::string RecordWithoutNumber() {
  std::string r = "CVJRNL02";
  r += std::string(4, '\0');  // the length, set below
  r += std::string("\x04\0\0\0", 4);
  for (const char* n : {"RT.DB", "RT.PX", "RT.MB", "DT.X02"})
    r += std::string(1, n[0]) + std::string(1, static_cast<char>(std::strlen(n + 1))) + '\0' + (n + 1);
  const uint32_t length = static_cast<uint32_t>(r.size() + 4);
  for (int i = 0; i < 4; ++i) r[8 + static_cast<size_t>(i)] = static_cast<char>((length >> (8 * i)) & 0xFF);
  const uint32_t crc = pdx::Crc32(r.data(), r.size());
  for (int i = 0; i < 4; ++i) r.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
  return r;
}

TEST(TableCommit, RecordInTheLockFileIsCompletedOrDiscardedAndJournalsOfOlderVersionsStillCount) {
  const Journalise j = RecordOfChange();
  const std::string& record = j.record;
  ASSERT_EQ(record.substr(0, 8), "CVJRNL03");
  ASSERT_EQ(j.stages.size(), 3u);
  for (const auto& [name, bytes] : j.stages) EXPECT_EQ(name.size(), std::string("T.DB.0123456789abcdef.cvtmp").size()) << name;
  auto staged = [&j](pdx::Env* env) {
    MakeOld(env);
    for (const auto& [name, bytes] : j.stages) PutFile(env, "/d/" + name, bytes);
  };
  {  // whole: finished, then cleared; the lock file stays (another writer may hold it)
    auto env = pdx::NewMemEnv();
    staged(env.get());
    PutFile(env.get(), "/d/t.CVLOCK", record + "trailing bytes of a longer record");
    ASSERT_TRUE(pdx::NeedsRecovery(env.get(), "/d", "T"));
    ASSERT_TRUE(pdx::RecoverTable(env.get(), "/d", "T").ok());
    EXPECT_EQ(State(env.get()), kNew);
    EXPECT_TRUE(env->FileExists("/d/t.CVLOCK"));
    EXPECT_FALSE(pdx::NeedsRecovery(env.get(), "/d", "T"));
  }
  // Torn (cut inside, a changed byte, a length past the end): undone.
  std::string flipped = record;
  flipped[14] ^= 1;
  std::string tooLong = record;
  tooLong[8] = 0x7f;
  for (const std::string& bad : {record.substr(0, record.size() - 2), flipped, tooLong}) {
    auto env = pdx::NewMemEnv();
    staged(env.get());
    PutFile(env.get(), "/d/T.cvlock", bad);
    ASSERT_TRUE(pdx::RecoverTable(env.get(), "/d", "T").ok());
    EXPECT_EQ(State(env.get()), kOld);
    EXPECT_FALSE(pdx::NeedsRecovery(env.get(), "/d", "T"));
  }
  auto stagedWithoutNumber = [](pdx::Env* env) {
    MakeOld(env);
    PutFile(env, "/d/T.DB.cvtmp", "new-db");
    PutFile(env, "/d/T.PX.cvtmp", "new-px");
    PutFile(env, "/d/T.MB.cvtmp", "new-mb");
  };
  {  // a whole record of the layout before numbers is finished
    auto env = pdx::NewMemEnv();
    stagedWithoutNumber(env.get());
    PutFile(env.get(), "/d/T.cvlock", RecordWithoutNumber());
    ASSERT_TRUE(pdx::NeedsRecovery(env.get(), "/d", "T"));
    ASSERT_TRUE(pdx::RecoverTable(env.get(), "/d", "T").ok());
    EXPECT_EQ(State(env.get()), kNew);
    EXPECT_FALSE(pdx::NeedsRecovery(env.get(), "/d", "T"));
  }
  {  // a whole journal file of the older layout is finished and removed
    std::string old = "CVJRNL01";
    old += std::string("\x04\0\0\0", 4);
    for (const char* n : {"RT.DB", "RT.PX", "RT.MB", "DT.X02"})
      old += std::string(1, n[0]) + std::string(1, static_cast<char>(std::strlen(n + 1))) + '\0' + (n + 1);
    uint32_t crc = pdx::Crc32(old.data(), old.size());
    for (int i = 0; i < 4; ++i) old.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
    auto env = pdx::NewMemEnv();
    stagedWithoutNumber(env.get());
    PutFile(env.get(), "/d/T.cvjrnl", old);
    ASSERT_TRUE(pdx::RecoverTable(env.get(), "/d", "T").ok());
    EXPECT_EQ(State(env.get()), kNew);
    EXPECT_FALSE(env->FileExists("/d/T.cvjrnl"));
  }
}

// A change's record is cleared without a sync: a crash may bring it back. It
// must then never put the half-written files of a later change in place.
TEST(TableCommit, ARecordBackFromACrashLeavesTheNextChangesFilesAlone) {
  const Journalise premier = RecordOfChange();
  auto env = pdx::NewMemEnv();
  MakeOld(env.get());
  ASSERT_TRUE(Change(env.get()).ok());  // the first change, done
  {
    // The next change dies while writing its files...
    pdx::TableCommit c(env.get(), "/d", "T");
    for (const char* name : {"T.DB", "T.PX"}) {
      pdx::WritableFile* f = nullptr;
      ASSERT_TRUE(c.Stage(name, &f).ok());
      ASSERT_TRUE(f->Append("half", 4).ok());
    }
    // ...and the first change's record comes back whole, its clearing lost.
    PutFile(env.get(), "/d/T.cvlock", premier.record);
    ASSERT_TRUE(pdx::RecoverTable(env.get(), "/d", "T").ok());
    EXPECT_EQ(State(env.get()), kNew);
    EXPECT_FALSE(pdx::NeedsRecovery(env.get(), "/d", "T"));
    std::vector<std::string> names;
    ASSERT_TRUE(env->GetChildren("/d", &names).ok());
    for (const auto& n : names) EXPECT_EQ(n.find(".cvtmp"), std::string::npos) << n;
    c.Abort();
  }
  EXPECT_EQ(State(env.get()), kNew);
}

TEST(TableCommit, TornJournalIsDiscardedAndWholeOneCompleted) {
  auto env = pdx::NewMemEnv();
  MakeOld(env.get());
  PutFile(env.get(), "/d/T.DB.cvtmp", "new-db");
  PutFile(env.get(), "/d/T.cvjrnl", "CVJRNL01\x01\x00\x00\x00R\x04");  // cut short
  ASSERT_TRUE(pdx::RecoverTable(env.get(), "/d", "T").ok());
  EXPECT_EQ(State(env.get()), kOld);
  EXPECT_FALSE(env->FileExists("/d/T.DB.cvtmp"));
  EXPECT_FALSE(env->FileExists("/d/T.cvjrnl"));

  // A whole journal with half of its renames done is finished.
  auto mem = pdx::NewMemEnv();
  MakeOld(mem.get());
  FaultEnv fe(mem.get());
  fe.FailNth(FaultEnv::Op::kRename, 2, /*sticky=*/true);
  EXPECT_FALSE(Change(&fe).ok());
  EXPECT_EQ(GetFile(mem.get(), "/d/T.DB"), "new-db");
  EXPECT_EQ(GetFile(mem.get(), "/d/T.PX"), "old-px");  // a mix until recovered
  ASSERT_TRUE(pdx::NeedsRecovery(mem.get(), "/d", "T"));
  ASSERT_TRUE(pdx::RecoverTable(mem.get(), "/d", "T").ok());
  EXPECT_EQ(State(mem.get()), kNew);
}

TEST(TableCommit, FullDiskRefusesTheChangeAndKeepsTheOldVersion) {
  auto mem = pdx::NewMemEnv();
  MakeOld(mem.get());
  // Full while writing the new files (the writer's error), then while writing
  // the journal (the commit's own).
  for (uint64_t budget : {10, 18}) {
    FaultEnv env(mem.get());
    env.SetDiskFull(budget);
    pdx::Status s = Change(&env);
    ASSERT_TRUE(s.IsIOError()) << s.ToString();
    EXPECT_NE(s.message().find("No space left"), std::string::npos);
    if (budget == 18) {
      EXPECT_NE(s.message().find("table /d/T: change not saved, the table is as it was"), std::string::npos)
          << s.message();
    }
    EXPECT_EQ(State(mem.get()), kOld);
    EXPECT_FALSE(pdx::NeedsRecovery(mem.get(), "/d", "T"));
  }
}

TEST(FaultEnv, CountsAndFailsTheChosenOperationOnly) {
  auto mem = pdx::NewMemEnv();
  FaultEnv env(mem.get());
  std::unique_ptr<pdx::WritableFile> f;
  ASSERT_TRUE(env.NewWritableFile("a", &f).ok());
  env.FailNth(FaultEnv::Op::kWrite, 2);
  EXPECT_TRUE(f->Append("ab", 2).ok());
  EXPECT_TRUE(f->Append("cd", 2).IsIOError());
  EXPECT_TRUE(f->Append("ef", 2).ok());
  EXPECT_EQ(GetFile(mem.get(), "a"), "abef");
  EXPECT_EQ(env.count(FaultEnv::Op::kWrite), 3);
  EXPECT_EQ(env.count(FaultEnv::Op::kCreate), 1);
  env.FailNth(FaultEnv::Op::kSync, 1, /*sticky=*/true);
  EXPECT_FALSE(f->Sync().ok());
  EXPECT_FALSE(f->Flush().ok());
  EXPECT_FALSE(env.SyncDir("").ok());

  env.Reset();
  env.CrashAt(2);
  EXPECT_TRUE(f->Append("gh", 2).ok());
  EXPECT_FALSE(f->Append("ijkl", 4).ok());  // torn: half of it lands
  EXPECT_TRUE(env.crashed());
  EXPECT_FALSE(env.RenameFile("a", "b").ok());
  EXPECT_EQ(GetFile(mem.get(), "a"), "abefghij");
}

}  // namespace
