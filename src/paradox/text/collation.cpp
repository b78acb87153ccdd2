#include "paradox/text/collation.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "paradox/text/collation_letters.h"

namespace pdx {

namespace ci = collation_internal;

namespace {

// Primary weights: an ASCII sign keeps its code (times 8, leaving room for the
// letters some orders add after a Latin letter); a Latin letter weighs as its
// uppercase ASCII letter; Cyrillic letters come after (kCyrillicBase); any other
// sign of the code page sorts last, in byte order.
constexpr uint16_t kStep = 8;
constexpr uint16_t kOtherBase = 0x1000;

uint16_t AsciiWeight(char32_t c) { return static_cast<uint16_t>(c * kStep); }

enum class Family { kBinary, kIntl, kNordan, kSwedfin, kSpanish };

struct OrderName {
  const char* name;
  Family family;
};

// Sort order names as the engine writes them in table headers. The dictionary
// families share their rules; they differ by the code page of their tables,
// which the caller passes in.
const OrderName kOrders[] = {
    {"ascii", Family::kBinary},     {"intl", Family::kIntl},         {"intl850", Family::kIntl},
    {"ANSIINTL", Family::kIntl},    {"ANSII850", Family::kIntl},     {"nordan", Family::kNordan},
    {"nordan40", Family::kNordan},  {"ANSINOR4", Family::kNordan},   {"swedfin", Family::kSwedfin},
    {"ANSISWFN", Family::kSwedfin}, {"spanish", Family::kSpanish},   {"ANSISPAN", Family::kSpanish},
    {"cyrr", Family::kIntl},        {"ANCYRR", Family::kIntl},
};

bool EqualNoCase(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

const ci::LetterInfo* FindLetter(char32_t c) {
  const ci::LetterInfo* end = ci::kLetters + ci::kLetterCount;
  const ci::LetterInfo* it =
      std::lower_bound(ci::kLetters, end, c, [](const ci::LetterInfo& l, char32_t v) { return l.code < v; });
  return (it != end && it->code == c) ? it : nullptr;
}

// Letters a Nordic order sorts after Z: position 1, 2 or 3, or 0 for none.
int NordicSlot(Family f, uint16_t base, uint8_t accent) {
  bool ae = (base == 'A' && accent == ci::kDiaeresis) || (base == 'A' && accent == ci::kLigature);
  bool oe = (base == 'O' && (accent == ci::kDiaeresis || accent == ci::kStroke));
  bool aring = (base == 'A' && accent == ci::kRing);
  if (f == Family::kNordan) return ae ? 1 : oe ? 2 : aring ? 3 : 0;   // Æ Ø Å
  if (f == Family::kSwedfin) return aring ? 1 : ae ? 2 : oe ? 3 : 0;  // Å Ä Ö
  return 0;
}

}  // namespace

CodePageMap Latin1Map() {
  CodePageMap m{};
  for (int i = 0; i < 256; ++i) m[i] = static_cast<char32_t>(i);
  return m;
}

Collation::Collation() {
  for (int b = 0; b < 256; ++b) {
    upcase_[b] = static_cast<uint8_t>((b >= 'a' && b <= 'z') ? b - 32 : b);
  }
}

std::vector<std::string> Collation::KnownNames() {
  std::vector<std::string> out;
  for (const OrderName& o : kOrders) out.emplace_back(o.name);
  return out;
}

Status Collation::Make(const std::string& sortOrder, const CodePageMap& codePage, Collation* out) {
  const OrderName* order = nullptr;
  for (const OrderName& o : kOrders) {
    if (EqualNoCase(sortOrder, o.name)) order = &o;
  }
  if (order == nullptr) return Status::NotSupported("unknown sort order \"" + sortOrder + "\"");

  Collation c;
  c.name_ = order->name;
  c.binary_ = order->family == Family::kBinary;

  // Uppercase through Unicode, back into the code page when it holds the form.
  for (int b = 0; b < 256; ++b) {
    char32_t u = codePage[b];
    char32_t up = u;
    if (u >= 'a' && u <= 'z') {
      up = u - 32;
    } else if (const ci::LetterInfo* l = FindLetter(u); l != nullptr && l->upcase != 0) {
      up = l->upcase;
    }
    c.upcase_[b] = static_cast<uint8_t>(b);
    if (up != u) {
      for (int t = 1; t < 256; ++t) {
        if (codePage[t] == up) {
          c.upcase_[b] = static_cast<uint8_t>(t);
          break;
        }
      }
    }
  }

  for (int b = 1; b < 256; ++b) {
    Weight& w = c.weight_[b];
    char32_t u = codePage[b];
    if (u != 0 && u < 0x80) {
      if (u >= 'a' && u <= 'z') {
        w.primary[0] = AsciiWeight(u - 32);
      } else {
        w.primary[0] = AsciiWeight(u);
        w.upper = (u >= 'A' && u <= 'Z') ? 1 : 0;
      }
      continue;
    }
    const ci::LetterInfo* l = u != 0 ? FindLetter(u) : nullptr;
    if (l == nullptr) {
      w.primary[0] = static_cast<uint16_t>(kOtherBase + b);
      continue;
    }
    w.accent = l->accent;
    w.upper = l->upper;
    if (l->base1 >= ci::kCyrillicBase) {
      w.primary[0] = l->base1;
      continue;
    }
    w.primary[0] = AsciiWeight(l->base1);
    w.primary[1] = l->base2 ? AsciiWeight(l->base2) : 0;
    Family f = order->family;
    if (int slot = NordicSlot(f, l->base1, l->accent); slot != 0) {
      w.primary[0] = static_cast<uint16_t>(AsciiWeight('Z') + slot);
      w.primary[1] = 0;
    } else if (f == Family::kSpanish && l->base1 == 'N' && l->accent == ci::kTilde) {
      w.primary[0] = static_cast<uint16_t>(AsciiWeight('N') + 1);
    } else if (l->accent == ci::kDiaeresis && (l->base1 == 'A' || l->base1 == 'O' || l->base1 == 'U')) {
      // German umlauts sort as the vowel followed by E.
      w.primary[1] = AsciiWeight('E');
    }
  }
  c.BuildRanks();
  *out = c;
  return Status::OK();
}

void Collation::Upcase(char* bytes, size_t n) const {
  for (size_t i = 0; i < n; ++i) {
    bytes[i] = static_cast<char>(upcase_[static_cast<unsigned char>(bytes[i])]);
  }
}

std::string Collation::Upcased(std::string_view bytes) const {
  std::string s(bytes);
  Upcase(s.data(), s.size());
  return s;
}

namespace {
size_t StoredLength(std::string_view s) {
  size_t n = 0;
  while (n < s.size() && s[n] != '\0') ++n;
  return n;
}
}  // namespace

int Collation::CompareAlpha(std::string_view a, std::string_view b, bool caseInsensitive) const {
  if (!binary_) {
    // Bytes both values share at the start weigh the same on every level, so
    // comparing from the first difference gives the same answer, sooner (keys
    // of one table often share long prefixes). The stored text ends at its
    // first NUL.
    size_t p = 0;
    const size_t n = std::min(a.size(), b.size());
    if constexpr (std::endian::native == std::endian::little) {
      // Eight bytes at a time up to the first difference or NUL.
      constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
      while (p + 8 <= n) {
        uint64_t x, y;
        std::memcpy(&x, a.data() + p, 8);
        std::memcpy(&y, b.data() + p, 8);
        const uint64_t diff = x ^ y, nul = (x - kOnes) & ~x & kHighs;
        if ((diff | nul) == 0) {
          p += 8;
          continue;
        }
        const unsigned d = diff ? static_cast<unsigned>(__builtin_ctzll(diff)) / 8 : 8;
        const unsigned z = nul ? static_cast<unsigned>(__builtin_ctzll(nul)) / 8 : 8;
        p += std::min(d, z);
        break;
      }
    }
    while (p < n && a[p] == b[p] && a[p] != '\0') ++p;
    size_t ea = p, eb = p;
    while (ea < a.size() && a[ea] != '\0') ++ea;
    while (eb < b.size() && b[eb] != '\0') ++eb;
    if (ea == p && eb == p) return 0;  // the same text
    return CompareDictionary(a.substr(p, ea - p), b.substr(p, eb - p), caseInsensitive);
  }
  a = a.substr(0, StoredLength(a));
  b = b.substr(0, StoredLength(b));
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (caseInsensitive) {
      x = upcase_[x];
      y = upcase_[y];
    }
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int Collation::CompareDictionary(std::string_view a, std::string_view b, bool caseInsensitive) const {
  // Level 1: the letters, expanded (a ligature counts as two).
  size_t i = 0, j = 0, ki = 0, kj = 0;
  for (;;) {
    uint16_t x = 0, y = 0;
    while (i < a.size()) {
      const Weight& w = weight_[static_cast<unsigned char>(a[i])];
      if (ki < 2 && w.primary[ki] != 0) {
        x = w.primary[ki++];
        break;
      }
      ++i;
      ki = 0;
    }
    while (j < b.size()) {
      const Weight& w = weight_[static_cast<unsigned char>(b[j])];
      if (kj < 2 && w.primary[kj] != 0) {
        y = w.primary[kj++];
        break;
      }
      ++j;
      kj = 0;
    }
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) break;  // both ended
  }
  // Level 2: accents, character by character.
  size_t n = std::min(a.size(), b.size());
  for (size_t k = 0; k < n; ++k) {
    uint8_t x = weight_[static_cast<unsigned char>(a[k])].accent;
    uint8_t y = weight_[static_cast<unsigned char>(b[k])].accent;
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  if (caseInsensitive) return 0;
  // Level 3: case, the lowercase letter first.
  for (size_t k = 0; k < n; ++k) {
    uint8_t x = weight_[static_cast<unsigned char>(a[k])].upper;
    uint8_t y = weight_[static_cast<unsigned char>(b[k])].upper;
    if (x != y) return x < y ? -1 : 1;
  }
  // Equal to the eye but different bytes (signs sharing a weight): byte order
  // keeps the order total.
  int r = a.compare(b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareStoredField(FieldType type, const char* a, const char* b, size_t size, const Collation& collation,
                       bool caseInsensitive) {
  if (type == FieldType::kAlpha) {
    return collation.CompareAlpha(std::string_view(a, size), std::string_view(b, size), caseInsensitive);
  }
  int r = std::memcmp(a, b, size);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

}  // namespace pdx
