// Path helpers shared by every Env.
#include "paradox/env.h"
#include "paradox/text/ascii.h"

namespace pdx {

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

Status FindFileNoCase(Env* env, const std::string& dir, const std::string& name, std::string* actual) {
  if (env->FileExistsAs(JoinPath(dir, name), actual)) return Status::OK();
  std::vector<std::string> names;
  Status s = env->GetChildren(dir.empty() ? "." : dir, &names);
  if (!s.ok()) return s;
  for (const auto& n : names) {
    if (EqualsNoCase(n, name)) {
      std::string p = JoinPath(dir, n);
      if (env->FileExists(p)) {
        *actual = p;
        return Status::OK();
      }
    }
  }
  return Status::NotFound(JoinPath(dir, name) + ": no such file");
}

}  // namespace pdx
