// Fuzz target: the reader of index tree files (.PX, .Ynn, .YGn).
// Seeds: the .px, .y02 and .yg0 files of the samples.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz_files.h"
#include "paradox/env.h"
#include "paradox/index/index_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<pdx::Env> env = pdx::NewMemEnv();
  if (!env->CreateDir("/f").ok()) return 0;
  fuzzfiles::Put(env.get(), "/f/t.px", data, size);
  std::unique_ptr<pdx::IndexTree> tree;
  pdx::Status s = pdx::IndexTree::Read(env.get(), "/f/t.px", &tree);
  if (s.ok()) {
    // Touch every entry so a bad length would show.
    size_t total = 0;
    for (const pdx::TreeEntry& e : tree->leaves()) total += e.key.size() + e.block + e.count;
    (void)total;
  }
  return 0;
}
