#pragma once
// Helpers shared by the tests: sample-table lookup and scratch directories.
#include <gtest/gtest.h>

#include <string>

#include "paradox/env.h"

namespace testutil {

// Directory of the real Paradox sample tables ("" when absent).
std::string SamplesDir();
// Where they are looked for: $CORVANES_SAMPLES_DIR, else the folder beside the
// repository (for skip messages).
std::string SamplesDirSought();

// Skips the current test with a clear message when the samples are absent.
#define REQUIRE_SAMPLES()                                                              \
  do {                                                                                 \
    if (::testutil::SamplesDir().empty())                                              \
      GTEST_SKIP() << "Paradox samples not found at " << ::testutil::SamplesDirSought(); \
  } while (0)

// A fresh empty directory, removed when the object dies.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// While it lives, LC_NUMERIC is a locale that writes decimals with a comma
// (as the desktop program's may be); the previous one is put back after.
// name() is null when no such locale is installed.
class CommaLocale {
 public:
  CommaLocale();
  ~CommaLocale();
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;
  const char* name() const { return name_; }

 private:
  std::string before_;
  const char* name_ = nullptr;
};

// Copies a file byte for byte; fails the test on error.
void CopyFile(const std::string& from, const std::string& to);
// Copies every file and folder under from into to (created when missing, its
// files replaced); fails the test on error.
void CopyTree(const std::string& from, const std::string& to);
std::string ReadFile(const std::string& path);
// Runs a shell command line; returns its exit code (-1 when it could not run
// or did not exit), its standard output in *out.
int RunCommand(const std::string& command, std::string* out);
void WriteFile(const std::string& path, const std::string& bytes);
// Creates (or replaces) path in env with the bytes; fails the test on error.
void PutFile(pdx::Env* env, const std::string& path, const std::string& bytes);
// The whole content of path in env; "<absent>" when it cannot be opened.
std::string GetFile(pdx::Env* env, const std::string& path);

}  // namespace testutil
