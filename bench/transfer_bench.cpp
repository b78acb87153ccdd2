// Conditions transfer benchmark: purchase mode, default options, over 50
// agencies. Head office holds 20,000 purchase conditions over 40 suppliers
// (450 supplier-wide and 50 client rows each); each agency 20,000 rows of its
// own over the same suppliers (300 supplier-wide rows sharing head office's
// keys with other rates, 200 client rows). A simulation runs first, then the
// real run, each followed by a plain write (with a sync) of every agency's
// final "REMISES.DB" files, for comparison. Each is measured five times and
// the median kept.
// Last line: ratio_vs_file_write=X (real run over the plain writes).
// Usage: transfer_bench [DIR] [AGENCIES] [reel|simulation|tout] [PAUSE]
// (DIR defaults to a fresh temp dir; "reel": the real run only, "simulation":
// the simulation only; PAUSE: seconds of rest before each real run and each
// plain write, 6 by default, 0 for runs back to back)
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "data/application.h"
#include "data/dictionnaire.h"
#include "data/creation.h"
#include "ecriture_simple.h"
#include "installation_conditions.h"
#include "paradox/writer.h"
#include "transfer/conditions.h"
#include "util/ini.h"
#include "util/allocator.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }


// Puts files back as they were, written over the files the run left (their
// bytes, then cut to size) rather than removed and made again: a hundred files
// removed and made between two runs leave the file system with as many
// recently freed inodes, which it then steps over when the next run makes its
// files, so that only the first run after the installation was spared that.
bool Remettre(const std::vector<std::pair<std::string, std::string>>& fichiers) {
  for (const auto& [path, data] : fichiers) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    size_t done = 0;
    while (ok && done < data.size()) {
      ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(done));
      ok = n > 0;
      if (ok) done += static_cast<size_t>(n);
    }
    ok = ok && ::ftruncate(fd, static_cast<off_t>(data.size())) == 0;
    ok = ok && ::fsync(fd) == 0;  // on disk, as the installation left them
    if (fd >= 0) ::close(fd);
    if (!ok) {
      std::fprintf(stderr, "transfer_bench: cannot put back %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

// Lets the file system forget the files removed before: ext4 without a journal
// (this machine's) steps over every inode freed in the last seconds (5 once
// written back, 35 while dirty) when it makes a file, so that a run made right
// after another pays for the other's removals, and each measured run would
// start from a different state. A scheduled transfer, once a day, never meets
// that; the removals of its own agencies, within the run, it does meet.
void Reposer(int secondes) {
  if (secondes <= 0) return;
  ::sync();
  std::this_thread::sleep_for(std::chrono::seconds(secondes));
}

}  // namespace

int main(int argc, char** argv) {
  corv::KeepFreedMemory();  // as the programs do
  namespace fs = std::filesystem;
  std::string dir = argc > 1 ? argv[1] : "";
  const int agences = argc > 2 ? std::stoi(argv[2]) : 50;
  if (dir.empty()) {
    dir = (fs::temp_directory_path() / ("transfer_bench_" + std::to_string(::getpid()))).string();
  }
  fs::create_directories(dir);
  pdx::Env* env = pdx::Env::Default();

  // The installation.
  auto t0 = Clock::now();
  bench::TailleConditions taille;
  if (!bench::InstallationConditions(env, dir, agences, taille)) return 1;
  std::printf("installation: %d agencies, head office %d conditions over %d suppliers, %d per agency (%.1f s)\n",
              agences, taille.Siege(), taille.fournisseurs, taille.Agence(), Since(t0));

  corv::ConsoleDialogs dialogs("transfer_bench: ");
  corv::Application app(env, dir + "/bin/transfer_bench", dialogs);
  if (!app.Demarrer(dir + "/qvrbde.ini").ok()) return 1;
  corv::OptionsConditions options = corv::LireOptionsConditions(app, corv::kModeAchat);

  double secsSim = 0, secsReel = 0, cpuReel = 0;
  const bool reelSeul = argc > 3 && std::string(argv[3]) == "reel";
  const bool simulationSeule = argc > 3 && std::string(argv[3]) == "simulation";
  // Seconds of rest before each real run and each plain write (see Reposer).
  const int pause = argc > 4 ? std::stoi(argv[4]) : 6;
  // Each figure is the median of five (the disk and the processors are
  // shared: one run is at the mercy of one disturbance); before each real run
  // the agencies' tables are put back as the installation made them (not
  // timed). Each real run is followed by a plain write of the files it left,
  // so that both halves of the ratio meet the disk in the same minute.
  const int fois = 5;
  std::vector<std::pair<std::string, std::string>> origines;  // path, bytes
  for (int a = 0; a < agences; ++a) {
    char code[16];
    std::snprintf(code, sizeof code, "AG%03d", a + 1);
    std::string adm = dir + "/Agences/" + code + "/Administration";
    for (const auto& e : fs::directory_iterator(adm)) {
      std::string n = e.path().filename().string();
      if (n.rfind("REMISES.", 0) == 0 && n.find(".cv") == std::string::npos) origines.emplace_back(e.path().string(), bench::ReadWhole(e.path().string()));
    }
  }
  auto mediane = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  std::vector<double> plains, plainsDisque;
  uint64_t bytes = 0;
  auto ecrireSimplement = [&]() {
    Reposer(pause);
    double plainRun = 0;
    bytes = 0;
    const double occupe0 = bench::DiskBusyMs();
    for (int a = 0; a < agences; ++a) {
      char code[16];
      std::snprintf(code, sizeof code, "AG%03d", a + 1);
      plainRun += bench::PlainWrite(dir + "/Agences/" + code + "/Administration", "REMISES", &bytes);
    }
    plains.push_back(plainRun);
    plainsDisque.push_back(bench::DiskBusyMs() - occupe0);
  };
  for (bool simulation : {true, false}) {
    if (simulation && reelSeul) continue;
    if (!simulation && simulationSeule) continue;
    corv::NullRunReport rep;
    corv::OptionsRun o;
    o.simulation = simulation;
    corv::TransfertConditions run(app, rep, o, options);
    std::vector<double> murs, cpus, fautes, disque;
    for (int k = 0; k < fois; ++k) {
      if (!simulation && k > 0 && !Remettre(origines)) return 1;
      if (!simulation) Reposer(pause);
      auto t = Clock::now();
      std::clock_t c = std::clock();
      struct rusage ru0 {};
      ::getrusage(RUSAGE_SELF, &ru0);
      const double occupe0 = bench::DiskBusyMs();
      corv::ResultatRun r = run.Lancer();
      disque.push_back(bench::DiskBusyMs() - occupe0);
      struct rusage ru1 {};
      ::getrusage(RUSAGE_SELF, &ru1);
      fautes.push_back(static_cast<double>(ru1.ru_minflt - ru0.ru_minflt));
      murs.push_back(Since(t));
      cpus.push_back(static_cast<double>(std::clock() - c) / CLOCKS_PER_SEC);
      if (!r.ok()) {
        std::fprintf(stderr, "transfer_bench: %s\n", r.erreur.c_str());
        return 1;
      }
      if (!simulation) ecrireSimplement();
      if (!simulation && k == 0) {
        // The counts of the last agency, as a check of the work done.
        const auto& m = run.Messages();
        for (size_t i = m.size() >= 10 ? m.size() - 10 : 0; i + 4 < m.size(); ++i)
          if (m[i].find("Remises") != std::string::npos) std::printf("  %s\n", m[i].c_str());
      }
    }
    double secs = mediane(murs), cpu = mediane(cpus);
    if (!simulation) cpuReel = cpu;
    (simulation ? secsSim : secsReel) = secs;
    std::printf("%s: %.2f s (%.1f ms per agency; processor time %.2f s; runs", simulation ? "simulation" : "real run",
                secs, secs * 1000 / agences, cpu);
    for (double m : murs) std::printf(" %.2f", m);
    std::printf("; page faults %.0f; disk busy %.0f ms)\n", mediane(fautes), mediane(disque));
  }

  // Alone, the simulation leaves the tables as they are: they are written as
  // they stand.
  while (plains.size() < static_cast<size_t>(fois)) ecrireSimplement();
  const double plain = mediane(plains);
  std::printf("plain write of the final REMISES files: %.2f s (%.1f MB, %.1f ms per agency; runs", plain,
              static_cast<double>(bytes) / 1e6, plain * 1000 / agences);
  for (double p : plains) std::printf(" %.2f", p);
  std::printf("; disk busy %.0f ms)\n", mediane(plainsDisque));
  if (argc <= 1) fs::remove_all(dir);
  std::printf("simulation_vs_file_write=%.2f\n", secsSim / plain);
  std::printf("real run processor time over the plain writes: %.2f\n", cpuReel / plain);
  std::printf("ratio_vs_file_write=%.2f\n", secsReel / plain);
  return 0;
}
