// Fuzzes the table reader: a .DB and, optionally, its .MB.
// Input: u32 LE length of the .DB part, the .DB bytes, then the .MB bytes (if any).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "paradox/check.h"
#include "paradox/env.h"
#include "paradox/table.h"

// Damaged input makes most calls fail: a fuzzer looks for crashes only, so
// results are ignored on purpose.

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  uint32_t dbLen;
  std::memcpy(&dbLen, data, 4);
  data += 4;
  size -= 4;
  if (dbLen > size) dbLen = static_cast<uint32_t>(size);
  auto env = pdx::NewMemEnv();
  env->CreateDir("/t").IgnoreError();
  fuzzfiles::Put(env.get(), "/t/t.db", data, dbLen);
  if (size > dbLen) fuzzfiles::Put(env.get(), "/t/t.mb", data + dbLen, size - dbLen);

  std::unique_ptr<pdx::Table> table;
  if (pdx::Table::Open(env.get(), "/t", "t.db", &table).ok()) {
    auto cur = table->NewCursor();
    pdx::Value v;
    std::string s;
    for (pdx::Status st = cur->First(); st.ok() && !cur->AtEnd(); st = cur->Next()) {
      for (size_t f = 1; f <= table->info().fields.size(); ++f) {
        cur->GetValue(static_cast<int>(f), &v).IgnoreError();
        cur->GetText(static_cast<int>(f), &s).IgnoreError();
      }
    }
  }
  std::vector<pdx::CheckFinding> findings;
  pdx::CheckTable(env.get(), "/t", "t.db", &findings).IgnoreError();
  return 0;
}
