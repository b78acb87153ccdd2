// The generic file layer on the real samples: headers, field descriptors, the
// block chain.
#include <gtest/gtest.h>

#include "paradox/format/paradox_file.h"
#include "paradox/table.h"
#include "support/test_util.h"

namespace {

struct Expect {
  const char* file;
  int fileType, version, codePage, fields, keys;
  uint32_t records;
  const char* sortOrder;
  const char* firstField;
};

TEST(ReaderHeader, SampleHeadersAndChains) {
  REQUIRE_SAMPLES();
  const Expect cases[] = {
      {"dbdemos/country.db", 0, 9, 850, 5, 1, 18, "intl850", "Name"},
      {"dbdemos/customer.db", 0, 11, 437, 13, 1, 55, "ascii", "CustNo"},
      {"dbdemos/orders.db", 0, 11, 437, 21, 1, 205, "ascii", "OrderNo"},
      {"dbdemos/biolife.db", 0, 9, 437, 8, 1, 28, "ascii", "Species No"},
      {"misc/TypSammlung.DB", 0, 12, 1252, 14, 2, 5, "ANSIINTL", "Alpha"},
      {"misc/of_cp866.db", 2, 9, 866, 19, 0, 2197, "cyrr", "Инвентарный номер"},
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE(e.file);
    std::unique_ptr<pdx::ParadoxFile> f;
    ASSERT_TRUE(pdx::ParadoxFile::Open(pdx::Env::Default(), testutil::SamplesDir() + "/" + e.file, &f).ok());
    const pdx::FileHeader& h = f->header();
    EXPECT_EQ(h.fileType, e.fileType);
    EXPECT_EQ(h.fileVersion, e.version);
    EXPECT_EQ(h.EffectiveCodePage(), e.codePage);
    EXPECT_EQ(h.fieldCount, e.fields);
    EXPECT_EQ(h.keyFieldCount, e.keys);
    EXPECT_EQ(h.recordCount, e.records);
    EXPECT_EQ(h.sortOrderName, e.sortOrder);
    EXPECT_EQ(h.fields[0].name, e.firstField);
    pdx::BlockChain chain(f.get());
    bool done = false;
    while (!done) ASSERT_TRUE(chain.Next(&done).ok());
    EXPECT_EQ(chain.recordsSeen(), e.records);
  }
}

TEST(ReaderHeader, IndexFilesShareTheHeader) {
  REQUIRE_SAMPLES();
  std::unique_ptr<pdx::ParadoxFile> f;
  auto dir = testutil::SamplesDir() + "/dbdemos/";
  ASSERT_TRUE(pdx::ParadoxFile::Open(pdx::Env::Default(), dir + "customer.xg0", &f).ok());
  EXPECT_EQ(f->header().fileType, 8);
  ASSERT_EQ(f->header().fields.size(), 3u);
  EXPECT_EQ(f->header().fields[0].name, "Company");
  EXPECT_EQ(f->header().fields[2].name, "Blk Num");
  // The composite index keeps its name after the sort order name.
  const std::string& raw = f->header().raw;
  EXPECT_EQ(std::string(raw.c_str() + f->header().tailOffset), "ByCompany");
  for (const char* name : {"orders.px", "orders.y02", "parts.yg0", "country.px", "parts.x02"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(pdx::ParadoxFile::Open(pdx::Env::Default(), dir + name, &f).ok());
    // Index trees (.PX, .Ynn, .YGn) carry no field names.
    EXPECT_EQ(f->header().hasNames, f->header().fileType % 3 != 1);
    EXPECT_GE(f->BlocksInFile(), 1u);
  }
}

}  // namespace

namespace {

using testutil::PutFile;

// Levels 3.0 and 3.5 have no header extension: descriptors start at 0x58 and
// there is no code page (read as 437). Made from a 4.x sample by dropping the
// extension.
TEST(ReaderHeader, OldLevelsWithoutExtension) {
  REQUIRE_SAMPLES();
  std::string bytes = testutil::ReadFile(testutil::SamplesDir() + "/dbdemos/vendors.db");
  const size_t headerSize = 2048;
  std::string old = bytes.substr(0, 0x58) + bytes.substr(0x78, headerSize - 0x78) + std::string(0x20, '\0') +
                    bytes.substr(headerSize);
  auto env = pdx::NewMemEnv();
  ASSERT_TRUE(env->CreateDir("/t").ok());
  for (char version : {'\x03', '\x04'}) {
    old[0x39] = version;
    PutFile(env.get(), "/t/VENDORS.DB", old);
    std::unique_ptr<pdx::Table> t;
    pdx::Status s = pdx::Table::Open(env.get(), "/t", "vendors", &t);
    ASSERT_TRUE(s.ok()) << s.ToString();
    EXPECT_EQ(t->info().levelText, version == 3 ? "3.0" : "3.5");
    EXPECT_EQ(t->info().codePage, 437);
    EXPECT_EQ(t->info().fields[10].name, "Preferred");
    auto cur = t->NewCursor();
    ASSERT_TRUE(cur->First().ok());
    std::string name;
    ASSERT_TRUE(cur->GetText(2, &name).ok());
    EXPECT_EQ(name, "Cacor Corporation");
  }
}

TEST(ReaderHeader, TableNamesMatchWithoutCase) {
  REQUIRE_SAMPLES();
  const std::string dir = testutil::SamplesDir() + "/dbdemos";
  for (const char* name : {"COUNTRY", "Country.DB", "country.db"}) {
    std::unique_ptr<pdx::Table> t;
    pdx::Status s = pdx::Table::Open(pdx::Env::Default(), dir, name, &t);
    ASSERT_TRUE(s.ok()) << name << ": " << s.ToString();
    EXPECT_EQ(t->info().recordCount, 18u);
  }
  std::unique_ptr<pdx::Table> t;
  EXPECT_TRUE(pdx::Table::Open(pdx::Env::Default(), dir, "nosuch", &t).IsNotFound());
}

}  // namespace
