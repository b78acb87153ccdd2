// Collation proofs on the keyed samples: the order the original engine gave
// their records and their secondary index entries is the order our comparison
// gives. And each dbdemos table read in the order of each of its indexes
// matches its XML export sorted the way the index says.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "paradox/codepage.h"
#include "paradox/index/index_secondary.h"
#include "paradox/read/table_impl.h"
#include "support/test_util.h"

namespace {

std::unique_ptr<pdx::TableImpl> Open(const std::string& sub, const std::string& name) {
  std::unique_ptr<pdx::TableImpl> t;
  pdx::Status s = pdx::TableImpl::OpenImpl(pdx::Env::Default(), testutil::SamplesDir() + "/" + sub, name, &t);
  EXPECT_TRUE(s.ok()) << s.ToString();
  return t;
}

pdx::KeyLayout PrimaryLayout(const pdx::FileHeader& h, const pdx::Collation* c) {
  pdx::KeyLayout k;
  k.collation = c;
  for (int i = 0; i < h.keyFieldCount; ++i)
    k.parts.push_back({h.fields[i].type, h.fieldOffsets[i], pdx::StoredFieldSize(h.fields[i])});
  return k;
}

struct Sample {
  const char* dir;
  const char* table;
  const char* sortOrder;
};
const Sample kKeyed[] = {
    {"dbdemos", "country", "intl850"}, {"dbdemos", "customer", "ascii"}, {"dbdemos", "orders", "ascii"},
    {"dbdemos", "parts", "ascii"},     {"dbdemos", "vendors", "ascii"},  {"dbdemos", "biolife", "ascii"},
    {"misc", "TypSammlung.DB", "ANSIINTL"},
};

TEST(CollationSamples, StoredRecordsAreInPrimaryKeyOrder) {
  REQUIRE_SAMPLES();
  for (const Sample& s : kKeyed) {
    auto t = Open(s.dir, s.table);
    ASSERT_TRUE(t);
    const pdx::FileHeader& h = t->db().header();
    EXPECT_EQ(h.sortOrderName, s.sortOrder);
    pdx::Collation c;
    ASSERT_TRUE(pdx::TableCollation(h, &c).ok()) << s.table;
    pdx::KeyLayout k = PrimaryLayout(h, &c);
    pdx::BlockChain chain(&t->db());
    std::string prev;
    size_t n = 0;
    for (;;) {
      bool done = false;
      ASSERT_TRUE(chain.Next(&done).ok());
      if (done) break;
      for (uint32_t i = 0; i < chain.records(); ++i, ++n) {
        std::string rec(chain.record(i), h.recordSize);
        if (!prev.empty()) {
          EXPECT_LT(k.Compare(prev.data(), rec.data()), 0) << s.table << " record " << n + 1;
        }
        prev = rec;
      }
    }
    EXPECT_EQ(n, h.recordCount);
  }
}

TEST(CollationSamples, SecondaryEntriesAreInIndexOrder) {
  REQUIRE_SAMPLES();
  size_t indexes = 0;
  for (const Sample& s : kKeyed) {
    auto t = Open(s.dir, s.table);
    ASSERT_TRUE(t);
    const pdx::FileHeader& h = t->db().header();
    pdx::Collation c;
    ASSERT_TRUE(pdx::TableCollation(h, &c).ok());
    pdx::IndexDiscovery found;
    ASSERT_TRUE(pdx::DiscoverIndexes(t->env(), t->db().path(), h, &found).ok());
    EXPECT_TRUE(found.problems.empty());
    for (const pdx::IndexFiles& f : found.indexes) {
      if (f.desc.primary) continue;
      ++indexes;
      std::unique_ptr<pdx::SecondaryIndex> si;
      ASSERT_TRUE(pdx::SecondaryIndex::Open(t->env(), f, h, &c, &si).ok());
      const auto& e = si->entries();
      ASSERT_EQ(e.size(), h.recordCount);
      for (size_t i = 1; i < e.size(); ++i)
        EXPECT_LT(si->fullKey().Compare(e[i - 1].data(), e[i].data()), 0) << f.desc.file << " entry " << i + 1;
      // A case-insensitive index holds its alpha keys uppercased.
      if (f.desc.caseInsensitive) {
        for (const std::string& x : e) {
          std::string key = x.substr(0, si->primaryKeyOffset());
          EXPECT_EQ(c.Upcased(key), key);
        }
      }
    }
  }
  EXPECT_EQ(indexes, 4u);
}

// ---------------------------------------------------------------------------
// Index orders against the XML exports.

struct XmlTable {
  std::vector<std::string> fields;                     // attribute names in field order
  std::vector<std::map<std::string, std::string>> rows;  // absent = blank
};

XmlTable LoadXml(const std::string& path) {
  XmlTable x;
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_file(path.c_str())) << path;
  for (pugi::xml_node f : doc.child("DATAPACKET").child("METADATA").child("FIELDS").children("FIELD"))
    x.fields.push_back(f.attribute("attrname").value());
  for (pugi::xml_node r : doc.child("DATAPACKET").child("ROWDATA").children("ROW")) {
    std::map<std::string, std::string> row;
    for (pugi::xml_attribute a : r.attributes()) row[a.name()] = a.value();
    x.rows.push_back(std::move(row));
  }
  return x;
}

TEST(CollationSamples, IndexOrdersMatchTheXmlExportsSortedByTheIndex) {
  REQUIRE_SAMPLES();
  size_t orders = 0;
  for (const char* name : {"country", "customer", "orders", "parts", "vendors", "biolife"}) {
    auto t = Open("dbdemos", name);
    ASSERT_TRUE(t);
    const pdx::TableInfo& info = t->info();
    XmlTable x = LoadXml(testutil::SamplesDir() + "/dbdemos/" + name + ".xml");
    ASSERT_EQ(x.rows.size(), info.recordCount) << name;
    pdx::Collation c;
    ASSERT_TRUE(pdx::TableCollation(t->db().header(), &c).ok());
    const pdx::CodePage* cp = t->db().codePage();

    for (const pdx::IndexDesc& d : info.indexes) {
      ++orders;
      // Sort keys: the index fields, then the primary key.
      std::vector<int> keyFields = d.fields;
      for (int i = 1; i <= info.keyFieldCount; ++i) keyFields.push_back(i);
      auto cmpField = [&](int f, const std::map<std::string, std::string>& a,
                          const std::map<std::string, std::string>& b, bool ci) {
        const std::string& n = x.fields[f - 1];
        auto ia = a.find(n), ib = b.find(n);
        bool ba = ia == a.end(), bb = ib == b.end();
        if (ba || bb) return ba == bb ? 0 : (ba ? -1 : 1);
        if (info.fields[f - 1].type == pdx::FieldType::kAlpha) {
          std::string ea, eb;
          EXPECT_TRUE(cp->Encode(ia->second, &ea).ok());
          EXPECT_TRUE(cp->Encode(ib->second, &eb).ok());
          return c.CompareAlpha(ea, eb, ci);
        }
        double da = std::stod(ia->second), db = std::stod(ib->second);
        return da < db ? -1 : (da > db ? 1 : 0);
      };
      std::vector<const std::map<std::string, std::string>*> sorted;
      for (const auto& r : x.rows) sorted.push_back(&r);
      std::stable_sort(sorted.begin(), sorted.end(), [&](const auto* a, const auto* b) {
        for (size_t i = 0; i < keyFields.size(); ++i) {
          bool ci = i < d.fields.size() && d.caseInsensitive;
          int r = cmpField(keyFields[i], *a, *b, ci);
          if (r != 0) return d.descending && i < d.fields.size() ? r > 0 : r < 0;
        }
        return false;
      });

      auto cur = t->NewCursor();
      pdx::Status s = d.primary ? cur->SetOrderPrimary() : cur->SetOrderIndex(d.name);
      ASSERT_TRUE(s.ok()) << s.ToString();
      ASSERT_TRUE(cur->First().ok());
      size_t n = 0;
      for (; !cur->AtEnd() && n < sorted.size(); ++n) {
        for (int f : keyFields) {
          std::string got;
          ASSERT_TRUE(cur->GetText(f, &got).ok());
          auto it = sorted[n]->find(x.fields[f - 1]);
          EXPECT_EQ(got, it == sorted[n]->end() ? "" : it->second)
              << name << " index '" << d.name << "' row " << n + 1 << " field " << x.fields[f - 1];
        }
        ASSERT_TRUE(cur->Next().ok());
      }
      EXPECT_EQ(n, sorted.size()) << name << " " << d.name;
      EXPECT_TRUE(cur->AtEnd());
    }
  }
  EXPECT_EQ(orders, 10u);  // six primary indexes and four secondary ones
}

}  // namespace
