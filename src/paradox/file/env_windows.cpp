// Env over the Win32 file system. Paths arrive in UTF-8 with '/' or '\'
// separators (drive paths, UNC shares "//SERVEUR/Quintrel/..." or
// "\\SERVEUR\Quintrel\...", relative paths) and are handed to the wide-character
// API; a path too long for the classic limit goes through the "\\?\" form.
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "paradox/env.h"

namespace pdx {
namespace {

std::wstring WideFromUtf8(const std::string& s) {
  if (s.empty()) return {};
  int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Utf8FromWide(const std::wstring& w) {
  if (w.empty()) return {};
  int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string s(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring WindowsPath(const std::string& path) {
  std::wstring w = WideFromUtf8(path);
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  if (w.rfind(L"\\\\?\\", 0) == 0) return w;
  // Directories are limited to MAX_PATH - 12 (room for an 8.3 name) in the
  // classic form; beyond, the full path in the "\\?\" form, which the system
  // takes as is (so it is made full and normalised first).
  if (w.size() < MAX_PATH - 12) return w;
  DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return w;
  std::wstring full(n, L'\0');
  n = ::GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
  full.resize(n);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string WindowsErrorText(unsigned long err) {
  wchar_t* buf = nullptr;
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, err, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buf),
                             0, nullptr);
  std::wstring w = n && buf ? std::wstring(buf, n) : std::wstring();
  if (buf) ::LocalFree(buf);
  while (!w.empty() && (w.back() == L'\n' || w.back() == L'\r' || w.back() == L' ' || w.back() == L'.')) w.pop_back();
  std::string s = Utf8FromWide(w);
  return s.empty() ? "error " + std::to_string(err) : s + " (" + std::to_string(err) + ")";
}

Status WinError(const std::string& path, const char* what, DWORD err) {
  std::string msg = path + ": " + what + ": " + WindowsErrorText(err);
  if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND || err == ERROR_BAD_NETPATH ||
      err == ERROR_BAD_NET_NAME || err == ERROR_INVALID_DRIVE)
    return Status::NotFound(msg);
  // Another program has the file open in a way that excludes this use.
  if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION) return Status::Busy(msg);
  return Status::IOError(msg);
}

// A path whose UTF-8 is malformed names no file.
bool Convert(const std::string& path, std::wstring* w) {
  *w = WindowsPath(path);
  return !w->empty() || path.empty();
}

Status BadName(const std::string& path) { return Status::InvalidArgument(path + ": not a valid UTF-8 file name"); }

// Reads and writes at an offset without moving a shared file position (each
// call says where; several threads may read one file).
OVERLAPPED At(uint64_t offset) {
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return ov;
}

// Chunks below 4 GiB per call (the API counts in DWORD).
constexpr size_t kMaxChunk = size_t{1} << 30;

class WinRandomAccessFile final : public RandomAccessFile {
 public:
  WinRandomAccessFile(std::string path, HANDLE h, uint64_t size) : path_(std::move(path)), h_(h), size_(size) {}
  ~WinRandomAccessFile() override { ::CloseHandle(h_); }
  Status Read(uint64_t offset, size_t n, char* scratch, size_t* got) const override {
    size_t done = 0;
    while (done < n) {
      OVERLAPPED ov = At(offset + done);
      DWORD want = static_cast<DWORD>(n - done < kMaxChunk ? n - done : kMaxChunk);
      DWORD r = 0;
      if (!::ReadFile(h_, scratch + done, want, &r, &ov)) {
        DWORD e = ::GetLastError();
        if (e == ERROR_HANDLE_EOF) break;
        *got = done;
        return WinError(path_, "read", e);
      }
      if (r == 0) break;
      done += r;
    }
    *got = done;
    return Status::OK();
  }
  uint64_t Size() const override { return size_; }

 private:
  std::string path_;
  HANDLE h_;
  uint64_t size_;
};

class WinWritableFile final : public WritableFile {
 public:
  WinWritableFile(std::string path, HANDLE h, uint64_t pos) : path_(std::move(path)), h_(h), pos_(pos) {}
  ~WinWritableFile() override {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  Status Append(const char* data, size_t n) override { return WriteAt(pos_, data, n); }
  Status WriteAt(uint64_t offset, const char* data, size_t n) override {
    size_t done = 0;
    while (done < n) {
      OVERLAPPED ov = At(offset + done);
      DWORD want = static_cast<DWORD>(n - done < kMaxChunk ? n - done : kMaxChunk);
      DWORD w = 0;
      if (!::WriteFile(h_, data + done, want, &w, &ov)) return WinError(path_, "write", ::GetLastError());
      if (w == 0) return Status::IOError(path_ + ": write: nothing written");
      done += w;
    }
    if (offset + n > pos_) pos_ = offset + n;
    return Status::OK();
  }
  Status Flush() override { return Status::OK(); }
  Status Sync() override {
    if (!::FlushFileBuffers(h_)) return WinError(path_, "flush to disk", ::GetLastError());
    return Status::OK();
  }
  Status Close() override {
    if (h_ == INVALID_HANDLE_VALUE) return Status::OK();
    BOOL ok = ::CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    if (!ok) return WinError(path_, "close", ::GetLastError());
    return Status::OK();
  }

 private:
  std::string path_;
  HANDLE h_;
  uint64_t pos_;
};

// The whole file and beyond its end, where engines place their locks.
constexpr DWORD kAllLow = 0xFFFFFFFFu;
constexpr DWORD kAllHigh = 0xFFFFFFFFu;

class WinFileLock final : public FileLock {
 public:
  explicit WinFileLock(HANDLE h) : h_(h) {}
  ~WinFileLock() override {
    OVERLAPPED ov = At(0);
    ::UnlockFileEx(h_, 0, kAllLow, kAllHigh, &ov);
    ::CloseHandle(h_);
  }

 private:
  HANDLE h_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// FILE_RENAME_INFO with its flags (Windows 10 1607 and later), declared here
// as the system lays it out, for headers that lack it.
struct RenameInfoEx {
  DWORD flags;
  HANDLE rootDirectory;
  DWORD fileNameLength;
  WCHAR fileName[1];
};
constexpr int kFileRenameInfoEx = 22;
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;

// A name beside w for a file on its way out, unique among processes, that
// starts with no table's name (so that no table's listing takes it for one of
// its files); such a file goes when its last handle closes.
std::wstring AsideName(const std::wstring& w) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = w.find_last_of(L"\\/");
  const size_t name = slash == std::wstring::npos ? 0 : slash + 1;
  return w.substr(0, name) + L"~cvold-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter) + L"-" + w.substr(name);
}

// The full path in the verbatim form, which the rename by handle wants.
std::wstring FullVerbatim(const std::wstring& w) {
  if (w.rfind(L"\\\\?\\", 0) == 0) return w;
  DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return w;
  std::wstring full(n, L'\0');
  n = ::GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
  full.resize(n);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Renames with POSIX semantics and replacement; the system's error, or
// ERROR_SUCCESS.
DWORD PosixRename(const std::wstring& from, const std::wstring& to) {
  HANDLE h = ::CreateFileW(from.c_str(), DELETE | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ::GetLastError();
  const std::wstring target = FullVerbatim(to);
  std::vector<char> buf(sizeof(RenameInfoEx) + target.size() * sizeof(WCHAR));
  auto* info = reinterpret_cast<RenameInfoEx*>(buf.data());
  info->flags = kRenameReplaceIfExists | kRenamePosixSemantics;
  info->rootDirectory = nullptr;
  info->fileNameLength = static_cast<DWORD>(target.size() * sizeof(WCHAR));
  std::memcpy(info->fileName, target.data(), target.size() * sizeof(WCHAR));
  DWORD e = ERROR_SUCCESS;
  if (!::SetFileInformationByHandle(h, static_cast<FILE_INFO_BY_HANDLE_CLASS>(kFileRenameInfoEx), info,
                                    static_cast<DWORD>(buf.size())))
    e = ::GetLastError();
  ::CloseHandle(h);
  return e;
}

class WinEnv final : public Env {
 public:
  Status NewRandomAccessFile(const std::string& path, std::unique_ptr<RandomAccessFile>* out) override {
    std::wstring w;
    if (!Convert(path, &w)) return BadName(path);
    // Readers share everything: the agencies' program must never meet a
    // sharing violation because we read a table.
    HANDLE h = ::CreateFileW(w.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = ::GetLastError();
      if (e == ERROR_ACCESS_DENIED && DirExists(path)) return Status::IOError(path + ": not a regular file");
      return WinError(path, "open", e);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h, &size)) {
      DWORD e = ::GetLastError();
      ::CloseHandle(h);
      return WinError(path, "size", e);
    }
    *out = std::make_unique<WinRandomAccessFile>(path, h, static_cast<uint64_t>(size.QuadPart));
    return Status::OK();
  }
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* out) override {
    std::wstring w;
    if (!Convert(path, &w)) return BadName(path);
    HANDLE h = ::CreateFileW(w.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return WinError(path, "create", ::GetLastError());
    *out = std::make_unique<WinWritableFile>(path, h, 0);
    return Status::OK();
  }
  Status NewUpdatableFile(const std::string& path, std::unique_ptr<WritableFile>* out) override {
    std::wstring w;
    if (!Convert(path, &w)) return BadName(path);
    HANDLE h = ::CreateFileW(w.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return WinError(path, "open for update", ::GetLastError());
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h, &size)) size.QuadPart = 0;
    *out = std::make_unique<WinWritableFile>(path, h, static_cast<uint64_t>(size.QuadPart));
    return Status::OK();
  }
  bool FileExists(const std::string& path) override {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool FileExistsAs(const std::string& path, std::string* actual) override {
    // One look, as FileExists, that also gives the name as stored.
    if (path.find_first_of("*?") != std::string::npos) return Env::FileExistsAs(path, actual);
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW(WindowsPath(path).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::FindClose(h);
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    const size_t slash = path.find_last_of("/\\");
    *actual = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + Utf8FromWide(fd.cFileName);
    return true;
  }
  bool DirExists(const std::string& path) override {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  Status GetChildren(const std::string& dir, std::vector<std::string>* names) override {
    names->clear();
    std::wstring w;
    if (!Convert(dir, &w)) return BadName(dir);
    if (!w.empty() && w.back() != L'\\' && w.back() != L':') w += L'\\';
    w += L'*';
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileExW(w.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                  FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD e = ::GetLastError();
      // An empty root lists nothing at all.
      if (e == ERROR_FILE_NOT_FOUND && DirExists(dir)) return Status::OK();
      return WinError(dir, "list", e);
    }
    do {
      if (std::wcscmp(fd.cFileName, L".") == 0 || std::wcscmp(fd.cFileName, L"..") == 0) continue;
      names->push_back(Utf8FromWide(fd.cFileName));
    } while (::FindNextFileW(h, &fd));
    DWORD e = ::GetLastError();
    ::FindClose(h);
    if (e != ERROR_NO_MORE_FILES) return WinError(dir, "list", e);
    return Status::OK();
  }
  Status GetFileSize(const std::string& path, uint64_t* size) override {
    std::wstring w;
    if (!Convert(path, &w)) return BadName(path);
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!::GetFileAttributesExW(w.c_str(), GetFileExInfoStandard, &d)) return WinError(path, "size", ::GetLastError());
    *size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    return Status::OK();
  }
  Status RemoveFile(const std::string& path) override {
    std::wstring w;
    if (!Convert(path, &w)) return BadName(path);
    // A file removed while handles that share delete hold it (our readers of
    // an older version) keeps its name until the last one closes, so that
    // listings still show it and it cannot be created again. Moved aside
    // first, its name is free at once; the aside name goes with the last handle.
    const std::wstring aside = AsideName(w);
    if (::MoveFileExW(w.c_str(), aside.c_str(), 0)) {
      if (!::DeleteFileW(aside.c_str())) {
        DWORD e = ::GetLastError();
        ::MoveFileExW(aside.c_str(), w.c_str(), 0);
        return WinError(path, "remove", e);
      }
      return Status::OK();
    }
    if (!::DeleteFileW(w.c_str())) return WinError(path, "remove", ::GetLastError());
    return Status::OK();
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    std::wstring wf, wt;
    if (!Convert(from, &wf)) return BadName(from);
    if (!Convert(to, &wt)) return BadName(to);
    // Where the file system allows it (NTFS, Windows 10 and later), a rename
    // with POSIX semantics replaces a file that others have open sharing
    // delete, as our own readers do; the classic rename refuses any file
    // still open.
    DWORD e = PosixRename(wf, wt);
    if (e == ERROR_SUCCESS) return Status::OK();
    if (e != ERROR_INVALID_PARAMETER && e != ERROR_NOT_SUPPORTED && e != ERROR_INVALID_FUNCTION)
      return WinError(from + " -> " + to, "rename", e);
    // Write-through: the rename is on disk when the call returns, which is
    // what a directory sync gives elsewhere.
    constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (::MoveFileExW(wf.c_str(), wt.c_str(), kFlags)) return Status::OK();
    e = ::GetLastError();
    if (e != ERROR_ACCESS_DENIED || !FileExists(to)) return WinError(from + " -> " + to, "rename", e);
    // The classic rename refuses a target still open, even by handles that
    // share delete (our own readers of the old version). Such a file may
    // itself be renamed: moved aside, the new one takes its name, and the old
    // goes once its last handle closes. A crash in between leaves the staged
    // file, which the table's recovery puts in place.
    const std::wstring aside = AsideName(wt);
    if (!::MoveFileExW(wt.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH))
      return WinError(from + " -> " + to, "rename", e);
    if (!::MoveFileExW(wf.c_str(), wt.c_str(), kFlags)) {
      e = ::GetLastError();
      ::MoveFileExW(aside.c_str(), wt.c_str(), MOVEFILE_WRITE_THROUGH);  // the old one back
      return WinError(from + " -> " + to, "rename", e);
    }
    ::DeleteFileW(aside.c_str());
    return Status::OK();
  }
  Status CreateDir(const std::string& path) override {
    std::wstring w;
    if (!Convert(path, &w)) return BadName(path);
    if (!::CreateDirectoryW(w.c_str(), nullptr)) {
      DWORD e = ::GetLastError();
      if (e != ERROR_ALREADY_EXISTS) return WinError(path, "mkdir", e);
    }
    return Status::OK();
  }
  Status RemoveDir(const std::string& path) override {
    std::wstring w;
    if (!Convert(path, &w)) return BadName(path);
    if (!::RemoveDirectoryW(w.c_str())) return WinError(path, "remove directory", ::GetLastError());
    return Status::OK();
  }
  Status SyncDir(const std::string& dir) override {
    // Nothing to do: Windows has no flush of a directory (FlushFileBuffers
    // wants a file opened for writing), NTFS journals its directory changes,
    // and every rename here is made with MOVEFILE_WRITE_THROUGH, which returns
    // once the rename is on disk.
    (void)dir;
    return Status::OK();
  }
  Status CheckReplaceable(const std::string& path) override {
    std::wstring w;
    if (!Convert(path, &w)) return BadName(path);
    // Asking for delete access is refused exactly when a rename over the
    // file would be: another handle on it does not share delete. Nothing
    // is read or written; the handle is closed at once.
    HANDLE h = ::CreateFileW(w.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      ::CloseHandle(h);
      return Status::OK();
    }
    DWORD e = ::GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return Status::OK();
    if (e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION)
      return Status::Busy(path + ": open in another program, which keeps it from being replaced");
    return WinError(path, "open for replacement", e);
  }
  Status LockFile(const std::string& path, std::unique_ptr<FileLock>* lock) override {
    std::wstring w;
    if (!Convert(path, &w)) return BadName(path);
    HANDLE h = ::CreateFileW(w.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return WinError(path, "open lock", ::GetLastError());
    OVERLAPPED ov = At(0);
    if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, kAllLow, kAllHigh, &ov)) {
      DWORD e = ::GetLastError();
      ::CloseHandle(h);
      if (e == ERROR_LOCK_VIOLATION || e == ERROR_IO_PENDING)
        return Status::Busy(path + ": in use by another process");
      return WinError(path, "lock", e);
    }
    *lock = std::make_unique<WinFileLock>(h);
    return Status::OK();
  }
  Status ProbeFileLock(const std::string& path, LockProbe* probe) override {
    *probe = LockProbe::kUnknown;
    std::wstring w;
    if (!Convert(path, &w)) return BadName(path);
    // The original engine keeps its lock files open while it runs: an open
    // that shares nothing is refused then, and granted on a leftover. Read
    // access only, closed at once: nothing is written, deleted or kept.
    HANDLE h = ::CreateFileW(w.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      ::CloseHandle(h);
      *probe = LockProbe::kFree;
      return Status::OK();
    }
    DWORD e = ::GetLastError();
    if (e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION) {
      *probe = LockProbe::kHeld;
      return Status::OK();
    }
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return WinError(path, "open", e);
    // No exclusive open allowed (rights on a share): a byte-range lock that
    // cannot be taken still tells; one that can is released at once.
    h = ::CreateFileW(w.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Status::OK();
    OVERLAPPED ov = At(0);
    if (::LockFileEx(h, LOCKFILE_FAIL_IMMEDIATELY, 0, kAllLow, kAllHigh, &ov)) {
      OVERLAPPED ov2 = At(0);
      ::UnlockFileEx(h, 0, kAllLow, kAllHigh, &ov2);
      // Open by others is not excluded: only a byte-range lock would tell.
      *probe = LockProbe::kUnknown;
    } else if (::GetLastError() == ERROR_LOCK_VIOLATION) {
      *probe = LockProbe::kHeld;
    }
    ::CloseHandle(h);
    return Status::OK();
  }

 private:
  static DWORD Attributes(const std::string& path) {
    std::wstring w;
    if (!Convert(path, &w) || w.empty()) return INVALID_FILE_ATTRIBUTES;
    return ::GetFileAttributesW(w.c_str());
  }
};

}  // namespace

Env* Env::Default() {
  static WinEnv env;
  return &env;
}

std::string EnvironmentVariable(const std::string& name) {
  std::wstring w = WideFromUtf8(name);
  std::vector<wchar_t> buf(256);
  for (;;) {
    DWORD n = ::GetEnvironmentVariableW(w.c_str(), buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return "";
    if (n < buf.size()) return Utf8FromWide(std::wstring(buf.data(), n));
    buf.resize(n);  // n counts the terminating zero when the buffer is short
  }
}

std::string SystemTempDir() {
  for (const char* nom : {"TMP", "TEMP"}) {
    std::string t = EnvironmentVariable(nom);
    if (!t.empty()) return t;
  }
  return "";
}

std::vector<std::string> ArgumentsUtf8(int argc, char** argv) {
  int n = 0;
  wchar_t** w = ::CommandLineToArgvW(::GetCommandLineW(), &n);
  if (!w) return {argv + 1, argv + argc};
  std::vector<std::string> args;
  for (int i = 1; i < n; ++i) args.push_back(Utf8FromWide(w[i]));
  ::LocalFree(w);
  return args;
}

std::string DisplayPath(const std::string& path) {
  std::string p = path;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

}  // namespace pdx
