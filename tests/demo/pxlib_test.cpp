// Every table of the demo installation read by an independent reader (pxlib)
// on its non-blob fields: same fields, same record count, same values.
#ifdef CORVANES_HAVE_PXLIB
#include <gtest/gtest.h>
extern "C" {
#include <paradox.h>
}

#include <cmath>
#include <filesystem>

#include "installation.h"
#include "paradox/codepage.h"
#include "paradox/field_codec.h"
#include "paradox/table.h"

namespace {

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

 private:
  pxdoc_t* doc_;
  bool ok_ = false;
};

// Compares the first `limite` records.
void Comparer(const std::string& path, int limite) {
  SCOPED_TRACE(path);
  PxDoc px(path);
  ASSERT_TRUE(px.ok());
  std::filesystem::path p(path);
  std::unique_ptr<pdx::Table> table;
  ASSERT_TRUE(pdx::Table::Open(pdx::Env::Default(), p.parent_path().string(), p.filename().string(), &table).ok());
  const pdx::TableInfo& info = table->info();
  const pdx::CodePage* cp = nullptr;
  ASSERT_TRUE(pdx::CodePage::Find(info.codePage, &cp).ok());
  ASSERT_EQ(PX_get_num_fields(px.get()), static_cast<int>(info.fields.size()));
  ASSERT_EQ(PX_get_num_records(px.get()), static_cast<int>(info.recordCount));
  std::string rec(static_cast<size_t>(info.recordSize), '\0');
  auto cur = table->NewCursor();
  int recno = 0;
  pdx::Status st;
  for (st = cur->First(); st.ok() && !cur->AtEnd() && recno < limite; st = cur->Next(), ++recno) {
    ASSERT_NE(PX_get_record(px.get(), recno, rec.data()), nullptr);
    int offset = 0;
    for (int f = 1; f <= static_cast<int>(info.fields.size()); ++f) {
      pxfield_t* pf = PX_get_field(px.get(), f - 1);
      ASSERT_NE(pf, nullptr);
      char* data = rec.data() + offset;
      offset += pf->px_flen;
      const pdx::FieldDesc& fd = info.fields[static_cast<size_t>(f - 1)];
      if (pdx::IsBlobType(fd.type)) continue;
      SCOPED_TRACE("record " + std::to_string(recno + 1) + ", field " + fd.name);
      pdx::Value v;
      ASSERT_TRUE(cur->GetValue(f, &v).ok());
      int rc = 0;
      switch (fd.type) {
        case pdx::FieldType::kAlpha: {
          char* s = nullptr;
          rc = PX_get_data_alpha(px.get(), data, pf->px_flen, &s);
          std::string raw = s ? s : "";
          if (s) px.get()->free(px.get(), s);
          std::string mine;
          ASSERT_TRUE(cp->Encode(v.text, &mine).ok());
          EXPECT_EQ(mine, raw);
          break;
        }
        case pdx::FieldType::kNumber:
        case pdx::FieldType::kMoney: {
          double d = 0;
          rc = PX_get_data_double(px.get(), data, pf->px_flen, &d);
          if (rc > 0) {
            EXPECT_EQ(v.d, d);
          }
          break;
        }
        case pdx::FieldType::kTimestamp: {
          double ms = 0;
          rc = PX_get_data_double(px.get(), data, pf->px_flen, &ms);
          if (rc > 0 && ms != 0) {
            EXPECT_NEAR((v.d + pdx::kDayNumberShift) * 86400000.0, ms, 0.5);
          }
          if (ms == 0) rc = 0;
          break;
        }
        case pdx::FieldType::kShort: {
          short s = 0;
          rc = PX_get_data_short(px.get(), data, pf->px_flen, &s);
          if (rc > 0) {
            EXPECT_EQ(v.i, s);
          }
          break;
        }
        case pdx::FieldType::kLong:
        case pdx::FieldType::kAutoInc:
        case pdx::FieldType::kDate: {
          long l = 0;
          rc = PX_get_data_long(px.get(), data, pf->px_flen, &l);
          if (rc > 0 && l == -2147483648L) rc = 0;
          if (rc > 0 && fd.type == pdx::FieldType::kDate) {
            if (l == 0) {
              rc = 0;
            } else {
              EXPECT_EQ(static_cast<long>(v.d) + pdx::kDayNumberShift, l);
            }
          } else if (rc > 0) {
            EXPECT_EQ(v.i, l);
          }
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
    }
  }
  ASSERT_TRUE(st.ok()) << st.ToString();
}

TEST(DemoPxlib, EveryTableReadsTheSameOnItsNonBlobFields) {
  int tables = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(demotest::Demo().dir)) {
    std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".DB" && ext != ".db")) continue;
    Comparer(e.path().string(), 300);
    ++tables;
  }
  EXPECT_GT(tables, 100);
}

}  // namespace
#endif  // CORVANES_HAVE_PXLIB
