// Scans reading through windows (file/window_reader.h): the block chain and the
// blob reader. What is checked: the bytes are the file's wherever the scan
// jumps; a forward scan costs few reads and a jump costs no window; a file cut
// short gives Corruption, a failing read an I/O error naming the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "paradox/env_wrapper.h"
#include "paradox/file/window_reader.h"
#include "paradox/table.h"
#include "paradox/writer.h"
#include "support/test_util.h"
#include "support/field_defs.h"

namespace {

using pdx::FieldDesc;
using pdx::FieldType;
using pdx::Status;
using pdx::Value;

// A file held in memory that can claim a larger size than it holds (a file
// cut short behind the reader's back) and fail its reads from an offset on.
class FakeFile final : public pdx::RandomAccessFile {
 public:
  explicit FakeFile(std::string data) : data_(std::move(data)), size_(data_.size()) {}
  Status Read(uint64_t offset, size_t n, char* scratch, size_t* got) const override {
    ++reads;
    *got = 0;
    if (offset + n > failFrom) return Status::IOError("fake.db: read: Input/output error");
    if (offset >= data_.size()) return Status::OK();
    *got = std::min<size_t>(n, data_.size() - offset);
    std::memcpy(scratch, data_.data() + offset, *got);
    return Status::OK();
  }
  uint64_t Size() const override { return size_; }
  size_t PreferredReadBytes() const override { return preferred; }

  std::string data_;
  uint64_t size_;
  uint64_t failFrom = ~0ull;
  size_t preferred = 0;
  mutable int reads = 0;
};

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 31 + i / 977);
  return s;
}

TEST(WindowReader, ServesTheFileBytesForwardJumpsAndBackWithFewReads) {
  const std::string data = Pattern(100000);
  FakeFile f(data);
  pdx::WindowReader w(&f, "fake.db", 8192);
  const char* p = nullptr;
  // A forward scan of 1 KiB blocks: one read per 8 KiB window.
  for (uint64_t off = 0; off + 1024 <= 40960; off += 1024) {
    ASSERT_TRUE(w.View(off, 1024, &p).ok());
    ASSERT_EQ(std::string(p, 1024), data.substr(off, 1024)) << off;
  }
  EXPECT_EQ(w.reads(), 5u);
  // A jump back reads only the bytes asked for...
  ASSERT_TRUE(w.View(2048, 1024, &p).ok());
  EXPECT_EQ(std::string(p, 1024), data.substr(2048, 1024));
  EXPECT_EQ(f.reads, 6);
  // ...and so does a jump far ahead; the block after it brings a window again.
  ASSERT_TRUE(w.View(80000, 1024, &p).ok());
  EXPECT_EQ(std::string(p, 1024), data.substr(80000, 1024));
  ASSERT_TRUE(w.View(81024, 1024, &p).ok());
  EXPECT_EQ(std::string(p, 1024), data.substr(81024, 1024));
  ASSERT_TRUE(w.View(85000, 3000, &p).ok());
  EXPECT_EQ(std::string(p, 3000), data.substr(85000, 3000));
  EXPECT_EQ(w.reads(), 8u);
  // The window ends at the end of the file; a request larger than a window is whole.
  ASSERT_TRUE(w.View(99990, 10, &p).ok());
  EXPECT_EQ(std::string(p, 10), data.substr(99990));
  ASSERT_TRUE(w.View(1000, 30000, &p).ok());
  EXPECT_EQ(std::string(p, 30000), data.substr(1000, 30000));
}

TEST(WindowReader, AFileThatPrefersLargerRequestsGetsThem) {
  // A file on a network share asks for 32 KiB at a time: a scan of 1 KiB
  // blocks then reads 32 KiB windows, jumps still read only what they ask.
  const std::string data = Pattern(100000);
  FakeFile f(data);
  f.preferred = 32768;
  pdx::WindowReader w(&f, "fake.db", 8192);
  const char* p = nullptr;
  for (uint64_t off = 0; off + 1024 <= 65536; off += 1024) {
    ASSERT_TRUE(w.View(off, 1024, &p).ok());
    ASSERT_EQ(std::string(p, 1024), data.substr(off, 1024)) << off;
  }
  EXPECT_EQ(w.reads(), 2u);
  ASSERT_TRUE(w.View(4096, 1024, &p).ok());
  EXPECT_EQ(std::string(p, 1024), data.substr(4096, 1024));
  EXPECT_EQ(w.reads(), 3u);
  // A smaller preference than the reader's own leaves the reader's.
  FakeFile g(data);
  g.preferred = 1024;
  pdx::WindowReader v(&g, "fake.db", 8192);
  for (uint64_t off = 0; off + 1024 <= 16384; off += 1024) ASSERT_TRUE(v.View(off, 1024, &p).ok());
  EXPECT_EQ(v.reads(), 2u);
}

TEST(WindowReader, StartsAWindowBehindTheRequestWhenAsked) {
  const std::string data = Pattern(50000);
  FakeFile f(data);
  pdx::WindowReader w(&f, "fake.db", 8192, 4096);
  const char* p = nullptr;
  ASSERT_TRUE(w.View(100, 10, &p).ok());       // window 0 .. 8191 (cannot start before 0)
  ASSERT_TRUE(w.View(9000, 10, &p).ok());      // on forward: 4904 .. 13095
  ASSERT_TRUE(w.View(5000, 10, &p).ok());      // a step back inside it
  EXPECT_EQ(std::string(p, 10), data.substr(5000, 10));
  EXPECT_EQ(w.reads(), 2u);
}

TEST(WindowReader, PastTheEndOrAFileCutShortIsCorruptionAndAFailedReadItsOwnError) {
  const std::string data = Pattern(10000);
  FakeFile f(data);
  pdx::WindowReader w(&f, "fake.db", 4096);
  const char* p = nullptr;
  Status s = w.View(9000, 2000, &p);
  EXPECT_TRUE(s.IsCorruption()) << s.ToString();
  EXPECT_NE(s.message().find("fake.db"), std::string::npos) << s.ToString();
  // The file says 20000 bytes but holds 10000: cut short after it was opened.
  f.size_ = 20000;
  s = w.View(9500, 1024, &p);
  EXPECT_TRUE(s.IsCorruption()) << s.ToString();
  EXPECT_NE(s.message().find("fake.db"), std::string::npos) << s.ToString();
  // Reads failing: the file's I/O error comes back as it is, and the window
  // holds nothing stale afterwards.
  f.size_ = data.size();
  f.failFrom = 6000;
  s = w.View(5000, 2000, &p);
  EXPECT_TRUE(s.IsIOError()) << s.ToString();
  f.failFrom = ~0ull;
  ASSERT_TRUE(w.View(5000, 2000, &p).ok());
  EXPECT_EQ(std::string(p, 2000), data.substr(5000, 2000));
}


// An Env whose files named `victim` fail every read that reaches `from`.
class FailingReads final : public pdx::EnvWrapper {
 public:
  FailingReads(pdx::Env* base, std::string victim, uint64_t from)
      : EnvWrapper(base), victim_(std::move(victim)), from_(from) {}
  Status NewRandomAccessFile(const std::string& path, std::unique_ptr<pdx::RandomAccessFile>* out) override {
    std::unique_ptr<pdx::RandomAccessFile> f;
    Status s = target()->NewRandomAccessFile(path, &f);
    if (!s.ok()) return s;
    if (path.size() < victim_.size() || path.compare(path.size() - victim_.size(), victim_.size(), victim_) != 0) {
      *out = std::move(f);
      return s;
    }
    *out = std::make_unique<Failing>(std::move(f), path, from_);
    return s;
  }

 private:
  class Failing final : public pdx::RandomAccessFile {
   public:
    Failing(std::unique_ptr<pdx::RandomAccessFile> f, std::string path, uint64_t from)
        : f_(std::move(f)), path_(std::move(path)), from_(from) {}
    Status Read(uint64_t offset, size_t n, char* scratch, size_t* got) const override {
      if (offset + n > from_) {
        *got = 0;
        return Status::IOError(path_ + ": read: Input/output error");
      }
      return f_->Read(offset, n, scratch, got);
    }
    uint64_t Size() const override { return f_->Size(); }

   private:
    std::unique_ptr<pdx::RandomAccessFile> f_;
    std::string path_;
    uint64_t from_;
  };
  std::string victim_;
  uint64_t from_;
};

// LIGNE.DB: 3000 records of about 110 bytes in 2 KiB blocks (well over one
// window), memos of every kind in LIGNE.MB.
std::vector<std::string> MakeLines(pdx::Env* env, const std::string& dir) {
  pdx::TableDefinition def;
  def.fields = {testutil::Field("Num", FieldType::kLong, 4), testutil::Field("Xml", FieldType::kMemo, 20), testutil::Field("Nom", FieldType::kAlpha, 80)};
  def.keyFieldCount = 1;
  std::unique_ptr<pdx::TableWriter> w;
  EXPECT_TRUE(pdx::TableWriter::Create(env, dir, "LIGNE", def, {}, &w).ok());
  std::vector<std::string> memos;
  for (int i = 0; i < 3000; ++i) {
    std::string m;
    if (i % 7 == 1) m = "court";  // in the record (its first 10 bytes are)
    else if (i % 7 == 2) m = "<L>" + std::string(5000, 'x') + "<Eco-Participation/></L>";  // whole blocks
    else if (i % 7 != 0) m = "<Ligne n=\"" + std::to_string(i) + "\">é</Ligne>";           // sub-allocated
    memos.push_back(m);
    EXPECT_TRUE(w->Insert({Value::Int(i + 1), m.empty() ? Value::Blank() : Value::Text(m),
                           Value::Text("nom " + std::to_string(i * 7919))})
                    .ok());
  }
  EXPECT_TRUE(w->Close().ok());
  return memos;
}

// Reads every record in stored order; the status of the first failure.
Status ScanAll(pdx::Table* t, std::vector<int64_t>* nums) {
  auto c = t->NewCursor();
  Status s = c->First();
  for (; s.ok() && !c->AtEnd(); s = c->Next()) {
    int64_t v = 0;
    Status g = c->GetInt(1, &v);
    if (!g.ok()) return g;
    nums->push_back(v);
  }
  return s;
}

TEST(WindowedScan, ChainOutOfFileOrderReadsTheSameRecords) {
  testutil::TempDir dir;
  pdx::Env* env = pdx::Env::Default();
  MakeLines(env, dir.path());
  std::vector<int64_t> before;
  {
    std::unique_ptr<pdx::Table> t;
    ASSERT_TRUE(pdx::Table::Open(env, dir.path(), "LIGNE", &t).ok());
    ASSERT_TRUE(ScanAll(t.get(), &before).ok());
    ASSERT_EQ(before.size(), 3000u);
  }
  // Relink the chain backwards through the file: every block is then outside
  // the window the one before it brought.
  std::string bytes = testutil::ReadFile(dir.file("LIGNE.DB"));
  auto u16 = [&](size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
  };
  auto put16 = [&](size_t at, uint16_t v) {
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>(v >> 8);
  };
  const size_t headerSize = u16(2);
  const size_t blockSize = static_cast<size_t>(static_cast<uint8_t>(bytes[5])) * 1024;
  const size_t blocks = u16(0x0A);  // blocks in use
  ASSERT_GT(blocks, 100u);
  ASSERT_LE(headerSize + blocks * blockSize, bytes.size());
  // The chain must run 1, 2, ... n as written for the relinking to hold.
  for (size_t b = 1; b <= blocks; ++b) ASSERT_EQ(u16(headerSize + (b - 1) * blockSize), b < blocks ? b + 1 : 0);
  for (size_t b = 1; b <= blocks; ++b) {
    const size_t at = headerSize + (b - 1) * blockSize;
    put16(at, static_cast<uint16_t>(b - 1));                          // next
    put16(at + 2, static_cast<uint16_t>(b < blocks ? b + 1 : 0));     // previous
  }
  put16(0x0E, static_cast<uint16_t>(blocks));
  put16(0x10, 1);
  testutil::WriteFile(dir.file("LIGNE.DB"), bytes);
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(env, dir.path(), "LIGNE", &t).ok());
  std::vector<int64_t> after;
  Status s = ScanAll(t.get(), &after);
  ASSERT_TRUE(s.ok()) << s.ToString();
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, before);
}

TEST(WindowedScan, AReadFailingMidScanIsAnIOErrorNamingTheTable) {
  testutil::TempDir dir;
  MakeLines(pdx::Env::Default(), dir.path());
  FailingReads env(pdx::Env::Default(), "LIGNE.DB", 300000);
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(&env, dir.path(), "LIGNE", &t).ok());
  std::vector<int64_t> nums;
  Status s = ScanAll(t.get(), &nums);
  EXPECT_TRUE(s.IsIOError()) << s.ToString();
  EXPECT_NE(s.message().find("LIGNE.DB"), std::string::npos) << s.ToString();
  EXPECT_GT(nums.size(), 0u);
  EXPECT_LT(nums.size(), 3000u);
}

TEST(WindowedScan, ATableFileCutShortIsCorruptionNotACrash) {
  testutil::TempDir dir;
  MakeLines(pdx::Env::Default(), dir.path());
  std::string bytes = testutil::ReadFile(dir.file("LIGNE.DB"));
  testutil::WriteFile(dir.file("LIGNE.DB"), bytes.substr(0, bytes.size() / 2 + 100));
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), dir.path(), "LIGNE", &t).ok());
  std::vector<int64_t> nums;
  Status s = ScanAll(t.get(), &nums);
  EXPECT_TRUE(s.IsCorruption()) << s.ToString();
  EXPECT_NE(s.message().find("LIGNE.DB"), std::string::npos) << s.ToString();
}

// The stored "Xml" bytes of every record, in stored order.
std::vector<std::string> KeptMemos(pdx::Table* t) {
  const pdx::FieldSlot& slot = t->info().slots[1];
  std::vector<std::string> kept;
  auto c = t->NewCursor();
  std::vector<pdx::RecordView> views;
  for (Status s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    EXPECT_TRUE(c->GetRecordViews(&views).ok());
    for (const pdx::RecordView& v : views) kept.emplace_back(v.raw() + slot.offset, slot.size);
  }
  return kept;
}

TEST(BlobReader, GivesWhatDecodeStoredGivesStoredBytesUnconverted) {
  testutil::TempDir dir;
  const std::vector<std::string> memos = MakeLines(pdx::Env::Default(), dir.path());
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), dir.path(), "LIGNE", &t).ok());
  const std::vector<std::string> kept = KeptMemos(t.get());
  ASSERT_EQ(kept.size(), memos.size());
  std::unique_ptr<pdx::BlobReader> r = t->NewBlobReader();
  ASSERT_NE(r, nullptr);
  // In order, then from the end back (a jump for every value).
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t k = 0; k < kept.size(); ++k) {
      const size_t i = pass == 0 ? k : kept.size() - 1 - k;
      std::string_view bytes;
      Status s = r->Bytes(2, kept[i].data(), &bytes);
      ASSERT_TRUE(s.ok()) << s.ToString();
      // The table's code page is 1252: "é" is one byte there.
      std::string expected = memos[i];
      const size_t e = expected.find("é");
      if (e != std::string::npos) expected.replace(e, 2, "\xE9");
      ASSERT_EQ(bytes, expected) << i;
      Value v, w;
      ASSERT_TRUE(r->Decode(2, kept[i].data(), &v).ok());
      ASSERT_TRUE(t->DecodeStored(2, kept[i].data(), &w).ok());
      ASSERT_EQ(v.blank, w.blank) << i;
      ASSERT_EQ(v.text, w.text) << i;
      ASSERT_EQ(v.text, memos[i]) << i;
    }
  }
  std::string_view bytes;
  EXPECT_TRUE(r->Bytes(3, kept[0].data(), &bytes).IsInvalidArgument());
  // A reference past the .MB: Corruption naming the table, nothing read outside.
  std::string faux = kept[2];
  std::memset(faux.data() + faux.size() - 10, 0x7F, 4);  // the offset, after the leading bytes
  Status s = r->Bytes(2, faux.data(), &bytes);
  EXPECT_TRUE(s.IsCorruption()) << s.ToString();
  EXPECT_NE(s.message().find("LIGNE"), std::string::npos) << s.ToString();
}

TEST(BlobReader, FailingOrMissingBlobFileNamesTheTableAndField) {
  testutil::TempDir dir;
  MakeLines(pdx::Env::Default(), dir.path());
  FailingReads env(pdx::Env::Default(), "LIGNE.MB", 20000);
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(&env, dir.path(), "LIGNE", &t).ok());
  const std::vector<std::string> kept = KeptMemos(t.get());
  std::unique_ptr<pdx::BlobReader> r = t->NewBlobReader();
  Status last;
  for (const std::string& k : kept) {
    std::string_view bytes;
    Status s = r->Bytes(2, k.data(), &bytes);
    if (!s.ok()) last = s;
  }
  EXPECT_TRUE(last.IsIOError()) << last.ToString();
  EXPECT_NE(last.message().find("LIGNE"), std::string::npos) << last.ToString();
  EXPECT_NE(last.message().find("\"Xml\""), std::string::npos) << last.ToString();

  t.reset();
  ASSERT_EQ(std::remove(dir.file("LIGNE.MB").c_str()), 0);
  ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), dir.path(), "LIGNE", &t).ok());
  r = t->NewBlobReader();
  std::string_view bytes;
  Status s = r->Bytes(2, kept[2].data(), &bytes);
  EXPECT_TRUE(s.IsNotFound()) << s.ToString();
  // A value held in the record needs no .MB.
  ASSERT_TRUE(r->Bytes(2, kept[1].data(), &bytes).ok());
  EXPECT_EQ(bytes, "court");
}

// Opening reads the first 4 KiB of a file, then the rest of a longer header.
TEST(WindowedScan, AHeaderLongerThanTheFirstReadIsReadWhole) {
  testutil::TempDir dir;
  pdx::TableDefinition def;
  for (int i = 0; i < 250; ++i)
    def.fields.push_back(testutil::Field(("Champ_numero_" + std::to_string(i)), FieldType::kShort, 2));
  def.keyFieldCount = 1;
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Create(pdx::Env::Default(), dir.path(), "LARGE", def, {}, &w).ok());
  std::vector<Value> row;
  for (int i = 0; i < 250; ++i) row.push_back(Value::Int(i + 1));
  ASSERT_TRUE(w->Insert(row).ok());
  ASSERT_TRUE(w->Close().ok());
  const std::string bytes = testutil::ReadFile(dir.file("LARGE.DB"));
  const size_t headerSize = static_cast<uint8_t>(bytes[2]) | static_cast<uint8_t>(bytes[3]) << 8;
  ASSERT_GT(headerSize, 4096u);
  std::unique_ptr<pdx::Table> t;
  Status s = pdx::Table::Open(pdx::Env::Default(), dir.path(), "LARGE", &t);
  ASSERT_TRUE(s.ok()) << s.ToString();
  ASSERT_EQ(t->info().fields.size(), 250u);
  EXPECT_EQ(t->info().fields[249].name, "Champ_numero_249");
  auto c = t->NewCursor();
  ASSERT_TRUE(c->First().ok());
  int64_t v = 0;
  ASSERT_TRUE(c->GetInt(250, &v).ok());
  EXPECT_EQ(v, 250);
  // Cut inside the header: Corruption, as before.
  testutil::WriteFile(dir.file("LARGE.DB"), bytes.substr(0, headerSize - 100));
  s = pdx::Table::Open(pdx::Env::Default(), dir.path(), "LARGE", &t);
  EXPECT_TRUE(s.IsCorruption()) << s.ToString();
}

}  // namespace
