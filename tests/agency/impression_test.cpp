#include "data/impression.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

#include "agency/carte_agence.h"
#include "agency/edition_agence.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"
#include "util/ini.h"

namespace corv {
namespace {

namespace fs = std::filesystem;

struct Programme {
  testutil::TempDir t;
  Session session;
  HostPaths host{pdx::Env::Default()};
  Chemins chemins{t.file("bin/corvanes"), session, host};
  testutil::ScriptedDialogs dialogs;
  Programme() { fs::create_directories(t.file("bin")); }
#ifndef _WIN32
  // A module that writes its arguments, one a line, beside itself.
  void Installer(const std::string& nom) {
    fs::create_directories(t.file("bin/Modules/Impression"));
    std::string p = t.file("bin/Modules/Impression/" + nom);
    testutil::WriteFile(p, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"$(dirname \"$0\")/args.txt\"\nexit 3\n");
    chmod(p.c_str(), 0755);
  }
#endif
};

TEST(ConfigurationImpression, NoModuleWritesTheExchangeFileAndStartsNothing) {
  Programme p;
  testutil::TempDir tmp;
  bool lance = false;
  ResultatImpression r = ConfigurerImpression(p.chemins, p.host, p.dialogs, "", tmp.path(),
                                              [&](const std::string&, const std::vector<std::string>&) {
                                                lance = true;
                                                return 0;
                                              });
  EXPECT_FALSE(lance);
  EXPECT_FALSE(r.lance);
  EXPECT_TRUE(r.module.empty());
  ASSERT_FALSE(r.echange.empty());
  EXPECT_EQ(fs::path(r.echange).parent_path(), fs::path(tmp.path()));
  EXPECT_TRUE(p.dialogs.shown().empty());
  std::string texte = testutil::ReadFile(r.echange);
  IniFile ini = IniFile::FromText(texte);
  EXPECT_TRUE(ini.HasKey("Configuration", "Agence"));
  EXPECT_TRUE(ini.HasKey("Configuration", "Utilisateur"));
  EXPECT_EQ(ini.Find("Droits", "Impression_Configuration").value_or(""), "1");
  EXPECT_TRUE(ini.HasKey("FichierXml", "Path"));
}

#ifndef _WIN32  // the module is a shell script here
TEST(ConfigurationImpression, TheModuleGetsTheExchangeFileAndConfigurationAndIsWaitedFor) {
  for (const char* nom : {"Module_Impression.exe", "Module_Impression"}) {
    Programme p;
    p.Installer(nom);
    testutil::TempDir tmp;
    ResultatImpression r = ConfigurerImpression(p.chemins, p.host, p.dialogs, "LYO01", tmp.path());
    EXPECT_TRUE(r.lance) << nom;
    EXPECT_EQ(r.code, 3) << nom;  // waited for: its exit code is known
    EXPECT_EQ(testutil::ReadFile(p.t.file("bin/Modules/Impression/args.txt")), r.echange + "\nCONFIGURATION\n");
    EXPECT_EQ(IniFile::FromText(testutil::ReadFile(r.echange)).ReadString("Configuration", "Agence", ""), "LYO01");
  }
  // Without ".exe", a file that cannot be run is not a module.
  Programme p;
  fs::create_directories(p.t.file("bin/Modules/Impression"));
  testutil::WriteFile(p.t.file("bin/Modules/Impression/Module_Impression"), "not a program");
  chmod(p.t.file("bin/Modules/Impression/Module_Impression").c_str(), 0644);
  EXPECT_EQ(ModuleImpression(p.chemins, p.host), "");
}

TEST(ConfigurationImpression, NoTemporaryFileMeansAnEmptyExchangePath) {
  Programme p;
  p.Installer("Module_Impression");
  // No system temporary directory and a file where "TEMP" should be created.
  testutil::WriteFile(p.t.file("bin/TEMP"), "x");
  ResultatImpression r = ConfigurerImpression(p.chemins, p.host, p.dialogs, "", p.t.file("absent"));
  EXPECT_TRUE(r.echange.empty());
  EXPECT_EQ(p.dialogs.Texts("error"), std::vector<std::string>{"Erreur à la création du répertoire TEMP."});
  EXPECT_TRUE(r.lance);  // started all the same, with an empty exchange path
  EXPECT_EQ(testutil::ReadFile(p.t.file("bin/Modules/Impression/args.txt")), "\nCONFIGURATION\n");
}

#endif

TEST(CodesAgence, UpperCaseOfWesternLetters) {
  EXPECT_EQ(MajusculesUtf8("lyon01"), "LYON01");
  EXPECT_EQ(MajusculesUtf8("évry-œÿ"), "ÉVRY-ŒŸ");
  EXPECT_EQ(MajusculesUtf8("ß÷"), "ß÷");  // no single upper case / not a letter
  EXPECT_EQ(NombreCaracteres("ÉÉÉÉÉÉÉÉÉÉ"), 10u);
}

TEST(EditionAgence, CsvIsCodePage1252WithCrLfAndRefusesWhatItCannotHold) {
  testutil::TempDir t;
  std::vector<LigneEdition> l = {{"Agence de Lyon (LYO01)", ""}, {"", "Menuiseries; Sud"}, {"", ""}};
  std::string csv = CsvEdition("Cartographies", l);
  EXPECT_EQ(csv, "Cartographies\r\nAgences;Fournisseurs\r\nAgence de Lyon (LYO01);\r\n;\"Menuiseries; Sud\"\r\n;\r\n");
  ASSERT_TRUE(EcrireFichier1252(pdx::Env::Default(), t.file("e.csv"), "Évry\r\n").ok());
  EXPECT_EQ(testutil::ReadFile(t.file("e.csv")), "\xC9vry\r\n");
  pdx::Status s = EcrireFichier1252(pdx::Env::Default(), t.file("e.csv"), "a\r\nb \xE2\x82\xAC ok\r\n\xE4\xB8\xAD\r\n");
  EXPECT_TRUE(s.IsInvalidArgument());
  EXPECT_NE(s.message().find("ligne 3"), std::string::npos) << s.message();
  EXPECT_EQ(testutil::ReadFile(t.file("e.csv")), "\xC9vry\r\n");  // left as it was
  EXPECT_FALSE(fs::exists(t.file("e.csv.tmp")));
}

}  // namespace
}  // namespace corv
