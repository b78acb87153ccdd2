#include "util/ini.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "util/text.h"

namespace corv {
namespace {

std::string Unquote(const std::string& v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

bool ParseInteger(const std::string& text, long long* out) {
  std::string s = Trim(text);
  if (s.empty()) return false;
  bool neg = false;
  size_t i = 0;
  if (s[i] == '+' || s[i] == '-') neg = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') { base = 16; ++i; }
  else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) { base = 16; i += 2; }
  if (i >= s.size()) return false;
  unsigned long long v = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    if (v > (~0ULL - static_cast<unsigned>(d)) / static_cast<unsigned>(base)) return false;
    v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
  }
  if (!neg && v > static_cast<unsigned long long>(INT64_MAX)) return false;
  if (neg && v > static_cast<unsigned long long>(INT64_MAX) + 1) return false;
  *out = neg ? static_cast<long long>(0 - v) : static_cast<long long>(v);
  return true;
}

bool ParseFloat(const std::string& text, double* out) {
  std::string s = Trim(text);
  if (s.empty()) return false;
  int seps = 0;
  for (char& c : s) {
    if (c == ',') c = '.';
    if (c == '.') ++seps;
    bool ok = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
    if (!ok) return false;
  }
  if (seps > 1) return false;
  // Whatever the process's locale: under a French one strtod stops at the point.
  const char* debut = s.c_str();
  if (*debut == '+') ++debut;
  double v = 0;
  auto [fin, ec] = std::from_chars(debut, s.c_str() + s.size(), v);
  if (ec != std::errc() || fin != s.c_str() + s.size() || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

}  // namespace

pdx::Status IniFile::Load(pdx::Env* env, const std::string& hostPath, IniFile* out) {
  std::unique_ptr<pdx::RandomAccessFile> f;
  PDX_RETURN_IF_ERROR(env->NewRandomAccessFile(hostPath, &f));
  // Configuration files are small; refuse anything absurd rather than allocate it.
  constexpr uint64_t kMax = 16u << 20;
  if (f->Size() > kMax) return pdx::Status::InvalidArgument(hostPath + ": INI file too large");
  std::string bytes(f->Size(), '\0');
  size_t got = 0;
  PDX_RETURN_IF_ERROR(f->Read(0, bytes.size(), bytes.data(), &got));
  bytes.resize(got);
  IniFile ini;
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    ini.utf8_ = true;
    ini.Parse(bytes.substr(3));
  } else {
    ini.Parse(Cp1252ToUtf8(bytes));
  }
  ini.path_ = hostPath;
  *out = std::move(ini);
  return pdx::Status::OK();
}

IniFile IniFile::FromText(const std::string& utf8) {
  IniFile ini;
  ini.Parse(utf8);
  return ini;
}

void IniFile::Parse(const std::string& text) {
  lines_.clear();
  int current = -1;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    std::string raw = text.substr(pos, nl - pos);
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    pos = nl + 1;
    if (nl == text.size() && raw.empty()) break;
    Line line;
    line.raw = raw;
    std::string t = Trim(raw);
    if (!t.empty() && t[0] == '[') {
      size_t close = t.find(']');
      line.header = true;
      line.name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      current = static_cast<int>(lines_.size());
      line.section = current;
    } else {
      line.section = current;
      size_t eq = t.find('=');
      if (!t.empty() && t[0] != ';' && eq != std::string::npos && current >= 0) {
        line.isKey = true;
        line.name = Trim(t.substr(0, eq));
        line.value = Unquote(Trim(t.substr(eq + 1)));
      }
    }
    lines_.push_back(std::move(line));
  }
}

int IniFile::FindSectionLine(const std::string& section) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].header && EqualsNoCase(lines_[i].name, section)) return static_cast<int>(i);
  return -1;
}

int IniFile::FindKeyLine(int sectionLine, const std::string& key) const {
  if (sectionLine < 0) return -1;
  for (size_t i = static_cast<size_t>(sectionLine) + 1; i < lines_.size() && !lines_[i].header; ++i)
    if (lines_[i].isKey && EqualsNoCase(lines_[i].name, key)) return static_cast<int>(i);
  return -1;
}

bool IniFile::HasSection(const std::string& section) const { return FindSectionLine(section) >= 0; }

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
  return FindKeyLine(FindSectionLine(section), key) >= 0;
}

std::optional<std::string> IniFile::Find(const std::string& section, const std::string& key) const {
  int k = FindKeyLine(FindSectionLine(section), key);
  if (k < 0) return std::nullopt;
  return lines_[static_cast<size_t>(k)].value;
}

std::vector<std::string> IniFile::Keys(const std::string& section) const {
  std::vector<std::string> keys;
  int s = FindSectionLine(section);
  if (s < 0) return keys;
  for (size_t i = static_cast<size_t>(s) + 1; i < lines_.size() && !lines_[i].header; ++i) {
    if (!lines_[i].isKey) continue;
    bool seen = false;
    for (const auto& k : keys) seen = seen || EqualsNoCase(k, lines_[i].name);
    if (!seen) keys.push_back(lines_[i].name);
  }
  return keys;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  auto v = Find(section, key);
  return v && !v->empty() ? *v : def;
}

long long IniFile::ReadInteger(const std::string& section, const std::string& key, long long def) const {
  auto v = Find(section, key);
  long long r = 0;
  return v && ParseInteger(*v, &r) ? r : def;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::ReadFloat(const std::string& section, const std::string& key, double def) const {
  auto v = Find(section, key);
  double r = 0;
  return v && ParseFloat(*v, &r) ? r : def;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  int s = FindSectionLine(section);
  Line kl;
  kl.isKey = true;
  kl.name = key;
  kl.value = value;
  kl.raw = key + "=" + value;
  if (s < 0) {
    if (!lines_.empty() && !Trim(lines_.back().raw).empty()) lines_.push_back(Line{});
    Line h;
    h.header = true;
    h.name = section;
    h.raw = "[" + section + "]";
    h.section = static_cast<int>(lines_.size());
    lines_.push_back(h);
    kl.section = h.section;
    lines_.push_back(kl);
    return;
  }
  int k = FindKeyLine(s, key);
  if (k >= 0) {
    Line& l = lines_[static_cast<size_t>(k)];
    kl.name = l.name;  // keep the file's spelling of the key
    kl.raw = l.name + "=" + value;
    kl.section = l.section;
    l = kl;
    return;
  }
  // After the last non-blank line of the section.
  size_t at = static_cast<size_t>(s) + 1;
  for (size_t i = at; i < lines_.size() && !lines_[i].header; ++i)
    if (!Trim(lines_[i].raw).empty()) at = i + 1;
  kl.section = s;
  lines_.insert(lines_.begin() + static_cast<long>(at), kl);
  // Header indexes after the insertion point moved by one.
  for (size_t i = at + 1; i < lines_.size(); ++i)
    if (lines_[i].section >= static_cast<int>(at)) ++lines_[i].section;
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, long long value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniFile::WriteFloat(const std::string& section, const std::string& key, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  std::string s = buf;
  for (char& c : s)
    if (c == '.') c = ',';
  WriteString(section, key, s);
}

std::string IniFile::ToText() const {
  std::string out;
  for (const auto& l : lines_) out += l.raw + "\r\n";
  return out;
}

pdx::Status IniFile::Save(pdx::Env* env, const std::string& hostPath) const {
  const std::string& path = hostPath.empty() ? path_ : hostPath;
  if (path.empty()) return pdx::Status::InvalidArgument("INI file: no path to save to");
  std::string bytes;
  if (utf8_) {
    bytes = "\xEF\xBB\xBF" + ToText();
  } else if (!Utf8ToCp1252(ToText(), &bytes)) {
    return pdx::Status::InvalidArgument(path + " : une valeur contient un caractère que le code page 1252 ne peut pas enregistrer");
  }
  // Write beside, then rename: a failed write leaves the old file whole.
  std::string tmp = path + ".tmp";
  std::unique_ptr<pdx::WritableFile> f;
  PDX_RETURN_IF_ERROR(env->NewWritableFile(tmp, &f));
  pdx::Status s = f->Append(bytes.data(), bytes.size());
  if (s.ok()) s = f->Sync();
  pdx::Status c = f->Close();
  if (s.ok()) s = c;
  if (s.ok()) s = env->RenameFile(tmp, path);
  if (!s.ok()) env->RemoveFile(tmp).IgnoreError();  // the failure to write is what counts
  return s;
}

}  // namespace corv
