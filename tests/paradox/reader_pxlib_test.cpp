// Cross-check against an independent reader (pxlib) on the non-blob fields of
// the two samples that come without an export. pxlib is never given a .MB.
#ifdef CORVANES_HAVE_PXLIB
#include "support/pxlib_check.h"
#include "support/table_check.h"
#include "support/test_util.h"

namespace {

using testutil::PxlibCrossCheck;

void CrossCheck(const std::string& dir, const std::string& name) { EXPECT_GT(PxlibCrossCheck(dir, name), 0); }

TEST(ReaderPxlib, TypSammlungNonBlobFields) {
  REQUIRE_SAMPLES();
  CrossCheck(testutil::SamplesDir() + "/misc", "TypSammlung.DB");
}

TEST(ReaderPxlib, Cp866TableNonBlobFields) {
  REQUIRE_SAMPLES();
  CrossCheck(testutil::SamplesDir() + "/misc", "of_cp866.db");
}

// The same tables re-written through the writer read the same in pxlib.
TEST(ReaderPxlib, TablesCopiedThroughTheWriter) {
  REQUIRE_SAMPLES();
  for (const char* name : {"TypSammlung.DB", "of_cp866.db"}) {
    SCOPED_TRACE(name);
    testutil::TempDir dir;
    pdx::Status s = testutil::CopyThroughWriter(pdx::Env::Default(), testutil::SamplesDir() + "/misc", name,
                                                dir.path(), "COPIE.DB");
    ASSERT_TRUE(s.ok()) << s.ToString();
    CrossCheck(dir.path(), "COPIE.DB");
  }
}

}  // namespace
#endif
