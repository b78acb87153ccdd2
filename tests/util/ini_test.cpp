#include "util/ini.h"

#include <gtest/gtest.h>

#include "support/test_util.h"

namespace corv {
namespace {

TEST(IniFile, ReadsWithWindowsSemantics) {
  IniFile ini = IniFile::FromText(
      "; comment\r\n"
      "[Alias]\r\n"
      "  Quintrel =  C:\\Quintrel  \r\n"
      "quintrel=ignored, the first occurrence wins\r\n"
      "Quoted=\"  spaced  \"\r\n"
      "Empty=\r\n"
      ";Commented=1\r\n"
      "[alias]\r\n"
      "Dossiers=second section of the same name is ignored\r\n"
      "[Other]\r\n"
      "Dossiers=D:\\X\r\n");
  EXPECT_EQ(ini.ReadString("ALIAS", "QUINTREL", "def"), "C:\\Quintrel");
  EXPECT_EQ(ini.ReadString("Alias", "Quoted", ""), "  spaced  ");
  EXPECT_EQ(ini.ReadString("Alias", "Empty", "def"), "def");
  EXPECT_EQ(ini.ReadString("Alias", "Commented", "def"), "def");
  EXPECT_EQ(ini.ReadString("Alias", "Dossiers", "def"), "def");
  EXPECT_EQ(ini.ReadString("other", "dossiers", ""), "D:\\X");
  EXPECT_TRUE(ini.HasKey("alias", "EMPTY"));
  EXPECT_FALSE(ini.HasSection("Missing"));
  EXPECT_EQ(ini.Keys("Alias"), (std::vector<std::string>{"Quintrel", "Quoted", "Empty"}));
}

TEST(IniFile, NumbersBooleansAndFloats) {
  IniFile ini = IniFile::FromText(
      "[S]\nA=12\nB=-7\nC=12abc\nD=$1F\nE=0x10\nT=2\nF=0\nX=true\n"
      "P=19.6\nQ=5,5\nR=1.2.3\nBig=99999999999999999999\n");
  EXPECT_EQ(ini.ReadInteger("S", "A", 0), 12);
  EXPECT_EQ(ini.ReadInteger("S", "B", 0), -7);
  EXPECT_EQ(ini.ReadInteger("S", "C", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "D", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "E", 0), 16);
  EXPECT_EQ(ini.ReadInteger("S", "Big", 3), 3);
  EXPECT_EQ(ini.ReadInteger("S", "Missing", 42), 42);
  EXPECT_TRUE(ini.ReadBool("S", "T", false));
  EXPECT_FALSE(ini.ReadBool("S", "F", true));
  EXPECT_TRUE(ini.ReadBool("S", "X", true));  // not a number: the default
  EXPECT_FALSE(ini.ReadBool("S", "X", false));
  EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "P", 0), 19.6);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "Q", 0), 5.5);
  EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "R", -1), -1);
}

// The desktop program runs under the user's locale; a French one must not
// change what a file's numbers read as.
TEST(IniFile, FloatsReadTheSameUnderACommaLocale) {
  double p = 0, q = 0, n = 0, e = 0;
  {
    testutil::CommaLocale fr;
    if (!fr.name()) GTEST_SKIP() << "no locale with a decimal comma is installed (fr_FR.UTF-8)";
    IniFile ini = IniFile::FromText("[S]\nP=19.6\nQ=5,5\nN=-0.25\nE=+2.5\n");
    p = ini.ReadFloat("S", "P", 0);
    q = ini.ReadFloat("S", "Q", 0);
    n = ini.ReadFloat("S", "N", 0);
    e = ini.ReadFloat("S", "E", 0);
  }
  EXPECT_DOUBLE_EQ(p, 19.6);
  EXPECT_DOUBLE_EQ(q, 5.5);
  EXPECT_DOUBLE_EQ(n, -0.25);
  EXPECT_DOUBLE_EQ(e, 2.5);
}

TEST(IniFile, WritingKeepsTheRestOfTheFile) {
  IniFile ini = IniFile::FromText("; head\n[TransfertRemiseAchat]\nSuppressionRemisesAgence=1\n\n[Z]\nk=v\n");
  ini.WriteBool("transfertremiseachat", "SUPPRESSIONREMISESAGENCE", false);
  ini.WriteBool("TransfertRemiseAchat", "AfficherInfosDetaillees", true);
  ini.WriteInteger("Client", "Periode", 3);
  ini.WriteFloat("Z", "f", 2.5);
  EXPECT_EQ(ini.ToText(),
            "; head\r\n[TransfertRemiseAchat]\r\nSuppressionRemisesAgence=0\r\nAfficherInfosDetaillees=1\r\n\r\n"
            "[Z]\r\nk=v\r\nf=2,5\r\n\r\n[Client]\r\nPeriode=3\r\n");
  IniFile back = IniFile::FromText(ini.ToText());
  EXPECT_FALSE(back.ReadBool("TransfertRemiseAchat", "SuppressionRemisesAgence", true));
  EXPECT_TRUE(back.ReadBool("TransfertRemiseAchat", "AfficherInfosDetaillees", false));
  EXPECT_EQ(back.ReadInteger("Client", "Periode", 0), 3);
  EXPECT_DOUBLE_EQ(back.ReadFloat("Z", "f", 0), 2.5);
  EXPECT_EQ(back.ReadString("Z", "k", ""), "v");
}

TEST(IniFile, CodePageAtTheFileBoundary) {
  testutil::TempDir dir;
  std::string path = dir.file("x.ini");
  testutil::WriteFile(path, "[Chemins]\r\nD:=/mnt/d\xE9p\xF4t\r\n");  // "dépôt" in code page 1252
  IniFile ini;
  ASSERT_TRUE(IniFile::Load(pdx::Env::Default(), path, &ini).ok());
  EXPECT_EQ(ini.ReadString("Chemins", "D:", ""), "/mnt/dépôt");
  ini.WriteString("Chemins", "E:", "/mnt/été");
  ASSERT_TRUE(ini.Save(pdx::Env::Default()).ok());
  EXPECT_EQ(testutil::ReadFile(path), "[Chemins]\r\nD:=/mnt/d\xE9p\xF4t\r\nE:=/mnt/\xE9t\xE9\r\n");

  // A character code page 1252 cannot hold is refused and the file stays as it was.
  std::string before = testutil::ReadFile(path);
  ini.WriteString("Chemins", "F:", "/mnt/Ω");
  pdx::Status s = ini.Save(pdx::Env::Default());
  EXPECT_TRUE(s.IsInvalidArgument());
  EXPECT_NE(s.message().find("x.ini"), std::string::npos);
  EXPECT_EQ(testutil::ReadFile(path), before);

  IniFile missing;
  EXPECT_TRUE(IniFile::Load(pdx::Env::Default(), dir.file("none.ini"), &missing).IsNotFound());
}

}  // namespace
}  // namespace corv
