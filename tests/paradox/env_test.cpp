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

TEST(PosixEnv, LargeFilesReadWholeShortAtTheEndAndKeepTheVersionOpened) {
  testutil::TempDir dir;
  std::string big(3 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
  testutil::WriteFile(dir.file("big.db"), big);
  pdx::Env* env = pdx::Env::Default();
  std::unique_ptr<pdx::RandomAccessFile> f;
  ASSERT_TRUE(env->NewRandomAccessFile(dir.file("big.db"), &f).ok());
  ASSERT_EQ(f->Size(), big.size());
  std::string all(big.size(), '\0');
  size_t got = 0;
  ASSERT_TRUE(f->Read(0, all.size(), all.data(), &got).ok());
  EXPECT_EQ(got, big.size());
  EXPECT_EQ(all, big);
  // Short at the end, none past it.
  std::string buf(100, 'x');
  ASSERT_TRUE(f->Read(big.size() - 40, 100, buf.data(), &got).ok());
  EXPECT_EQ(got, 40u);
  EXPECT_EQ(buf.substr(0, 40), big.substr(big.size() - 40));
  ASSERT_TRUE(f->Read(big.size() + 5, 100, buf.data(), &got).ok());
  EXPECT_EQ(got, 0u);
  // An open file keeps the version opened when a writer replaces it by a rename.
  testutil::WriteFile(dir.file("new.db"), std::string(3 << 20, 'n'));
  ASSERT_TRUE(env->RenameFile(dir.file("new.db"), dir.file("big.db")).ok());
  ASSERT_TRUE(f->Read(0, 64, buf.data(), &got).ok());
  EXPECT_EQ(buf.substr(0, 64), big.substr(0, 64));
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

namespace {

// The same directory removal contract from the real and the in-memory Env:
// only an empty directory goes; a full one, a file and a missing path are told apart.
void CheckRemoveDir(pdx::Env* env, const std::string& root) {
  const std::string d = pdx::JoinPath(root, "d"), sub = pdx::JoinPath(d, "sub"), f = pdx::JoinPath(d, "f.db");
  ASSERT_TRUE(env->CreateDir(d).ok());
  ASSERT_TRUE(env->CreateDir(sub).ok());
  testutil::PutFile(env, f, "x");

  pdx::Status s = env->RemoveDir(d);
  EXPECT_FALSE(s.ok());
  EXPECT_FALSE(s.IsNotFound()) << s.ToString();
  EXPECT_TRUE(env->DirExists(d));
  EXPECT_TRUE(env->FileExists(f));  // nothing inside was touched

  s = env->RemoveDir(f);
  EXPECT_FALSE(s.ok());
  EXPECT_TRUE(env->FileExists(f));

  ASSERT_TRUE(env->RemoveFile(f).ok());
  EXPECT_FALSE(env->RemoveDir(d).ok());  // the sub-directory still holds it
  ASSERT_TRUE(env->RemoveDir(sub).ok());
  ASSERT_TRUE(env->RemoveDir(d).ok());
  EXPECT_FALSE(env->DirExists(d));
  EXPECT_TRUE(env->RemoveDir(d).IsNotFound());
  std::vector<std::string> names;
  ASSERT_TRUE(env->GetChildren(root, &names).ok());
  EXPECT_TRUE(names.empty());
}

TEST(PosixEnv, RemovesOnlyEmptyDirectories) {
  testutil::TempDir dir;
  CheckRemoveDir(pdx::Env::Default(), dir.path());
}

TEST(MemEnv, RemovesOnlyEmptyDirectories) {
  auto env = pdx::NewMemEnv();
  ASSERT_TRUE(env->CreateDir("/t").ok());
  CheckRemoveDir(env.get(), "/t");
  EXPECT_FALSE(env->RemoveDir("/").ok());
}

}  // namespace
