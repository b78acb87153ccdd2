#pragma once
// Windows paths, as the configuration and "Agence.DB" store them, and the one
// place where such a path becomes a path of the host's file system.
//
// Paths are built in Windows form everywhere (backslashes, plain concatenation,
// exactly as the agencies' programs build them) and converted by HostPaths only
// at the moment a file is touched.
//
// HostPaths::ToHost:
//  1. a configured Windows prefix (a drive such as "D:" or a share such as
//     "\\SERVEUR\Quintrel"), compared without regard to case and only on a whole
//     path component, is replaced by its host directory; the longest prefix wins;
//  2. backslashes become slashes; empty components (a doubled backslash) are
//     dropped, a trailing separator is kept;
//  3. each component is matched against the file system without regard to case
//     (the files come from Windows, where "Client.db" and "CLIENT.DB" are one
//     file); from the first component that does not exist the rest is kept as
//     given, so a path to a file about to be created still converts.
#include <string>
#include <utility>
#include <vector>

#include "paradox/env.h"

namespace corv {

class IniFile;

// The INI section of "qvrbde.ini" that maps Windows prefixes to host directories.
inline constexpr const char* kHostPathsSection = "Chemins";

// s with one trailing backslash ensured ('\\' or '/' already there counts).
std::string WithTrailingBackslash(const std::string& s);
// The directory part of a path, with its trailing separator ("" when none).
std::string DirectoryOf(const std::string& path);

class HostPaths {
 public:
  explicit HostPaths(pdx::Env* env) : env_(env) {}

  pdx::Env* env() const { return env_; }

  // Adds or replaces the mapping of a Windows prefix.
  void AddPrefix(const std::string& windowsPrefix, const std::string& hostDir);
  // Reads every key of section "Chemins": key = Windows prefix, value = host
  // directory. Keys are compared without case, like every INI key.
  void LoadPrefixes(const IniFile& ini);
  const std::vector<std::pair<std::string, std::string>>& prefixes() const { return prefixes_; }

  std::string ToHost(const std::string& windowsPath) const;

  // ToHost's path exists as a directory / a regular file (the conversion's
  // own looks answer when they can).
  bool DirExists(const std::string& windowsPath) const;
  bool FileExists(const std::string& windowsPath) const;

 private:
  enum class Expect { kFile, kDir };  // looked for first
  enum class Found { kUnknown, kAbsent, kFile, kDir };
  // ToHost; *found (when given) tells what the conversion found there.
  std::string Resolve(const std::string& windowsPath, Expect expect, Found* found) const;

  pdx::Env* env_;
  std::vector<std::pair<std::string, std::string>> prefixes_;  // normalised prefix, host dir
};

}  // namespace corv
