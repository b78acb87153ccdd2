// pdx check: one line per inconsistency; exit 0 clean, 1 findings, 2 unreadable.
#include <cstdio>

#include "paradox/check.h"
#include "pdx.h"

namespace pdxtool {

int Check(const std::string& file) {
  std::string dir, name;
  SplitPath(file, &dir, &name);
  std::vector<pdx::CheckFinding> findings;
  pdx::Status s = pdx::CheckTable(pdx::Env::Default(), dir, name, &findings);
  if (!s.ok()) {
    PrintError(file, s.message());
    return 2;
  }
  for (const pdx::CheckFinding& f : findings) std::printf("%s: %s\n", f.file.c_str(), f.what.c_str());
  return findings.empty() ? 0 : 1;
}

}  // namespace pdxtool
