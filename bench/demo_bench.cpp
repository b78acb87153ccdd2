// Writing the demo installation at scale: generates N agencies of M dossiers
// into a fresh directory (removed afterwards unless given), then reports the
// time and the rows written.
// Usage: demo_bench [AGENCIES] [DOSSIERS] [DIR]   (defaults 50 10000)
// Last line: generate_seconds=X
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "demo/env_rapide.h"
#include "demo/generateur.h"
#include "util/dates.h"

int main(int argc, char** argv) {
  int agences = argc > 1 ? std::atoi(argv[1]) : 50;
  int dossiers = argc > 2 ? std::atoi(argv[2]) : 10000;
  bool garder = argc > 3;
  std::string dir = garder ? argv[3]
                           : (std::filesystem::temp_directory_path() / ("demo_bench_" + std::to_string(::getpid()))).string();
  corv::demo::Options o;
  o.repertoire = dir;
  o.agences = agences;
  o.dossiers = dossiers;
  o.jour = corv::DayNumber(2026, 12, 8);
  auto env = corv::demo::NouvelEnvSansSync(pdx::Env::Default());
  corv::demo::Bilan b;
  auto t0 = std::chrono::steady_clock::now();
  pdx::Status s = corv::demo::Generer(env.get(), o, &b);
  corv::demo::SyncAll();
  double sec = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (!s.ok()) {
    std::fprintf(stderr, "demo_bench: %s\n", s.ToString().c_str());
    return 1;
  }
  size_t d = 0, p = 0, l = 0;
  for (const auto& a : b.agences) {
    d += a.dossiers;
    p += a.pieces;
    l += a.lignes;
  }
  std::printf("agencies=%d dossiers=%zu pieces=%zu lines=%zu rows_per_second=%.0f\n", agences, d, p, l,
              (d + p + l) / sec);
  if (!garder) {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::printf("generate_seconds=%.2f\n", sec);
  return 0;
}
