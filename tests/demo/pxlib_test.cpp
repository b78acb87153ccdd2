// Every table of the demo installation read by an independent reader (pxlib)
// on its non-blob fields: same fields, same record count, same values.
#ifdef CORVANES_HAVE_PXLIB
#include <filesystem>

#include "installation.h"
#include "support/pxlib_check.h"

namespace {

TEST(DemoPxlib, EveryTableReadsTheSameOnItsNonBlobFields) {
  int tables = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(demotest::Demo().dir)) {
    std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".DB" && ext != ".db")) continue;
    testutil::PxlibCrossCheck(e.path().parent_path().string(), e.path().filename().string(), 300);
    ++tables;
  }
  EXPECT_GT(tables, 100);
}

}  // namespace
#endif  // CORVANES_HAVE_PXLIB
