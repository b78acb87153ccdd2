#include "paradox/codepage.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "paradox/text/codepage_tables.h"

namespace pdx {

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool NextUtf8(std::string_view s, size_t* pos, uint32_t* cp) {
  size_t i = *pos;
  if (i >= s.size()) return false;
  uint8_t c = static_cast<uint8_t>(s[i]);
  int extra;
  uint32_t v;
  if (c < 0x80) {
    *cp = c;
    *pos = i + 1;
    return true;
  } else if ((c & 0xE0) == 0xC0) {
    extra = 1;
    v = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    v = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    v = c & 0x07;
  } else {
    return false;
  }
  if (i + extra >= s.size()) return false;
  for (int k = 1; k <= extra; ++k) {
    uint8_t d = static_cast<uint8_t>(s[i + k]);
    if ((d & 0xC0) != 0x80) return false;
    v = (v << 6) | (d & 0x3F);
  }
  // Overlong forms, surrogates and out-of-range values are malformed.
  static const uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (v < kMin[extra] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return false;
  *cp = v;
  *pos = i + 1 + extra;
  return true;
}

CodePage::CodePage(int number, const uint16_t* table) : number_(number), table_(table) {
  reverse_.reserve(256);
  for (int b = 0; b < 256; ++b) {
    std::string u;
    AppendUtf8(table_[b], &u);
    for (size_t k = 0; k < 3; ++k) utf8_[b][k] = k < u.size() ? static_cast<uint8_t>(u[k]) : 0;
    utf8_[b][3] = static_cast<uint8_t>(u.size());
    reverse_.emplace_back(table_[b], static_cast<uint8_t>(b));
  }
  // For a code point held by several bytes, the lowest byte wins.
  std::stable_sort(reverse_.begin(), reverse_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
}

namespace {

struct Registry {
  std::vector<std::unique_ptr<CodePage>> pages;
  Registry() {
    for (size_t i = 0; i < cptables::kPageCount; ++i)
      pages.push_back(std::make_unique<CodePage>(cptables::kPages[i].codePage, cptables::kPages[i].table));
  }
};

// Immutable once built: the tables are constants of the program.
const Registry& GetRegistry() {
  static const Registry r;
  return r;
}

}  // namespace

bool CodePage::IsSupported(int codePage) {
  const CodePage* p;
  return Find(codePage, &p).ok();
}

Status CodePage::Find(int codePage, const CodePage** out) {
  if (codePage == 0) codePage = 437;
  for (const auto& p : GetRegistry().pages) {
    if (p->number() == codePage) {
      *out = p.get();
      return Status::OK();
    }
  }
  *out = nullptr;
  return Status::NotSupported("code page " + std::to_string(codePage) + " is not supported");
}

void CodePage::Decode(const char* bytes, size_t n, std::string* out) const {
  // Most table text is ASCII: copy the leading run in one go.
  size_t run = 0;
  while (run < n && static_cast<uint8_t>(bytes[run]) < 0x80) ++run;
  out->append(bytes, run);
  if (run == n) return;
  out->reserve(out->size() + 2 * (n - run));
  for (size_t i = run; i < n; ++i) {
    uint8_t b = static_cast<uint8_t>(bytes[i]);
    if (b < 0x80) {
      out->push_back(static_cast<char>(b));
    } else {
      out->append(reinterpret_cast<const char*>(utf8_[b]), utf8_[b][3]);
    }
  }
}

Status CodePage::Encode(std::string_view utf8, std::string* out) const {
  size_t pos = 0;
  while (pos < utf8.size()) {
    size_t at = pos;
    uint32_t cp;
    if (!NextUtf8(utf8, &pos, &cp))
      return Status::InvalidArgument("malformed UTF-8 text at byte " + std::to_string(at));
    if (cp < 0x80 && table_[cp] == cp) {
      out->push_back(static_cast<char>(cp));
      continue;
    }
    auto it = std::lower_bound(reverse_.begin(), reverse_.end(), cp,
                               [](const auto& e, uint32_t v) { return e.first < v; });
    if (it == reverse_.end() || it->first != cp) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "U+%04X", cp);
      return Status::InvalidArgument("character " + std::string(utf8.substr(at, pos - at)) + " (" + buf +
                                     ") cannot be stored in code page " + std::to_string(number_));
    }
    out->push_back(static_cast<char>(it->second));
  }
  return Status::OK();
}

}  // namespace pdx
