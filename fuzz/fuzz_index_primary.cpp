// Fuzz target: the primary index (.PX) as the table uses it: the primary order
// built from it, key searches through it and the index check. The input
// replaces orders.px beside the sample table orders.db (read once from the
// samples directory: $CORVANES_SAMPLES_DIR, else the one beside the repository).
// Seeds: the .px files of the samples.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "paradox/env.h"
#include "paradox/index_check.h"
#include "paradox/table_impl.h"

namespace {

std::string g_db;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(pdx::Env* env, const std::string& path, const char* data, size_t n) {
  std::unique_ptr<pdx::WritableFile> w;
  if (!env->NewWritableFile(path, &w).ok()) return;
  w->Append(data, n);
  w->Close();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* env = std::getenv("CORVANES_SAMPLES_DIR");
  std::string dir;
  if (env != nullptr) {
    dir = env;
  } else {
    // This file lies in <repository>/fuzz; the samples beside the repository.
    std::string self = __FILE__;
    dir = self.substr(0, self.find_last_of('/') + 1) + "../../shared/paradox-samples";
  }
  g_db = Slurp((dir + "/dbdemos/") + "orders.db");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (g_db.empty()) return 0;
  std::unique_ptr<pdx::Env> env = pdx::NewMemEnv();
  if (!env->CreateDir("/f").ok()) return 0;
  Put(env.get(), "/f/orders.db", g_db.data(), g_db.size());
  Put(env.get(), "/f/orders.px", reinterpret_cast<const char*>(data), size);
  std::unique_ptr<pdx::TableImpl> t;
  if (!pdx::TableImpl::OpenImpl(env.get(), "/f", "orders", &t).ok()) return 0;
  std::vector<std::string> findings;
  pdx::CheckIndexes(*t, &findings);
  auto c = t->NewCursor();
  bool found = false;
  for (double k : {1003.0, 1100.0, 1500.0, 9999.0}) c->Seek({pdx::Value::Double(k)}, &found);
  c->SetRange({pdx::Value::Double(1100)}, {pdx::Value::Double(1200)});
  int n = 0;
  for (pdx::Status s = c->First(); s.ok() && !c->AtEnd() && n < 300; s = c->Next(), ++n) {
    std::string v;
    c->GetText(1, &v);
  }
  return 0;
}
