// Opening the price catalogue: builds a "Tarifs" directory holding every table
// of the catalogue, "TARIF.DB" with 200,000 records, then times
// OuvrirTablesCatalogue and counts the bytes it reads, to show that opening does
// not read whole tables.
// Usage: catalogue_bench [DIR] [RECORDS]   (DIR defaults to a fresh temp dir)
// Last line: open_seconds=X
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "data/creation.h"
#include "data/dm.h"
#include "paradox/env_wrapper.h"
#include "paradox/writer.h"

namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Counts the bytes read through the engine's file interface.
class CountingFile : public pdx::RandomAccessFile {
 public:
  CountingFile(std::unique_ptr<pdx::RandomAccessFile> f, uint64_t* n, uint64_t* perFile)
      : f_(std::move(f)), n_(n), perFile_(perFile) {}
  pdx::Status Read(uint64_t offset, size_t n, char* scratch, size_t* got) const override {
    pdx::Status s = f_->Read(offset, n, scratch, got);
    *n_ += *got;
    *perFile_ += *got;
    return s;
  }
  uint64_t Size() const override { return f_->Size(); }

 private:
  std::unique_ptr<pdx::RandomAccessFile> f_;
  uint64_t* n_;
  uint64_t* perFile_;
};

class CountingEnv : public pdx::EnvWrapper {
 public:
  explicit CountingEnv(pdx::Env* b) : EnvWrapper(b) {}
  uint64_t bytesRead = 0;
  std::map<std::string, uint64_t> perFile;
  pdx::Status NewRandomAccessFile(const std::string& p, std::unique_ptr<pdx::RandomAccessFile>* out) override {
    std::unique_ptr<pdx::RandomAccessFile> f;
    PDX_RETURN_IF_ERROR(target()->NewRandomAccessFile(p, &f));
    *out = std::make_unique<CountingFile>(std::move(f), &bytesRead, &perFile[p]);
    return pdx::Status::OK();
  }
};

int Fail(const pdx::Status& s) {
  std::fprintf(stderr, "error: %s\n", s.ToString().c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::string dir = argc > 1 ? argv[1] : (fs::temp_directory_path() / "corvanes-catalogue-bench").string();
  long records = argc > 2 ? std::atol(argv[2]) : 200000;
  fs::remove_all(dir);
  fs::create_directories(dir + "/Tarifs");
  pdx::Env* env = pdx::Env::Default();

  auto t0 = Clock::now();
  for (const auto& d : corv::Dictionnaire()) {
    if (d.alias != corv::kAliasTarifs) continue;
    pdx::Status s = corv::CreerFichier(env, dir + "/Tarifs", d);
    if (!s.ok()) return Fail(s);
  }
  {
    std::unique_ptr<pdx::TableWriter> w;
    pdx::Status s = pdx::TableWriter::Open(env, dir + "/Tarifs", "TARIF.DB", {}, &w);
    if (!s.ok()) return Fail(s);
    static const char* kFns[] = {"GX", "AB", "KL", "MP", "ZT"};
    for (long i = 0; i < records && s.ok(); ++i) {
      char fam[3] = {static_cast<char>('A' + i % 26), static_cast<char>('A' + (i / 26) % 26), 0};
      char mod[3] = {static_cast<char>('A' + (i / 676) % 26), static_cast<char>('A' + (i / 17576) % 26), 0};
      char code[3] = {static_cast<char>('0' + (i / 456976) % 10), static_cast<char>('0' + i % 10), 0};
      s = w->Insert({pdx::Value::Int(1 + i % 3), pdx::Value::Text(fam), pdx::Value::Text(mod),
                     pdx::Value::Text(kFns[(i / 7) % 5]), pdx::Value::Text(code),
                     pdx::Value::Text("Produit " + std::to_string(i)), pdx::Value::Text("REF" + std::to_string(i)),
                     pdx::Value::Double(1.0 + (i % 100) / 100.0)});
    }
    if (s.ok()) s = w->Close();
    if (!s.ok()) return Fail(s);
  }
  uint64_t total = 0;
  for (const auto& e : fs::directory_iterator(dir + "/Tarifs"))
    if (e.is_regular_file()) total += e.file_size();
  std::printf("built %ld TARIF.DB records and %zu catalogue files (%.1f MB) in %.2f s\n", records,
              static_cast<size_t>(std::distance(fs::directory_iterator(dir + "/Tarifs"), fs::directory_iterator{})),
              total / 1e6, Since(t0));

  CountingEnv counting(env);
  corv::Session session;
  session.SetAlias(corv::kAliasTarifs, dir + "\\Tarifs");
  corv::HostPaths host(&counting);
  corv::ConsoleDialogs dialogs("message: ");
  double best = 1e9;
  uint64_t read = 0;
  for (int run = 0; run < 5; ++run) {
    corv::TDM dm(session, host, dialogs);
    counting.bytesRead = 0;
    auto t = Clock::now();
    bool failed = !dm.OuvrirTablesCatalogue().ok();
    double sec = Since(t);
    read = counting.bytesRead;
    if (failed) {
      std::fprintf(stderr, "some catalogue tables did not open\n");
      return 1;
    }
    // Opened read only: closing has nothing to write.
    dm.FermerTablesCatalogue().IgnoreError();
    best = std::min(best, sec);
    std::printf("run %d: %.4f s, %.2f MB read of %.1f MB on disk\n", run + 1, sec, read / 1e6, total / 1e6);
  }
  for (const auto& [path, n] : counting.perFile)
    if (n > 100000) std::printf("  %s: %.2f MB read\n", path.c_str(), n / 5e6);
  std::printf("open_seconds=%.4f\n", best);
  if (argc <= 1) fs::remove_all(dir);
  return 0;
}
