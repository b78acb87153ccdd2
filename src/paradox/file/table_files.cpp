#include "paradox/file/table_files.h"
#include "paradox/text/ascii.h"

#include <cctype>

namespace pdx {
namespace {

// "a/b/" and "a/b" are one directory, "" and "." too.
std::string DirKey(std::string d) {
  while (d.size() > 1 && d.back() == '/') d.pop_back();
  return d.empty() ? "." : d;
}

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// A view of a held file, owned by the caller, sharing the one open file.
class HeldFile final : public RandomAccessFile {
 public:
  explicit HeldFile(std::shared_ptr<RandomAccessFile> f) : f_(std::move(f)) {}
  Status Read(uint64_t offset, size_t n, char* scratch, size_t* got) const override {
    return f_->Read(offset, n, scratch, got);
  }
  uint64_t Size() const override { return f_->Size(); }
  size_t PreferredReadBytes() const override { return f_->PreferredReadBytes(); }

 private:
  std::shared_ptr<RandomAccessFile> f_;
};

}  // namespace

bool TableFiles::IsReaderFile(const std::string& name) const {
  std::string u = AsciiUpper(name);
  if (prefix_.empty() || u.size() <= prefix_.size() || u.compare(0, prefix_.size(), prefix_) != 0) return false;
  std::string ext = u.substr(prefix_.size());
  if (ext == "DB" || ext == "PX" || ext == "MB") return true;
  // .Xnn/.Ynn (hex digits) and .XGn/.YGn
  return ext.size() == 3 && (ext[0] == 'X' || ext[0] == 'Y') && (IsHex(ext[1]) || ext[1] == 'G') && IsHex(ext[2]);
}

std::string TableFiles::OwnName(const std::string& path) const {
  size_t slash = path.find_last_of('/');
  std::string dir = slash == std::string::npos ? "" : path.substr(0, slash);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (DirKey(dir) != DirKey(dir_)) return "";
  return IsReaderFile(name) ? name : "";
}

Status TableFiles::Pin(const std::string& requested, std::string* found, const std::vector<std::string>* listing) {
  std::vector<std::string> names;
  if (listing) names = *listing;
  else PDX_RETURN_IF_ERROR(base_->GetChildren(dir_.empty() ? "." : dir_, &names));
  // The name as written, else one that differs in case only.
  std::string dbName;
  for (const auto& n : names)
    if (n == requested) dbName = n;
  for (size_t i = 0; dbName.empty() && i < names.size(); ++i)
    if (EqualsNoCase(names[i], requested)) dbName = names[i];
  if (dbName.empty()) return Status::NotFound(JoinPath(dir_, requested) + ": no such file");
  if (found) *found = dbName;
  std::string u = AsciiUpper(dbName);
  prefix_ = u.size() > 3 ? u.substr(0, u.size() - 2) : u + ".";
  // The .DB first, so that a table missing it fails as before.
  std::unique_ptr<RandomAccessFile> f;
  PDX_RETURN_IF_ERROR(base_->NewRandomAccessFile(JoinPath(dir_, dbName), &f));
  held_[dbName] = std::move(f);
  for (const std::string& n : names) {
    if (!IsReaderFile(n)) others_.push_back(n);
    if (n == dbName || !IsReaderFile(n)) continue;
    std::unique_ptr<RandomAccessFile> g;
    // A file that went away since the listing, or that cannot be opened, is
    // left out: the reader reports it when it needs it, as it would without us.
    if (base_->NewRandomAccessFile(JoinPath(dir_, n), &g).ok()) held_[n] = std::move(g);
  }
  return Status::OK();
}

Status TableFiles::NewRandomAccessFile(const std::string& path, std::unique_ptr<RandomAccessFile>* out) {
  std::string own = OwnName(path);
  if (own.empty()) return base_->NewRandomAccessFile(path, out);
  auto it = held_.find(own);
  if (it == held_.end()) return Status::NotFound(path + ": open: no such file");
  *out = std::make_unique<HeldFile>(it->second);
  return Status::OK();
}

bool TableFiles::FileExists(const std::string& path) {
  std::string own = OwnName(path);
  if (own.empty()) return base_->FileExists(path);
  return held_.count(own) != 0;
}

bool TableFiles::FileExistsAs(const std::string& path, std::string* actual) {
  if (OwnName(path).empty()) return base_->FileExistsAs(path, actual);
  return Env::FileExistsAs(path, actual);
}

Status TableFiles::GetFileSize(const std::string& path, uint64_t* size) {
  std::string own = OwnName(path);
  if (own.empty()) return base_->GetFileSize(path, size);
  auto it = held_.find(own);
  if (it == held_.end()) return Status::NotFound(path + ": no such file");
  *size = it->second->Size();
  return Status::OK();
}

Status TableFiles::GetChildren(const std::string& dir, std::vector<std::string>* names) {
  if (DirKey(dir) != DirKey(dir_)) return base_->GetChildren(dir, names);
  // The listing made at the open: the reader sees its directory as it was
  // then, as it sees its files (a listing again would cost a round trip on a
  // network share, for a reader that looks only for its own index files).
  *names = others_;
  for (const auto& [n, f] : held_) names->push_back(n);
  return Status::OK();
}

}  // namespace pdx
