#pragma once
// Set-up shared by the fuzz targets: sample files read once, and inputs put
// into an in-memory file system. Header-only: every fuzz/*.cpp is a target.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "paradox/env.h"

// Damaged input makes most calls fail: a fuzzer looks for crashes only, so
// results are ignored on purpose.

namespace fuzzfiles {

// The whole file ("" when it cannot be read).
inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The samples directory: $CORVANES_SAMPLES_DIR, else the one beside the repository.
inline std::string SamplesDir() {
  if (const char* env = std::getenv("CORVANES_SAMPLES_DIR")) return env;
  // This file lies in <repository>/fuzz.
  std::string self = __FILE__;
  return self.substr(0, self.find_last_of('/') + 1) + "../../shared/paradox-samples";
}

// Writes n bytes as the file path (errors ignored: the target then finds no file).
inline void Put(pdx::Env* env, const std::string& path, const void* data, size_t n) {
  std::unique_ptr<pdx::WritableFile> w;
  if (!env->NewWritableFile(path, &w).ok()) return;
  w->Append(static_cast<const char*>(data), n).IgnoreError();
  w->Close().IgnoreError();
}
inline void Put(pdx::Env* env, const std::string& path, const std::string& bytes) {
  Put(env, path, bytes.data(), bytes.size());
}

}  // namespace fuzzfiles
