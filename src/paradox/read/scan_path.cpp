#include "paradox/scan_path.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace pdx {

bool ScanPathSupported(ScanPath path) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  __builtin_cpu_init();
  switch (path) {
    case ScanPath::kAvx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vl") &&
             __builtin_cpu_supports("avx512cd");
    case ScanPath::kAvx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi");
    default:
      return true;
  }
#else
  return path == ScanPath::kAuto || path == ScanPath::kScalar;
#endif
}

ScanPath ResolveScanPath(ScanPath path) {
  if (path == ScanPath::kAuto) return DefaultScanPath();
  if (path == ScanPath::kAvx512 && !ScanPathSupported(ScanPath::kAvx512)) path = ScanPath::kAvx2;
  if (path == ScanPath::kAvx2 && !ScanPathSupported(ScanPath::kAvx2)) path = ScanPath::kScalar;
  return path;
}

ScanPath DefaultScanPath() {
  static const ScanPath path = [] {
    const ScanPath asked = ParseScanPath(std::getenv("CORVANES_SCAN_PATH"));
    return ResolveScanPath(asked == ScanPath::kAuto ? ScanPath::kAvx512 : asked);
  }();
  return path;
}

const char* ScanPathName(ScanPath path) {
  switch (path) {
    case ScanPath::kScalar: return "scalar";
    case ScanPath::kAvx2: return "avx2";
    case ScanPath::kAvx512: return "avx512";
    default: return "auto";
  }
}

ScanPath ParseScanPath(const char* name) {
  if (!name) return ScanPath::kAuto;
  for (ScanPath p : {ScanPath::kScalar, ScanPath::kAvx2, ScanPath::kAvx512})
    if (std::strcmp(name, ScanPathName(p)) == 0) return p;
  return ScanPath::kAuto;
}

}  // namespace pdx
