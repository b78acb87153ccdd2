#pragma once
// The session of named databases: each name maps to a directory (Windows form,
// as configured or as built by ChangerRepertoireBase) and there is one network
// control directory. Names compare without regard to case, as the database
// engine's do. A session is an ordinary object owned by the application (a test
// makes a fresh one), never a global.
#include <optional>
#include <string>
#include <vector>

namespace corv {

inline constexpr const char* kAliasAdministration = "QuintrelAdministration";
inline constexpr const char* kAliasDossiers = "QuintrelDossiers";
inline constexpr const char* kAliasArchives = "QuintrelArchives";
inline constexpr const char* kAliasCorbeille = "QuintrelCorbeille";
inline constexpr const char* kAliasTarifs = "QuintrelTarifs";
inline constexpr const char* kAliasMaj = "QuintrelMaj";

class Session {
 public:
  bool Has(const std::string& name) const;
  // Re-points an existing named database, or adds it as a standard one: a name
  // is never listed twice.
  void SetAlias(const std::string& name, const std::string& directory);
  // The current directory of a named database; nullopt when the session does not
  // know it (the database cannot be opened).
  std::optional<std::string> Directory(const std::string& name) const;
  std::vector<std::string> Names() const;
  size_t size() const { return aliases_.size(); }

  void SetNetDir(const std::string& dir) { netDir_ = dir; }
  const std::string& NetDir() const { return netDir_; }

 private:
  struct Alias {
    std::string name;
    std::string directory;
  };
  std::vector<Alias> aliases_;
  std::string netDir_;
};

}  // namespace corv
