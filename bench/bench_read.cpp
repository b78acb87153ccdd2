// Sequential scan of a large table, decoding every field, measured three ways on
// the same file with a warm cache: our engine, pxlib, and reading the bytes.
//   bench_read [RECORDS=1000000] [DIR=.]
// The table (a quote-line layout without blobs) is made with pxlib's writer the
// first time. Last line: ratio_vs_pxlib=X ratio_vs_raw_read=Y
// (X = our records/s over pxlib's, Y = our time over the raw read's).
// The scan path (AVX-512, AVX2 or scalar) is the best the processor has;
// CORVANES_SCAN_PATH=scalar|avx2|avx512 forces one. The output names it.
#ifndef CORVANES_HAVE_PXLIB
#include <cstdio>
int main() {
  std::fprintf(stderr, "bench_read needs pxlib (pxlib-dev)\n");
  return 2;
}
#else
extern "C" {
#include <paradox.h>
}
#include <fcntl.h>
#include <unistd.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "paradox/scan_path.h"
#include "paradox/table.h"

namespace {

struct Col {
  const char* name;
  char type;
  int len;
};

// The quote-line table's fields, memos left out.
const Col kCols[] = {
    {"Dossier", pxfAlpha, 10},   {"Base", pxfShort, 2},         {"Numero", pxfShort, 2},
    {"Famille", pxfAlpha, 2},    {"Modele", pxfAlpha, 2},       {"Repere", pxfAlpha, 4},
    {"Destination", pxfAlpha, 2}, {"Hauteur", pxfShort, 2},     {"Largeur", pxfShort, 2},
    {"Vantail", pxfShort, 2},    {"HauteurBis", pxfShort, 2},   {"LargeurBis", pxfShort, 2},
    {"Fournisseur", pxfAlpha, 2}, {"Tarif", pxfNumber, 8},      {"Vente", pxfNumber, 8},
    {"Achat", pxfNumber, 8},     {"AjoutTarif", pxfNumber, 8},  {"PrixNet", pxfNumber, 8},
    {"Quantite", pxfShort, 2},   {"Sens", pxfShort, 2},         {"Type", pxfShort, 2},
    {"Parent", pxfShort, 2},     {"Plus", pxfNumber, 8},        {"RV1", pxfShort, 2},
    {"RV2", pxfShort, 2},        {"RA1", pxfShort, 2},          {"RA2", pxfShort, 2},
    {"Flag", pxfShort, 2},       {"Reutiliser", pxfShort, 2},   {"Allege", pxfShort, 2},
    {"TypePose", pxfShort, 2},   {"Poseur", pxfAlpha, 2},       {"PrixPose", pxfNumber, 8},
    {"Soubassement", pxfShort, 2}, {"Trier", pxfShort, 2},      {"IsModifie", pxfShort, 2},
    {"QuantiteModifie", pxfShort, 2}, {"AchatModifie", pxfNumber, 8}, {"SensModifie", pxfShort, 2},
    {"DestinationModifie", pxfAlpha, 2}, {"RepereModifie", pxfAlpha, 4}, {"HauteurModifie", pxfNumber, 8},
    {"LargeurModifie", pxfNumber, 8}, {"VantailModifie", pxfShort, 2}, {"PlusModifie", pxfNumber, 8},
    {"Tva", pxfShort, 2},        {"NumeroUnique", pxfAlpha, 50},
};
constexpr int kNumCols = sizeof(kCols) / sizeof(kCols[0]);

// Thread CPU time (user + system): the machine running benchmarks is often
// shared, and wall time would then measure the neighbours.
double Now() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

bool MakeTable(const std::string& path, int records) {
  pxdoc_t* doc = PX_new();
  // pxlib takes the descriptors and names over and frees them itself.
  auto* fields = static_cast<pxfield_t*>(doc->malloc(doc, kNumCols * sizeof(pxfield_t), "fields"));
  int recSize = 0;
  for (int i = 0; i < kNumCols; ++i) {
    size_t len = std::strlen(kCols[i].name) + 1;
    fields[i].px_fname = static_cast<char*>(doc->malloc(doc, len, "field name"));
    std::memcpy(fields[i].px_fname, kCols[i].name, len);
    fields[i].px_ftype = kCols[i].type;
    fields[i].px_flen = kCols[i].len;
    fields[i].px_fdc = 0;
    recSize += kCols[i].len;
  }
  if (PX_create_file(doc, fields, kNumCols, path.c_str(), pxfFileTypNonIndexDB) < 0) {
    std::fprintf(stderr, "cannot create %s with pxlib\n", path.c_str());
    return false;
  }
  std::vector<char> rec(recSize);
  char text[64];
  for (int r = 0; r < records; ++r) {
    std::memset(rec.data(), 0, rec.size());
    char* p = rec.data();
    for (int i = 0; i < kNumCols; ++i) {
      const Col& c = kCols[i];
      // Leave a few values blank, as real tables do.
      if ((r + i) % 11 != 0) {
        if (c.type == pxfAlpha) {
          std::snprintf(text, sizeof text, "%c%07d", 'A' + i % 26, r);
          text[c.len < static_cast<int>(sizeof text) ? c.len : 63] = 0;
          PX_put_data_alpha(doc, p, c.len, text);
        } else if (c.type == pxfShort) {
          PX_put_data_short(doc, p, c.len, static_cast<short>((r * 7 + i) % 30000 - 1000));
        } else {
          PX_put_data_double(doc, p, c.len, (r % 100000) * 1.25 + i * 0.01);
        }
      }
      p += c.len;
    }
    PX_put_record(doc, rec.data());
  }
  PX_close(doc);
  PX_delete(doc);
  return true;
}

double RawRead(const std::string& path, uint64_t* sum) {
  double t0 = Now();
  int fd = ::open(path.c_str(), O_RDONLY);
  std::vector<char> buf(1 << 16);
  uint64_t s = 0;
  ssize_t n;
  while ((n = ::read(fd, buf.data(), buf.size())) > 0)
    for (ssize_t i = 0; i < n; i += 64) s += static_cast<unsigned char>(buf[i]);
  ::close(fd);
  *sum = s;
  return Now() - t0;
}

void Fail(const pdx::Status& s) {
  std::fprintf(stderr, "%s\n", s.ToString().c_str());
  std::exit(1);
}

std::unique_ptr<pdx::Table> OpenTable(const std::string& dir) {
  std::unique_ptr<pdx::Table> t;
  pdx::Status s = pdx::Table::Open(pdx::Env::Default(), dir, "LIGNE.DB", &t);
  if (!s.ok()) Fail(s);
  return t;
}

// Through a scan plan: the fields looked up once, then each record decoded
// into flat arrays, the way a scan of the program reads every field.
__attribute__((noinline)) double OurScan(const std::string& dir, uint64_t* records, double* sum,
                                         pdx::ScanPath* path) {
  double t0 = Now();
  std::unique_ptr<pdx::Table> t = OpenTable(dir);
  auto cur = t->NewCursor();
  std::vector<int> intFields, doubleFields, textFields;
  for (size_t i = 0; i < t->info().fields.size(); ++i) {
    const int f = static_cast<int>(i) + 1;
    switch (t->info().fields[i].type) {
      case pdx::FieldType::kAlpha: textFields.push_back(f); break;
      case pdx::FieldType::kShort: intFields.push_back(f); break;
      default: doubleFields.push_back(f);
    }
  }
  pdx::ScanPlan plan;
  pdx::Status s = pdx::ScanPlan::Make(t->info().slots, static_cast<uint32_t>(t->info().recordSize), intFields,
                                      doubleFields, textFields, &plan);
  if (!s.ok()) Fail(s);
  *path = plan.path();
  // A block's values, record after record.
  const size_t intPad = intFields.size(), doublePad = doubleFields.size();
  const size_t textCount = textFields.size();
  std::vector<int32_t> ints;
  std::vector<double> doubles;
  std::vector<std::string_view> texts;
  int64_t intSum = 0;
  double doubleSums[4] = {0, 0, 0, 0};
  uint64_t textBytes = 0;
  std::vector<pdx::RecordView> views;
  uint64_t n = 0;
  double acc = 0;
  for (s = cur->First(); s.ok() && !cur->AtEnd(); s = cur->Next()) {
    // A block's records at a time.
    if (!(s = cur->GetRecordViews(&views)).ok()) break;
    const size_t m = views.size();
    if (ints.size() < m * intPad) {
      ints.assign(m * intPad, 0);
      doubles.assign(m * doublePad, 0);
      texts.resize(m * textCount);
    }
    if (!plan.DecodeBlock(views.data(), m, ints.data(), doubles.data(), texts.data()))
      Fail(pdx::Status::InvalidArgument("the scan plan does not fit the table"));
    n += m;
    // Touches every value: the block's values summed (four sums of doubles,
    // so that the additions do not wait on each other).
    const size_t ni = m * plan.intCount(), nd = m * plan.doubleCount();
    for (size_t k = 0; k < ni; ++k) intSum += ints[k];
    size_t k = 0;
    for (; k + 4 <= nd; k += 4)
      for (int j = 0; j < 4; ++j) doubleSums[j] += doubles[k + j];
    for (; k < nd; ++k) doubleSums[0] += doubles[k];
    for (size_t x = 0; x < m * textCount; ++x) textBytes += texts[x].size();
  }
  // The sum stays comparable with pxlib's.
  acc = static_cast<double>(intSum) + (doubleSums[0] + doubleSums[1]) + (doubleSums[2] + doubleSums[3]) +
        static_cast<double>(textBytes);
  if (!s.ok()) Fail(s);
  *records = n;
  *sum = acc;
  return Now() - t0;
}

// Through GetValues: every field into a Value (text copied).
__attribute__((noinline)) double ValuesScan(const std::string& dir, uint64_t* records, double* sum) {
  double t0 = Now();
  std::unique_ptr<pdx::Table> t = OpenTable(dir);
  auto cur = t->NewCursor();
  const int nf = static_cast<int>(t->info().fields.size());
  std::vector<pdx::Value> vals(nf);
  uint64_t n = 0;
  double acc = 0;
  pdx::Status s;
  for (s = cur->First(); s.ok() && !cur->AtEnd(); s = cur->Next(), ++n) {
    if (!(s = cur->GetValues(&vals)).ok()) break;
    double rec = 0;
    int64_t ints = 0;
    for (int f = 0; f < nf; ++f) {
      rec += vals[f].d;
      ints += vals[f].i + static_cast<int64_t>(vals[f].text.size());
    }
    acc += rec + static_cast<double>(ints);
  }
  if (!s.ok()) Fail(s);
  *records = n;
  *sum = acc;
  return Now() - t0;
}

double PxScan(const std::string& path, uint64_t limit, uint64_t* records, double* sum) {
  double t0 = Now();
  pxdoc_t* doc = PX_new();
  if (PX_open_file(doc, path.c_str()) < 0) std::exit(1);
  const int nrec = PX_get_num_records(doc);
  const int nf = PX_get_num_fields(doc);
  std::vector<pxfield_t*> f(nf);
  for (int i = 0; i < nf; ++i) f[i] = PX_get_field(doc, i);
  std::vector<char> rec(doc->px_head->px_recordsize);
  double acc = 0;
  uint64_t n = 0;
  for (int r = 0; r < nrec && n < limit; ++r, ++n) {
    PX_get_record(doc, r, rec.data());
    char* p = rec.data();
    for (int i = 0; i < nf; ++i) {
      switch (f[i]->px_ftype) {
        case pxfAlpha: {
          char* s = nullptr;
          if (PX_get_data_alpha(doc, p, f[i]->px_flen, &s) > 0 && s) {
            acc += static_cast<double>(std::strlen(s));
            doc->free(doc, s);
          }
          break;
        }
        case pxfShort: {
          short v;
          if (PX_get_data_short(doc, p, f[i]->px_flen, &v) > 0) acc += v;
          break;
        }
        default: {
          double v;
          if (PX_get_data_double(doc, p, f[i]->px_flen, &v) > 0) acc += v;
        }
      }
      p += f[i]->px_flen;
    }
  }
  PX_close(doc);
  PX_delete(doc);
  *records = n;
  *sum = acc;
  return Now() - t0;
}

}  // namespace

int main(int argc, char** argv) {
  const int records = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const std::string dir = argc > 2 ? argv[2] : ".";
  const std::string path = dir + "/LIGNE.DB";
  {
    std::unique_ptr<pdx::Table> t;
    if (!pdx::Table::Open(pdx::Env::Default(), dir, "LIGNE.DB", &t).ok() ||
        t->info().recordCount != static_cast<uint32_t>(records)) {
      std::printf("making %s with %d records (pxlib)\n", path.c_str(), records);
      if (!MakeTable(path, records)) return 1;
    }
  }
  uint64_t rawSum = 0, ours = 0, px = 0;
  double ourSum = 0, pxSum = 0;
  RawRead(path, &rawSum);  // warms the cache
  double tRaw = 1e9, tOurs = 1e9, tValues = 1e9, tPx = 1e9;
  uint64_t valuesCount = 0;
  pdx::ScanPath scanPath = pdx::ScanPath::kAuto;
  double valuesSum = 0;
  for (int rep = 0; rep < 5; ++rep) {
    tRaw = std::min(tRaw, RawRead(path, &rawSum));
    tOurs = std::min(tOurs, OurScan(dir, &ours, &ourSum, &scanPath));
    tValues = std::min(tValues, ValuesScan(dir, &valuesCount, &valuesSum));
  }
  // pxlib slows down as tables grow; BENCH_PXLIB_RECORDS limits its share.
  const char* pxLimit = std::getenv("BENCH_PXLIB_RECORDS");
  tPx = PxScan(path, pxLimit ? std::strtoull(pxLimit, nullptr, 10) : static_cast<uint64_t>(records), &px, &pxSum);
  const double ourRate = static_cast<double>(ours) / tOurs;
  const double pxRate = static_cast<double>(px) / tPx;
  std::printf("records: %llu, fields: %d\n", static_cast<unsigned long long>(ours), kNumCols);
  const char* asked = std::getenv("CORVANES_SCAN_PATH");
  std::printf("scan path: %s%s%s%s\n", pdx::ScanPathName(scanPath), asked ? " (CORVANES_SCAN_PATH=" : "",
              asked ? asked : "", asked ? ")" : "");
  std::printf("raw read: %.3f s\n", tRaw);
  std::printf("corvanes: %.3f s, %.0f records/s (checksum %.6g)\n", tOurs, ourRate, ourSum);
  std::printf("corvanes, every field into a Value: %.3f s (checksum %.6g)\n", tValues, valuesSum);
  std::printf("pxlib:    %.3f s, %.0f records/s over %llu records (checksum %.6g)\n", tPx, pxRate,
              static_cast<unsigned long long>(px), pxSum);
  std::printf("ratio_vs_pxlib=%.2f ratio_vs_raw_read=%.2f\n", ourRate / pxRate, tOurs / tRaw);
  return 0;
}
#endif
