#include "util/session.h"

#include "util/text.h"

namespace corv {

bool Session::Has(const std::string& name) const { return Directory(name).has_value(); }

void Session::SetAlias(const std::string& name, const std::string& directory) {
  for (auto& a : aliases_)
    if (EqualsNoCase(a.name, name)) {
      a.directory = directory;
      return;
    }
  aliases_.push_back({name, directory});
}

std::optional<std::string> Session::Directory(const std::string& name) const {
  for (const auto& a : aliases_)
    if (EqualsNoCase(a.name, name)) return a.directory;
  return std::nullopt;
}

std::vector<std::string> Session::Names() const {
  std::vector<std::string> n;
  for (const auto& a : aliases_) n.push_back(a.name);
  return n;
}

}  // namespace corv
