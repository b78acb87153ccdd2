#include "paradox/table_lock.h"

#include <chrono>
#include <thread>
#include <vector>

#include "paradox/text/ascii.h"

namespace pdx {
namespace {

std::string Label(const std::string& dir, const std::string& base) { return JoinPath(dir, base); }

// The file of that name in dir, whatever its case, among names listed there
// once for every lock file looked for (most are absent: a listing each would
// cost one per name); "" when there is none.
std::string Present(const std::string& dir, const std::vector<std::string>& names, const std::string& name) {
  for (const auto& n : names)
    if (EqualsNoCase(n, name)) return JoinPath(dir, n);
  return "";
}

Status CheckOne(Env* env, const std::string& path, const std::string& table, bool knownStale) {
  LockProbe probe = LockProbe::kUnknown;
  Status s = env->ProbeFileLock(path, &probe);
  if (s.IsNotFound()) return Status::OK();  // removed meanwhile: the engine closed
  if (!s.ok()) return s.WithContext("table " + table + ": cannot probe " + path);
  if (probe == LockProbe::kHeld)
    return Status::Busy("table in use: " + table + " (another program holds " + path + ")");
  if (probe == LockProbe::kUnknown && !knownStale)
    return Status::Busy("table in use: " + table + " (" + path +
                        " is present and this system cannot tell whether it is stale; close the other program, or "
                        "remove the file if none runs)");
  return Status::OK();
}

// *listed (optional) receives the listing, and tells whether there was one.
Status CheckDir(Env* env, const std::string& dir, const std::vector<std::string>& lockNames, const std::string& table,
                bool knownStale, std::vector<std::string>* listing = nullptr, bool* listed = nullptr) {
  std::vector<std::string> names;
  Status s = env->GetChildren(dir.empty() ? "." : dir, &names);
  if (s.IsNotFound()) return Status::OK();
  if (!s.ok()) return s.WithContext("table " + table + ": cannot look for the engine's lock files in " + dir);
  if (listing) {
    *listing = names;
    *listed = true;
  }
  for (const auto& name : lockNames) {
    const std::string path = Present(dir, names, name);
    if (!path.empty() && env->FileExists(path)) PDX_RETURN_IF_ERROR(CheckOne(env, path, table, knownStale));
  }
  return Status::OK();
}

}  // namespace

std::string WriteLockFileName(const std::string& tableBase) { return tableBase + ".cvlock"; }

Status CheckEngineLocks(Env* env, const std::string& dir, const std::string& tableBase, bool knownStale,
                        const std::string& netDir) {
  const std::string table = Label(dir, tableBase);
  PDX_RETURN_IF_ERROR(
      CheckDir(env, dir, {"PARADOX.LCK", "PDOXUSRS.LCK", "PDOXUSRS.NET", tableBase + ".LCK"}, table, knownStale));
  if (!netDir.empty()) PDX_RETURN_IF_ERROR(CheckDir(env, netDir, {"PDOXUSRS.NET"}, table, knownStale));
  return Status::OK();
}

Status AcquireTableWriteLock(Env* env, const std::string& dir, const std::string& tableBase,
                             const TableLockOptions& options, std::unique_ptr<TableWriteLock>* out) {
  const std::string table = Label(dir, tableBase);
  const std::string path = JoinPath(dir, WriteLockFileName(tableBase));
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.waitMs);
  std::unique_ptr<FileLock> lock;
  for (;;) {
    Status s = env->LockFile(path, &lock);
    if (s.ok()) break;
    if (!s.IsBusy()) return Status::IOError("table " + table + ": cannot take the write lock: " + s.message());
    if (std::chrono::steady_clock::now() >= deadline)
      return Status::Busy("table in use: " + table + " (another writer has it open)");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::vector<std::string> names;
  bool listed = false;
  PDX_RETURN_IF_ERROR(CheckDir(env, dir, {"PARADOX.LCK", "PDOXUSRS.LCK", "PDOXUSRS.NET", tableBase + ".LCK"}, table,
                               options.engineLocksKnownStale, &names, &listed));
  if (!options.netDir.empty())
    PDX_RETURN_IF_ERROR(CheckDir(env, options.netDir, {"PDOXUSRS.NET"}, table, options.engineLocksKnownStale));
  *out = std::make_unique<TableWriteLock>(std::move(lock));
  if (listed) (*out)->SetListing(std::move(names));
  return Status::OK();
}

}  // namespace pdx
