#include <gtest/gtest.h>

#include <algorithm>

#include "paradox/env.h"
#include "support/test_util.h"

namespace {

using testutil::GetFile;
using testutil::PutFile;

TEST(MemEnv, WritesReadsAndUpdatesInPlace) {
  auto env = pdx::NewMemEnv();
  ASSERT_TRUE(env->CreateDir("/t").ok());
  PutFile(env.get(), "/t/a.db", "hello world");
  EXPECT_EQ(GetFile(env.get(), "/t/a.db"), "hello world");

  std::unique_ptr<pdx::WritableFile> u;
  ASSERT_TRUE(env->NewUpdatableFile("/t//a.db", &u).ok());
  ASSERT_TRUE(u->WriteAt(6, "W", 1).ok());
  ASSERT_TRUE(u->Append("!", 1).ok());       // appends at the end, not at offset 7
  ASSERT_TRUE(u->WriteAt(14, "x", 1).ok());  // a hole reads as zeros
  EXPECT_EQ(GetFile(env.get(), "/t/a.db"), std::string("hello World!\0\0x", 15));

  uint64_t size = 0;
  ASSERT_TRUE(env->GetFileSize("/t/a.db", &size).ok());
  EXPECT_EQ(size, 15u);

  std::unique_ptr<pdx::RandomAccessFile> r;
  ASSERT_TRUE(env->NewRandomAccessFile("/t/a.db", &r).ok());
  char buf[8];
  size_t got = 99;
  ASSERT_TRUE(r->Read(13, 8, buf, &got).ok());
  EXPECT_EQ(got, 2u);  // short read at the end, not an error
  ASSERT_TRUE(r->Read(100, 8, buf, &got).ok());
  EXPECT_EQ(got, 0u);
}

TEST(MemEnv, MissingThingsAreNotFound) {
  auto env = pdx::NewMemEnv();
  std::unique_ptr<pdx::RandomAccessFile> r;
  std::unique_ptr<pdx::WritableFile> w;
  EXPECT_TRUE(env->NewRandomAccessFile("/x.db", &r).IsNotFound());
  EXPECT_TRUE(env->NewUpdatableFile("/x.db", &w).IsNotFound());
  EXPECT_TRUE(env->NewWritableFile("/nodir/x.db", &w).IsNotFound());
  EXPECT_TRUE(env->RemoveFile("/x.db").IsNotFound());
  EXPECT_TRUE(env->RenameFile("/x.db", "/y.db").IsNotFound());
  std::vector<std::string> names;
  EXPECT_TRUE(env->GetChildren("/nodir", &names).IsNotFound());
  pdx::Status s = env->CreateDir("/a/b");
  EXPECT_TRUE(s.IsNotFound()) << s.ToString();
  EXPECT_NE(s.message().find("/a/b"), std::string::npos);
}

TEST(MemEnv, RenameReplacesAtomicallyAndOpenReadersKeepOldBytes) {
  auto env = pdx::NewMemEnv();
  PutFile(env.get(), "t.db", "old");
  PutFile(env.get(), "t.db.new", "new content");
  std::unique_ptr<pdx::RandomAccessFile> r;
  ASSERT_TRUE(env->NewRandomAccessFile("t.db", &r).ok());
  ASSERT_TRUE(env->RenameFile("t.db.new", "./t.db").ok());
  EXPECT_FALSE(env->FileExists("t.db.new"));
  EXPECT_EQ(GetFile(env.get(), "t.db"), "new content");
  char buf[3];
  size_t got = 0;
  ASSERT_TRUE(r->Read(0, 3, buf, &got).ok());
  EXPECT_EQ(std::string(buf, got), "old");
  ASSERT_TRUE(env->RemoveFile("t.db").ok());
  EXPECT_FALSE(env->FileExists("t.db"));
}

TEST(MemEnv, ListsDirectChildrenAndFindsNamesWithoutCase) {
  auto env = pdx::NewMemEnv();
  ASSERT_TRUE(env->CreateDir("/d").ok());
  ASSERT_TRUE(env->CreateDir("/d/sub").ok());
  PutFile(env.get(), "/d/Fournis.DB", "x");
  PutFile(env.get(), "/d/sub/deep.db", "x");
  std::vector<std::string> names;
  ASSERT_TRUE(env->GetChildren("/d/", &names).ok());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Fournis.DB", "sub"}));
  EXPECT_TRUE(env->DirExists("/d/sub"));
  EXPECT_FALSE(env->FileExists("/d/sub"));
  std::string actual;
  ASSERT_TRUE(pdx::FindFileNoCase(env.get(), "/d", "fournis.db", &actual).ok());
  EXPECT_EQ(actual, "/d/Fournis.DB");
}

TEST(MemEnv, LockIsExclusiveUntilReleased) {
  auto env = pdx::NewMemEnv();
  std::unique_ptr<pdx::FileLock> a, b;
  ASSERT_TRUE(env->LockFile("t.lck", &a).ok());
  EXPECT_TRUE(env->FileExists("t.lck"));
  EXPECT_TRUE(env->LockFile("./t.lck", &b).IsBusy());
  a.reset();
  EXPECT_TRUE(env->LockFile("t.lck", &b).ok());
  // Separate environments share nothing.
  auto other = pdx::NewMemEnv();
  std::unique_ptr<pdx::FileLock> c;
  EXPECT_TRUE(other->LockFile("t.lck", &c).ok());
}

}  // namespace
