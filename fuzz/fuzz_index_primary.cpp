// Fuzz target: the primary index (.PX) as the table uses it: the primary order
// built from it, key searches through it and the index check. The input
// replaces orders.px beside the sample table orders.db (read once from the
// samples directory: $CORVANES_SAMPLES_DIR, else the one beside the repository).
// Seeds: the .px files of the samples.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "paradox/env.h"
#include "paradox/index/index_check.h"
#include "paradox/read/table_impl.h"

// Damaged input makes most calls fail: a fuzzer looks for crashes only, so
// results are ignored on purpose.

namespace {

std::string g_db;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string dir = fuzzfiles::SamplesDir();
  g_db = fuzzfiles::Slurp((dir + "/dbdemos/") + "orders.db");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_db.empty()) return 0;
  std::unique_ptr<pdx::Env> env = pdx::NewMemEnv();
  if (!env->CreateDir("/f").ok()) return 0;
  fuzzfiles::Put(env.get(), "/f/orders.db", g_db);
  fuzzfiles::Put(env.get(), "/f/orders.px", data, size);
  std::unique_ptr<pdx::TableImpl> t;
  if (!pdx::TableImpl::OpenImpl(env.get(), "/f", "orders", &t).ok()) return 0;
  std::vector<std::string> findings;
  pdx::CheckIndexes(*t, &findings).IgnoreError();
  auto c = t->NewCursor();
  bool found = false;
  for (double k : {1003.0, 1100.0, 1500.0, 9999.0}) c->Seek({pdx::Value::Double(k)}, &found).IgnoreError();
  c->SetRange({pdx::Value::Double(1100)}, {pdx::Value::Double(1200)}).IgnoreError();
  int n = 0;
  for (pdx::Status s = c->First(); s.ok() && !c->AtEnd() && n < 300; s = c->Next(), ++n) {
    std::string v;
    c->GetText(1, &v).IgnoreError();
  }
  return 0;
}
