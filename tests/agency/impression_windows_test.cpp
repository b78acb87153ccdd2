// The print module started with CreateProcessW and waited for: its exit code
// comes back, an argument with spaces arrives whole.
#include <windows.h>

#include <gtest/gtest.h>

#include "data/impression.h"
#include "support/test_util.h"

namespace corv {
namespace {

std::string Cmd() {
  wchar_t buf[MAX_PATH];
  UINT n = ::GetSystemDirectoryW(buf, MAX_PATH);
  std::string s;
  for (UINT i = 0; i < n; ++i) s.push_back(static_cast<char>(buf[i]));  // ASCII system path
  return s + "\\cmd.exe";
}

TEST(ConfigurationImpression, OnWindowsTheModuleIsStartedAndWaitedForWithItsArguments) {
  EXPECT_EQ(LancerEtAttendre(Cmd(), {"/c", "exit 3"}), 3);
  testutil::TempDir t;
  const std::string sortie = t.file("sortie.txt");
  std::string cible = sortie;
  for (char& c : cible)
    if (c == '/') c = '\\';
  // Written by the child before it ends: present once the wait returns.
  EXPECT_EQ(LancerEtAttendre(Cmd(), {"/c", "echo CONFIGURATION>" + cible}), 0);
  EXPECT_NE(testutil::ReadFile(sortie).find("CONFIGURATION"), std::string::npos);
  EXPECT_EQ(LancerEtAttendre(t.file("absent.exe"), {}), -1);
  // A file without ".exe" is never taken for the module here.
  testutil::WriteFile(t.file("Module_Impression"), "x");
  EXPECT_FALSE(EstExecutableHote(t.file("Module_Impression")));
}

}  // namespace
}  // namespace corv
