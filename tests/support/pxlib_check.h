#pragma once
// Cross-check of a table against an independent reader (pxlib) on its non-blob
// fields: same field and record counts, same values, same blanks. pxlib is
// never given a .MB (its blob reading crashes). Include only where
// CORVANES_HAVE_PXLIB is defined (the test programs link pxlib then).
#include <gtest/gtest.h>
extern "C" {
#include <paradox.h>
}

#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "paradox/codepage.h"
#include "paradox/format/field_codec.h"
#include "paradox/table.h"

namespace testutil {

class PxDoc {
 public:
  explicit PxDoc(const std::string& path) : doc_(PX_new()) { ok_ = doc_ && PX_open_file(doc_, path.c_str()) == 0; }
  ~PxDoc() {
    if (doc_) {
      if (ok_) PX_close(doc_);
      PX_delete(doc_);
    }
  }
  bool ok() const { return ok_; }
  pxdoc_t* get() const { return doc_; }
  std::string TakeString(char* s) {
    std::string r = s ? s : "";
    if (s) doc_->free(doc_, s);
    return r;
  }

 private:
  pxdoc_t* doc_;
  bool ok_ = false;
};

// Compares the non-blob fields of the first `limit` records of dir/name as
// pxlib and our reader see them; *compared counts the values compared.
inline void PxlibCompare(const std::string& dir, const std::string& name, int limit, int* compared) {
  SCOPED_TRACE(dir + "/" + name);
  PxDoc px(dir + "/" + name);
  ASSERT_TRUE(px.ok());
  std::unique_ptr<pdx::Table> table;
  ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), dir, name, &table).ok());
  const pdx::TableInfo& info = table->info();
  const pdx::CodePage* cp = nullptr;
  ASSERT_TRUE(pdx::CodePage::Find(info.codePage, &cp).ok());
  ASSERT_EQ(PX_get_num_fields(px.get()), static_cast<int>(info.fields.size()));
  ASSERT_EQ(PX_get_num_records(px.get()), static_cast<int>(info.recordCount));

  std::string rec(static_cast<size_t>(info.recordSize), '\0');
  auto cur = table->NewCursor();
  int recno = 0;
  pdx::Status st;
  for (st = cur->First(); st.ok() && !cur->AtEnd() && recno < limit; st = cur->Next(), ++recno) {
    ASSERT_NE(PX_get_record(px.get(), recno, rec.data()), nullptr);
    int offset = 0;
    for (int f = 1; f <= static_cast<int>(info.fields.size()); ++f) {
      pxfield_t* pf = PX_get_field(px.get(), f - 1);
      ASSERT_NE(pf, nullptr);
      char* data = rec.data() + offset;
      offset += pf->px_flen;
      const pdx::FieldDesc& fd = info.fields[f - 1];
      if (pdx::IsBlobType(fd.type)) continue;
      SCOPED_TRACE("record " + std::to_string(recno + 1) + ", field " + std::to_string(f) + " " + fd.name);
      pdx::Value v;
      ASSERT_TRUE(cur->GetValue(f, &v).ok());
      int rc = 0;
      switch (fd.type) {
        case pdx::FieldType::kAlpha: {
          char* s = nullptr;
          rc = PX_get_data_alpha(px.get(), data, pf->px_flen, &s);
          std::string raw = px.TakeString(s);
          std::string mine;
          ASSERT_TRUE(cp->Encode(v.text, &mine).ok());
          EXPECT_EQ(mine, raw);
          break;
        }
        case pdx::FieldType::kNumber:
        case pdx::FieldType::kMoney: {
          double d = 0;
          rc = PX_get_data_double(px.get(), data, pf->px_flen, &d);
          if (rc > 0) { EXPECT_EQ(v.d, d); }
          break;
        }
        case pdx::FieldType::kTimestamp: {
          double ms = 0;
          rc = PX_get_data_double(px.get(), data, pf->px_flen, &ms);
          if (rc > 0 && ms != 0) { EXPECT_NEAR((v.d + pdx::kDayNumberShift) * 86400000.0, ms, 0.5); }
          if (ms == 0) rc = 0;  // zero reads as blank
          break;
        }
        case pdx::FieldType::kShort: {
          short s = 0;
          rc = PX_get_data_short(px.get(), data, pf->px_flen, &s);
          if (rc > 0) { EXPECT_EQ(v.i, s); }
          break;
        }
        case pdx::FieldType::kLong:
        case pdx::FieldType::kAutoInc:
        case pdx::FieldType::kDate:
        case pdx::FieldType::kTime: {
          long l = 0;
          rc = PX_get_data_long(px.get(), data, pf->px_flen, &l);
          // pxlib reads the all-zero bytes of a blank as the lowest value.
          if (rc > 0 && l == -2147483648L) rc = 0;
          if (rc > 0 && fd.type == pdx::FieldType::kDate) {
            if (l == 0) rc = 0;  // zero reads as blank
            else EXPECT_EQ(static_cast<long>(v.d) + pdx::kDayNumberShift, l);
          } else if (rc > 0 && fd.type == pdx::FieldType::kTime) {
            EXPECT_EQ(std::llround(v.d * 86400000.0), l);
          } else if (rc > 0) {
            EXPECT_EQ(v.i, l);
          }
          break;
        }
        case pdx::FieldType::kLogical: {
          char b = 0;
          rc = PX_get_data_byte(px.get(), data, pf->px_flen, &b);
          if (rc > 0) { EXPECT_EQ(v.b, b != 0); }
          break;
        }
        case pdx::FieldType::kBcd: {
          char* s = nullptr;
          rc = PX_get_data_bcd(px.get(), reinterpret_cast<unsigned char*>(data), pf->px_fdc, &s);
          std::string text = px.TakeString(s);
          // pxlib does not mark a blank BCD; it reads it as zero.
          if (rc > 0 && v.blank && std::strtod(text.c_str(), nullptr) == 0) rc = 0;
          if (rc > 0) { EXPECT_EQ(std::strtod(v.text.c_str(), nullptr), std::strtod(text.c_str(), nullptr)) << text; }
          break;
        }
        case pdx::FieldType::kBytes: {
          char* s = nullptr;
          rc = PX_get_data_bytes(px.get(), data, pf->px_flen, &s);
          std::string raw = s ? std::string(s, pf->px_flen) : std::string();
          if (s) px.get()->free(px.get(), s);
          if (rc > 0) { EXPECT_EQ(v.text, raw); }
          break;
        }
        default:
          continue;
      }
      ASSERT_GE(rc, 0);
      // A zero date is a value to us and a blank to pxlib.
      if (!(fd.type == pdx::FieldType::kDate && !v.blank && v.d == 0)) {
        EXPECT_EQ(v.blank, rc == 0);
      }
      ++*compared;
    }
  }
  ASSERT_TRUE(st.ok()) << st.ToString();
  if (recno < limit) {
    EXPECT_EQ(recno, static_cast<int>(info.recordCount));
  }
}

// The same, returning the count of values compared.
inline int PxlibCrossCheck(const std::string& dir, const std::string& name, int limit = INT_MAX) {
  int compared = 0;
  PxlibCompare(dir, name, limit, &compared);
  return compared;
}

}  // namespace testutil
