#include "support/test_util.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace testutil {

std::string SamplesDirSought() {
  const char* env = std::getenv("CORVANES_SAMPLES_DIR");
  return env && *env ? env : CORVANES_SAMPLES_DIR;
}

std::string SamplesDir() {
  const std::string dir = SamplesDirSought();
  std::error_code ec;
  if (std::filesystem::is_directory(dir + "/dbdemos", ec)) return dir;
  return "";
}

TempDir::TempDir() {
#ifdef _WIN32
  // No mkdtemp: a random name, made only if it is not there yet. Forward
  // slashes throughout, as tests join names with '/'.
  std::random_device rd;
  for (int i = 0; i < 100 && path_.empty(); ++i) {
    std::string p = (std::filesystem::temp_directory_path() / ("corvanes-test-" + std::to_string(rd()))).string();
    for (char& c : p)
      if (c == '\\') c = '/';
    std::error_code ec;
    if (std::filesystem::create_directory(p, ec)) path_ = p;
  }
  if (path_.empty()) throw std::runtime_error("no temporary directory could be made");
#else
  std::string tmpl = (std::filesystem::temp_directory_path() / "corvanes-test-XXXXXX").string();
  char* p = ::mkdtemp(tmpl.data());
  if (!p) throw std::runtime_error("mkdtemp failed");
  path_ = p;
#endif
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

CommaLocale::CommaLocale() : before_(std::setlocale(LC_NUMERIC, nullptr)) {
  for (const char* name : {"fr_FR.UTF-8", "fr_FR.utf8", "de_DE.UTF-8", "fr_FR"})
    if (std::setlocale(LC_NUMERIC, name)) {
      name_ = name;
      break;
    }
}

CommaLocale::~CommaLocale() { std::setlocale(LC_NUMERIC, before_.c_str()); }

void CopyFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  std::filesystem::remove(to, ec);  // libstdc++'s overwrite_existing fails on Windows
  std::filesystem::copy_file(from, to, ec);
  ASSERT_FALSE(ec) << "copy " << from << " -> " << to << ": " << ec.message();
  std::filesystem::permissions(to, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add, ec);
}

void CopyTree(const std::string& from, const std::string& to) {
  // File by file: libstdc++'s recursive copy refuses an existing destination
  // folder on Windows.
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(to, ec);
  ASSERT_FALSE(ec) << "create " << to << ": " << ec.message();
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(from)) {
    const fs::path target = fs::path(to) / fs::relative(e.path(), from);
    if (e.is_directory()) {
      fs::create_directories(target, ec);
      ASSERT_FALSE(ec) << "create " << target.string() << ": " << ec.message();
    } else {
      fs::remove(target, ec);  // libstdc++'s overwrite_existing fails on Windows
      fs::copy_file(e.path(), target, ec);
      ASSERT_FALSE(ec) << "copy " << e.path().string() << " -> " << target.string() << ": " << ec.message();
    }
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int RunCommand(const std::string& command, std::string* out) {
#ifdef _WIN32
  FILE* p = ::_popen(command.c_str(), "rb");
#else
  FILE* p = ::popen(command.c_str(), "r");
#endif
  if (!p) return -1;
  out->clear();
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out->append(buf, n);
#ifdef _WIN32
  return ::_pclose(p);
#else
  int st = ::pclose(p);
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
#endif
}

void PutFile(pdx::Env* env, const std::string& path, const std::string& bytes) {
  std::unique_ptr<pdx::WritableFile> f;
  ASSERT_TRUE(env->NewWritableFile(path, &f).ok()) << path;
  ASSERT_TRUE(f->Append(bytes.data(), bytes.size()).ok()) << path;
  ASSERT_TRUE(f->Close().ok()) << path;
}

std::string GetFile(pdx::Env* env, const std::string& path) {
  std::unique_ptr<pdx::RandomAccessFile> f;
  if (!env->NewRandomAccessFile(path, &f).ok()) return "<absent>";
  std::string out(f->Size(), '\0');
  size_t got = 0;
  EXPECT_TRUE(f->Read(0, out.size(), out.data(), &got).ok()) << path;
  out.resize(got);
  return out;
}

}  // namespace testutil
