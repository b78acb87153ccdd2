#include <gtest/gtest.h>

#include <filesystem>

#include "data/chemins.h"
#include "support/fault_env.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"
#include "util/session.h"

namespace corv {
namespace {

namespace fs = std::filesystem;

void MakeDirs(const std::string& p) { fs::create_directories(p); }

TEST(Chemins, BuildsFromTheSessionEachTime) {
  Session s;
  HostPaths h(pdx::Env::Default());
  Chemins c("C:\\Programmes\\Corvanes\\Corvanes.exe", s, h);
  EXPECT_EQ(c.RepertoireExe(), "C:\\Programmes\\Corvanes\\");
  EXPECT_EQ(c.FichierIniBde(), "C:\\Programmes\\Corvanes\\qvrbde.ini");
  EXPECT_EQ(Chemins::AliasAdministration(), "QuintrelAdministration");
  EXPECT_EQ(Chemins::AliasDossiers(), "QuintrelDossiers");

  // Unknown named database: empty directory, relative paths.
  EXPECT_EQ(c.RepertoireAdministration(), "");
  EXPECT_EQ(c.RepertoireDocuments(), "\\Documents\\");
  s.SetAlias(kAliasAdministration, "");
  EXPECT_EQ(c.RepertoireDocuments(), "\\Documents\\");

  // Without a trailing backslash: exactly one between each part.
  s.SetAlias(kAliasAdministration, "D:\\Quintrel\\Administration");
  EXPECT_EQ(c.RepertoireDocumentsInterne(), "D:\\Quintrel\\Administration\\Documents\\Interne\\");
  EXPECT_EQ(c.RepertoireDocumentsExterne(), "D:\\Quintrel\\Administration\\Documents\\Externe\\");
  EXPECT_EQ(c.RepertoireDocumentsStandard(), "D:\\Quintrel\\Administration\\Documents\\Standard\\");
  EXPECT_EQ(c.FichierIniCorvanes(), "D:\\Quintrel\\Administration\\Corvanes.ini");

  // Re-pointed at an agency: the agency's file, with no caching in between.
  s.SetAlias(kAliasAdministration, "\\\\SRV\\Lyon\\Administration\\");
  EXPECT_EQ(c.FichierIniCorvanes(), "\\\\SRV\\Lyon\\Administration\\Corvanes.ini");
  EXPECT_EQ(c.FichierGeneral(), "\\\\SRV\\Lyon\\Administration\\General");
  s.SetAlias(kAliasDossiers, "E:\\D");
  EXPECT_EQ(c.RepertoireDossiers(), "E:\\D");
}

TEST(Chemins, PrintModuleOnlyWhenInstalled) {
  testutil::TempDir t;
  Session s;
  HostPaths h(pdx::Env::Default());
  Chemins c(t.path() + "/Corvanes", s, h);
  EXPECT_EQ(c.CheminModuleImpression(), "");
  MakeDirs(t.file("modules/impression"));
  testutil::WriteFile(t.file("modules/impression/module_impression.EXE"), "");
  EXPECT_EQ(c.CheminModuleImpression(), t.path() + "/Modules\\Impression\\Module_Impression.exe");
  EXPECT_TRUE(h.FileExists(c.CheminModuleImpression()));
}

TEST(FichierTemporaire, SystemDirectoryThenFallbackBesideTheExecutable) {
  testutil::TempDir t;
  testutil::ScriptedDialogs d;
  HostPaths h(pdx::Env::Default());
  MakeDirs(t.file("systmp"));
  MakeDirs(t.file("bin"));
  std::string exe = t.file("bin/Corvanes");

  std::string a = FichierTemporaire(exe, h, d, t.file("systmp"));
  std::string b = FichierTemporaire(exe, h, d, t.file("systmp"));
  ASSERT_FALSE(a.empty());
  EXPECT_NE(a, b);
  EXPECT_EQ(fs::path(a).parent_path(), fs::path(t.file("systmp")));
  EXPECT_EQ(fs::path(a).filename().string().substr(0, 3), "kzt");
  EXPECT_TRUE(fs::is_regular_file(a));
  EXPECT_EQ(fs::file_size(a), 0u);

  // Missing system directory: "TEMP" beside the executable, created on first use.
  std::string c = FichierTemporaire(exe, h, d, t.file("gone"));
  EXPECT_TRUE(fs::is_directory(t.file("bin/TEMP")));
  EXPECT_EQ(fs::path(c).parent_path(), fs::path(t.file("bin/TEMP")));
  EXPECT_TRUE(fs::is_regular_file(c));
  // A name longer than 260 characters is not used either.
  std::string e = FichierTemporaire(exe, h, d, t.file("systmp") + "/" + std::string(300, 'x'));
  EXPECT_EQ(fs::path(e).parent_path(), fs::path(t.file("bin/TEMP")));
  EXPECT_TRUE(d.shown().empty());

  // TEMP cannot be created (its parent is a file): the error box, and no path.
  testutil::WriteFile(t.file("blocker"), "");
  std::string f = FichierTemporaire(t.file("blocker/Corvanes"), h, d, "");
  EXPECT_EQ(f, "");
  EXPECT_EQ(d.Texts("error"), (std::vector<std::string>{"Erreur à la création du répertoire TEMP."}));
}

TEST(FichierTemporaire, NoFileCanBeCreated) {
  testutil::TempDir t;
  testutil::ScriptedDialogs d;
  pdx::FaultEnv faults(pdx::Env::Default());
  faults.FailNth(pdx::FaultEnv::Op::kCreate, 1, true);
  HostPaths h(&faults);
  EXPECT_EQ(FichierTemporaire(t.file("Corvanes"), h, d, t.path()), "");
  EXPECT_EQ(d.Texts("error"), (std::vector<std::string>{"Impossible de créer le fichier tmp"}));
  EXPECT_TRUE(fs::is_empty(t.path()));
}

TEST(Chemins, VersionTextsAndListLines) {
  EXPECT_EQ(VersionProgramme(), "4.2 Build 0.2 (L)");
  EXPECT_EQ(DateVersion(), "10/11/2023");
  std::vector<std::string> l{"a", "b"};
  EXPECT_EQ(LigneDeListe(l, 1), "b");
  EXPECT_EQ(LigneDeListe(l, 2), "");
  EXPECT_EQ(LigneDeListe(l, -1), "");
}

}  // namespace
}  // namespace corv
