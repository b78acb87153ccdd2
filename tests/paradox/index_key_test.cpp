// Stored forms of looked-for key values, and their order.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "paradox/format/field_codec.h"
#include "paradox/index/index_key.h"
#include "paradox/read/table_impl.h"
#include "support/test_util.h"

namespace {

pdx::TextEncoder Latin1() {
  return [](std::string_view utf8, std::string* out) {
    *out = std::string(utf8);
    return pdx::Status::OK();
  };
}

std::string Encode(pdx::FieldType t, uint16_t size, const pdx::Value& v) {
  pdx::FieldDesc f;
  f.name = "K";
  f.type = t;
  f.size = size;
  std::string out;
  pdx::Status s = pdx::EncodeKeyValue(f, v, Latin1(), nullptr, &out);
  EXPECT_TRUE(s.ok()) << s.ToString();
  return out;
}

TEST(IndexKey, EncodedNumbersOrderAsTheirValues) {
  pdx::Collation c;
  struct Kind {
    pdx::FieldType type;
    uint16_t size;
    bool integer;
  };
  const Kind kinds[] = {{pdx::FieldType::kShort, 2, true},  {pdx::FieldType::kLong, 4, true},
                        {pdx::FieldType::kAutoInc, 4, true}, {pdx::FieldType::kNumber, 8, false},
                        {pdx::FieldType::kMoney, 8, false},  {pdx::FieldType::kBcd, 2, false}};
  const double values[] = {-30000, -2.5, -1, 0, 0.25, 1, 7, 30000};
  for (const Kind& k : kinds) {
    std::vector<std::string> enc;
    enc.push_back(Encode(k.type, k.size, pdx::Value::Blank()));
    for (double v : values) {
      if (k.integer && v != static_cast<int64_t>(v)) continue;
      enc.push_back(Encode(k.type, k.size, k.integer ? pdx::Value::Int(static_cast<int64_t>(v)) : pdx::Value::Double(v)));
    }
    for (size_t i = 1; i < enc.size(); ++i) {
      EXPECT_LT(pdx::CompareStoredField(k.type, enc[i - 1].data(), enc[i].data(), enc[i].size(), c, false), 0)
          << "type " << static_cast<int>(k.type) << " value " << i;
    }
  }
  // Minus zero is zero.
  EXPECT_EQ(Encode(pdx::FieldType::kNumber, 8, pdx::Value::Double(-0.0)),
            Encode(pdx::FieldType::kNumber, 8, pdx::Value::Double(0.0)));
}

TEST(IndexKey, ValuesThatDoNotFitAreRefused) {
  pdx::FieldDesc a;
  a.name = "Code";
  a.type = pdx::FieldType::kAlpha;
  a.size = 2;
  std::string out;
  pdx::Status s = pdx::EncodeKeyValue(a, pdx::Value::Text("ABC"), Latin1(), nullptr, &out);
  EXPECT_TRUE(s.IsInvalidArgument());
  EXPECT_NE(s.message().find("Code"), std::string::npos);
  pdx::FieldDesc sh = a;
  sh.type = pdx::FieldType::kShort;
  EXPECT_TRUE(pdx::EncodeKeyValue(sh, pdx::Value::Int(40000), Latin1(), nullptr, &out).IsInvalidArgument());
  pdx::FieldDesc m = a;
  m.type = pdx::FieldType::kMemo;
  m.size = 10;
  EXPECT_TRUE(pdx::EncodeKeyValue(m, pdx::Value::Text("x"), Latin1(), nullptr, &out).IsInvalidArgument());
  // Uppercased for a case-insensitive index, NUL-padded to the field.
  pdx::Collation c;
  ASSERT_TRUE(pdx::EncodeKeyValue(a, pdx::Value::Text("ab"), Latin1(), &c, &out).ok());
  EXPECT_EQ(out, "AB");
  ASSERT_TRUE(pdx::EncodeKeyValue(a, pdx::Value::Text("a"), Latin1(), nullptr, &out).ok());
  EXPECT_EQ(out, std::string("a\0", 2));
}

// Every value the engine stored, decoded and encoded again, gives its bytes back.
TEST(IndexKey, DecodedSampleValuesEncodeToTheirStoredBytes) {
  REQUIRE_SAMPLES();
  size_t checked = 0;
  for (const char* path : {"misc/TypSammlung.DB", "dbdemos/orders.db", "dbdemos/customer.db", "dbdemos/vendors.db"}) {
    std::string p = path;
    std::unique_ptr<pdx::TableImpl> t;
    ASSERT_TRUE(pdx::TableImpl::OpenImpl(pdx::Env::Default(), testutil::SamplesDir() + "/" + p.substr(0, p.find('/')),
                                         p.substr(p.find('/') + 1), &t)
                    .ok());
    const pdx::FileHeader& h = t->db().header();
    const pdx::CodePage* cp = t->db().codePage();
    pdx::TextEncoder enc = [cp](std::string_view u, std::string* out) { return cp->Encode(u, out); };
    pdx::BlockChain chain(&t->db());
    for (;;) {
      bool done = false;
      ASSERT_TRUE(chain.Next(&done).ok());
      if (done) break;
      for (uint32_t r = 0; r < chain.records(); ++r) {
        for (size_t f = 0; f < h.fields.size(); ++f) {
          const pdx::FieldDesc& fd = h.fields[f];
          if (pdx::IsBlobType(fd.type)) continue;
          const char* at = chain.record(r) + h.fieldOffsets[f];
          if (pdx::FieldIsBlank(fd, at)) continue;
          pdx::Value v;
          bool needsBlob = false;
          pdx::DecodeField(fd, at, *cp, &v, &needsBlob);
          std::string out;
          pdx::Status s = pdx::EncodeKeyValue(fd, v, enc, nullptr, &out);
          ASSERT_TRUE(s.ok()) << path << " field " << fd.name << ": " << s.ToString();
          std::string stored(at, pdx::StoredFieldSize(fd));
          // Alpha values keep whatever follows their first NUL; compare the text part.
          if (fd.type == pdx::FieldType::kAlpha) {
            stored = stored.substr(0, stored.find('\0'));
            out.resize(stored.size());
          }
          EXPECT_EQ(out, stored) << path << " field " << fd.name << " record " << r + 1;
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 3000u);
}

}  // namespace
