#include "util/winpath.h"

#include "util/ini.h"
#include "util/text.h"

namespace corv {
namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }

// Windows form with backslashes only, no trailing separator (except a lone root).
std::string NormalisePrefix(const std::string& p) {
  std::string s;
  for (char c : p) s.push_back(c == '/' ? '\\' : c);
  while (s.size() > 1 && s.back() == '\\') s.pop_back();
  return s;
}

}  // namespace

std::string WithTrailingBackslash(const std::string& s) {
  if (!s.empty() && IsSep(s.back())) return s;
  return s + "\\";
}

std::string DirectoryOf(const std::string& path) {
  size_t p = path.find_last_of("\\/");
  return p == std::string::npos ? "" : path.substr(0, p + 1);
}

void HostPaths::AddPrefix(const std::string& windowsPrefix, const std::string& hostDir) {
  std::string key = NormalisePrefix(windowsPrefix);
  if (key.empty()) return;
  for (auto& [k, v] : prefixes_)
    if (EqualsNoCase(k, key)) {
      v = hostDir;
      return;
    }
  prefixes_.emplace_back(key, hostDir);
}

void HostPaths::LoadPrefixes(const IniFile& ini) {
  for (const auto& key : ini.Keys(kHostPathsSection)) {
    std::string dir = ini.ReadString(kHostPathsSection, key, "");
    if (!dir.empty()) AddPrefix(key, dir);
  }
}

std::string HostPaths::ToHost(const std::string& windowsPath) const {
  return Resolve(windowsPath, Expect::kFile, nullptr);
}

std::string HostPaths::Resolve(const std::string& windowsPath, Expect expect, Found* found) const {
  std::string path;
  for (char c : windowsPath) path.push_back(c == '/' ? '\\' : c);

  // 1. Longest matching prefix, on a component boundary.
  std::string base;
  size_t best = 0;
  for (const auto& [k, v] : prefixes_) {
    if (k.size() <= best || path.size() < k.size()) continue;
    if (!EqualsNoCase(path.substr(0, k.size()), k)) continue;
    bool boundary = path.size() == k.size() || path[k.size()] == '\\' || k.back() == '\\' || k.back() == ':';
    if (!boundary) continue;
    best = k.size();
    base = v;
  }
  std::string rest = path.substr(best);
  bool absolute;
  bool unc = best == 0 && rest.size() >= 2 && rest[0] == '\\' && rest[1] == '\\';
  if (best > 0) {
    if (!rest.empty()) rest = base + "/" + rest;
    else rest = base;
    absolute = !base.empty() && base[0] == '/';
  } else {
    absolute = !rest.empty() && rest[0] == '\\';
  }
  bool trailing = !rest.empty() && IsSep(rest.back());

  // 2. Components.
  std::vector<std::string> parts;
  std::string cur;
  for (char c : rest) {
    if (IsSep(c)) {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) parts.push_back(cur);

  // 3. Case-insensitive match of each component. An unmapped share keeps its
  // two leading slashes, so it reads as what it is.
  const std::string root = unc ? "//" : (absolute ? "/" : "");
  if (found) *found = Found::kUnknown;
  bool dots = false;
  for (const auto& p : parts) dots = dots || p == "." || p == "..";
  if (!parts.empty() && !dots) {
    // The path as written first, then its directory: on the usual path every
    // part exists with the case given, and the walk below would only confirm
    // it with one look per part (each a round trip on a network share). When
    // the whole path or its directory exists as written, the walk would keep
    // each of those parts as written: the result is the same.
    std::string dir = root;
    for (size_t i = 0; i + 1 < parts.size(); ++i) dir += parts[i] + "/";
    const std::string whole = dir + parts.back();
    const bool dirFirst = trailing || expect == Expect::kDir;
    Found t = Found::kAbsent;
    if (dirFirst) {
      if (env_->DirExists(whole)) t = Found::kDir;
      else if (env_->FileExists(whole)) t = Found::kFile;
    } else {
      if (env_->FileExists(whole)) t = Found::kFile;
      else if (env_->DirExists(whole)) t = Found::kDir;
    }
    if (t != Found::kAbsent) {
      if (found) *found = t;
      return trailing ? whole + "/" : whole;
    }
    // The last part is not there as written: its directory, as written, is
    // the walk's answer for every part before it; the last is then matched
    // in one listing (or kept as given: a file about to be created).
    if (parts.size() == 1 || env_->DirExists(dir.substr(0, dir.size() - 1))) {
      std::vector<std::string> names;
      std::string match;
      if (env_->GetChildren(parts.size() == 1 ? (root.empty() ? "." : root) : dir, &names).ok()) {
        for (const auto& n : names)
          if (EqualsNoCase(n, parts.back())) {
            match = n;
            break;
          }
      }
      if (found && match.empty()) *found = Found::kAbsent;
      const std::string r = dir + (match.empty() ? parts.back() : match);
      return trailing ? r + "/" : r;
    }
  }

  std::string out = root;
  bool resolving = true;
  std::vector<std::string> names;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    std::string dir = out.empty() ? "." : out;
    std::string candidate = out + part;
    // A directory is looked for as one first, the last part as a file: one
    // look each on the usual path.
    const bool last = i + 1 == parts.size() && !trailing;
    auto exists = [&] {
      return last ? env_->FileExists(candidate) || env_->DirExists(candidate)
                  : env_->DirExists(candidate) || env_->FileExists(candidate);
    };
    if (resolving && part != "." && part != ".." && !exists()) {
      std::string match;
      if (env_->GetChildren(dir, &names).ok()) {
        for (const auto& n : names)
          if (EqualsNoCase(n, part)) {
            match = n;
            break;
          }
      }
      if (match.empty()) resolving = false;
      else candidate = out + match;
    }
    out = candidate;
    if (i + 1 < parts.size() || trailing) out += "/";
  }
  if (parts.empty() && !absolute && trailing) out = "./";
  return out;
}

bool HostPaths::DirExists(const std::string& windowsPath) const {
  Found t;
  const std::string p = Resolve(windowsPath, Expect::kDir, &t);
  if (t == Found::kDir) return true;
  if (t == Found::kFile || t == Found::kAbsent) return false;
  return env_->DirExists(p);
}

bool HostPaths::FileExists(const std::string& windowsPath) const {
  Found t;
  const std::string p = Resolve(windowsPath, Expect::kFile, &t);
  if (t == Found::kFile) return true;
  if (t == Found::kDir || t == Found::kAbsent) return false;
  return env_->FileExists(p);
}

}  // namespace corv
