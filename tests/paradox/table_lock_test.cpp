#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "paradox/env_wrapper.h"
#include "paradox/table_lock.h"
#include "support/test_util.h"

namespace {

void Put(pdx::Env* env, const std::string& path) {
  std::unique_ptr<pdx::WritableFile> f;
  ASSERT_TRUE(env->NewWritableFile(path, &f).ok());
  ASSERT_TRUE(f->Close().ok());
}

TEST(TableWriteLock, SecondWriterGetsTableInUseUntilTheFirstLeaves) {
  auto env = pdx::NewMemEnv();
  std::unique_ptr<pdx::TableWriteLock> a, b;
  ASSERT_TRUE(pdx::AcquireTableWriteLock(env.get(), "", "ORDERS", {}, &a).ok());
  pdx::TableLockOptions wait;
  wait.waitMs = 50;
  pdx::Status s = pdx::AcquireTableWriteLock(env.get(), "", "ORDERS", wait, &b);
  ASSERT_TRUE(s.IsBusy()) << s.ToString();
  EXPECT_NE(s.message().find("table in use"), std::string::npos);
  EXPECT_NE(s.message().find("ORDERS"), std::string::npos);
  EXPECT_TRUE(pdx::AcquireTableWriteLock(env.get(), "", "PARTS", {}, &b).ok());  // other tables are free
  b.reset();
  a.reset();
  EXPECT_TRUE(pdx::AcquireTableWriteLock(env.get(), "", "ORDERS", {}, &b).ok());
}

TEST(EngineLocks, HeldLockFilesRefuseStaleOnesDoNot) {
  auto env = pdx::NewMemEnv();
  ASSERT_TRUE(env->CreateDir("/agence").ok());
  // Stale leftovers of a crashed engine: present, nobody holds them.
  for (const char* n : {"/agence/PDOXUSRS.LCK", "/agence/paradox.lck", "/agence/Orders.lck", "/agence/PDOXUSRS.NET"})
    Put(env.get(), n);
  EXPECT_TRUE(pdx::CheckEngineLocks(env.get(), "/agence", "ORDERS", false).ok());
  // The engine working on the table: its lock file is held.
  for (const char* n : {"/agence/Orders.lck", "/agence/PDOXUSRS.LCK", "/agence/PDOXUSRS.NET"}) {
    std::unique_ptr<pdx::FileLock> engine;
    ASSERT_TRUE(env->LockFile(n, &engine).ok());
    pdx::Status s = pdx::CheckEngineLocks(env.get(), "/agence", "ORDERS", false);
    ASSERT_TRUE(s.IsBusy()) << n;
    EXPECT_NE(s.message().find(n), std::string::npos) << s.message();
    std::unique_ptr<pdx::TableWriteLock> w;
    EXPECT_TRUE(pdx::AcquireTableWriteLock(env.get(), "/agence", "ORDERS", {}, &w).IsBusy());
  }
  // The network control file may live in its own directory.
  ASSERT_TRUE(env->CreateDir("/net").ok());
  Put(env.get(), "/net/PDOXUSRS.NET");
  std::unique_ptr<pdx::FileLock> net;
  ASSERT_TRUE(env->LockFile("/net/PDOXUSRS.NET", &net).ok());
  pdx::TableLockOptions o;
  std::unique_ptr<pdx::TableWriteLock> w;
  EXPECT_TRUE(pdx::AcquireTableWriteLock(env.get(), "/agence", "ORDERS", o, &w).ok());
  w.reset();
  o.netDir = "/net";
  EXPECT_TRUE(pdx::AcquireTableWriteLock(env.get(), "/agence", "ORDERS", o, &w).IsBusy());
}

// An Env that cannot see other programs' locks (the default answer).
class BlindEnv : public pdx::EnvWrapper {
 public:
  explicit BlindEnv(pdx::Env* b) : EnvWrapper(b) {}
  pdx::Status ProbeFileLock(const std::string&, pdx::LockProbe* probe) override {
    *probe = pdx::LockProbe::kUnknown;
    return pdx::Status::OK();
  }
};

TEST(EngineLocks, WhenTheSystemCannotTellPresentFilesRefuseUnlessKnownStale) {
  auto mem = pdx::NewMemEnv();
  BlindEnv env(mem.get());
  EXPECT_TRUE(pdx::CheckEngineLocks(&env, "", "T", false).ok());  // no lock files at all
  Put(mem.get(), "T.LCK");
  pdx::Status s = pdx::CheckEngineLocks(&env, "", "T", false);
  ASSERT_TRUE(s.IsBusy());
  EXPECT_NE(s.message().find("stale"), std::string::npos);
  EXPECT_TRUE(pdx::CheckEngineLocks(&env, "", "T", true).ok());
}

#ifndef _WIN32
// Another process holding a record lock on the engine's lock file, as the
// engine (or Samba on its behalf) does, is seen on this system.
TEST(EngineLocks, PosixSeesARecordLockOfAnotherProcess) {
  testutil::TempDir dir;
  testutil::WriteFile(dir.file("PDOXUSRS.LCK"), std::string(128, '\0'));
  pdx::Env* env = pdx::Env::Default();
  EXPECT_TRUE(pdx::CheckEngineLocks(env, dir.path(), "CLIENT", false).ok());
  int ready[2], done[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(done), 0);
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    int fd = ::open(dir.file("PDOXUSRS.LCK").c_str(), O_RDWR);
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 64;
    fl.l_len = 1;
    int ok = fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0;
    char c = ok ? 'y' : 'n';
    (void)!::write(ready[1], &c, 1);
    (void)!::read(done[0], &c, 1);
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  pdx::Status s = pdx::CheckEngineLocks(env, dir.path(), "CLIENT", false);
  EXPECT_TRUE(s.IsBusy()) << s.ToString();
  (void)!::write(done[1], "x", 1);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(pdx::CheckEngineLocks(env, dir.path(), "CLIENT", false).ok());
  for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}
#endif

}  // namespace
