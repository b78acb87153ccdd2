// Fuzzes the generic file layer on any file of the table family: header,
// descriptors and names, every block header, and the data block chain.
#include <cstdint>
#include <string>

#include "fuzz_files.h"
#include "paradox/env.h"
#include "paradox/format/paradox_file.h"

// Damaged input makes most calls fail: a fuzzer looks for crashes only, so
// results are ignored on purpose.

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto env = pdx::NewMemEnv();
  fuzzfiles::Put(env.get(), "/f", data, size);
  std::unique_ptr<pdx::ParadoxFile> pf;
  if (!pdx::ParadoxFile::Open(env.get(), "/f", &pf).ok()) return 0;
  std::string buf;
  pdx::BlockHeader bh;
  for (uint32_t n = 1; n <= pf->BlocksInFile() && n <= 256; ++n) {
    if (!pf->LoadBlock(n, &buf, &bh).ok()) continue;
    const char* rec = nullptr;
    if (bh.records > 0) pf->ReadRecord(pdx::RecordRef{n, bh.records - 1}, &buf, &rec).IgnoreError();
  }
  if (pf->header().IsDataFile()) {
    pdx::BlockChain chain(pf.get());
    bool done = false;
    volatile uint8_t sink = 0;
    while (!done && chain.Next(&done).ok())
      for (uint32_t s = 0; s < chain.records(); ++s) sink = sink + static_cast<uint8_t>(chain.record(s)[0]);
  }
  return 0;
}
