// Record views and scan plans read exactly what GetValues reads: on tables
// written with every kind of value (blanks, signs, accents, long texts, more
// fields than one vector holds), on every sample, through the vector path and
// the scalar one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>

#include "paradox/record_view.h"
#include "paradox/table.h"
#include "paradox/writer.h"
#include "support/field_defs.h"
#include "support/test_util.h"

namespace {

using pdx::FieldType;
using pdx::Value;
using testutil::Field;

struct Kinds {
  std::vector<int> ints, doubles, texts;
};

// Every field a plan can hold, by kind.
Kinds KindsOf(const pdx::TableInfo& info) {
  Kinds k;
  for (size_t i = 0; i < info.fields.size(); ++i) {
    const int f = static_cast<int>(i) + 1;
    switch (info.fields[i].type) {
      case FieldType::kShort:
      case FieldType::kLong:
      case FieldType::kAutoInc: k.ints.push_back(f); break;
      case FieldType::kNumber:
      case FieldType::kMoney:
      case FieldType::kDate:
      case FieldType::kTime:
      case FieldType::kTimestamp: k.doubles.push_back(f); break;
      case FieldType::kAlpha: k.texts.push_back(f); break;
      default: break;
    }
  }
  return k;
}

// Scans the table three ways (values, a plan on the given vector path, a
// scalar plan) and compares every field of every record; the record views' own
// accessors too. Returns the records seen.
uint64_t ExpectScansAgree(pdx::Table* table, pdx::ScanPath path, bool* vectorized = nullptr) {
  const pdx::TableInfo& info = table->info();
  const Kinds k = KindsOf(info);
  pdx::ScanPlan vec, scalar;
  const auto size = static_cast<uint32_t>(info.recordSize);
  EXPECT_TRUE(pdx::ScanPlan::Make(info.slots, size, k.ints, k.doubles, k.texts, &vec, path).ok());
  EXPECT_TRUE(pdx::ScanPlan::Make(info.slots, size, k.ints, k.doubles, k.texts, &scalar).ok());
  scalar.DisableVectors();
  if (vectorized) *vectorized = vec.vectorized();
  if (vec.vectorized()) {
    EXPECT_EQ(vec.path(), path);
  }
  std::vector<int32_t> ints[2] = {std::vector<int32_t>(k.ints.size()), std::vector<int32_t>(k.ints.size())};
  std::vector<double> doubles[2] = {std::vector<double>(k.doubles.size()), std::vector<double>(k.doubles.size())};
  std::vector<std::string_view> texts[2] = {std::vector<std::string_view>(k.texts.size()),
                                            std::vector<std::string_view>(k.texts.size())};
  auto cur = table->NewCursor();
  std::vector<Value> values;
  std::vector<pdx::RecordView> views;
  uint64_t n = 0;
  for (pdx::Status s = cur->First(); s.ok() && !cur->AtEnd(); s = cur->Next()) {
    EXPECT_TRUE(cur->GetRecordViews(&views).ok());
    // The whole block at once gives what record by record gives (below).
    const size_t nb = views.size();
    std::vector<int32_t> bi(nb * k.ints.size());
    std::vector<double> bd(nb * k.doubles.size());
    std::vector<std::string_view> bt(nb * k.texts.size());
    EXPECT_TRUE(vec.DecodeBlock(views.data(), nb, bi.data(), bd.data(), bt.data()));
    std::vector<std::string> blockTexts(bt.begin(), bt.end());  // the next Decode reuses the buffer
    for (size_t b = 0; b < views.size(); ++b, ++n) {
      const pdx::RecordView& view = views[b];
      EXPECT_TRUE(vec.Decode(view, ints[0].data(), doubles[0].data(), texts[0].data()));
      EXPECT_TRUE(scalar.Decode(view, ints[1].data(), doubles[1].data(), texts[1].data()));
      for (size_t i = 0; i < k.ints.size(); ++i) EXPECT_EQ(bi[b * k.ints.size() + i], ints[1][i]);
      for (size_t i = 0; i < k.doubles.size(); ++i)
        EXPECT_EQ(std::memcmp(&bd[b * k.doubles.size() + i], &doubles[1][i], sizeof(double)), 0) << "record " << n;
      for (size_t i = 0; i < k.texts.size(); ++i) EXPECT_EQ(blockTexts[b * k.texts.size() + i], texts[1][i]);
      for (int w = 0; w < 2; ++w) {
        for (size_t i = 0; i < k.ints.size(); ++i) EXPECT_EQ(ints[w][i], view.Int(k.ints[i])) << "record " << n;
        for (size_t i = 0; i < k.doubles.size(); ++i) {
          const double want = view.Double(k.doubles[i]);
          EXPECT_TRUE(doubles[w][i] == want || (std::isnan(want) && std::isnan(doubles[w][i])))
              << "record " << n << " field " << k.doubles[i] << ": " << doubles[w][i] << " vs " << want;
          EXPECT_EQ(std::signbit(doubles[w][i]), std::signbit(want)) << "record " << n;
        }
        std::string scratch;
        for (size_t i = 0; i < k.texts.size(); ++i)
          EXPECT_EQ(texts[w][i], view.Text(k.texts[i], &scratch)) << "record " << n << " field " << k.texts[i];
      }
    }
  }
  // The views' accessors against GetValues, record by record.
  uint64_t m = 0;
  for (pdx::Status s = cur->First(); s.ok() && !cur->AtEnd(); s = cur->Next(), ++m) {
    pdx::RecordView view;
    EXPECT_TRUE(cur->GetRecordView(&view).ok());
    (void)cur->GetValues(&values);  // blob failures leave the other fields filled
    std::string scratch;
    for (int f = 1; f <= view.fieldCount(); ++f) {
      const Value& v = values[f - 1];
      const FieldType t = info.fields[f - 1].type;
      EXPECT_EQ(view.IsBlank(f), v.blank) << "record " << m << " field " << f;
      switch (t) {
        case FieldType::kShort:
        case FieldType::kLong:
        case FieldType::kAutoInc: EXPECT_EQ(view.Int(f), v.blank ? 0 : v.i); break;
        case FieldType::kLogical: EXPECT_EQ(view.Int(f), v.blank ? 0 : (v.b ? 1 : 0)); break;
        case FieldType::kNumber:
        case FieldType::kMoney:
        case FieldType::kDate:
        case FieldType::kTime:
        case FieldType::kTimestamp: EXPECT_EQ(view.Double(f), v.blank ? 0 : v.d) << "record " << m; break;
        case FieldType::kAlpha:
        case FieldType::kBcd:
        case FieldType::kBytes: EXPECT_EQ(view.Text(f, &scratch), v.blank ? "" : v.text) << "record " << m; break;
        default: break;
      }
    }
  }
  EXPECT_EQ(n, m);
  return n;
}

// A table of random values, blanks included, large enough to be read in
// several windows. shorts: how many short fields (more than 32 leaves the vector path).
void MakeRandomTable(const std::string& dir, int shorts, bool longTexts, int records, unsigned seed) {
  pdx::TableDefinition d;
  d.fields.push_back(Field("Id", FieldType::kLong));
  for (int i = 0; i < shorts; ++i) d.fields.push_back(Field("S" + std::to_string(i), FieldType::kShort));
  std::vector<uint16_t> alphaSizes = {1, 2, 7, 8, 9, 50, 63};
  if (longTexts) alphaSizes.insert(alphaSizes.end(), {64, 100});
  for (uint16_t a : alphaSizes) d.fields.push_back(Field("A" + std::to_string(a), FieldType::kAlpha, a));
  for (int i = 0; i < 9; ++i) d.fields.push_back(Field("N" + std::to_string(i), FieldType::kNumber));
  d.fields.push_back(Field("Prix", FieldType::kMoney));
  d.fields.push_back(Field("Jour", FieldType::kDate));
  d.fields.push_back(Field("Heure", FieldType::kTime));
  d.fields.push_back(Field("Quand", FieldType::kTimestamp));
  d.fields.push_back(Field("L", FieldType::kLong));
  d.keyFieldCount = 1;
  d.codePage = 1252;
  d.sortOrder = "ANSIINTL";
  std::unique_ptr<pdx::TableWriter> w;
  ASSERT_TRUE(pdx::TableWriter::Create(pdx::Env::Default(), dir, "SCAN.DB", d, {}, &w).ok());
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const char* words[] = {"", "a", "Élève", "façade", "ABCDEFGH", "porte-fenêtre", "€uro", "x"};
  for (int r = 0; r < records; ++r) {
    std::vector<Value> v(d.fields.size());
    v[0] = Value::Int(r + 1);
    for (size_t f = 1; f < d.fields.size(); ++f) {
      if (pick(7) == 0) continue;  // blank
      const pdx::FieldDesc& fd = d.fields[f];
      switch (fd.type) {
        case FieldType::kShort: {
          const int choices[] = {-32767, -1, 0, 1, 32767, pick(65535) - 32767};
          v[f] = Value::Int(choices[pick(6)]);
          break;
        }
        case FieldType::kLong: v[f] = Value::Int(static_cast<int32_t>(rng()) | 1); break;
        case FieldType::kNumber:
        case FieldType::kMoney: {
          const double choices[] = {0.0, -0.0, 1.5, -1.5, 1e300, -1e-300, 123456.789, -98765.4321,
                                    std::ldexp(static_cast<double>(rng()), -pick(40))};
          v[f] = Value::Double(choices[pick(9)]);
          break;
        }
        case FieldType::kDate: v[f] = Value::Double(36000 + pick(20000)); break;
        case FieldType::kTime: v[f] = Value::Double(pick(86400000) / 86400000.0); break;
        case FieldType::kTimestamp: v[f] = Value::Double(36000 + pick(20000) + pick(86400) / 86400.0); break;
        case FieldType::kAlpha: {
          std::string t;
          while (t.size() < fd.size) {
            std::string w2 = words[pick(8)];
            if (t.size() + w2.size() > fd.size) break;
            t += w2;
            if (pick(3) == 0) break;
          }
          // Fill some fields to the last byte (no NUL stored).
          if (pick(4) == 0) t = std::string(fd.size, static_cast<char>('A' + pick(26)));
          if (!t.empty()) v[f] = Value::Text(t);
          break;
        }
        default: break;
      }
    }
    pdx::Status s = w->Insert(v);
    ASSERT_TRUE(s.ok()) << s.ToString();
  }
  ASSERT_TRUE(w->Close().ok());
}

// The vector paths this processor runs; says which it lacks.
std::vector<pdx::ScanPath> VectorPaths() {
  std::vector<pdx::ScanPath> out;
  for (pdx::ScanPath p : {pdx::ScanPath::kAvx2, pdx::ScanPath::kAvx512}) {
    if (pdx::ScanPathSupported(p))
      out.push_back(p);
    else
      std::printf("[   NOTE   ] this processor lacks the %s path: it is not compared here\n", pdx::ScanPathName(p));
  }
  return out;
}

TEST(ScanPlan, AgreesWithValuesOnRandomTables) {
  // Texts of up to 63 bytes go the vector way with the shorts and numbers;
  // longer ones send the texts the scalar way; over 32 ints, everything on
  // the AVX-512 path (AVX2 takes any number).
  struct Case {
    int shorts;
    bool longTexts;
    bool avx512;
  };
  const auto paths = VectorPaths();
  for (const Case& c : {Case{29, false, true}, Case{29, true, true}, Case{40, false, false}}) {
    SCOPED_TRACE(std::to_string(c.shorts) + " shorts, long texts " + std::to_string(c.longTexts));
    testutil::TempDir dir;
    MakeRandomTable(dir.path(), c.shorts, c.longTexts, 4000, static_cast<unsigned>(c.shorts + c.longTexts));
    std::unique_ptr<pdx::Table> t;
    ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), dir.path(), "scan.db", &t).ok());
    ASSERT_GE(std::filesystem::file_size(dir.file("SCAN.DB")), 1u << 20) << "should span several read windows";
    for (pdx::ScanPath path : paths) {
      SCOPED_TRACE(pdx::ScanPathName(path));
      bool vectorized = false;
      EXPECT_EQ(ExpectScansAgree(t.get(), path, &vectorized), 4000u);
      EXPECT_EQ(vectorized, path == pdx::ScanPath::kAvx2 || c.avx512);
    }
  }
}

// Few fields, short records, texts near the record's end: the AVX2 windows are
// pulled back so as not to read past the record (a table read record by record
// from a small file, in one window).
TEST(ScanPlan, AgreesOnShortRecordsWithFieldsAtTheEnd) {
  struct Layout {
    std::vector<pdx::FieldDesc> fields;
  };
  const std::vector<Layout> layouts = {
      {{Field("S", FieldType::kShort), Field("N", FieldType::kNumber), Field("A", FieldType::kAlpha, 3)}},  // 13 bytes
      {{Field("A", FieldType::kAlpha, 9), Field("S", FieldType::kShort), Field("T", FieldType::kShort), Field("N", FieldType::kMoney)}},
      {{Field("A", FieldType::kAlpha, 40), Field("N", FieldType::kNumber), Field("B", FieldType::kAlpha, 20), Field("S", FieldType::kShort),
        Field("C", FieldType::kAlpha, 5)}},
  };
  for (size_t l = 0; l < layouts.size(); ++l) {
    SCOPED_TRACE("layout " + std::to_string(l));
    testutil::TempDir dir;
    pdx::TableDefinition d;
    d.fields = layouts[l].fields;
    d.codePage = 1252;
    std::unique_ptr<pdx::TableWriter> w;
    ASSERT_TRUE(pdx::TableWriter::Create(pdx::Env::Default(), dir.path(), "PETIT.DB", d, {}, &w).ok());
    for (int r = 0; r < 300; ++r) {
      std::vector<Value> v;
      for (const auto& f : d.fields) {
        if ((r + static_cast<int>(v.size())) % 5 == 0) {
          v.push_back(Value::Blank());
        } else if (f.type == FieldType::kAlpha) {
          const std::string word = r % 3 ? "Élan" : "zz";
          v.push_back(Value::Text(std::string(word + std::string(f.size, 'q')).substr(0, r % 7 ? f.size - r % 2 : f.size)));
        } else if (f.type == FieldType::kShort) {
          v.push_back(Value::Int(r % 2 ? -r : r));
        } else {
          v.push_back(Value::Double(r % 2 ? -r * 1.5 : r / 3.0));
        }
      }
      ASSERT_TRUE(w->Insert(v).ok());
    }
    ASSERT_TRUE(w->Close().ok());
    std::unique_ptr<pdx::Table> t;
    ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), dir.path(), "petit.db", &t).ok());
    for (pdx::ScanPath path : VectorPaths()) {
      SCOPED_TRACE(pdx::ScanPathName(path));
      EXPECT_EQ(ExpectScansAgree(t.get(), path), 300u);
    }
  }
}

TEST(ScanPath, NamesParseAndResolveToWhatTheProcessorHas) {
  for (pdx::ScanPath p : {pdx::ScanPath::kScalar, pdx::ScanPath::kAvx2, pdx::ScanPath::kAvx512})
    EXPECT_EQ(pdx::ParseScanPath(pdx::ScanPathName(p)), p);
  EXPECT_EQ(pdx::ParseScanPath(nullptr), pdx::ScanPath::kAuto);
  EXPECT_EQ(pdx::ParseScanPath("AVX2 "), pdx::ScanPath::kAuto);
  EXPECT_EQ(pdx::ResolveScanPath(pdx::ScanPath::kScalar), pdx::ScanPath::kScalar);
  const pdx::ScanPath best = pdx::ResolveScanPath(pdx::ScanPath::kAvx512);
  EXPECT_TRUE(pdx::ScanPathSupported(best));
  if (!pdx::ScanPathSupported(pdx::ScanPath::kAvx512)) {
    EXPECT_NE(best, pdx::ScanPath::kAvx512);
  }
  // A plan asked for the scalar path has no vectors.
  std::vector<pdx::FieldSlot> layout = {{0, 2, 0, FieldType::kShort}, {2, 8, 0, FieldType::kNumber}};
  pdx::ScanPlan p;
  ASSERT_TRUE(pdx::ScanPlan::Make(layout, 80, {1}, {2}, {}, &p, pdx::ScanPath::kScalar).ok());
  EXPECT_FALSE(p.vectorized());
  EXPECT_EQ(p.path(), pdx::ScanPath::kScalar);
}

TEST(ScanPlan, AgreesWithValuesOnEverySample) {
  REQUIRE_SAMPLES();
  int tables = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(testutil::SamplesDir())) {
    std::string ext = e.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ext != ".DB") continue;
    std::unique_ptr<pdx::Table> t;
    if (!pdx::Table::Open(pdx::Env::Default(), e.path().parent_path().string(), e.path().filename().string(), &t)
             .ok())
      continue;  // the damaged samples have tests of their own
    SCOPED_TRACE(e.path().string());
    for (pdx::ScanPath path : VectorPaths()) ExpectScansAgree(t.get(), path);
    ++tables;
  }
  EXPECT_GE(tables, 8);
}

TEST(ScanPlan, RefusesFieldsItCannotHold) {
  std::vector<pdx::FieldSlot> layout = {{0, 10, 0, FieldType::kAlpha}, {10, 2, 0, FieldType::kShort},
                                        {12, 10, 0, FieldType::kMemo}, {22, 8, 0, FieldType::kNumber}};
  pdx::ScanPlan p;
  EXPECT_TRUE(pdx::ScanPlan::Make(layout, 30, {2}, {4}, {1}, &p).ok());
  EXPECT_TRUE(pdx::ScanPlan::Make(layout, 30, {1}, {}, {}, &p).IsInvalidArgument());   // alpha as int
  EXPECT_TRUE(pdx::ScanPlan::Make(layout, 30, {}, {}, {3}, &p).IsInvalidArgument());   // memo as text
  EXPECT_TRUE(pdx::ScanPlan::Make(layout, 30, {0}, {}, {}, &p).IsInvalidArgument());   // no field 0
  EXPECT_TRUE(pdx::ScanPlan::Make(layout, 30, {}, {5}, {}, &p).IsInvalidArgument());   // past the last
  EXPECT_TRUE(pdx::ScanPlan::Make(layout, 20, {}, {4}, {}, &p).IsInvalidArgument());   // outside the record

  // A view of a record laid out otherwise is refused, nothing written.
  ASSERT_TRUE(pdx::ScanPlan::Make(layout, 30, {2}, {4}, {1}, &p).ok());
  const char rec[40] = {};
  pdx::RecordView other(rec, 40, layout.data(), 4, nullptr);
  int32_t i = 7;
  double d = 7;
  std::string_view s = "x";
  EXPECT_FALSE(p.Decode(other, &i, &d, &s));
  EXPECT_FALSE(p.Decode(pdx::RecordView(), &i, &d, &s));
  EXPECT_EQ(i, 7);
  EXPECT_EQ(s, "x");
}

TEST(RecordView, OutOfRangeAndMismatchedFieldsReadBlank) {
  std::vector<pdx::FieldSlot> layout = {{0, 2, 0, FieldType::kShort}, {2, 4, 0, FieldType::kAlpha}};
  const char rec[6] = {'\x80', '\x05', 'a', 'b', 0, 0};
  pdx::RecordView v(rec, 6, layout.data(), 2, nullptr);
  std::string scratch;
  EXPECT_EQ(v.Int(1), 5);
  EXPECT_EQ(v.Text(2, &scratch), "ab");
  EXPECT_EQ(v.Int(2), 0);           // alpha asked as a number
  EXPECT_EQ(v.Text(1, &scratch), "");  // short asked as text
  EXPECT_TRUE(v.IsBlank(0));
  EXPECT_TRUE(v.IsBlank(3));
  EXPECT_EQ(v.Int(3), 0);
  // A slot reaching past the record is never read.
  const pdx::FieldSlot wild{5, 4, 0, FieldType::kAlpha};
  EXPECT_EQ(v.Text(wild, &scratch), "");
  EXPECT_TRUE(v.IsBlank(wild));
}

TEST(RecordViews, BatchesCoverTheTableOnceInOrder) {
  REQUIRE_SAMPLES();
  std::unique_ptr<pdx::Table> t;
  ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), testutil::SamplesDir() + "/dbdemos", "customer.db", &t).ok());
  // Stored order: batches of whole blocks, their records in the order Next
  // walks them.
  std::vector<double> walked, batched;  // CustNo
  auto cur = t->NewCursor();
  double d = 0;
  for (pdx::Status st = cur->First(); st.ok() && !cur->AtEnd(); st = cur->Next()) {
    ASSERT_TRUE(cur->GetDouble(1, &d).ok());
    walked.push_back(d);
  }
  std::vector<pdx::RecordView> views;
  size_t batches = 0;
  for (pdx::Status st = cur->First(); st.ok() && !cur->AtEnd(); st = cur->Next(), ++batches) {
    ASSERT_TRUE(cur->GetRecordViews(&views).ok());
    ASSERT_FALSE(views.empty());
    for (const auto& v : views) batched.push_back(v.Double(1));
    // The cursor stands on the batch's last record.
    ASSERT_TRUE(cur->GetDouble(1, &d).ok());
    EXPECT_EQ(d, batched.back());
  }
  EXPECT_EQ(batched, walked);
  EXPECT_LT(batches, walked.size());

  // An index order gives one record at a time.
  ASSERT_TRUE(cur->SetOrderIndex("ByCompany").ok());
  ASSERT_TRUE(cur->First().ok());
  ASSERT_TRUE(cur->GetRecordViews(&views).ok());
  EXPECT_EQ(views.size(), 1u);
  cur->ClearRange();
  while (!cur->AtEnd()) ASSERT_TRUE(cur->Next().ok());
  EXPECT_TRUE(cur->GetRecordViews(&views).IsInvalidArgument());
}

}  // namespace
