// Journal record (all integers little-endian), kept at the start of the
// table's lock file (TABLE.cvlock, see table_lock.h), which every writer has
// already made:
//   0   8  magic "CVJRNL03"
//   8   4  length of the whole record, CRC included
//   12  8  number of the change, random; its staged files are named
//          NAME.<16 hex digits of it>.cvtmp
//   20  4  number of entries
//   24  ... entries, each:
//         1  kind: 'R' = rename NAME's staged file over NAME, 'D' = remove NAME
//         2  length of NAME in bytes
//         n  NAME (file name in the table's directory)
//   end-4  4  CRC-32 (IEEE) of every byte of the record before it
// Once the change is in place the magic is overwritten with zeros, without a
// sync (unless files were removed): a record that comes back after a crash
// names staged files that were renamed already, and never those of a later
// change, which carry another number. Keeping the record in a file that
// exists spares a creation, its directory entry and a removal per change. A
// record whose magic, lengths or CRC do not add up was torn before the commit
// point and is discarded.
// Older versions wrote "CVJRNL02" records (no number; staged files named
// NAME.cvtmp), and before them a journal in its own file, TABLE.cvjrnl: magic
// "CVJRNL01", then the count and entries as above, then the CRC, the file's
// size giving the length. Recovery still completes either.
#include "paradox/commit.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <random>

#include "paradox/table_lock.h"

namespace pdx {
namespace {

constexpr char kFileMagic[8] = {'C', 'V', 'J', 'R', 'N', 'L', '0', '1'};
constexpr char kRecordMagic[8] = {'C', 'V', 'J', 'R', 'N', 'L', '0', '3'};
constexpr char kRecordMagic02[8] = {'C', 'V', 'J', 'R', 'N', 'L', '0', '2'};
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

void Put64(std::string* out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void Set32(std::string* out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*out)[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
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

// What goes between a file's name and ".cvtmp" in the staged names of change
// number n: ".0123456789abcdef".
std::string ChangeTag(uint64_t n) {
  char buf[20];
  std::snprintf(buf, sizeof buf, ".%016llx", static_cast<unsigned long long>(n));
  return buf;
}

// A staged file's name from the name it replaces and its change's tag.
std::string StagedName(const std::string& name, const std::string& tag) { return name + tag + kStagedSuffix; }

bool IsChangeTag(const std::string& s) {
  if (s.size() != 17 || s[0] != '.') return false;
  for (size_t i = 1; i < s.size(); ++i)
    if (!((s[i] >= '0' && s[i] <= '9') || (s[i] >= 'a' && s[i] <= 'f'))) return false;
  return true;
}

// A journal found: its entries, and the tag of its staged files' names ("" in
// the older layouts).
struct Journal {
  std::vector<Entry> entries;
  std::string tag;
};

std::string EncodeRecord(uint64_t change, const std::vector<Entry>& entries) {
  std::string out(kRecordMagic, sizeof kRecordMagic);
  Put32(&out, 0);  // the length, known at the end
  Put64(&out, change);
  Put32(&out, static_cast<uint32_t>(entries.size()));
  for (const auto& e : entries) {
    out.push_back(e.kind);
    out.push_back(static_cast<char>(e.name.size() & 0xFF));
    out.push_back(static_cast<char>((e.name.size() >> 8) & 0xFF));
    out += e.name;
  }
  Set32(&out, 8, static_cast<uint32_t>(out.size() + 4));
  Put32(&out, Crc32(out.data(), out.size()));
  return out;
}

// The entries between at and body; false when they do not fill it exactly.
bool DecodeEntries(const std::string& in, size_t at, size_t body, std::vector<Entry>* entries) {
  uint32_t n = Get32(in, at);
  at += 4;
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

// A record at the start of a lock file: false when there is none, or a torn one.
bool DecodeRecord(const std::string& in, Journal* out) {
  *out = Journal();
  const bool current = in.size() >= sizeof kRecordMagic && std::memcmp(in.data(), kRecordMagic, sizeof kRecordMagic) == 0;
  const bool older = in.size() >= sizeof kRecordMagic && std::memcmp(in.data(), kRecordMagic02, sizeof kRecordMagic) == 0;
  if (!current && !older) return false;
  const size_t head = sizeof kRecordMagic + 4 + (current ? 8 : 0);  // up to the count
  if (in.size() < head + 8) return false;
  const size_t length = Get32(in, 8);
  if (length < head + 8 || length > in.size()) return false;
  const size_t body = length - 4;
  if (Crc32(in.data(), body) != Get32(in, body)) return false;
  if (current) out->tag = ChangeTag(static_cast<uint64_t>(Get32(in, 12)) | (static_cast<uint64_t>(Get32(in, 16)) << 32));
  return DecodeEntries(in, head, body, &out->entries);
}

// A journal file of the older layout: false when torn or not ours.
bool DecodeJournalFile(const std::string& in, std::vector<Entry>* entries) {
  entries->clear();
  if (in.size() < sizeof kFileMagic + 8 || std::memcmp(in.data(), kFileMagic, sizeof kFileMagic) != 0) return false;
  size_t body = in.size() - 4;
  if (Crc32(in.data(), body) != Get32(in, body)) return false;
  return DecodeEntries(in, 8, body, entries);
}

bool HasRecordMagic(const std::string& in) {
  return in.size() >= sizeof kRecordMagic && (std::memcmp(in.data(), kRecordMagic, sizeof kRecordMagic) == 0 ||
                                              std::memcmp(in.data(), kRecordMagic02, sizeof kRecordMagic) == 0);
}

Status ReadSmallFile(Env* env, const std::string& path, std::string* out, uint64_t limit = kMaxJournal) {
  std::unique_ptr<RandomAccessFile> f;
  PDX_RETURN_IF_ERROR(env->NewRandomAccessFile(path, &f));
  uint64_t size = f->Size();
  if (size > limit) size = limit;  // larger is not ours: decoding fails
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

// "BASE.EXT.<change>.cvtmp" (or "BASE.EXT.cvtmp", older) with one extension,
// so that table "T" never claims the staged files of a table "T.OLD".
bool IsStagedOf(const std::string& n, const std::string& base) {
  const std::string suffix = kStagedSuffix;
  if (!StartsWithNoCase(n, base + ".") || !EndsWith(n, suffix)) return false;
  std::string ext = n.substr(base.size() + 1, n.size() - base.size() - 1 - suffix.size());
  const size_t dot = ext.find('.');
  if (dot != std::string::npos) {
    if (!IsChangeTag(ext.substr(dot))) return false;
    ext.resize(dot);
  }
  return !ext.empty();
}

bool SameNameNoCase(const std::string& a, const std::string& b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

// What a crash may have left of the table's changes, as found in dir.
struct Leftovers {
  std::vector<std::string> staged;
  std::string journalFile;             // older layout
  std::vector<std::string> lockFiles;  // TABLE.cvlock, in any case
};

Status FindLeftovers(Env* env, const std::string& dir, const std::string& base, Leftovers* out,
                     const std::vector<std::string>* listing = nullptr) {
  std::vector<std::string> own;
  if (!listing) PDX_RETURN_IF_ERROR(env->GetChildren(dir.empty() ? "." : dir, &own));
  const std::vector<std::string>& names = listing ? *listing : own;
  *out = Leftovers();
  const std::string jname = JournalFileName(base);
  const std::string lname = WriteLockFileName(base);
  for (const auto& n : names) {
    if (SameNameNoCase(n, jname)) out->journalFile = n;
    else if (SameNameNoCase(n, lname)) out->lockFiles.push_back(n);
    else if (IsStagedOf(n, base)) out->staged.push_back(n);
  }
  return Status::OK();
}

// Whether a lock file starts with a journal record (whole or torn).
Status HoldsRecord(Env* env, const std::string& path, bool* yes) {
  std::string bytes;
  Status s = ReadSmallFile(env, path, &bytes, sizeof kRecordMagic);
  *yes = s.ok() && HasRecordMagic(bytes);
  return s;
}

// Overwrites a lock file's record magic, so that no journal is seen there.
Status ClearRecord(Env* env, const std::string& path, bool sync) {
  std::unique_ptr<WritableFile> f;
  PDX_RETURN_IF_ERROR(env->NewUpdatableFile(path, &f));
  const char zeros[sizeof kRecordMagic] = {};
  Status s = f->WriteAt(0, zeros, sizeof zeros);
  if (s.ok() && sync) s = f->SyncData();
  Status c = f->Close();
  return s.ok() ? c : s;
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

std::string StagedFileName(const std::string& name, uint64_t change) { return StagedName(name, ChangeTag(change)); }
std::string JournalFileName(const std::string& tableBase) { return tableBase + ".cvjrnl"; }

namespace {

// A change's number: random, so that no record found after a crash (an older
// one whose clearing was lost, another incarnation of the lock file) names
// this change's staged files.
uint64_t NewChangeNumber() {
  try {
    std::random_device rd;
    return (static_cast<uint64_t>(rd()) << 32) ^ rd();
  } catch (const std::exception&) {
    // No source of randomness here: the clock still tells changes apart.
    const auto t = std::chrono::system_clock::now().time_since_epoch().count();
    return static_cast<uint64_t>(t) * 0x9E3779B97F4A7C15ull;
  }
}

// A staged file's bytes gathered into requests of up to kStagedWriteBytes: the
// writer hands its blocks over a few dozen kilobytes at a time, and on a
// network share each request waits a round trip. What is gathered is written
// before a write at an offset, a sync or a close, and when the change stages
// its next file (so that one buffer per change is filled at a time).
constexpr size_t kStagedWriteBytes = 4 << 20;

class GatheredFile final : public WritableFile {
 public:
  explicit GatheredFile(std::unique_ptr<WritableFile> f) : f_(std::move(f)) {}
  Status Append(const char* data, size_t n) override {
    if (!pending_.empty() && pending_.size() + n > kStagedWriteBytes) PDX_RETURN_IF_ERROR(Release());
    if (n >= kStagedWriteBytes) return f_->Append(data, n);
    pending_.append(data, n);
    return Status::OK();
  }
  Status WriteAt(uint64_t offset, const char* data, size_t n) override {
    PDX_RETURN_IF_ERROR(Release());
    return f_->WriteAt(offset, data, n);
  }
  Status Flush() override {
    PDX_RETURN_IF_ERROR(Release());
    return f_->Flush();
  }
  Status Sync() override {
    PDX_RETURN_IF_ERROR(Release());
    return f_->Sync();
  }
  Status SyncData() override {
    PDX_RETURN_IF_ERROR(Release());
    return f_->SyncData();
  }
  Status Close() override {
    Status s = Release();
    Status c = f_->Close();
    return s.ok() ? c : s;
  }
  // Writes what is gathered and gives its memory back.
  Status Release() {
    if (pending_.empty()) return Status::OK();
    Status s = f_->Append(pending_.data(), pending_.size());
    std::string().swap(pending_);
    return s;
  }
  // Forgets what is gathered (the change is abandoned).
  void Drop() { std::string().swap(pending_); }

 private:
  std::unique_ptr<WritableFile> f_;
  std::string pending_;
};

}  // namespace

TableCommit::TableCommit(Env* env, std::string dir, std::string tableBase)
    : env_(env), dir_(std::move(dir)), base_(std::move(tableBase)), change_(NewChangeNumber()) {}

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

std::string TableCommit::LockPath() const { return JoinPath(dir_, WriteLockFileName(base_)); }

Status TableCommit::Stage(const std::string& name, WritableFile** out) {
  PDX_RETURN_IF_ERROR(CheckName(name));
  if (!staged_.empty() && staged_.back().file) {
    Status r = static_cast<GatheredFile*>(staged_.back().file.get())->Release();
    if (!r.ok()) return r.WithContext(TableLabel(dir_, base_) + ": cannot write " + staged_.back().name);
  }
  std::unique_ptr<WritableFile> f;
  Status s = env_->NewWritableFile(JoinPath(dir_, StagedFileName(name, change_)), &f);
  if (!s.ok()) return Annotate(s, dir_, base_, "cannot write a new file");
  f = std::make_unique<GatheredFile>(std::move(f));
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
    if (s.file) {
      static_cast<GatheredFile*>(s.file.get())->Drop();
      s.file->Close().IgnoreError();
    }
    env_->RemoveFile(JoinPath(dir_, StagedFileName(s.name, change_))).IgnoreError();
  }
  staged_.clear();
  removals_.clear();
  done_ = true;
}

Status TableCommit::Apply(bool again) {
  for (const auto& s : staged_) {
    const std::string staged = JoinPath(dir_, StagedFileName(s.name, change_));
    // Every staged file is there the first time; once again after a failure,
    // those renamed already are passed over.
    if (again && !env_->FileExists(staged)) continue;
    // The file replaced stays open until this object goes: its space is
    // given back then (with a discard that waits for the disk on some file
    // systems), not during the rename.
    // Not on Windows, where a file still open may stop the rename over it.
#ifndef _WIN32
    std::unique_ptr<RandomAccessFile> old;
    if (env_->NewRandomAccessFile(JoinPath(dir_, s.name), &old).ok()) replaced_.push_back(std::move(old));
#endif
    PDX_RETURN_IF_ERROR(env_->RenameFile(staged, JoinPath(dir_, s.name)));
  }
  for (const auto& r : removals_) {
    Status st = env_->RemoveFile(JoinPath(dir_, r));
    if (!st.ok() && !st.IsNotFound()) return st;
  }
  PDX_RETURN_IF_ERROR(env_->SyncDir(dir_.empty() ? "." : dir_));
  // The new version is durable and in place. A clearing of the record lost in
  // a crash only makes the next recovery replay it: its staged files are
  // gone, so it renames nothing (a later change's staged files carry another
  // number), and without removals it does nothing at all; removals are made
  // durable at once, lest a file of that name made later be removed by a
  // replay.
  return ClearRecord(env_, LockPath(), !removals_.empty());
}

Status TableCommit::Commit() {
  if (done_) return Status::InvalidArgument(TableLabel(dir_, base_) + ": change already finished");
  const std::string dirForSync = dir_.empty() ? "." : dir_;
  // Before the commit point: any failure throws the staged files away.
  Status s;
  for (auto& f : staged_) {
    if (!s.ok()) break;
    s = f.file->Sync();
    if (s.ok()) s = f.file->Close();
    f.file.reset();
  }
  // A file another program keeps open without sharing delete (the agencies'
  // program, on Windows) can be neither replaced nor removed: found before
  // the commit point, the change is refused whole, never left half in place.
  for (const auto& f : staged_) {
    if (!s.ok()) break;
    s = env_->CheckReplaceable(JoinPath(dir_, f.name));
  }
  for (const auto& r : removals_) {
    if (!s.ok()) break;
    s = env_->CheckReplaceable(JoinPath(dir_, r));
  }
  std::vector<Entry> entries;
  for (const auto& f : staged_) entries.push_back({'R', f.name});
  for (const auto& r : removals_) entries.push_back({'D', r});
  const std::string lpath = LockPath();
  bool recordWritten = false;
  if (s.ok()) {
    // The record goes into the lock file the writer holds; made now when
    // there is none (a change made without the lock, as in tests).
    std::string bytes = EncodeRecord(change_, entries);
    std::unique_ptr<WritableFile> j;
    s = env_->NewUpdatableFile(lpath, &j);
    if (!s.ok() && !env_->FileExists(lpath)) s = env_->NewWritableFile(lpath, &j);
    if (s.ok()) {
      recordWritten = true;
      s = j->WriteAt(0, bytes.data(), bytes.size());
    }
    if (s.ok()) s = j->SyncData();
    if (j) {
      Status c = j->Close();
      if (s.ok()) s = c;
    }
    // The staged files' names, and a lock file made just now, are durable
    // before any of them is renamed.
    if (s.ok()) s = env_->SyncDir(dirForSync);
    // A record that may be whole is cleared as far as possible; the failure
    // to write it is what the caller hears.
    if (!s.ok() && recordWritten) ClearRecord(env_, lpath, true).IgnoreError();
  }
  if (!s.ok()) {
    Abort();
    return Annotate(s, dir_, base_, "change not saved, the table is as it was");
  }
  // Past the commit point: the new version wins, now or at the next recovery.
  s = Apply(false);
  if (!s.ok()) s = Apply(true);
  done_ = true;
  if (!s.ok())
    return Annotate(s, dir_, base_, "change saved but not yet in place; it is completed when the table is next opened");
  staged_.clear();
  removals_.clear();
  return Status::OK();
}

namespace {

// The journal found for the table: a whole record in a lock file, else a whole
// journal file of the older layout. *any tells whether something claiming to
// be one (whole or torn) was found.
Status FindJournal(Env* env, const std::string& dir, const Leftovers& left, Journal* journal, bool* any) {
  *journal = Journal();
  *any = false;
  bool whole = false;
  for (const auto& n : left.lockFiles) {
    std::string bytes;
    PDX_RETURN_IF_ERROR(ReadSmallFile(env, JoinPath(dir, n), &bytes));
    if (!HasRecordMagic(bytes)) continue;
    *any = true;
    if (!whole) whole = DecodeRecord(bytes, journal);
  }
  if (!left.journalFile.empty()) {
    *any = true;
    std::string bytes;
    PDX_RETURN_IF_ERROR(ReadSmallFile(env, JoinPath(dir, left.journalFile), &bytes));
    if (!whole) whole = DecodeJournalFile(bytes, &journal->entries);
  }
  if (!whole) *journal = Journal();
  return Status::OK();
}

}  // namespace

bool NeedsRecovery(Env* env, const std::string& dir, const std::string& tableBase) {
  Leftovers left;
  if (!FindLeftovers(env, dir, tableBase, &left).ok()) return false;
  if (!left.staged.empty() || !left.journalFile.empty()) return true;
  for (const auto& n : left.lockFiles) {
    bool record = false;
    HoldsRecord(env, JoinPath(dir, n), &record).IgnoreError();  // unreadable: nothing to tell
    if (record) return true;
  }
  return false;
}

Status RecoverTable(Env* env, const std::string& dir, const std::string& tableBase, bool* changed,
                    const std::vector<std::string>* listing) {
  if (changed) *changed = false;
  Leftovers left;
  Status s = FindLeftovers(env, dir, tableBase, &left, listing);
  if (!s.ok()) return Annotate(s, dir, tableBase, "cannot look for an unfinished change");
  Journal journal;
  bool any = false;
  s = FindJournal(env, dir, left, &journal, &any);
  if (!s.ok()) return Annotate(s, dir, tableBase, "cannot read the journal of an unfinished change");
  if (left.staged.empty() && !any) return Status::OK();
  if (changed) *changed = true;
  const std::string dirForSync = dir.empty() ? "." : dir;
  if (!journal.entries.empty()) {
    for (const auto& e : journal.entries) {
      std::string target = JoinPath(dir, e.name);
      std::string from = JoinPath(dir, StagedName(e.name, journal.tag));
      if (e.kind == 'R' && env->FileExists(from)) s = env->RenameFile(from, target);
      else if (e.kind == 'D' && env->FileExists(target)) s = env->RemoveFile(target);
      if (!s.ok()) return Annotate(s, dir, tableBase, "cannot complete an unfinished change");
    }
    s = env->SyncDir(dirForSync);
    if (!s.ok()) return Annotate(s, dir, tableBase, "cannot complete an unfinished change");
  }
  // What is left staged belongs to a change that never reached its commit point.
  Leftovers now;
  s = FindLeftovers(env, dir, tableBase, &now);
  for (const auto& n : now.staged) {
    if (!s.ok()) break;
    s = env->RemoveFile(JoinPath(dir, n));
  }
  if (s.ok() && !now.journalFile.empty()) s = env->RemoveFile(JoinPath(dir, now.journalFile));
  if (s.ok()) s = env->SyncDir(dirForSync);
  // The record goes last, durably: until then a replay finds it again.
  for (const auto& n : now.lockFiles) {
    if (!s.ok()) break;
    bool record = false;
    s = HoldsRecord(env, JoinPath(dir, n), &record);
    if (record) s = ClearRecord(env, JoinPath(dir, n), true);
  }
  if (!s.ok()) return Annotate(s, dir, tableBase, "cannot clean up an unfinished change");
  return Status::OK();
}

}  // namespace pdx
