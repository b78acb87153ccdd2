#include <gtest/gtest.h>

#include <filesystem>

#include "util/session.h"
#include "bench/share_env.h"
#include "support/test_util.h"
#include "util/ini.h"
#include "util/winpath.h"

namespace corv {
namespace {

namespace fs = std::filesystem;

void MakeDirs(const std::string& p) { fs::create_directories(p); }

// What a conversion gives where names keep their case on disk, and on Windows,
// whose file system ignores case: there a path is used as written (its
// separators aside), found with one look.
template <typename T>
T SelonSysteme(T casse_du_disque, T windows) {
#ifdef _WIN32
  (void)casse_du_disque;
  return windows;
#else
  (void)windows;
  return casse_du_disque;
#endif
}

TEST(HostPaths, BackslashesCaseAndPrefixes) {
  testutil::TempDir t;
  MakeDirs(t.file("Quintrel/Administration/Documents"));
  testutil::WriteFile(t.file("Quintrel/Administration/CLIENT.DB"), "x");
  MakeDirs(t.file("share/Agences/Lyon"));
  HostPaths h(pdx::Env::Default());

  // A host path written with backslashes and in another case finds the real names.
  std::string win = t.path() + "\\quintrel\\ADMINISTRATION\\client.db";
  EXPECT_EQ(h.ToHost(win), SelonSysteme(t.file("Quintrel/Administration/CLIENT.DB"),
                                        t.file("quintrel/ADMINISTRATION/client.db")));
  EXPECT_TRUE(h.FileExists(win));
  // A doubled backslash is one separator; a trailing one is kept.
  EXPECT_EQ(h.ToHost(t.path() + "\\Quintrel\\\\Administration\\"), t.file("Quintrel/Administration/"));
  // Past the first missing component the rest is kept as written (files to create).
  EXPECT_EQ(h.ToHost(t.path() + "\\QUINTREL\\Nouveau\\Fichier.DB"),
            SelonSysteme(t.file("Quintrel/Nouveau/Fichier.DB"), t.file("QUINTREL/Nouveau/Fichier.DB")));

  h.AddPrefix("D:", t.file("Quintrel"));
  h.AddPrefix("\\\\SERVEUR\\Quintrel", t.file("share"));
  h.AddPrefix("\\\\serveur\\quintrel\\agences\\lyon", t.file("share/Agences/Lyon"));
  EXPECT_EQ(h.ToHost("d:\\administration\\Documents\\"),
            SelonSysteme(t.file("Quintrel/Administration/Documents/"), t.file("Quintrel/administration/Documents/")));
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

// How many looks at the file system a conversion costs (each a round trip on
// a network share), and that the answers are those of a part-by-part walk.
TEST(HostPaths, ConvertsAPathThatExistsAsWrittenWithOneLook) {
  testutil::TempDir t;
  MakeDirs(t.file("Q/Agences/BOR04/Dossiers"));
  testutil::WriteFile(t.file("Q/Agences/BOR04/Dossiers/PIECE.DB"), "x");
  bench::ShareEnv share(pdx::Env::Default());
  share.SetSleeping(false);
  HostPaths h(&share);
  h.AddPrefix("Q:", t.file("Q"));
  auto looks = [&](auto f) {
    share.ResetCounts();
    f();
    return share.RoundTrips();
  };

  EXPECT_EQ(looks([&] { EXPECT_EQ(h.ToHost("Q:\\Agences\\BOR04\\Dossiers\\PIECE.DB"), t.file("Q/Agences/BOR04/Dossiers/PIECE.DB")); }), 1u);
  EXPECT_EQ(looks([&] { EXPECT_EQ(h.ToHost("Q:\\Agences\\BOR04\\Dossiers\\"), t.file("Q/Agences/BOR04/Dossiers/")); }), 1u);
  // The existence checks answer from the conversion's own look.
  EXPECT_EQ(looks([&] { EXPECT_TRUE(h.DirExists("Q:\\Agences\\BOR04")); }), 1u);
  EXPECT_EQ(looks([&] { EXPECT_TRUE(h.FileExists("Q:\\Agences\\BOR04\\Dossiers\\PIECE.DB")); }), 1u);
  EXPECT_EQ(looks([&] { EXPECT_FALSE(h.FileExists("Q:\\Agences\\BOR04")); }), 2u);
  EXPECT_EQ(looks([&] { EXPECT_FALSE(h.DirExists("Q:\\Agences\\BOR04\\Dossiers\\PIECE.DB")); }), 2u);
  // Another case for the last part: its directory and one listing.
  EXPECT_EQ(looks([&] {
              EXPECT_EQ(h.ToHost("Q:\\Agences\\BOR04\\Dossiers\\piece.db"),
                        SelonSysteme(t.file("Q/Agences/BOR04/Dossiers/PIECE.DB"), t.file("Q/Agences/BOR04/Dossiers/piece.db")));
            }),
            SelonSysteme(4u, 1u));
  EXPECT_EQ(looks([&] { EXPECT_TRUE(h.FileExists("Q:\\Agences\\BOR04\\Dossiers\\piece.db")); }), SelonSysteme(5u, 1u));
  // A file about to be created: the same looks, the name kept as written.
  EXPECT_EQ(h.ToHost("Q:\\Agences\\BOR04\\Dossiers\\Nouveau.DB"), t.file("Q/Agences/BOR04/Dossiers/Nouveau.DB"));
  EXPECT_FALSE(h.FileExists("Q:\\Agences\\BOR04\\Dossiers\\Nouveau.DB"));
  EXPECT_FALSE(h.DirExists("Q:\\Agences\\LIL05"));
  // Another case in the middle: the walk, part by part, finds it all the same.
  EXPECT_EQ(h.ToHost("q:\\AGENCES\\bor04\\dossiers\\Piece.db"),
            SelonSysteme(t.file("Q/Agences/BOR04/Dossiers/PIECE.DB"), t.file("Q/AGENCES/bor04/dossiers/Piece.db")));
  EXPECT_TRUE(h.DirExists("q:\\AGENCES\\bor04"));
  EXPECT_EQ(h.ToHost("Q:\\agences\\Absente\\PIECE.DB"),
            SelonSysteme(t.file("Q/Agences/Absente/PIECE.DB"), t.file("Q/agences/Absente/PIECE.DB")));
  // Dots are left to the walk.
  EXPECT_EQ(h.ToHost("Q:\\Agences\\.\\BOR04"), t.file("Q/Agences/./BOR04"));
  // A file that appears is seen at once: nothing is remembered between calls.
  EXPECT_FALSE(h.FileExists("Q:\\Agences\\BOR04\\Dossiers\\LIGNE.DB"));
  testutil::WriteFile(t.file("Q/Agences/BOR04/Dossiers/ligne.db"), "x");
  EXPECT_TRUE(h.FileExists("Q:\\Agences\\BOR04\\Dossiers\\LIGNE.DB"));
  EXPECT_EQ(h.ToHost("Q:\\Agences\\BOR04\\Dossiers\\LIGNE.DB"),
            SelonSysteme(t.file("Q/Agences/BOR04/Dossiers/ligne.db"), t.file("Q/Agences/BOR04/Dossiers/LIGNE.DB")));
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
