// Statistics benchmark: the supplier list (computation 3, which reads every
// agency's documents and lines) over the demo installation of 50 agencies of
// 10,000 dossiers, against reading the same files' bytes.
//   stats_bench [DIR]   (default /work/bench-data/stats-50; generated there when
//                        missing, then kept between runs)
// Measured, warm cache, best of 3:
//   - raw read: every agency's "PIECE.DB", "LIGNE.DB" and their ".MB" read whole
//     with read() in 64 KiB (one byte touched per 64);
//   - computation 3 with one thread and with two.
// Times are CPU seconds of the process (user + system: the machine is shared,
// wall times are given beside them). Peak memory is the process's resident
// high-water mark during each run (reset before it); a run over the first 10
// agencies shows it does not grow with them. Figures and their history:
// bench/stats_bench.md.
// Last line: ratio_vs_raw_read=X peak_mb=Y (X = one thread's CPU time over the
// raw read's; Y = the largest peak of the 50-agency runs).
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "data/application.h"
#include "demo/table_demo.h"
#include "paradox/table.h"
#include "mesure.h"
#include "stats/collecte.h"

namespace {

using bench::Cpu;
using bench::Mur;
using bench::PicMo;
using bench::RemettrePic;

struct Mesure {
  double cpu = 1e9, mur = 1e9;
};

void Echec(const std::string& quoi) {
  std::fprintf(stderr, "stats_bench: %s\n", quoi.c_str());
  std::exit(1);
}

double LireTout(const std::vector<std::string>& fichiers, uint64_t* octets) {
  std::vector<char> buf(1 << 16);
  uint64_t somme = 0, n = 0;
  for (const std::string& p : fichiers) {
    int fd = ::open(p.c_str(), O_RDONLY);
    if (fd < 0) Echec("cannot open " + p);
    ssize_t k;
    while ((k = ::read(fd, buf.data(), buf.size())) > 0) {
      n += static_cast<uint64_t>(k);
      for (ssize_t i = 0; i < k; i += 64) somme += static_cast<unsigned char>(buf[static_cast<size_t>(i)]);
    }
    ::close(fd);
  }
  *octets = n;
  return static_cast<double>(somme);
}

// An administration directory holding the first n agencies of the
// installation's "Agence.DB", and its "FOURNIS.DB".
std::string AdministrationReduite(const std::string& dir, size_t n) {
  const std::string admin = dir + "/Administration";
  const std::string cible = "/tmp/stats_bench_admin" + std::to_string(n) + "_" + std::to_string(::getpid());
  pdx::Env* env = pdx::Env::Default();
  pdx::Status s = env->CreateDir(cible);
  if (!s.ok()) Echec(s.ToString());
  std::unique_ptr<pdx::Table> t;
  s = pdx::Table::Open(env, admin, "Agence.DB", &t);
  if (!s.ok()) Echec(s.ToString());
  const corv::TableDef& def = corv::demo::Def(corv::kAliasAdministration, "Agence.DB");
  s = corv::demo::Ecrire(env, cible, def, corv::demo::Actuelle(def), [&](corv::demo::TableDemo& out) {
    auto c = t->NewCursor();
    size_t k = 0;
    for (pdx::Status e = c->First(); e.ok() && !c->AtEnd() && k < n; e = c->Next(), ++k) {
      auto r = out.Nouvelle();
      for (const char* champ : {"Code", "Nom", "Repertoire"}) {
        std::string v;
        pdx::Status g = c->GetText(t->FieldNumber(champ), &v);
        if (!g.ok()) return g;
        r.Txt(champ, v);
      }
      pdx::Status a = out.Ajouter(r);
      if (!a.ok()) return a;
    }
    return pdx::Status::OK();
  });
  if (!s.ok()) Echec(s.ToString());
  std::string src;
  if (pdx::FindFileNoCase(env, admin, "FOURNIS.DB", &src).ok()) {
    std::ifstream i(src, std::ios::binary);
    std::ofstream o(cible + "/FOURNIS.DB", std::ios::binary);
    o << i.rdbuf();
  }
  return cible;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "/work/bench-data/stats-50";
  pdx::Env* env = pdx::Env::Default();
  const std::string installee = bench::InstallationDemo(env, dir, 50, 10000);
  if (!installee.empty()) Echec(installee);
  corv::ConsoleDialogs dialogs("stats_bench: ");
  corv::Application app(env, dir + "/corvanes", dialogs);
  if (!app.Demarrer(dir + "/qvrbde.ini").ok()) Echec("cannot start on " + dir);

  // The files the statistics read.
  std::vector<std::string> fichiers;
  std::vector<std::string> agences;
  if (!env->GetChildren(dir + "/Agences", &agences).ok()) Echec("no Agences directory in " + dir);
  for (const std::string& a : agences)
    for (const char* f : {"PIECE.DB", "PIECE.MB", "LIGNE.DB", "LIGNE.MB"}) {
      std::string p;
      if (pdx::FindFileNoCase(env, dir + "/Agences/" + a + "/Dossiers", f, &p).ok()) fichiers.push_back(p);
    }

  corv::NullRunReport report;
  auto calcul = [&](const corv::Session& session, int fils, double* pic) {
    corv::OptionsStatistiques o;
    o.calcul = corv::Calcul::kFournisseurs;
    o.parallele = fils;
    corv::ResultatStatistiques r;
    RemettrePic();
    const double c0 = Cpu(), m0 = Mur();
    pdx::Status s = corv::CollecterStatistiques(session, app.host(), dialogs, report, o, &r);
    const double cpu = Cpu() - c0, mur = Mur() - m0;
    if (!s.ok()) Echec(s.ToString());
    if (pic) *pic = std::max(*pic, PicMo());
    return std::make_pair(cpu, mur);
  };

  // Warm-up: the cache, and the first open of older agency files (brought up
  // to date by the data module once).
  uint64_t octets = 0;
  LireTout(fichiers, &octets);
  calcul(app.session(), 1, nullptr);

  Mesure brut, un, deux;
  double picUn = 0, picDeux = 0;
  for (int rep = 0; rep < 3; ++rep) {
    const double c0 = Cpu(), m0 = Mur();
    LireTout(fichiers, &octets);
    brut.cpu = std::min(brut.cpu, Cpu() - c0);
    brut.mur = std::min(brut.mur, Mur() - m0);
    auto [c1, m1] = calcul(app.session(), 1, &picUn);
    un.cpu = std::min(un.cpu, c1);
    un.mur = std::min(un.mur, m1);
    auto [c2, m2] = calcul(app.session(), 2, &picDeux);
    deux.cpu = std::min(deux.cpu, c2);
    deux.mur = std::min(deux.mur, m2);
  }
  // The first 10 agencies alone.
  corv::Session dix(app.session());
  dix.SetAlias(corv::kAliasAdministration, AdministrationReduite(dir, 10) + "/");
  double picDix = 0;
  auto [c10, m10] = calcul(dix, 1, &picDix);

  std::printf("installation: %s, %zu files, %.0f MB\n", dir.c_str(), fichiers.size(), static_cast<double>(octets) / 1e6);
  std::printf("raw read:                    %.3f s CPU  %.3f s wall  (%.0f MB/s CPU)\n", brut.cpu, brut.mur,
              static_cast<double>(octets) / 1e6 / brut.cpu);
  std::printf("computation 3, one thread:   %.3f s CPU  %.3f s wall  peak %.1f MB\n", un.cpu, un.mur, picUn);
  std::printf("computation 3, two threads:  %.3f s CPU  %.3f s wall  peak %.1f MB\n", deux.cpu, deux.mur, picDeux);
  std::printf("computation 3, 10 agencies:  %.3f s CPU  %.3f s wall  peak %.1f MB\n", c10, m10, picDix);
  std::printf("ratio_vs_raw_read=%.2f peak_mb=%.1f\n", un.cpu / brut.cpu, std::max(picUn, picDeux));
  return 0;
}
