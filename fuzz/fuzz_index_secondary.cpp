// Fuzz target: secondary index entry files (.Xnn) and everything that reads
// them: discovery, the index order, searches and the index check. The input
// replaces orders.x02 beside the sample table orders.db (read once from the
// samples directory: $CORVANES_SAMPLES_DIR, else the one beside the repository).
// Seeds: orders.x02, parts.x02, customer.xg0, parts.xg0.
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

std::string g_db, g_px, g_y02;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string dir = fuzzfiles::SamplesDir();
  std::string d = dir + "/dbdemos/";
  g_db = fuzzfiles::Slurp(d + "orders.db");
  g_px = fuzzfiles::Slurp(d + "orders.px");
  g_y02 = fuzzfiles::Slurp(d + "orders.y02");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_db.empty()) return 0;
  std::unique_ptr<pdx::Env> env = pdx::NewMemEnv();
  if (!env->CreateDir("/f").ok()) return 0;
  fuzzfiles::Put(env.get(), "/f/orders.db", g_db);
  fuzzfiles::Put(env.get(), "/f/orders.px", g_px);
  fuzzfiles::Put(env.get(), "/f/orders.y02", g_y02);
  fuzzfiles::Put(env.get(), "/f/orders.x02", data, size);
  std::unique_ptr<pdx::TableImpl> t;
  if (!pdx::TableImpl::OpenImpl(env.get(), "/f", "orders", &t).ok()) return 0;
  std::vector<std::string> findings;
  pdx::CheckIndexes(*t, &findings).IgnoreError();
  for (const pdx::IndexDesc& d : t->info().indexes) {
    if (d.primary) continue;
    auto c = t->NewCursor();
    if (!c->SetOrderIndex(d.name).ok()) continue;
    int n = 0;
    for (pdx::Status s = c->First(); s.ok() && !c->AtEnd() && n < 1000; s = c->Next(), ++n) {
      std::string v;
      c->GetText(1, &v).IgnoreError();
    }
    bool found = false;
    c->Seek({pdx::Value::Double(1221)}, &found).IgnoreError();
    c->SetRange({pdx::Value::Double(1000)}, {pdx::Value::Double(2000)}).IgnoreError();
  }
  return 0;
}
