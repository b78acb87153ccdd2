// Hand-made damage: every read stays in bounds and the error names the file and
// the faulty part; nothing crashes, nothing loops.
#include <gtest/gtest.h>

#include <cstring>

#include "paradox/check.h"
#include "paradox/table.h"
#include "support/test_util.h"

namespace {

using testutil::PutFile;

std::string Sample(const std::string& rel) { return testutil::ReadFile(testutil::SamplesDir() + "/" + rel); }

void SetU16(std::string* b, size_t off, uint16_t v) {
  (*b)[off] = static_cast<char>(v & 0xFF);
  (*b)[off + 1] = static_cast<char>(v >> 8);
}

// Opens /t/name and reads every value of every record; returns the first error.
pdx::Status ReadAll(pdx::Env* env, const std::string& name, size_t* records = nullptr) {
  std::unique_ptr<pdx::Table> t;
  PDX_RETURN_IF_ERROR(pdx::Table::Open(env, "/t", name, &t));
  auto cur = t->NewCursor();
  size_t n = 0;
  pdx::Status s;
  for (s = cur->First(); s.ok() && !cur->AtEnd(); s = cur->Next(), ++n) {
    for (size_t f = 1; f <= t->info().fields.size(); ++f) {
      pdx::Value v;
      PDX_RETURN_IF_ERROR(cur->GetValue(static_cast<int>(f), &v));
    }
  }
  if (records) *records = n;
  return s;
}

class ReaderDamage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testutil::SamplesDir().empty()) GTEST_SKIP() << "Paradox samples not found";
    env_ = pdx::NewMemEnv();
    ASSERT_TRUE(env_->CreateDir("/t").ok());
  }
  std::unique_ptr<pdx::Env> env_;
};

TEST_F(ReaderDamage, TruncationAtAnyOffsetIsCorruption) {
  const std::string orders = Sample("dbdemos/orders.db");
  for (size_t cut = 0; cut < orders.size(); cut += (cut < 2200 ? 37 : 997)) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    PutFile(env_.get(), "/t/orders.db", orders.substr(0, cut));
    pdx::Status s = ReadAll(env_.get(), "orders.db");
    ASSERT_TRUE(s.IsCorruption()) << s.ToString();
    EXPECT_NE(s.message().find("orders.db"), std::string::npos) << s.message();
  }
}

TEST_F(ReaderDamage, BlockChainFaults) {
  const std::string orders = Sample("dbdemos/orders.db");
  const size_t block2 = 2048 + 2048;  // header, then blocks of 2 KiB
  struct Case {
    const char* what;
    size_t offset;
    uint16_t value;
    const char* expect;
  } cases[] = {
      {"loop back to block 1", block2, 1, "loops back to block 1"},
      {"next past the file", block2, 999, "outside the file"},
      {"wrong back pointer", block2 + 2, 7, "as previous"},
      {"records not a multiple of the size", block2 + 4, 100, "not a whole number of records"},
      {"more records than a block holds", block2 + 4, 263 * 40, "it can hold"},
      {"first block past the file", 0x0E, 40, "outside the file"},
      {"header counts fewer records", 0x06, 12, "more records than"},
      {"header counts more records", 0x06, 300, "the data blocks hold 205"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = orders;
    SetU16(&bytes, c.offset, c.value);
    PutFile(env_.get(), "/t/orders.db", bytes);
    pdx::Status s = ReadAll(env_.get(), "orders.db");
    ASSERT_TRUE(s.IsCorruption()) << s.ToString();
    EXPECT_NE(s.message().find(c.expect), std::string::npos) << s.message();

    std::vector<pdx::CheckFinding> findings;
    ASSERT_TRUE(pdx::CheckTable(env_.get(), "/t", "orders.db", &findings).ok());
    EXPECT_FALSE(findings.empty());
  }
}

TEST_F(ReaderDamage, HeaderFaultsAreRefusedAtOpen) {
  const std::string country = Sample("dbdemos/country.db");
  struct Case {
    const char* what;
    size_t offset;
    uint16_t value;
    const char* expect;
  } cases[] = {
      {"one field more", 0x21, 6, "bad header"},
      {"one field less", 0x21, 4, "field sizes add up"},
      {"no fields", 0x21, 0, "field count"},
      {"record size off", 0x00, 87, "field sizes add up"},
      {"header larger than the file", 0x02, 0xF000, "header size"},
      {"block size of 3 KiB", 0x05, 0x0003, "block size"},
      {"unknown field type", 0x78, 0x1F1F, "unknown field type"},
      {"key count above field count", 0x23, 9, "key field count"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = country;
    if (c.offset == 0x05)
      bytes[0x05] = static_cast<char>(c.value);
    else
      SetU16(&bytes, c.offset, c.value);
    PutFile(env_.get(), "/t/country.db", bytes);
    std::unique_ptr<pdx::Table> t;
    pdx::Status s = pdx::Table::Open(env_.get(), "/t", "country", &t);
    ASSERT_TRUE(s.IsCorruption()) << s.ToString();
    EXPECT_NE(s.message().find(c.expect), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("country.db"), std::string::npos);
  }
  // Names that never end run into the header's end, not past it.
  std::string bytes = country;
  for (size_t i = 0x11A; i < 2048; ++i)
    if (bytes[i] == 0) bytes[i] = 'x';
  PutFile(env_.get(), "/t/country.db", bytes);
  std::unique_ptr<pdx::Table> t;
  EXPECT_TRUE(pdx::Table::Open(env_.get(), "/t", "country", &t).IsCorruption());
}

// biolife: record 1's Notes are sub-allocated, its Graphic spans whole blocks.
class BlobDamage : public ReaderDamage {
 protected:
  void SetUp() override {
    ReaderDamage::SetUp();
    if (IsSkipped()) return;
    db_ = Sample("dbdemos/biolife.db");
    mb_ = Sample("dbdemos/biolife.mb");
  }
  // Reads record 1; returns the statuses of Notes (7) and Graphic (8) and checks
  // that the other fields stay readable.
  void ReadFirst(pdx::Status* notes, pdx::Status* graphic) {
    std::unique_ptr<pdx::Table> t;
    ASSERT_TRUE(pdx::Table::Open(env_.get(), "/t", "biolife", &t).ok());
    auto cur = t->NewCursor();
    ASSERT_TRUE(cur->First().ok());
    pdx::Value v;
    *notes = cur->GetValue(7, &v);
    *graphic = cur->GetValue(8, &v);
    std::string name;
    ASSERT_TRUE(cur->GetText(3, &name).ok());
    EXPECT_EQ(name, "Clown Triggerfish");
  }
  std::string db_, mb_;
  static constexpr size_t kRec1 = 2048 + 6;
  static constexpr size_t kNotesRef = kRec1 + 8 + 15 + 30 + 40 + 8 + 8 + 50;
  static constexpr size_t kGraphicRef = kNotesRef + 10;
};

TEST_F(BlobDamage, MissingBlobFileNamesTableFieldAndRecord) {
  PutFile(env_.get(), "/t/biolife.db", db_);
  pdx::Status notes, graphic;
  ReadFirst(&notes, &graphic);
  EXPECT_TRUE(notes.IsNotFound()) << notes.ToString();
  EXPECT_NE(notes.message().find("biolife.db: field \"Notes\" of record 1"), std::string::npos) << notes.message();
  EXPECT_TRUE(graphic.IsNotFound());
  std::vector<pdx::CheckFinding> findings;
  ASSERT_TRUE(pdx::CheckTable(env_.get(), "/t", "biolife", &findings).ok());
  EXPECT_FALSE(findings.empty());
}

TEST_F(BlobDamage, ReferencesThatDoNotMatchTheBlobFile) {
  struct Case {
    const char* what;
    size_t offset;
    uint32_t value;
    bool graphic;
    const char* expect;
  } cases[] = {
      {"graphic past the end", kGraphicRef, 0x7FFF00FF, true, "past the end"},
      {"graphic not at a block start", kGraphicRef, 0x000020FE + 0x100, true, "not the start"},
      {"graphic length differs", kGraphicRef + 4, 1000, true, "the block holds"},
      {"memo entry out of the index", kNotesRef, 0x00001050, false, "outside the block's index"},
      {"memo length beyond its chunks", kNotesRef + 4, 5000, false, "the entry holds"},
      {"memo in a whole block", kNotesRef, 0x000020FF - 0xC0, false, "of type"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = db_;
    for (int k = 0; k < 4; ++k) bytes[c.offset + k] = static_cast<char>((c.value >> (8 * k)) & 0xFF);
    PutFile(env_.get(), "/t/biolife.db", bytes);
    PutFile(env_.get(), "/t/BIOLIFE.MB", mb_);
    pdx::Status notes, graphic;
    ReadFirst(&notes, &graphic);
    const pdx::Status& bad = c.graphic ? graphic : notes;
    const pdx::Status& good = c.graphic ? notes : graphic;
    EXPECT_TRUE(good.ok()) << good.ToString();
    ASSERT_TRUE(bad.IsCorruption()) << bad.ToString();
    EXPECT_NE(bad.message().find(c.expect), std::string::npos) << bad.message();
    EXPECT_NE(bad.message().find(c.graphic ? "\"Graphic\" of record 1" : "\"Notes\" of record 1"), std::string::npos);

    std::vector<pdx::CheckFinding> findings;
    ASSERT_TRUE(pdx::CheckTable(env_.get(), "/t", "biolife", &findings).ok());
    ASSERT_FALSE(findings.empty());
    EXPECT_EQ(findings[0].file, "BIOLIFE.MB");
  }
}

TEST_F(BlobDamage, TruncatedBlobFile) {
  PutFile(env_.get(), "/t/biolife.db", db_);
  PutFile(env_.get(), "/t/biolife.mb", mb_.substr(0, 0x2000 + 100));
  pdx::Status notes, graphic;
  ReadFirst(&notes, &graphic);
  EXPECT_TRUE(notes.ok()) << notes.ToString();
  EXPECT_TRUE(graphic.IsCorruption()) << graphic.ToString();
}

}  // namespace
