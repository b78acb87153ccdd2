// pdx reindex and pdx copy end to end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/test_util.h"

namespace {

const std::string kPdx = std::string(CORVANES_BINARY_DIR) + "/pdx";

int RunPdxTool(const std::string& args, std::string* out) {
  return testutil::RunCommand(kPdx + " " + args + " 2>&1", out);
}

class PdxWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testutil::SamplesDir().empty()) GTEST_SKIP() << "Paradox samples not found";
    if (::access(kPdx.c_str(), X_OK) != 0) GTEST_SKIP() << "pdx not built at " << kPdx;
  }
};

TEST_F(PdxWrite, ReindexRepairsADamagedSecondaryIndex) {
  testutil::TempDir dir;
  for (const char* ext : {"db", "px", "x02", "y02"})
    testutil::CopyFile(testutil::SamplesDir() + "/dbdemos/orders." + ext, dir.file(std::string("orders.") + ext));
  // Swap two entries of the secondary index: out of order, and stale.
  std::string x = testutil::ReadFile(dir.file("orders.x02"));
  std::string a = x.substr(0x806, 18), b = x.substr(0x806 + 18 * 50, 18);
  x.replace(0x806, 18, b);
  x.replace(0x806 + 18 * 50, 18, a);
  testutil::WriteFile(dir.file("orders.x02"), x);
  std::string out;
  ASSERT_EQ(RunPdxTool("check " + dir.file("orders.db"), &out), 1) << out;
  ASSERT_EQ(RunPdxTool("reindex " + dir.file("orders.db"), &out), 0) << out;
  EXPECT_EQ(RunPdxTool("check " + dir.file("orders.db"), &out), 0) << out;
  std::string dumpBefore, dumpAfter;
  ASSERT_EQ(RunPdxTool("dump " + testutil::SamplesDir() + "/dbdemos/orders.db --index CustNo", &dumpBefore), 0);
  ASSERT_EQ(RunPdxTool("dump " + dir.file("orders.db") + " --index CustNo", &dumpAfter), 0);
  EXPECT_EQ(dumpAfter, dumpBefore);
}

TEST_F(PdxWrite, ReindexReplacesAPrimaryIndexWithADamagedHeader) {
  testutil::TempDir dir;
  for (const char* ext : {"db", "px"})
    testutil::CopyFile(testutil::SamplesDir() + "/dbdemos/vendors." + ext, dir.file(std::string("vendors.") + ext));
  std::string px = testutil::ReadFile(dir.file("vendors.px"));
  px[0x05] = 3;  // no such block size
  testutil::WriteFile(dir.file("vendors.px"), px);
  std::string out;
  ASSERT_NE(RunPdxTool("check " + dir.file("vendors.db"), &out), 0) << out;
  // And a missing tree of a secondary index comes back.
  for (const char* ext : {"db", "px", "x02"})
    testutil::CopyFile(testutil::SamplesDir() + "/dbdemos/parts." + ext, dir.file(std::string("parts.") + ext));
  ASSERT_EQ(RunPdxTool("reindex " + dir.file("parts.db"), &out), 0) << out;
  EXPECT_TRUE(testutil::ReadFile(dir.file("parts.y02")).size() > 0x800);
  EXPECT_EQ(RunPdxTool("check " + dir.file("parts.db"), &out), 0) << out;
  ASSERT_EQ(RunPdxTool("reindex " + dir.file("vendors.db"), &out), 0) << out;
  EXPECT_EQ(RunPdxTool("check " + dir.file("vendors.db"), &out), 0) << out;
}

TEST_F(PdxWrite, CopyWritesAnEqualTableAndRefusesAnExistingOne) {
  testutil::TempDir dir;
  std::string out, original, copy;
  ASSERT_EQ(RunPdxTool("copy " + testutil::SamplesDir() + "/dbdemos/biolife.db " + dir.file("BIO.DB"), &out), 0) << out;
  EXPECT_EQ(RunPdxTool("check " + dir.file("BIO.DB"), &out), 0) << out;
  ASSERT_EQ(RunPdxTool("dump " + testutil::SamplesDir() + "/dbdemos/biolife.db", &original), 0);
  ASSERT_EQ(RunPdxTool("dump " + dir.file("BIO.DB"), &copy), 0);
  EXPECT_EQ(copy, original);
  EXPECT_EQ(RunPdxTool("copy " + testutil::SamplesDir() + "/dbdemos/biolife.db " + dir.file("bio.db"), &out), 2);
  EXPECT_NE(out.find("exists"), std::string::npos) << out;
  EXPECT_EQ(RunPdxTool("reindex " + dir.file("absent.db"), &out), 2);
  EXPECT_NE(out.find("absent.db"), std::string::npos) << out;
}

}  // namespace
