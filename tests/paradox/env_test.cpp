#include <gtest/gtest.h>

#include "paradox/env.h"
#include "support/test_util.h"

namespace {

TEST(PosixEnv, FindsFilesWithoutRegardToCase) {
  testutil::TempDir dir;
  testutil::WriteFile(dir.file("Fournis.db"), "x");
  pdx::Env* env = pdx::Env::Default();
  std::string actual;
  ASSERT_TRUE(pdx::FindFileNoCase(env, dir.path(), "FOURNIS.DB", &actual).ok());
  EXPECT_EQ(actual, dir.file("Fournis.db"));
  pdx::Status s = pdx::FindFileNoCase(env, dir.path(), "CLIENT.DB", &actual);
  EXPECT_TRUE(s.IsNotFound()) << s.ToString();
}

TEST(PosixEnv, SecondExclusiveLockIsBusy) {
  testutil::TempDir dir;
  pdx::Env* env = pdx::Env::Default();
  std::unique_ptr<pdx::FileLock> a, b;
  ASSERT_TRUE(env->LockFile(dir.file("t.lck"), &a).ok());
  // flock locks are per open file description, so a second open in-process conflicts.
  EXPECT_TRUE(env->LockFile(dir.file("t.lck"), &b).IsBusy());
  a.reset();
  EXPECT_TRUE(env->LockFile(dir.file("t.lck"), &b).ok());
}

TEST(PosixEnv, MissingFileIsNotFoundNotIOError) {
  std::unique_ptr<pdx::RandomAccessFile> f;
  pdx::Status s = pdx::Env::Default()->NewRandomAccessFile("/nonexistent/x.db", &f);
  EXPECT_TRUE(s.IsNotFound()) << s.ToString();
  EXPECT_NE(s.message().find("/nonexistent/x.db"), std::string::npos);
}

}  // namespace
