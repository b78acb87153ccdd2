// The simulated share's accounting: which operation counts as what, how many
// bytes each moves, and what it would have cost (no sleeping: counts only).
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "bench/share_env.h"

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

}  // namespace
