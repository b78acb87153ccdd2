#pragma once
// Which instructions a scan plan decodes records with.
//
// DefaultScanPath() is the best the processor has (AVX-512, else AVX2, else the
// scalar loops), unless the environment variable CORVANES_SCAN_PATH asks for
// another: "scalar", "avx2" or "avx512" (read once, at the first plan; a path
// the processor lacks gives the best one below it; any other text is ignored).
// Benchmarks and tests use it to measure and compare the paths on one machine.
namespace pdx {

enum class ScanPath { kAuto, kScalar, kAvx2, kAvx512 };

ScanPath DefaultScanPath();
// Whether this processor can run the path (kAuto and kScalar: always).
bool ScanPathSupported(ScanPath path);
// The best path supported at or below the one asked for (kAuto: the default).
ScanPath ResolveScanPath(ScanPath path);
// "scalar", "avx2", "avx512" ("auto" for kAuto).
const char* ScanPathName(ScanPath path);
// The path a name designates; kAuto for null, empty or unknown text.
ScanPath ParseScanPath(const char* name);

}  // namespace pdx
