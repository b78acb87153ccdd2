#pragma once
// What the statistics' benchmarks share (stats_bench, share_bench): the
// process's processor and wall-clock seconds, its resident high-water mark,
// and the demo installation they run on, generated once and kept.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "demo/generateur.h"
#include "paradox/env.h"
#include "util/dates.h"

namespace bench {

// Processor seconds of the process (user + system).
inline double Cpu() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Wall-clock seconds (a steady clock: differences only).
inline double Mur() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Resets the resident high-water mark (Linux 4.0 and later).
inline void RemettrePic() {
  std::ofstream f("/proc/self/clear_refs");
  f << "5";
}

// The resident high-water mark, in MB.
inline double PicMo() {
  std::ifstream f("/proc/self/status");
  std::string l;
  while (std::getline(f, l))
    if (l.rfind("VmHWM:", 0) == 0) return std::atof(l.c_str() + 6) / 1024.0;
  return 0;
}

// The demo installation of `agences` agencies of `dossiers` dossiers each, as
// of December 8, 2026, in dir: generated when its "qvrbde.ini" is missing,
// and kept for the next runs (it takes minutes). Empty on success, else why.
inline std::string InstallationDemo(pdx::Env* env, const std::string& dir, int agences, int dossiers) {
  if (env->FileExists(dir + "/qvrbde.ini")) return "";
  std::printf("generating the demo installation in %s (kept for the next runs)...\n", dir.c_str());
  std::fflush(stdout);
  corv::demo::Options o;
  o.repertoire = dir;
  o.agences = agences;
  o.dossiers = dossiers;
  o.jour = corv::DayNumber(2026, 12, 8);
  corv::demo::Bilan b;
  pdx::Status s = corv::demo::Generer(env, o, &b);
  return s.ok() ? "" : s.ToString();
}

}  // namespace bench
