// corvanes-demo: writes the demo installation, or shows one read back.
//   corvanes-demo DIR [--agencies N] [--dossiers M] [--seed S] [--date YYYY-MM-DD]
//   corvanes-demo --summary DIR
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "demo/env_rapide.h"
#include "paradox/env.h"
#include "demo/generateur.h"
#include "demo/resume.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: corvanes-demo DIR [--agencies N] [--dossiers M] [--seed S] [--date YYYY-MM-DD]\n"
               "       corvanes-demo --summary DIR\n");
  return 2;
}

bool Entier(const char* s, long long lo, long long hi, long long* out) {
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(s, &end, 10);
  if (errno || end == s || *end || v < lo || v > hi) return false;
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // The arguments as UTF-8: on Windows argv holds the ANSI code page, which
  // cannot hold every file name.
  pdx::ArgvUtf8 utf8(argc, argv);
  argc = utf8.argc();
  argv = utf8.argv();
  if (argc == 3 && std::strcmp(argv[1], "--summary") == 0) {
    std::string texte;
    pdx::Status s = corv::demo::Resumer(pdx::Env::Default(), argv[2], &texte);
    if (s.ok()) std::fputs(texte.c_str(), stdout);
    if (!s.ok()) {
      std::fprintf(stderr, "corvanes-demo: %s\n", s.ToString().c_str());
      return 1;
    }
    return 0;
  }
  if (argc < 2 || argv[1][0] == '-') return Usage();
  corv::demo::Options o;
  o.repertoire = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    if (i + 1 >= argc) return Usage();
    long long v = 0;
    if (a == "--agencies") {
      if (!Entier(argv[++i], 0, 999, &v)) return Usage();
      o.agences = static_cast<int>(v);
    } else if (a == "--dossiers") {
      if (!Entier(argv[++i], 0, 900000, &v)) return Usage();
      o.dossiers = static_cast<int>(v);
    } else if (a == "--seed") {
      if (!Entier(argv[++i], 0, 9223372036854775807LL, &v)) return Usage();
      o.graine = static_cast<uint64_t>(v);
    } else if (a == "--date") {
      if (!corv::demo::LireDate(argv[++i], &o.jour)) return Usage();
    } else {
      return Usage();
    }
  }
  auto t0 = std::chrono::steady_clock::now();
  corv::demo::Bilan b;
  auto env = corv::demo::NouvelEnvSansSync(pdx::Env::Default());
  pdx::Status s = corv::demo::Generer(env.get(), o, &b);
  if (s.ok()) corv::demo::SyncAll();
  if (!s.ok()) {
    std::fprintf(stderr, "corvanes-demo: %s\n", s.ToString().c_str());
    return 1;
  }
  double sec = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  size_t dossiers = 0, pieces = 0, lignes = 0;
  for (const auto& a : b.agences) {
    dossiers += a.dossiers;
    pieces += a.pieces;
    lignes += a.lignes;
  }
  std::printf("Installation written to %s: %zu agencies, %zu dossiers, %zu pieces, %zu lines in %.1f s\n",
              o.repertoire.c_str(), b.agences.size(), dossiers, pieces, lignes, sec);
  return 0;
}
