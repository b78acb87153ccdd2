// Damaged and stale index files: errors naming the file, findings from the
// check, never a crash; and index files found without regard to case.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "paradox/index/index_check.h"
#include "paradox/index/index_order.h"
#include "paradox/read/table_impl.h"
#include "support/test_util.h"

namespace {

// The orders sample (keyed, with .x02/.y02) copied into an in-memory directory.
class Orders {
 public:
  Orders() : env_(pdx::NewMemEnv()) {
    EXPECT_TRUE(env_->CreateDir("/t").ok());
    for (const char* n : {"orders.db", "orders.px", "orders.x02", "orders.y02"})
      files_[n] = testutil::ReadFile(testutil::SamplesDir() + "/dbdemos/" + n);
  }
  std::string& bytes(const std::string& name) { return files_[name]; }
  void Drop(const std::string& name) { files_.erase(name); }
  void Rename(const std::string& from, const std::string& to) {
    files_[to] = files_[from];
    files_.erase(from);
  }
  // Writes the files (as they are now) and opens the table.
  std::unique_ptr<pdx::TableImpl> Open() {
    for (const auto& [name, data] : files_) {
      std::unique_ptr<pdx::WritableFile> f;
      EXPECT_TRUE(env_->NewWritableFile("/t/" + name, &f).ok());
      EXPECT_TRUE(f->Append(data.data(), data.size()).ok());
      EXPECT_TRUE(f->Close().ok());
    }
    std::unique_ptr<pdx::TableImpl> t;
    pdx::Status s = pdx::TableImpl::OpenImpl(env_.get(), "/t", "orders", &t);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return t;
  }

 private:
  std::unique_ptr<pdx::Env> env_;
  std::map<std::string, std::string> files_;
};

std::vector<std::string> Check(const pdx::TableImpl& t) {
  std::vector<std::string> f;
  pdx::Status s = pdx::CheckIndexes(t, &f);
  EXPECT_TRUE(s.ok()) << s.ToString();
  return f;
}

bool Mentions(const std::vector<std::string>& findings, const std::string& a, const std::string& b) {
  for (const std::string& f : findings)
    if (f.find(a) != std::string::npos && f.find(b) != std::string::npos) return true;
  return false;
}

void PutShortBE(std::string* s, size_t at, int v) {
  uint16_t x = static_cast<uint16_t>(v) ^ 0x8000;
  (*s)[at] = static_cast<char>(x >> 8);
  (*s)[at + 1] = static_cast<char>(x & 0xFF);
}

constexpr size_t kHeader = 2048;
constexpr size_t kPxEntry = 14;  // N8 key + block, count, spare
constexpr size_t kXEntry = 18;   // N8 CustNo, N8 OrderNo, S hint

TEST(IndexDamage, BrokenPrimaryIndexIsReportedAndSearchesStillWork) {
  REQUIRE_SAMPLES();
  struct Case {
    const char* what;
    size_t at;
    char value;
    const char* finding;
  };
  const Case cases[] = {
      {"root past the end", 0x1E, 40, "root block"},
      {"no levels", 0x20, 0, "levels"},
      {"too many levels", 0x20, 100, "levels"},
      {"a wrong record count", kHeader + 6 + 3 * kPxEntry + 8 + 3, 2, "counted"},
      {"a wrong block number", kHeader + 6 + 5 * kPxEntry + 8 + 1, 9, "block"},
  };
  for (const Case& c : cases) {
    Orders o;
    o.bytes("orders.px")[c.at] = c.value;
    auto t = o.Open();
    ASSERT_TRUE(t) << c.what;
    EXPECT_TRUE(Mentions(Check(*t), "orders.px", c.finding)) << c.what;
    // The order falls back to the data blocks: a key is still found.
    auto cur = t->NewCursor();
    bool found = false;
    ASSERT_TRUE(cur->Seek({pdx::Value::Double(1100)}, &found).ok()) << c.what;
    EXPECT_TRUE(found) << c.what;
  }
}

TEST(IndexDamage, StaleSecondaryIndexIsCorruptionNamingTheFile) {
  REQUIRE_SAMPLES();
  {
    // An entry whose order number no record has.
    Orders o;
    PutShortBE(&o.bytes("orders.x02"), kHeader + 6 + 4 * kXEntry + 8, 0x4000);
    auto t = o.Open();
    ASSERT_TRUE(t);
    auto cur = t->NewCursor();
    pdx::Status s = cur->SetOrderIndex("CustNo");
    EXPECT_TRUE(s.IsCorruption()) << s.ToString();
    EXPECT_NE(s.message().find("orders.x02"), std::string::npos);
    auto f = Check(*t);
    EXPECT_TRUE(Mentions(f, "orders.x02", "stands for no record"));
    EXPECT_TRUE(Mentions(f, "orders.x02", "has no entry"));
  }
  {
    // Two entries swapped.
    Orders o;
    std::string& x = o.bytes("orders.x02");
    size_t a = kHeader + 6, b = a + 150 * kXEntry;
    std::string tmp = x.substr(a, kXEntry);
    x.replace(a, kXEntry, x.substr(b, kXEntry));
    x.replace(b, kXEntry, tmp);
    auto t = o.Open();
    ASSERT_TRUE(t);
    EXPECT_TRUE(Mentions(Check(*t), "orders.x02", "out of index order"));
  }
  {
    // A value that differs from its record's.
    Orders o;
    o.bytes("orders.x02")[kHeader + 6 + 7 * kXEntry + 3] ^= 0x10;
    auto t = o.Open();
    ASSERT_TRUE(t);
    EXPECT_TRUE(Mentions(Check(*t), "orders.x02", "values of its record"));
  }
  {
    // Tree missing.
    Orders o;
    o.Drop("orders.y02");
    auto t = o.Open();
    ASSERT_TRUE(t);
    EXPECT_TRUE(Mentions(Check(*t), "orders.x02", "no tree file"));
    auto cur = t->NewCursor();
    EXPECT_TRUE(cur->SetOrderIndex("CustNo").ok());
  }
}

TEST(IndexDamage, LoopingEntryChainIsCorruption) {
  REQUIRE_SAMPLES();
  Orders o;
  std::string& x = o.bytes("orders.x02");
  // Block 2's next pointer back to block 1.
  x[kHeader + 2048] = 1;
  x[kHeader + 2048 + 1] = 0;
  auto t = o.Open();
  ASSERT_TRUE(t);
  auto cur = t->NewCursor();
  pdx::Status s = cur->SetOrderIndex("CustNo");
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.message().find("orders.x02"), std::string::npos) << s.ToString();
  auto f = Check(*t);
  ASSERT_FALSE(f.empty());
  // Findings name the file alone, without its directory.
  for (const std::string& line : f) EXPECT_EQ(line.rfind("orders.x02: ", 0), 0u) << line;
}

TEST(IndexDamage, TruncatedIndexFilesNeverCrash) {
  REQUIRE_SAMPLES();
  for (const char* name : {"orders.x02", "orders.y02", "orders.px"}) {
    const size_t full = Orders().bytes(name).size();
    for (size_t cut = 0; cut < full; cut += 97) {
      Orders o;
      o.bytes(name).resize(cut);
      auto t = o.Open();
      ASSERT_TRUE(t) << name << " cut at " << cut;
      auto f = Check(*t);
      EXPECT_FALSE(f.empty()) << name << " cut at " << cut;
      auto cur = t->NewCursor();
      pdx::Status s = cur->SetOrderIndex("CustNo");
      if (s.ok()) {
        bool found = false;
        EXPECT_TRUE(cur->Seek({pdx::Value::Double(1221)}, &found).ok());
      }
      bool found = false;
      ASSERT_TRUE(cur->SetOrderPrimary().ok());
      EXPECT_TRUE(cur->Seek({pdx::Value::Double(1100)}, &found).ok()) << name << " cut at " << cut;
    }
  }
}

TEST(IndexDamage, DescendingIndexIsRecognisedFromItsEntries) {
  REQUIRE_SAMPLES();
  Orders o;
  std::string& x = o.bytes("orders.x02");
  // Reverse the entries across the two blocks, keeping each block's count.
  auto count = [&](size_t block) {
    size_t at = kHeader + (block - 1) * 2048;
    int16_t add = static_cast<int16_t>(static_cast<uint8_t>(x[at + 4]) | (static_cast<uint8_t>(x[at + 5]) << 8));
    return static_cast<size_t>(add / kXEntry + 1);
  };
  const size_t n1 = count(1), n2 = count(2);
  std::vector<std::string> e;
  for (size_t i = 0; i < n1; ++i) e.push_back(x.substr(kHeader + 6 + i * kXEntry, kXEntry));
  for (size_t i = 0; i < n2; ++i) e.push_back(x.substr(kHeader + 2048 + 6 + i * kXEntry, kXEntry));
  std::reverse(e.begin(), e.end());
  for (size_t i = 0; i < n1; ++i) x.replace(kHeader + 6 + i * kXEntry, kXEntry, e[i]);
  for (size_t i = 0; i < n2; ++i) x.replace(kHeader + 2048 + 6 + i * kXEntry, kXEntry, e[n1 + i]);
  auto t = o.Open();
  ASSERT_TRUE(t);
  auto cur = t->NewCursor();
  ASSERT_TRUE(cur->SetOrderIndex("CustNo").ok());
  std::vector<double> cust;
  ASSERT_TRUE(cur->First().ok());
  while (!cur->AtEnd()) {
    double d = 0;
    ASSERT_TRUE(cur->GetDouble(2, &d).ok());
    cust.push_back(d);
    ASSERT_TRUE(cur->Next().ok());
  }
  ASSERT_EQ(cust.size(), 205u);
  EXPECT_GT(cust.front(), cust.back());
  for (size_t i = 1; i < cust.size(); ++i) EXPECT_GE(cust[i - 1], cust[i]);
  bool found = false;
  ASSERT_TRUE(cur->Seek({pdx::Value::Double(1221)}, &found).ok());
  ASSERT_TRUE(found);
  double d = 0;
  ASSERT_TRUE(cur->GetDouble(2, &d).ok());
  EXPECT_EQ(d, 1221);
  // The entries still match the records; only the tree is now stale.
  for (const std::string& f : Check(*t)) EXPECT_NE(f.find("orders.y02"), std::string::npos) << f;
}

// A primary index of two levels, made from the one-level sample: two leaf
// blocks under a root block.
TEST(IndexDamage, TwoLevelPrimaryIndexIsWalkedToItsLeaves) {
  REQUIRE_SAMPLES();
  Orders o;
  const std::string px = o.bytes("orders.px");
  const size_t blockSize = 2048;
  std::string header = px.substr(0, kHeader);
  std::vector<std::string> leaves;
  for (size_t i = 0; i < 34; ++i) leaves.push_back(px.substr(kHeader + 6 + i * kPxEntry, kPxEntry));
  auto block = [&](const std::vector<std::string>& entries) {
    std::string b(blockSize, '\0');
    int16_t add = static_cast<int16_t>((entries.size() - 1) * kPxEntry);
    b[4] = static_cast<char>(add & 0xFF);
    b[5] = static_cast<char>((add >> 8) & 0xFF);
    for (size_t i = 0; i < entries.size(); ++i) b.replace(6 + i * kPxEntry, kPxEntry, entries[i]);
    return b;
  };
  std::vector<std::string> a(leaves.begin(), leaves.begin() + 17), b(leaves.begin() + 17, leaves.end());
  std::string r1 = a[0], r2 = b[0];
  PutShortBE(&r1, 8, 1);
  PutShortBE(&r2, 8, 2);
  header[0x0A] = 3;   // blocks in use
  header[0x0C] = 3;   // blocks in the file
  header[0x1E] = 3;   // root block
  header[0x20] = 2;   // levels
  header[0x06] = 36;  // entries on all levels
  o.bytes("orders.px") = header + block(a) + block(b) + block({r1, r2});
  auto t = o.Open();
  ASSERT_TRUE(t);
  std::unique_ptr<pdx::PrimaryOrder> order;
  ASSERT_TRUE(pdx::PrimaryOrder::Open(*t, &order).ok());
  ASSERT_NE(order->tree(), nullptr);
  EXPECT_EQ(order->tree()->leaves().size(), 34u);
  EXPECT_EQ(order->records().size(), 205u);
  EXPECT_TRUE(Check(*t).empty());
  auto cur = t->NewCursor();
  bool found = false;
  ASSERT_TRUE(cur->Seek({pdx::Value::Double(1100)}, &found).ok());
  EXPECT_TRUE(found);
  // A root entry pointing back at the root is a loop, not a hang.
  std::string& loop = o.bytes("orders.px");
  PutShortBE(&loop, kHeader + 2 * blockSize + 6 + 8, 3);
  auto t2 = o.Open();
  ASSERT_TRUE(t2);
  EXPECT_TRUE(Mentions(Check(*t2), "orders.px", "reached twice"));
}

TEST(IndexDamage, UnknownSortOrderReadsButRefusesAlphaSearches) {
  REQUIRE_SAMPLES();
  auto env = pdx::NewMemEnv();
  ASSERT_TRUE(env->CreateDir("/t").ok());
  for (const char* n : {"country.db", "country.px"}) {
    std::string data = testutil::ReadFile(testutil::SamplesDir() + "/dbdemos/" + n);
    size_t at = data.find("intl850");
    if (at != std::string::npos && at < kHeader) data.replace(at, 7, "klingon");
    std::unique_ptr<pdx::WritableFile> f;
    ASSERT_TRUE(env->NewWritableFile(std::string("/t/") + n, &f).ok());
    ASSERT_TRUE(f->Append(data.data(), data.size()).ok());
    ASSERT_TRUE(f->Close().ok());
  }
  std::unique_ptr<pdx::TableImpl> t;
  ASSERT_TRUE(pdx::TableImpl::OpenImpl(env.get(), "/t", "country", &t).ok());
  EXPECT_EQ(t->info().sortOrder, "klingon");
  auto cur = t->NewCursor();
  bool found = false;
  pdx::Status s = cur->Seek({pdx::Value::Text("Peru")}, &found);
  EXPECT_TRUE(s.IsNotSupported()) << s.ToString();
  EXPECT_NE(s.message().find("klingon"), std::string::npos);
  ASSERT_TRUE(cur->SetOrderPrimary().ok());
  ASSERT_TRUE(cur->First().ok());
  std::string v;
  ASSERT_TRUE(cur->GetText(1, &v).ok());
  EXPECT_EQ(v, "Argentina");
  EXPECT_TRUE(Check(*t).empty());
}

TEST(IndexDamage, IndexFilesAreFoundWithoutRegardToCase) {
  REQUIRE_SAMPLES();
  Orders o;
  o.Rename("orders.db", "ORDERS.DB");
  o.Rename("orders.x02", "Orders.X02");
  o.Rename("orders.y02", "ORDERS.y02");
  o.Rename("orders.px", "OrDeRs.Px");
  auto t = o.Open();
  ASSERT_TRUE(t);
  ASSERT_EQ(t->info().indexes.size(), 2u);
  EXPECT_EQ(t->info().indexes[1].file, "Orders.X02");
  EXPECT_TRUE(Check(*t).empty());
  auto cur = t->NewCursor();
  EXPECT_TRUE(cur->SetOrderIndex("CustNo").ok());
}

}  // namespace
