// The statistics and the conditions transfer over a simulated network share
// (bench/share_env.h: a round trip per file operation, a bandwidth for the
// bytes), against the floor: reading every file the run must read (and, for
// the transfer, writing every file it must write) once through the same
// share, whole, in large sequential requests, with the run's concurrency.
//   share_bench stats [DIR] [--latency-ms L] [--parallele N] [--bandwidth-mbs B]
//       computation 3 ("Stats des fournisseurs") over DIR (default
//       /work/bench-data/share-50: the demo installation of 50 agencies of
//       2,000 dossiers, generated there when missing and kept); N agencies read
//       at once (default: the program's); floor: each agency's "PIECE" and
//       "LIGNE" files read whole in 8 MiB requests, N agencies at once.
//   share_bench transfer [DIR] [--latency-ms L] [--bandwidth-mbs B] [--trace TEXT]
//       the purchase conditions transfer, simulation then real run, over the
//       installation of transfer_bench (50 agencies, 20,000 rows each; DIR
//       defaults to a fresh temporary directory); floor: each agency's
//       "REMISES.DB" and "FOURNIS.DB" read whole while the previous agency's
//       final "REMISES" files (as the real run left them) are written and
//       synced, as the run reads an agency while the previous one commits.
// --trace TEXT writes each operation of the timed runs whose path holds TEXT
// to standard error (time, kind, bytes, path, thread). Latency defaults to 1 ms,
// bandwidth to 100 MB/s. Printed: wall and processor
// seconds, each operation kind's count per agency for the run and its floor;
// last line: share_ratio=X round_trips_per_agency=N (X = the run's wall time
// over the floor's; N = the run's round trips over the agencies; for the
// transfer, the real run's).
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "data/application.h"
#include "installation_conditions.h"
#include "mesure.h"
#include "share_env.h"
#include "stats/collecte.h"
#include "transfer/conditions.h"
#include "util/allocator.h"

namespace {

using bench::Cpu;
using bench::Mur;
using bench::PicMo;
using bench::RemettrePic;
using bench::ShareEnv;

[[noreturn]] void Echec(const std::string& quoi) {
  std::fprintf(stderr, "share_bench: %s\n", quoi.c_str());
  std::exit(1);
}

struct Mesure {
  double mur = 0, cpu = 0;
  uint64_t counts[ShareEnv::kOpCount] = {};
  uint64_t tours = 0, lus = 0, ecrits = 0;
};

template <class F>
Mesure Mesurer(ShareEnv& share, F&& f) {
  share.ResetCounts();
  Mesure m;
  const double c0 = Cpu(), m0 = Mur();
  f();
  m.mur = Mur() - m0;
  m.cpu = Cpu() - c0;
  for (int k = 0; k < ShareEnv::kOpCount; ++k) m.counts[k] = share.count(static_cast<ShareEnv::Op>(k));
  m.tours = share.RoundTrips();
  m.lus = share.bytesRead();
  m.ecrits = share.bytesWritten();
  return m;
}

void Afficher(const char* quoi, const Mesure& m, int agences) {
  std::printf("%-22s %7.2f s wall  %6.2f s CPU  %6.1f MB read  %6.1f MB written\n", quoi, m.mur, m.cpu,
              static_cast<double>(m.lus) / 1e6, static_cast<double>(m.ecrits) / 1e6);
  std::printf("  per agency:");
  for (int k = 0; k < ShareEnv::kOpCount; ++k)
    if (m.counts[k]) std::printf(" %s=%.1f", ShareEnv::Name(static_cast<ShareEnv::Op>(k)),
                                 static_cast<double>(m.counts[k]) / agences);
  std::printf("  (round trips %.1f)\n", static_cast<double>(m.tours) / agences);
}

// Reads a whole file through env in requests of buf.size() bytes.
void LireEntier(pdx::Env* env, const std::string& path, std::vector<char>& buf) {
  std::unique_ptr<pdx::RandomAccessFile> f;
  pdx::Status s = env->NewRandomAccessFile(path, &f);
  if (!s.ok()) Echec(s.ToString());
  const uint64_t taille = f->Size();
  for (uint64_t pos = 0; pos < taille;) {
    size_t got = 0;
    s = f->Read(pos, buf.size(), buf.data(), &got);
    if (!s.ok() || got == 0) Echec(path + ": short read");
    pos += got;
  }
}

// Writes data to a fresh file through env in requests of `requete` bytes, syncs it.
void EcrireEntier(pdx::Env* env, const std::string& path, const std::string& data, size_t requete) {
  std::unique_ptr<pdx::WritableFile> f;
  pdx::Status s = env->NewWritableFile(path, &f);
  for (size_t pos = 0; s.ok() && pos < data.size(); pos += requete)
    s = f->Append(data.data() + pos, std::min(requete, data.size() - pos));
  if (s.ok()) s = f->Sync();
  if (s.ok()) s = f->Close();
  if (!s.ok()) Echec(s.ToString());
}

constexpr size_t kRequete = 8 << 20;

struct Options {
  std::string quoi, dir;
  double latenceMs = 1, bandeMo = 100;
  int parallele = 0;
  bool trace = false;
  std::string filtreTrace;
};

int Statistiques(const Options& opt) {
  const std::string dir = opt.dir.empty() ? "/work/bench-data/share-50" : opt.dir;
  pdx::Env* local = pdx::Env::Default();
  const std::string installee = bench::InstallationDemo(local, dir, 50, 2000);
  if (!installee.empty()) Echec(installee);
  ShareEnv share(local, opt.latenceMs * 1000, opt.bandeMo * 1e6);
  share.SetSleeping(false);
  corv::ConsoleDialogs dialogs("share_bench: ");
  corv::Application app(&share, dir + "/corvanes", dialogs);
  if (!app.Demarrer(dir + "/qvrbde.ini").ok()) Echec("cannot start on " + dir);

  // The files the run must read, found untimed.
  std::vector<std::vector<std::string>> fichiers;
  std::vector<std::string> agences;
  if (!local->GetChildren(dir + "/Agences", &agences).ok()) Echec("no Agences directory in " + dir);
  std::sort(agences.begin(), agences.end());
  std::vector<std::string> siege;
  for (const char* f : {"Agence.DB", "FOURNIS.DB"}) {
    std::string p;
    if (pdx::FindFileNoCase(local, dir + "/Administration", f, &p).ok()) siege.push_back(p);
  }
  for (const std::string& a : agences) {
    std::vector<std::string> v;
    for (const char* f : {"PIECE.DB", "PIECE.MB", "LIGNE.DB", "LIGNE.MB"}) {
      std::string p;
      if (pdx::FindFileNoCase(local, dir + "/Agences/" + a + "/Dossiers", f, &p).ok()) v.push_back(p);
    }
    if (!v.empty()) fichiers.push_back(std::move(v));
  }
  const int n = static_cast<int>(fichiers.size());
  corv::OptionsStatistiques o;
  o.calcul = corv::Calcul::kFournisseurs;
  if (opt.parallele > 0) o.parallele = opt.parallele;
  const int fils = o.parallele;

  corv::NullRunReport report;
  corv::ResultatStatistiques r;
  // Warm-up, not timed and free: the page cache, and the data module's first
  // open of older agency files (brought up to date once).
  if (!corv::CollecterStatistiques(app.session(), app.host(), dialogs, report, o, &r).ok()) Echec("statistics");
  share.SetSleeping(true);

  RemettrePic();
  if (opt.trace) share.SetTrace(stderr, opt.filtreTrace);
  Mesure run = Mesurer(share, [&] {
    pdx::Status s = corv::CollecterStatistiques(app.session(), app.host(), dialogs, report, o, &r);
    if (!s.ok()) Echec(s.ToString());
  });
  const double pic = PicMo();
  share.SetTrace(nullptr);

  Mesure plancher = Mesurer(share, [&] {
    std::vector<char> buf(kRequete);
    for (const std::string& p : siege) LireEntier(&share, p, buf);
    std::atomic<int> prochain{0};
    std::vector<std::thread> ts;
    for (int k = 0; k < fils; ++k)
      ts.emplace_back([&] {
        std::vector<char> b(kRequete);
        for (int i; (i = prochain++) < n;)
          for (const std::string& p : fichiers[static_cast<size_t>(i)]) LireEntier(&share, p, b);
      });
    for (auto& t : ts) t.join();
  });

  std::printf("statistics (computation 3), %d agencies, %d read at once, share %.1f ms and %.0f MB/s\n", n, fils,
              opt.latenceMs, opt.bandeMo);
  Afficher("run", run, n);
  std::printf("  peak %.1f MB\n", pic);
  Afficher("floor (whole files)", plancher, n);
  std::printf("share_ratio=%.2f round_trips_per_agency=%.1f\n", run.mur / plancher.mur,
              static_cast<double>(run.tours) / n);
  return 0;
}

int Transfert(const Options& opt) {
  corv::KeepFreedMemory();  // as the programs do
  namespace fs = std::filesystem;
  std::string dir = opt.dir;
  const bool temporaire = dir.empty();
  if (temporaire) dir = (fs::temp_directory_path() / ("share_bench_" + std::to_string(::getpid()))).string();
  fs::create_directories(dir);
  pdx::Env* local = pdx::Env::Default();
  const int n = 50;
  if (!local->FileExists(dir + "/qvrbde.ini") && !bench::InstallationConditions(local, dir, n, {}))
    Echec("cannot build the installation in " + dir);

  ShareEnv share(local, opt.latenceMs * 1000, opt.bandeMo * 1e6);
  share.SetSleeping(false);
  corv::ConsoleDialogs dialogs("share_bench: ");
  corv::Application app(&share, dir + "/bin/share_bench", dialogs);
  if (!app.Demarrer(dir + "/qvrbde.ini").ok()) Echec("cannot start on " + dir);
  corv::OptionsConditions options = corv::LireOptionsConditions(app, corv::kModeAchat);
  share.SetSleeping(true);

  auto lancer = [&](bool simulation) {
    corv::NullRunReport rep;
    corv::OptionsRun o;
    o.simulation = simulation;
    corv::TransfertConditions run(app, rep, o, options);
    corv::ResultatRun r = run.Lancer();
    if (!r.ok()) Echec(r.erreur);
    if (r.agencesTraitees != n) Echec("agencies done: " + std::to_string(r.agencesTraitees));
  };
  if (opt.trace) share.SetTrace(stderr, opt.filtreTrace);
  if (opt.trace) std::fprintf(stderr, "--- simulation\n");
  Mesure sim = Mesurer(share, [&] { lancer(true); });
  if (opt.trace) std::fprintf(stderr, "--- real run\n");
  Mesure reel = Mesurer(share, [&] { lancer(false); });
  share.SetTrace(nullptr);

  // The floor's files: read ones, and the final ones the real run wrote.
  struct Agence {
    std::vector<std::string> lus;
    std::vector<std::pair<std::string, std::string>> ecrits;  // plain copy's path, bytes
  };
  std::vector<Agence> ag(static_cast<size_t>(n));
  for (int a = 0; a < n; ++a) {
    char code[16];
    std::snprintf(code, sizeof code, "AG%03d", a + 1);
    const std::string adm = dir + "/Agences/" + code + "/Administration";
    ag[static_cast<size_t>(a)].lus = {adm + "/REMISES.DB", adm + "/FOURNIS.DB"};
    for (const char* f : {"REMISES.DB", "REMISES.PX"}) {
      std::ifstream in(adm + "/" + f, std::ios::binary);
      std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ag[static_cast<size_t>(a)].ecrits.emplace_back(adm + "/plain-" + f, std::move(data));
    }
  }
  const std::vector<std::string> siege = {dir + "/Administration/REMISES.DB", dir + "/Maj/FOURNIS.DB",
                                          dir + "/Administration/Agence.DB"};
  auto plancher = [&](bool ecrire) {
    return Mesurer(share, [&] {
      std::vector<char> buf(kRequete);
      for (const std::string& p : siege) LireEntier(&share, p, buf);
      std::future<void> ecriture;
      for (int a = 0; a < n; ++a) {
        for (const std::string& p : ag[static_cast<size_t>(a)].lus) LireEntier(&share, p, buf);
        if (!ecrire) continue;
        if (ecriture.valid()) ecriture.get();
        ecriture = std::async(std::launch::async, [&share, &e = ag[static_cast<size_t>(a)].ecrits] {
          for (const auto& [p, data] : e) EcrireEntier(&share, p, data, kRequete);
        });
      }
      if (ecriture.valid()) ecriture.get();
    });
  };
  Mesure plancherSim = plancher(false);
  Mesure plancherReel = plancher(true);
  for (const auto& a : ag)
    for (const auto& e : a.ecrits) local->RemoveFile(e.first).IgnoreError();
  if (temporaire) fs::remove_all(dir);

  std::printf("purchase conditions transfer, %d agencies, share %.1f ms and %.0f MB/s\n", n, opt.latenceMs,
              opt.bandeMo);
  Afficher("simulation", sim, n);
  Afficher("floor (reads)", plancherSim, n);
  Afficher("real run", reel, n);
  Afficher("floor (reads, writes)", plancherReel, n);
  std::printf("simulation_share_ratio=%.2f\n", sim.mur / plancherSim.mur);
  std::printf("share_ratio=%.2f round_trips_per_agency=%.1f\n", reel.mur / plancherReel.mur,
              static_cast<double>(reel.tours) / n);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto valeur = [&]() -> std::string {
      if (i + 1 >= argc) Echec(a + " needs a value");
      return argv[++i];
    };
    if (a == "--latency-ms") opt.latenceMs = std::atof(valeur().c_str());
    else if (a == "--bandwidth-mbs") opt.bandeMo = std::atof(valeur().c_str());
    else if (a == "--parallele") opt.parallele = std::atoi(valeur().c_str());
    else if (a == "--trace") {
      opt.trace = true;
      opt.filtreTrace = valeur();
    }
    else if (opt.quoi.empty()) opt.quoi = a;
    else if (opt.dir.empty()) opt.dir = a;
    else Echec("usage: share_bench stats|transfer [DIR] [--latency-ms L] [--parallele N] [--bandwidth-mbs B] [--trace TEXT]");
  }
  if (opt.quoi == "stats") return Statistiques(opt);
  if (opt.quoi == "transfer") return Transfert(opt);
  Echec("usage: share_bench stats|transfer [DIR] [--latency-ms L] [--parallele N] [--bandwidth-mbs B] [--trace TEXT]");
}
