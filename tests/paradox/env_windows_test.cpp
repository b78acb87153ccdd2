// The Windows Env against the real file system: sharing with the agencies'
// program, renames over files held open, the original engine's lock files,
// our own write lock, long and non-ASCII paths. Other handles opened here with
// CreateFileW behave, for sharing and byte-range locks, as another process's.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "paradox/commit.h"
#include "paradox/env.h"
#include "paradox/table_lock.h"
#include "support/test_util.h"

namespace {

std::wstring W(const std::string& s) {
  int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  return w;
}

// A handle as the agencies' program keeps one: read and write, sharing read
// and write but not delete.
struct Holder {
  HANDLE h;
  Holder(const std::string& path, DWORD share) {
    h = ::CreateFileW(W(path).c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~Holder() {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
};

pdx::Env* Env() { return pdx::Env::Default(); }

// Commits new contents ("new") for both files of table T in dir.
pdx::Status ChangeTable(const std::string& dir) {
  pdx::TableCommit c(Env(), dir, "T");
  for (const char* name : {"T.DB", "T.PX"}) {
    pdx::WritableFile* f = nullptr;
    PDX_RETURN_IF_ERROR(c.Stage(name, &f));
    PDX_RETURN_IF_ERROR(f->Append("new", 3));
  }
  return c.Commit();
}

TEST(WindowsEnv, OurReadersShareEverythingWithOtherPrograms) {
  testutil::TempDir dir;
  testutil::PutFile(Env(), dir.file("T.DB"), "0123456789");
  std::unique_ptr<pdx::RandomAccessFile> f;
  ASSERT_TRUE(Env()->NewRandomAccessFile(dir.file("T.DB"), &f).ok());
  // The other program opens it for writing, then replaces it, while we read.
  {
    Holder other(dir.file("T.DB"), FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_NE(other.h, INVALID_HANDLE_VALUE) << ::GetLastError();
  }
  char buf[4];
  size_t got = 0;
  ASSERT_TRUE(f->Read(6, 10, buf, &got).ok());  // past the end: fewer bytes, no error
  EXPECT_EQ(std::string(buf, got), "6789");
  testutil::PutFile(Env(), dir.file("T.new"), "new");
  EXPECT_TRUE(Env()->RenameFile(dir.file("T.new"), dir.file("T.DB")).ok());
  EXPECT_EQ(testutil::GetFile(Env(), dir.file("T.DB")), "new");
}

TEST(WindowsEnv, AFileHeldWithoutDeleteSharingCannotBeReplacedAndSaysSo) {
  testutil::TempDir dir;
  testutil::PutFile(Env(), dir.file("T.DB"), "old");
  testutil::PutFile(Env(), dir.file("T.new"), "new");
  {
    Holder other(dir.file("T.DB"), FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(other.h, INVALID_HANDLE_VALUE);
    pdx::Status s = Env()->CheckReplaceable(dir.file("T.DB"));
    EXPECT_TRUE(s.IsBusy()) << s.ToString();
    EXPECT_FALSE(Env()->RenameFile(dir.file("T.new"), dir.file("T.DB")).ok());
    EXPECT_EQ(testutil::GetFile(Env(), dir.file("T.DB")), "old");
  }
  {
    // Sharing delete, as our own readers do, stands in no one's way.
    Holder reader(dir.file("T.DB"), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    EXPECT_TRUE(Env()->CheckReplaceable(dir.file("T.DB")).ok());
  }
  EXPECT_TRUE(Env()->CheckReplaceable(dir.file("absent.DB")).ok());
  EXPECT_TRUE(Env()->RenameFile(dir.file("T.new"), dir.file("T.DB")).ok());
  EXPECT_EQ(testutil::GetFile(Env(), dir.file("T.DB")), "new");
}

TEST(WindowsEnv, ACommitOverAnIndexHeldOpenLeavesTheOldTableWhole) {
  testutil::TempDir dir;
  testutil::PutFile(Env(), dir.file("T.DB"), "old-db");
  testutil::PutFile(Env(), dir.file("T.PX"), "old-px");
  auto change = [&] { return ChangeTable(dir.path()); };
  {
    Holder other(dir.file("T.PX"), FILE_SHARE_READ | FILE_SHARE_WRITE);
    pdx::Status s = change();
    EXPECT_TRUE(s.IsBusy()) << s.ToString();
    EXPECT_EQ(testutil::GetFile(Env(), dir.file("T.DB")), "old-db");
    EXPECT_EQ(testutil::GetFile(Env(), dir.file("T.PX")), "old-px");
    EXPECT_FALSE(pdx::NeedsRecovery(Env(), dir.path(), "T"));
  }
  ASSERT_TRUE(change().ok());
  EXPECT_EQ(testutil::GetFile(Env(), dir.file("T.PX")), "new");
}

TEST(WindowsEnv, EngineLockFilesHeldOpenAreSeenAndLeftAsTheyAre) {
  testutil::TempDir dir;
  const std::string lck = dir.file("PDOXUSRS.LCK");
  testutil::WriteFile(lck, std::string(128, 'x'));
  pdx::LockProbe probe = pdx::LockProbe::kUnknown;
  ASSERT_TRUE(Env()->ProbeFileLock(lck, &probe).ok());
  EXPECT_EQ(probe, pdx::LockProbe::kFree);  // a leftover
  EXPECT_TRUE(pdx::CheckEngineLocks(Env(), dir.path(), "CLIENT", false).ok());
  {
    Holder engine(lck, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(engine.h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Env()->ProbeFileLock(lck, &probe).ok());
    EXPECT_EQ(probe, pdx::LockProbe::kHeld);
    pdx::Status s = pdx::CheckEngineLocks(Env(), dir.path(), "CLIENT", false);
    EXPECT_TRUE(s.IsBusy()) << s.ToString();
  }
  // In the network directory too.
  testutil::TempDir net;
  testutil::WriteFile(net.file("PDOXUSRS.NET"), "net");
  {
    Holder engine(net.file("PDOXUSRS.NET"), FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_TRUE(pdx::CheckEngineLocks(Env(), dir.path(), "CLIENT", false, net.path()).IsBusy());
  }
  EXPECT_TRUE(pdx::CheckEngineLocks(Env(), dir.path(), "CLIENT", false, net.path()).ok());
  EXPECT_EQ(testutil::ReadFile(lck), std::string(128, 'x'));
  EXPECT_EQ(testutil::ReadFile(net.file("PDOXUSRS.NET")), "net");
}

TEST(WindowsEnv, OurWriteLockExcludesASecondHolderUntilReleased) {
  testutil::TempDir dir;
  std::unique_ptr<pdx::FileLock> a, b;
  ASSERT_TRUE(Env()->LockFile(dir.file("T.cvlock"), &a).ok());
  EXPECT_TRUE(Env()->LockFile(dir.file("T.cvlock"), &b).IsBusy());
  a.reset();
  EXPECT_TRUE(Env()->LockFile(dir.file("T.cvlock"), &b).ok());
}

TEST(WindowsEnv, LongAndAccentedPathsAreUsedAsGiven) {
  testutil::TempDir dir;
  std::string d = dir.path();
  // Well past the classic 260 characters.
  for (int i = 0; i < 6; ++i) {
    d += "/Répertoire des agences numéro " + std::to_string(i) + std::string(20, 'x');
    ASSERT_TRUE(Env()->CreateDir(d).ok()) << d.size();
  }
  ASSERT_GT(d.size(), 300u);
  const std::string f = d + "/Données été.DB";
  testutil::PutFile(Env(), f, "contenu");
  EXPECT_TRUE(Env()->FileExists(f));
  EXPECT_TRUE(Env()->DirExists(d));
  uint64_t size = 0;
  ASSERT_TRUE(Env()->GetFileSize(f, &size).ok());
  EXPECT_EQ(size, 7u);
  std::vector<std::string> names;
  ASSERT_TRUE(Env()->GetChildren(d, &names).ok());
  EXPECT_EQ(names, std::vector<std::string>{"Données été.DB"});
  ASSERT_TRUE(Env()->RenameFile(f, d + "/Autre.DB").ok());
  EXPECT_EQ(testutil::GetFile(Env(), d + "/Autre.DB"), "contenu");
  std::string found;
  ASSERT_TRUE(pdx::FindFileNoCase(Env(), d, "autre.db", &found).ok());
  EXPECT_EQ(found, d + "/Autre.DB");
  EXPECT_TRUE(Env()->RemoveFile(d + "/Autre.DB").ok());
  EXPECT_TRUE(Env()->GetFileSize(d + "/Autre.DB", &size).IsNotFound());
}

// Another process: this test program started again, which, seeing
// CORVANES_TEST_HOLD before any test runs, holds the file it names as the
// agencies' program does (no delete sharing), says so with a ".ready" file,
// lets go when a ".release" file appears, and exits.
constexpr const char* kHoldVariable = "CORVANES_TEST_HOLD";

bool WaitFor(const std::string& path, int seconds) {
  for (int i = 0; i < seconds * 50; ++i) {
    if (::GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

[[maybe_unused]] const bool kHolderRun = [] {
  const std::string path = pdx::EnvironmentVariable(kHoldVariable);
  if (path.empty()) return false;
  Holder held(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (held.h == INVALID_HANDLE_VALUE) ::ExitProcess(2);
  HANDLE ready = ::CreateFileW(W(path + ".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) ::ExitProcess(3);
  ::CloseHandle(ready);
  const bool released = WaitFor(path + ".release", 120);
  ::CloseHandle(held.h);
  held.h = INVALID_HANDLE_VALUE;
  ::ExitProcess(released ? 0 : 4);
}();

struct SecondProcess {
  PROCESS_INFORMATION pi{};
  bool started = false;
  explicit SecondProcess(const std::string& held) {
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --gtest_list_tests";
    ::SetEnvironmentVariableW(W(kHoldVariable).c_str(), W(held).c_str());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    started = ::CreateProcessW(exe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
    ::SetEnvironmentVariableW(W(kHoldVariable).c_str(), nullptr);
  }
  DWORD Wait() {
    DWORD code = 1;
    if (::WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) ::GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
  ~SecondProcess() {
    if (!started) return;
    if (::WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
  }
};

TEST(WindowsEnv, ACommitOverATableAnotherProcessHoldsOpenIsRefusedWholeThenGoesThrough) {
  testutil::TempDir dir;
  testutil::PutFile(Env(), dir.file("T.DB"), "old-db");
  testutil::PutFile(Env(), dir.file("T.PX"), "old-px");
  auto change = [&] { return ChangeTable(dir.path()); };
  // The other process holds the data file: the commit's first file.
  SecondProcess other(dir.file("T.DB"));
  ASSERT_TRUE(other.started) << ::GetLastError();
  ASSERT_TRUE(WaitFor(dir.file("T.DB.ready"), 60)) << "the second process never held the file";
  pdx::Status s = change();
  EXPECT_TRUE(s.IsBusy()) << s.ToString();
  EXPECT_EQ(testutil::GetFile(Env(), dir.file("T.DB")), "old-db");
  EXPECT_EQ(testutil::GetFile(Env(), dir.file("T.PX")), "old-px");
  EXPECT_FALSE(pdx::NeedsRecovery(Env(), dir.path(), "T"));
  testutil::WriteFile(dir.file("T.DB.release"), "");
  EXPECT_EQ(other.Wait(), 0u);
  ASSERT_TRUE(change().ok());
  EXPECT_EQ(testutil::GetFile(Env(), dir.file("T.DB")), "new");
  EXPECT_EQ(testutil::GetFile(Env(), dir.file("T.PX")), "new");
}

TEST(WindowsEnv, EnvironmentAndArgumentsComeAsUtf8) {
  ASSERT_TRUE(::SetEnvironmentVariableW(L"CORVANES_ESSAI", L"\u00C9vry \u20AC \u4E2D"));
  EXPECT_EQ(pdx::EnvironmentVariable("CORVANES_ESSAI"), "\u00C9vry \u20AC \u4E2D");
  ::SetEnvironmentVariableW(L"CORVANES_ESSAI", nullptr);
  EXPECT_EQ(pdx::EnvironmentVariable("CORVANES_ESSAI"), "");
  // A value longer than a first guess of the buffer.
  const std::string long_value(1000, 'x');
  ASSERT_TRUE(::SetEnvironmentVariableW(L"CORVANES_ESSAI", W(long_value).c_str()));
  EXPECT_EQ(pdx::EnvironmentVariable("CORVANES_ESSAI"), long_value);
  ::SetEnvironmentVariableW(L"CORVANES_ESSAI", nullptr);
  // TMP first, then TEMP.
  const std::string tmp = pdx::EnvironmentVariable("TMP"), temp = pdx::EnvironmentVariable("TEMP");
  ASSERT_TRUE(::SetEnvironmentVariableW(L"TMP", nullptr));
  ASSERT_TRUE(::SetEnvironmentVariableW(L"TEMP", L"C:\\Temp \u00E9t\u00E9"));
  EXPECT_EQ(pdx::SystemTempDir(), "C:\\Temp \u00E9t\u00E9");
  ::SetEnvironmentVariableW(L"TEMP", nullptr);
  EXPECT_EQ(pdx::SystemTempDir(), "");
  ::SetEnvironmentVariableW(L"TMP", W(tmp).c_str());
  ::SetEnvironmentVariableW(L"TEMP", W(temp).c_str());
  EXPECT_EQ(pdx::SystemTempDir(), tmp.empty() ? temp : tmp);
  // Paths shown to users as they write them.
  EXPECT_EQ(pdx::DisplayPath("Z:/tmp/Journaux/2026-12-09.log"), "Z:\\tmp\\Journaux\\2026-12-09.log");
  EXPECT_EQ(pdx::DisplayPath("\\\\SERVEUR\\Quintrel/Agences"), "\\\\SERVEUR\\Quintrel\\Agences");
  // This program's own arguments, read from the wide command line.
  char* argv[] = {const_cast<char*>("x"), nullptr};
  std::vector<std::string> args = pdx::ArgumentsUtf8(1, argv);
  EXPECT_FALSE(args.empty());  // ctest passes at least the test filter
}

}  // namespace
