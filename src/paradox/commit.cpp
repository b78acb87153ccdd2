// Journal layout (all integers little-endian):
//   0   8  magic "CVJRNL01"
//   8   4  number of entries
//   12  ... entries, each:
//         1  kind: 'R' = rename NAME.cvtmp over NAME, 'D' = remove NAME
//         2  length of NAME in bytes
//         n  NAME (file name in the table's directory)
//   end-4  4  CRC-32 (IEEE) of every byte before it
// A journal whose size, magic, lengths or CRC do not add up was torn before the
// commit point and is discarded.
#include "paradox/commit.h"

#include <cstring>

namespace pdx {
namespace {

constexpr char kMagic[8] = {'C', 'V', 'J', 'R', 'N', 'L', '0', '1'};
constexpr const char* kStagedSuffix = ".cvtmp";
constexpr uint64_t kMaxJournal = 1 << 20;

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(prefix[i]);
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void Put32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

uint32_t Get32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
  return v;
}

struct Entry {
  char kind;
  std::string name;
};

std::string EncodeJournal(const std::vector<Entry>& entries) {
  std::string out(kMagic, sizeof kMagic);
  Put32(&out, static_cast<uint32_t>(entries.size()));
  for (const auto& e : entries) {
    out.push_back(e.kind);
    out.push_back(static_cast<char>(e.name.size() & 0xFF));
    out.push_back(static_cast<char>((e.name.size() >> 8) & 0xFF));
    out += e.name;
  }
  Put32(&out, Crc32(out.data(), out.size()));
  return out;
}

// False when the journal is torn or not ours.
bool DecodeJournal(const std::string& in, std::vector<Entry>* entries) {
  entries->clear();
  if (in.size() < sizeof kMagic + 8 || std::memcmp(in.data(), kMagic, sizeof kMagic) != 0) return false;
  size_t body = in.size() - 4;
  if (Crc32(in.data(), body) != Get32(in, body)) return false;
  uint32_t n = Get32(in, 8);
  size_t at = 12;
  for (uint32_t i = 0; i < n; ++i) {
    if (at + 3 > body) return false;
    char kind = in[at];
    size_t len = static_cast<unsigned char>(in[at + 1]) | (static_cast<size_t>(static_cast<unsigned char>(in[at + 2])) << 8);
    at += 3;
    if ((kind != 'R' && kind != 'D') || len == 0 || at + len > body) return false;
    std::string name = in.substr(at, len);
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos || name == "..") return false;
    entries->push_back({kind, std::move(name)});
    at += len;
  }
  return at == body;
}

Status ReadSmallFile(Env* env, const std::string& path, std::string* out) {
  std::unique_ptr<RandomAccessFile> f;
  PDX_RETURN_IF_ERROR(env->NewRandomAccessFile(path, &f));
  uint64_t size = f->Size();
  if (size > kMaxJournal) size = kMaxJournal;  // larger is not ours: decode fails
  out->assign(static_cast<size_t>(size), '\0');
  size_t got = 0;
  PDX_RETURN_IF_ERROR(f->Read(0, out->size(), out->data(), &got));
  out->resize(got);
  return Status::OK();
}

std::string TableLabel(const std::string& dir, const std::string& base) { return "table " + JoinPath(dir, base); }

Status Annotate(const Status& s, const std::string& dir, const std::string& base, const char* what) {
  return s.WithContext(TableLabel(dir, base) + ": " + what);
}

// "BASE.EXT.cvtmp" with one extension, so that table "T" never claims the
// staged files of a table "T.OLD".
bool IsStagedOf(const std::string& n, const std::string& base) {
  const std::string suffix = kStagedSuffix;
  if (!StartsWithNoCase(n, base + ".") || !EndsWith(n, suffix)) return false;
  const std::string ext = n.substr(base.size() + 1, n.size() - base.size() - 1 - suffix.size());
  return !ext.empty() && ext.find('.') == std::string::npos;
}

// Staged files of the table and its journal, as found in dir.
Status FindLeftovers(Env* env, const std::string& dir, const std::string& base, std::vector<std::string>* staged,
                     std::string* journal) {
  std::vector<std::string> names;
  PDX_RETURN_IF_ERROR(env->GetChildren(dir.empty() ? "." : dir, &names));
  journal->clear();
  std::string jname = JournalFileName(base);
  for (const auto& n : names) {
    if (n.size() == jname.size() && StartsWithNoCase(n, jname)) *journal = n;
    else if (IsStagedOf(n, base)) staged->push_back(n);
  }
  return Status::OK();
}

}  // namespace

uint32_t Crc32(const char* data, size_t n, uint32_t crc) {
  static uint32_t table[256] = {0};
  static bool ready = [] {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    return true;
  }();
  (void)ready;
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::string StagedFileName(const std::string& name) { return name + kStagedSuffix; }
std::string JournalFileName(const std::string& tableBase) { return tableBase + ".cvjrnl"; }

TableCommit::TableCommit(Env* env, std::string dir, std::string tableBase)
    : env_(env), dir_(std::move(dir)), base_(std::move(tableBase)) {}

TableCommit::~TableCommit() {
  if (!done_) Abort();
}

Status TableCommit::CheckName(const std::string& name) const {
  if (!StartsWithNoCase(name, base_ + ".") || name.size() <= base_.size() + 1 || name.find('/') != std::string::npos ||
      name.find('.', base_.size() + 1) != std::string::npos)
    return Status::InvalidArgument(TableLabel(dir_, base_) + ": file " + name + " does not belong to the table");
  for (const auto& s : staged_)
    if (s.name == name) return Status::InvalidArgument(TableLabel(dir_, base_) + ": " + name + " staged twice");
  return Status::OK();
}

Status TableCommit::Stage(const std::string& name, WritableFile** out) {
  PDX_RETURN_IF_ERROR(CheckName(name));
  std::unique_ptr<WritableFile> f;
  Status s = env_->NewWritableFile(JoinPath(dir_, StagedFileName(name)), &f);
  if (!s.ok()) return Annotate(s, dir_, base_, "cannot write a new file");
  *out = f.get();
  staged_.push_back({name, std::move(f)});
  return Status::OK();
}

Status TableCommit::StageRemoval(const std::string& name) {
  PDX_RETURN_IF_ERROR(CheckName(name));
  removals_.push_back(name);
  return Status::OK();
}

void TableCommit::Abort() {
  for (auto& s : staged_) {
    // Already giving up: staged files go as far as they can; a leftover one is
    // swept by the next commit on this table.
    if (s.file) s.file->Close().IgnoreError();
    env_->RemoveFile(JoinPath(dir_, StagedFileName(s.name))).IgnoreError();
  }
  staged_.clear();
  removals_.clear();
  done_ = true;
}

Status TableCommit::Apply() {
  for (const auto& s : staged_)
    if (env_->FileExists(JoinPath(dir_, StagedFileName(s.name))))
      PDX_RETURN_IF_ERROR(env_->RenameFile(JoinPath(dir_, StagedFileName(s.name)), JoinPath(dir_, s.name)));
  for (const auto& r : removals_) {
    Status st = env_->RemoveFile(JoinPath(dir_, r));
    if (!st.ok() && !st.IsNotFound()) return st;
  }
  PDX_RETURN_IF_ERROR(env_->SyncDir(dir_.empty() ? "." : dir_));
  PDX_RETURN_IF_ERROR(env_->RemoveFile(JoinPath(dir_, JournalFileName(base_))));
  // The new version is durable and in place. A journal's removal lost in a
  // crash only makes the next recovery replay it: its staged files are gone,
  // so it renames nothing, and without removals it does nothing at all;
  // removals are made durable at once, lest a file of that name made later
  // be removed by a replay.
  if (removals_.empty()) return Status::OK();
  return env_->SyncDir(dir_.empty() ? "." : dir_);
}

Status TableCommit::Commit() {
  if (done_) return Status::InvalidArgument(TableLabel(dir_, base_) + ": change already finished");
  const std::string dirForSync = dir_.empty() ? "." : dir_;
  // Before the commit point: any failure throws the staged files away.
  Status s;
  for (auto& f : staged_) {
    s = f.file->Sync();
    if (s.ok()) s = f.file->Close();
    f.file.reset();
    if (!s.ok()) break;
  }
  std::vector<Entry> entries;
  for (const auto& f : staged_) entries.push_back({'R', f.name});
  for (const auto& r : removals_) entries.push_back({'D', r});
  const std::string jpath = JoinPath(dir_, JournalFileName(base_));
  if (s.ok()) {
    std::string bytes = EncodeJournal(entries);
    std::unique_ptr<WritableFile> j;
    s = env_->NewWritableFile(jpath, &j);
    if (s.ok()) s = j->Append(bytes.data(), bytes.size());
    if (s.ok()) s = j->Sync();
    if (s.ok()) s = j->Close();
    if (s.ok()) s = env_->SyncDir(dirForSync);
    // A half-written journal is removed as far as possible; the failure to write
    // it is what the caller hears.
    if (!s.ok()) env_->RemoveFile(jpath).IgnoreError();
  }
  if (!s.ok()) {
    Abort();
    return Annotate(s, dir_, base_, "change not saved, the table is as it was");
  }
  // Past the commit point: the new version wins, now or at the next recovery.
  s = Apply();
  if (!s.ok()) s = Apply();
  done_ = true;
  if (!s.ok())
    return Annotate(s, dir_, base_, "change saved but not yet in place; it is completed when the table is next opened");
  staged_.clear();
  removals_.clear();
  return Status::OK();
}

bool NeedsRecovery(Env* env, const std::string& dir, const std::string& tableBase) {
  std::vector<std::string> staged;
  std::string journal;
  if (!FindLeftovers(env, dir, tableBase, &staged, &journal).ok()) return false;
  return !staged.empty() || !journal.empty();
}

Status RecoverTable(Env* env, const std::string& dir, const std::string& tableBase, bool* changed) {
  if (changed) *changed = false;
  std::vector<std::string> staged;
  std::string journal;
  Status s = FindLeftovers(env, dir, tableBase, &staged, &journal);
  if (!s.ok()) return Annotate(s, dir, tableBase, "cannot look for an unfinished change");
  if (staged.empty() && journal.empty()) return Status::OK();
  if (changed) *changed = true;
  const std::string dirForSync = dir.empty() ? "." : dir;
  std::vector<Entry> entries;
  bool whole = false;
  if (!journal.empty()) {
    std::string bytes;
    s = ReadSmallFile(env, JoinPath(dir, journal), &bytes);
    if (!s.ok()) return Annotate(s, dir, tableBase, "cannot read the journal of an unfinished change");
    whole = DecodeJournal(bytes, &entries);
  }
  if (whole) {
    for (const auto& e : entries) {
      std::string target = JoinPath(dir, e.name);
      std::string from = JoinPath(dir, StagedFileName(e.name));
      if (e.kind == 'R' && env->FileExists(from)) s = env->RenameFile(from, target);
      else if (e.kind == 'D' && env->FileExists(target)) s = env->RemoveFile(target);
      if (!s.ok()) return Annotate(s, dir, tableBase, "cannot complete an unfinished change");
    }
    s = env->SyncDir(dirForSync);
    if (!s.ok()) return Annotate(s, dir, tableBase, "cannot complete an unfinished change");
  }
  // What is left staged belongs to a change that never reached its commit point.
  staged.clear();
  std::string ignored;
  s = FindLeftovers(env, dir, tableBase, &staged, &ignored);
  for (const auto& n : staged) {
    if (!s.ok()) break;
    s = env->RemoveFile(JoinPath(dir, n));
  }
  if (s.ok() && !journal.empty()) s = env->RemoveFile(JoinPath(dir, journal));
  if (s.ok()) s = env->SyncDir(dirForSync);
  if (!s.ok()) return Annotate(s, dir, tableBase, "cannot clean up an unfinished change");
  return Status::OK();
}

}  // namespace pdx
