// A change interrupted at any point (a failed write, sync, rename, create or
// remove, a full disk, a killed process) leaves the table as it was before the
// change or as it is after it, and `pdx check` clean.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "paradox/commit.h"
#include "support/fault_env.h"
#include "paradox/writer.h"
#include "support/table_check.h"
#include "support/test_util.h"

namespace {

using pdx::FaultEnv;
using pdx::FieldType;
using pdx::Value;

pdx::TableDefinition Def() {
  pdx::TableDefinition def;
  pdx::FieldDesc code{"Code", FieldType::kLong, 4, false};
  pdx::FieldDesc name{"Nom", FieldType::kAlpha, 20, false};
  pdx::FieldDesc memo{"Notes", FieldType::kMemo, 20, false};
  def.fields = {code, name, memo};
  def.keyFieldCount = 1;
  def.indexes.push_back({"", {"Nom"}});
  return def;
}

using Model = std::map<int, std::pair<std::string, std::string>>;

// Operation i of the series, deterministic: insert, update or delete of one
// code, with memos that grow and shrink across blob blocks.
void ApplyOp(uint64_t i, Model* m) {
  std::mt19937_64 rng(i * 7919 + 13);
  int code = static_cast<int>(rng() % 120);
  std::string name = "nom" + std::to_string(rng() % 40);
  std::string memo = std::string(rng() % 9000, static_cast<char>('a' + i % 26));
  if (m->count(code) && rng() % 3 == 0) m->erase(code);
  else (*m)[code] = {name, memo};
}

pdx::Status ApplyOp(uint64_t i, pdx::TableWriter* w) {
  std::mt19937_64 rng(i * 7919 + 13);
  int code = static_cast<int>(rng() % 120);
  std::string name = "nom" + std::to_string(rng() % 40);
  std::string memo = std::string(rng() % 9000, static_cast<char>('a' + i % 26));
  pdx::RowId id = 0;
  bool exists = w->Find({Value::Int(code)}, &id).ok();
  std::vector<Value> row = {Value::Int(code), Value::Text(name), memo.empty() ? Value::Blank() : Value::Text(memo)};
  if (exists && rng() % 3 == 0) return w->Delete(id);
  if (exists) return w->Update(id, row);
  return w->Insert(row);
}

std::vector<std::vector<std::string>> Rows(const Model& m) {
  std::vector<std::vector<std::string>> out;
  for (const auto& [code, v] : m) out.push_back({std::to_string(code), v.first, v.second.empty() ? "<blank>" : v.second});
  return out;
}

Model StateAfter(uint64_t n) {
  Model m;
  for (uint64_t i = 1; i <= n; ++i) ApplyOp(i, &m);
  return m;
}

// In one process, over the in-memory files: fail each operation of a flush in
// turn, then reopen (which recovers) and compare.
TEST(WriterCrash, EveryFailingOperationOfAFlushLeavesOldOrNew) {
  auto mem = pdx::NewMemEnv();
  ASSERT_TRUE(mem->CreateDir("/d").ok());
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(mem.get(), "/d", "T", Def(), {}, &w).ok());
    for (uint64_t i = 1; i <= 40; ++i) ASSERT_TRUE(ApplyOp(i, w.get()).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  const auto oldRows = Rows(StateAfter(40)), newRows = Rows(StateAfter(45));
  ASSERT_EQ(testutil::ReadRows(mem.get(), "/d", "T"), oldRows);

  // Count the operations of the flush, then fail or crash at each one.
  int total = 0;
  {
    FaultEnv counting(mem.get());
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Open(&counting, "/d", "T", {}, &w).ok());
    for (uint64_t i = 41; i <= 45; ++i) ASSERT_TRUE(ApplyOp(i, w.get()).ok());
    counting.Reset();
    ASSERT_TRUE(w->Flush().ok());
    total = counting.count(FaultEnv::Op::kAny);
    ASSERT_TRUE(w->Empty().ok());  // back to the old state for the next runs
    for (uint64_t i = 1; i <= 40; ++i) ASSERT_TRUE(ApplyOp(i, w.get()).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  ASSERT_EQ(testutil::ReadRows(mem.get(), "/d", "T"), oldRows);
  ASSERT_GT(total, 10);
  int sawOld = 0, sawNew = 0;
  for (int mode = 0; mode < 2; ++mode) {
    for (int n = 1; n <= total; ++n) {
      SCOPED_TRACE((mode ? "crash at " : "failure at ") + std::to_string(n));
      bool ok = false;
      {
        FaultEnv env(mem.get());
        std::unique_ptr<pdx::TableWriter> w;
        ASSERT_TRUE(pdx::TableWriter::Open(&env, "/d", "T", {}, &w).ok());
        for (uint64_t i = 41; i <= 45; ++i) ASSERT_TRUE(ApplyOp(i, w.get()).ok());
        if (mode == 0) env.FailNth(FaultEnv::Op::kAny, n);
        else env.CrashAt(n);
        pdx::Status s = w->Flush();
        ok = s.ok();
        if (!ok) {
          EXPECT_NE(s.message().find("/d/T"), std::string::npos) << s.message();
        }
      }
      if (!ok && pdx::NeedsRecovery(mem.get(), "/d", "T")) {
        // Reported by the check until settled.
        bool reported = false;
        for (const auto& f : testutil::IndexFindings(mem.get(), "/d", "T"))
          reported = reported || f.find("interrupted change") != std::string::npos;
        EXPECT_TRUE(reported);
      }
      {
        std::unique_ptr<pdx::TableWriter> w;  // opening for writing recovers
        ASSERT_TRUE(pdx::TableWriter::Open(mem.get(), "/d", "T", {}, &w).ok());
      }
      auto rows = testutil::ReadRows(mem.get(), "/d", "T");
      ASSERT_TRUE(rows == oldRows || rows == newRows);
      if (ok) {
        EXPECT_EQ(rows, newRows);
      }
      auto findings = testutil::IndexFindings(mem.get(), "/d", "T");
      ASSERT_TRUE(findings.empty()) << findings.front();
      if (rows == newRows) {
        ++sawNew;
        // Back to the old state for the next run.
        std::unique_ptr<pdx::TableWriter> w;
        ASSERT_TRUE(pdx::TableWriter::Open(mem.get(), "/d", "T", {}, &w).ok());
        ASSERT_TRUE(w->Empty().ok());
        for (uint64_t i = 1; i <= 40; ++i) ASSERT_TRUE(ApplyOp(i, w.get()).ok());
        ASSERT_TRUE(w->Close().ok());
      } else {
        ++sawOld;
      }
    }
  }
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
}

TEST(WriterCrash, FullDiskRefusesTheFlushNamingTheTable) {
  auto mem = pdx::NewMemEnv();
  ASSERT_TRUE(mem->CreateDir("/d").ok());
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(mem.get(), "/d", "T", Def(), {}, &w).ok());
    for (uint64_t i = 1; i <= 20; ++i) ASSERT_TRUE(ApplyOp(i, w.get()).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  FaultEnv env(mem.get());
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Open(&env, "/d", "T", {}, &w).ok());
  for (uint64_t i = 21; i <= 30; ++i) ASSERT_TRUE(ApplyOp(i, w.get()).ok());
  env.SetDiskFull(20000);
  pdx::Status s = w->Flush();
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find("/d/T"), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("No space left"), std::string::npos) << s.message();
  EXPECT_EQ(testutil::ReadRows(mem.get(), "/d", "T"), Rows(StateAfter(20)));
  // Room again: the same writer's changes go through.
  env.Reset();
  ASSERT_TRUE(w->Flush().ok());
  EXPECT_EQ(testutil::ReadRows(mem.get(), "/d", "T"), Rows(StateAfter(30)));
}

// Read-only directories and killed processes are POSIX matters (the
// Windows build checks a file held open elsewhere instead).
#ifndef _WIN32
TEST(WriterCrash, ReadOnlyDirectoryIsAClearErrorAndTheTableStays) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  testutil::TempDir dir;
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(pdx::Env::Default(), dir.path(), "T", Def(), {}, &w).ok());
    for (uint64_t i = 1; i <= 10; ++i) ASSERT_TRUE(ApplyOp(i, w.get()).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Open(pdx::Env::Default(), dir.path(), "T", {}, &w).ok());
  ASSERT_TRUE(ApplyOp(11, w.get()).ok());
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  pdx::Status s = w->Flush();
  ::chmod(dir.path().c_str(), 0755);
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find(dir.path() + "/T"), std::string::npos) << s.message();
  EXPECT_EQ(testutil::ReadRows(pdx::Env::Default(), dir.path(), "T"), Rows(StateAfter(10)));
}

// A child process runs a long series of changes, each flushed, on a real
// directory and reports each one done; it is killed at random moments. After
// each kill the table opens, checks clean, and holds the state after the last
// reported change or after the one in progress.
TEST(WriterCrash, KilledWriterLeavesTheLastReportedStateOrTheNext) {
  testutil::TempDir dir;
  {
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(pdx::Env::Default(), dir.path(), "T", Def(), {}, &w).ok());
    ASSERT_TRUE(w->Close().ok());
  }
  std::mt19937 rng(2024);
  uint64_t done = 0;  // state the table is known to hold
  Model model;
  int kills = 0;
  for (int round = 0; round < 60; ++round) {
    int pipefd[2];
    ASSERT_EQ(::pipe(pipefd), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(pipefd[0]);
      std::unique_ptr<pdx::TableWriter> w;
      if (!pdx::TableWriter::Open(pdx::Env::Default(), dir.path(), "T", {}, &w).ok()) ::_exit(3);
      for (uint64_t i = done + 1;; ++i) {
        if (!ApplyOp(i, w.get()).ok() || !w->Flush().ok()) ::_exit(4);
        uint64_t report = i;
        if (::write(pipefd[1], &report, sizeof report) != sizeof report) ::_exit(5);
      }
    }
    ::close(pipefd[1]);
    // Every fifth round waits for a first change to be reported, so the series
    // moves on however loaded the machine is; the others may kill the child
    // before it has done anything, or while it opens.
    uint64_t first = 0;
    bool gotFirst = round % 5 == 0 && ::read(pipefd[0], &first, sizeof first) == static_cast<ssize_t>(sizeof first);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 30000));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child ended by itself with " << WEXITSTATUS(status);
    ++kills;
    uint64_t last = gotFirst ? first : done, v = 0;
    while (::read(pipefd[0], &v, sizeof v) == static_cast<ssize_t>(sizeof v)) last = v;
    ::close(pipefd[0]);
    {
      std::unique_ptr<pdx::TableWriter> w;  // recovers an interrupted change
      pdx::Status s = pdx::TableWriter::Open(pdx::Env::Default(), dir.path(), "T", {}, &w);
      ASSERT_TRUE(s.ok()) << s.ToString();
    }
    auto findings = testutil::IndexFindings(pdx::Env::Default(), dir.path(), "T");
    ASSERT_TRUE(findings.empty()) << "round " << round << ": " << findings.front();
    auto rows = testutil::ReadRows(pdx::Env::Default(), dir.path(), "T");
    for (uint64_t i = done + 1; i <= last; ++i) ApplyOp(i, &model);
    Model next = model;
    ApplyOp(last + 1, &next);
    if (rows == Rows(model)) {
      done = last;
    } else {
      ASSERT_EQ(rows, Rows(next)) << "round " << round << ": neither the state after change " << last
                                  << " nor the next";
      model = next;
      done = last + 1;
    }
  }
  EXPECT_GE(kills, 50);
  EXPECT_GE(done, 12u);  // the children got work done between kills
}
#endif

}  // namespace
