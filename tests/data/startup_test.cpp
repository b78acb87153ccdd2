#include <gtest/gtest.h>

#include <filesystem>

#include "data/demarrage.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

namespace corv {
namespace {

namespace fs = std::filesystem;

const char* const kKeys[] = {"Administration", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj"};

class Demarrage : public ::testing::Test {
 protected:
  // Writes qvrbde.ini beside a pretend executable and runs the start-up step
  // as the program does, its failure shown in one box.
  bool Run(const std::string& ini) {
    testutil::WriteFile(t.file("qvrbde.ini"), ini);
    pdx::Status s = ConfigurerSession(t.path() + "\\qvrbde.ini", session, host);
    SignalerEchecDemarrage(s, dialogs);
    return s.ok();
  }
  void MakeAll(const std::string& base) {
    for (const char* k : kKeys) fs::create_directories(base + "/" + k);
  }
  testutil::TempDir t;
  Session session;
  HostPaths host{pdx::Env::Default()};
  testutil::ScriptedDialogs dialogs;
};

TEST_F(Demarrage, BaseAloneGivesSixNamedDatabases) {
  MakeAll(t.file("Q"));
  ASSERT_TRUE(Run("[Alias]\r\nQuintrel=" + t.file("Q") + "\r\n"));
  EXPECT_TRUE(dialogs.shown().empty());
  ASSERT_EQ(session.size(), 6u);
  for (const char* k : kKeys)
    EXPECT_EQ(session.Directory(std::string("Quintrel") + k).value_or("?"), t.file("Q") + "\\" + k);
  EXPECT_EQ(session.NetDir(), "");
}

TEST_F(Demarrage, ExplicitKeysWithAnEmptyBaseAndPrefixMapping) {
  // Stored in Windows form on a mapped drive, in another case than on disk.
  fs::create_directories(t.file("mnt/data"));
  for (const char* k : kKeys) fs::create_directories(t.file(std::string("mnt/data/") + k));
  std::string ini = "[Chemins]\r\nD:=" + t.file("mnt") + "\r\n[Alias]\r\nQuintrel=\r\n";
  for (const char* k : kKeys) ini += std::string(k) + "=d:\\DATA\\" + k + "\r\n";
  fs::create_directories(t.file("mnt/net"));
  ini += "NetDir=D:\\net\r\n";
  ASSERT_TRUE(Run(ini));
  EXPECT_TRUE(dialogs.shown().empty());
  EXPECT_EQ(session.Directory("QuintrelTarifs").value_or(""), "d:\\DATA\\Tarifs");
  EXPECT_EQ(session.NetDir(), "D:\\net");
}

TEST_F(Demarrage, InvalidBaseStopsBeforeAnyNamedDatabase) {
  EXPECT_FALSE(Run("[Alias]\r\nQuintrel=" + t.file("nowhere") + "\r\n"));
  EXPECT_EQ(dialogs.Texts("warning"), (std::vector<std::string>{"Répertoire Quintrel non valide : " + t.file("nowhere")}));
  EXPECT_EQ(session.size(), 0u);
}

TEST_F(Demarrage, MissingArchivesStopsAfterTwo) {
  MakeAll(t.file("Q"));
  fs::remove(t.file("Q/Archives"));
  EXPECT_FALSE(Run("[Alias]\r\nQuintrel=" + t.file("Q") + "\r\n"));
  EXPECT_EQ(dialogs.Texts("warning"),
            (std::vector<std::string>{"Répertoire Archives non valide : " + t.file("Q") + "\\Archives"}));
  EXPECT_EQ(dialogs.shown().size(), 1u);
  EXPECT_TRUE(session.Has("QuintrelAdministration"));
  EXPECT_TRUE(session.Has("QuintrelDossiers"));
  EXPECT_FALSE(session.Has("QuintrelArchives"));
  EXPECT_FALSE(session.Has("QuintrelCorbeille"));
  EXPECT_FALSE(session.Has("QuintrelTarifs"));
  EXPECT_FALSE(session.Has("QuintrelMaj"));
}

TEST_F(Demarrage, EmptyBaseDefaultsFromTheRoot) {
  IniFile ini = IniFile::FromText("[Alias]\n");
  pdx::Status s = InitialiserAlias(ini, session, host);
  EXPECT_TRUE(s.IsNotFound());
  // With no base the default is a path from the root: "\Administration".
  EXPECT_EQ(s.message(), "Répertoire Administration non valide : \\Administration");
}

TEST_F(Demarrage, BadNetDirEndsEvenAfterAllNamedDatabases) {
  MakeAll(t.file("Q"));
  EXPECT_FALSE(Run("[Alias]\r\nQuintrel=" + t.file("Q") + "\r\nNetDir=" + t.file("none") + "\r\n"));
  EXPECT_EQ(dialogs.Texts("warning"), (std::vector<std::string>{"Répertoire NetDir non valide : " + t.file("none")}));
  EXPECT_EQ(session.size(), 6u);
  EXPECT_EQ(session.NetDir(), "");
}

TEST_F(Demarrage, ExistingNamedDatabaseIsRepointedNotDuplicated) {
  MakeAll(t.file("Q"));
  session.SetAlias("quintreladministration", "C:\\old");
  session.SetAlias("Autre", "C:\\autre");
  ASSERT_TRUE(Run("[alias]\r\nquintrel=" + t.file("Q") + "\r\n"));
  EXPECT_EQ(session.size(), 7u);
  EXPECT_EQ(session.Directory("QuintrelAdministration").value_or(""), t.file("Q") + "\\Administration");
  EXPECT_EQ(session.Directory("Autre").value_or(""), "C:\\autre");
}

// Without the file no named database would point anywhere and every table would
// fail to open, one box each: start-up says which file it looked for and stops.
TEST_F(Demarrage, NoConfigurationFileEndsWithOneMessageNamingIt) {
  session.SetAlias("QuintrelAdministration", "C:\\engine");
  pdx::Status s = ConfigurerSession(t.path() + "\\qvrbde.ini", session, host);
  EXPECT_TRUE(s.IsNotFound());
  SignalerEchecDemarrage(s, dialogs);
  ASSERT_EQ(dialogs.shown().size(), 1u);
  const std::vector<std::string> textes = dialogs.Texts("warning");
  ASSERT_EQ(textes.size(), 1u);
  EXPECT_EQ(textes[0].rfind("Fichier de configuration introuvable : " + t.file("qvrbde.ini") + "\n", 0), 0u) << textes[0];
  EXPECT_EQ(session.size(), 1u) << "the session is left as it was";
}

}  // namespace
}  // namespace corv
