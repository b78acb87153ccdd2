// The writer on copies of the tables the original engine wrote.
#include <gtest/gtest.h>

#include <filesystem>

#include "paradox/writer.h"
#include "support/table_check.h"
#include "support/test_util.h"

namespace {

namespace fs = std::filesystem;

// Copies every file of table `stem` (any extension) from the samples.
void CopyTable(const std::string& sub, const std::string& stem, const testutil::TempDir& to) {
  for (const auto& e : fs::directory_iterator(testutil::SamplesDir() + "/" + sub)) {
    std::string n = e.path().filename().string();
    std::string lower = n;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.rfind(stem + ".", 0) == 0 && lower.find(".xml") == std::string::npos)
      testutil::CopyFile(e.path().string(), to.file(n));
  }
}

// Byte ranges where a and b differ ("0x2d-0x2d 0x60-0x63"), "" when equal.
std::string DiffRanges(const std::string& a, const std::string& b) {
  std::string out;
  char buf[64];
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] == b[i]) continue;
    size_t j = i;
    while (j + 1 < a.size() && j + 1 < b.size() && a[j + 1] != b[j + 1]) ++j;
    std::snprintf(buf, sizeof buf, "%s0x%zx-0x%zx", out.empty() ? "" : " ", i, j);
    out += buf;
    i = j;
  }
  if (a.size() != b.size()) out += " sizes " + std::to_string(a.size()) + "/" + std::to_string(b.size());
  return out;
}

struct Sample {
  const char* sub;
  const char* stem;
};
const Sample kKeyed[] = {{"dbdemos", "country"}, {"dbdemos", "customer"}, {"dbdemos", "orders"},
                         {"dbdemos", "parts"},   {"dbdemos", "vendors"},  {"dbdemos", "biolife"},
                         {"misc", "typsammlung"}};

// Rewriting a table through the writer keeps every value and leaves the index
// check clean.
TEST(WriterSamples, RewriteKeepsEveryValueAndIndexesClean) {
  REQUIRE_SAMPLES();
  for (const auto& s : kKeyed) {
    SCOPED_TRACE(s.stem);
    testutil::TempDir dir;
    CopyTable(s.sub, s.stem, dir);
    std::string name = std::string(s.stem) + ".db";
    auto before = testutil::ReadRows(pdx::Env::Default(), dir.path(), name);
    ASSERT_FALSE(before.empty());
    std::unique_ptr<pdx::TableWriter> w;
    pdx::Status st = pdx::TableWriter::Open(pdx::Env::Default(), dir.path(), name, {}, &w);
    ASSERT_TRUE(st.ok()) << st.ToString();
    st = w->Rewrite();
    ASSERT_TRUE(st.ok()) << st.ToString();
    ASSERT_TRUE(w->Close().ok());
    EXPECT_EQ(testutil::ReadRows(pdx::Env::Default(), dir.path(), name), before);
    auto findings = testutil::IndexFindings(pdx::Env::Default(), dir.path(), name);
    EXPECT_TRUE(findings.empty()) << findings.front();
  }
}

// Rebuilding the indexes from the engine's own .DB gives its .PX byte for
// byte, but for the blocks past the last one in use, which the engine leaves
// behind; the secondary indexes come out valid and with the same entries.
TEST(WriterSamples, RebuiltPrimaryIndexIsTheEnginesByteForByte) {
  REQUIRE_SAMPLES();
  for (const auto& s : kKeyed) {
    SCOPED_TRACE(s.stem);
    testutil::TempDir dir;
    CopyTable(s.sub, s.stem, dir);
    std::string name = std::string(s.stem) + ".db";
    pdx::Status st = pdx::RebuildIndexes(pdx::Env::Default(), dir.path(), name);
    ASSERT_TRUE(st.ok()) << st.ToString();
    auto findings = testutil::IndexFindings(pdx::Env::Default(), dir.path(), name);
    EXPECT_TRUE(findings.empty()) << findings.front();
    std::string px;
    for (const auto& e : fs::directory_iterator(dir.path()))
      if (e.path().extension() == ".px" || e.path().extension() == ".PX") px = e.path().filename().string();
    ASSERT_FALSE(px.empty());
    if (!fs::exists(testutil::SamplesDir() + "/" + s.sub + "/" + px)) continue;  // TypSammlung comes without one
    std::string original = testutil::ReadFile(testutil::SamplesDir() + "/" + s.sub + "/" + px);
    std::string rebuilt = testutil::ReadFile(dir.file(px));
    ASSERT_GE(original.size(), rebuilt.size());
    original.resize(rebuilt.size());  // unused trailing blocks
    // Past the entries in use a block holds what the engine left there; ours
    // are zero.
    const size_t headerSize = 0x800, blockSize = static_cast<size_t>(rebuilt[5]) * 1024;
    const size_t entry = static_cast<uint8_t>(rebuilt[0]) | (static_cast<uint8_t>(rebuilt[1]) << 8);
    for (size_t b = headerSize; b + blockSize <= original.size(); b += blockSize) {
      int16_t add = static_cast<int16_t>(static_cast<uint8_t>(original[b + 4]) | (static_cast<uint8_t>(original[b + 5]) << 8));
      size_t used = 6 + (add < 0 ? 0 : static_cast<size_t>(add) + entry);
      std::fill(original.begin() + static_cast<long>(b + used), original.begin() + static_cast<long>(b + blockSize), '\0');
    }
    // country.px was last written by a restructure (its header names
    // "RESTTEMP.PX") and its counter at 0x2C does not repeat the table's
    // 0x2D, as every other sample's does; ours does.
    EXPECT_EQ(DiffRanges(original, rebuilt), std::string(s.stem) == "country" ? "0x2c-0x2c" : "") << px;
  }
}

}  // namespace
