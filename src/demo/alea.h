#pragma once
// The generator's only source of chance: a small seeded generator whose output
// depends on the seed alone (no library distribution, whose results differ
// between standard libraries), so a given seed writes the same installation
// everywhere.
#include <cstdint>
#include <string>
#include <vector>

namespace corv::demo {

class Alea {
 public:
  explicit Alea(uint64_t seed) : state_(seed) {}

  // A fresh generator for one part of the installation, so that adding rows to
  // one table does not shift every table generated after it.
  Alea Branche(uint64_t tag) const { return Alea(state_ ^ (0x9E3779B97F4A7C15ULL * (tag + 1))); }

  uint64_t Suivant() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform in [lo, hi] (hi >= lo).
  int Entre(int lo, int hi) {
    uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo) + 1;
    return lo + static_cast<int>(Suivant() % span);
  }
  // Uniform in [0, 1).
  double Reel() { return static_cast<double>(Suivant() >> 11) * (1.0 / 9007199254740992.0); }
  bool Chance(double p) { return Reel() < p; }
  // An amount with two decimals in [lo, hi].
  double Montant(double lo, double hi) {
    long long c = static_cast<long long>(lo * 100) + static_cast<long long>(Suivant() % static_cast<uint64_t>((hi - lo) * 100 + 1));
    return static_cast<double>(c) / 100.0;
  }
  template <typename T>
  const T& Parmi(const std::vector<T>& v) {
    return v[Suivant() % v.size()];
  }

 private:
  uint64_t state_;
};

}  // namespace corv::demo
