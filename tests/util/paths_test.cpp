#include <gtest/gtest.h>

#include <filesystem>

#include "util/session.h"
#include "support/test_util.h"
#include "util/ini.h"
#include "util/winpath.h"

namespace corv {
namespace {

namespace fs = std::filesystem;

void MakeDirs(const std::string& p) { fs::create_directories(p); }

TEST(HostPaths, BackslashesCaseAndPrefixes) {
  testutil::TempDir t;
  MakeDirs(t.file("Quintrel/Administration/Documents"));
  testutil::WriteFile(t.file("Quintrel/Administration/CLIENT.DB"), "x");
  MakeDirs(t.file("share/Agences/Lyon"));
  HostPaths h(pdx::Env::Default());

  // A host path written with backslashes and in another case finds the real names.
  std::string win = t.path() + "\\quintrel\\ADMINISTRATION\\client.db";
  EXPECT_EQ(h.ToHost(win), t.file("Quintrel/Administration/CLIENT.DB"));
  EXPECT_TRUE(h.FileExists(win));
  // A doubled backslash is one separator; a trailing one is kept.
  EXPECT_EQ(h.ToHost(t.path() + "\\Quintrel\\\\Administration\\"), t.file("Quintrel/Administration/"));
  // Past the first missing component the rest is kept as written (files to create).
  EXPECT_EQ(h.ToHost(t.path() + "\\QUINTREL\\Nouveau\\Fichier.DB"), t.file("Quintrel/Nouveau/Fichier.DB"));

  h.AddPrefix("D:", t.file("Quintrel"));
  h.AddPrefix("\\\\SERVEUR\\Quintrel", t.file("share"));
  h.AddPrefix("\\\\serveur\\quintrel\\agences\\lyon", t.file("share/Agences/Lyon"));
  EXPECT_EQ(h.ToHost("d:\\administration\\Documents\\"), t.file("Quintrel/Administration/Documents/"));
  EXPECT_EQ(h.ToHost("D:"), t.file("Quintrel"));
  EXPECT_EQ(h.ToHost("\\\\Serveur\\QUINTREL\\Agences"), t.file("share/Agences"));
  // The longest prefix wins, and a prefix only matches a whole component.
  EXPECT_EQ(h.ToHost("\\\\SERVEUR\\Quintrel\\Agences\\Lyon\\x"), t.file("share/Agences/Lyon/x"));
  EXPECT_EQ(h.ToHost("\\\\SERVEUR\\Quintrel2\\x"), "//SERVEUR/Quintrel2/x");
  // Unmapped Windows forms stay recognisable (and do not exist).
  EXPECT_EQ(h.ToHost("C:\\Quintrel"), "C:/Quintrel");
  EXPECT_EQ(h.ToHost("\\Administration"), "/Administration");
  // Re-mapping a prefix replaces it rather than adding a second one.
  h.AddPrefix("d:\\", t.file("share"));
  EXPECT_EQ(h.prefixes().size(), 3u);
  EXPECT_EQ(h.ToHost("D:\\Agences"), t.file("share/Agences"));
}

TEST(HostPaths, PrefixesFromTheIniSection) {
  HostPaths h(pdx::Env::Default());
  h.LoadPrefixes(IniFile::FromText("[Alias]\nQuintrel=D:\\Q\n[Chemins]\nD:=/srv/d\n\\\\SRV\\Parts=/srv/parts\nE:=\n"));
  ASSERT_EQ(h.prefixes().size(), 2u);
  EXPECT_EQ(h.ToHost("D:\\Q"), "/srv/d/Q");
  EXPECT_EQ(h.ToHost("\\\\srv\\parts\\A"), "/srv/parts/A");
}

}  // namespace
}  // namespace corv
