// The desktop program started as a user starts it, up to the point where it
// would wait for the user: what it shows and how it ends when it cannot start.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "forms/fiche_main.h"
#include "forms/programme.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

namespace {

bool FenetrePrincipaleOuverte() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (dynamic_cast<corv::TFicheMainCorvane*>(w) && w->isVisible()) return true;
  return false;
}

// Without "qvrbde.ini" no named database would point anywhere and every table
// would fail to open, one box each: one message names the file looked for, no
// window opens and the program ends on a failure.
TEST(Programme, WithoutItsConfigurationFileOneMessageThenAFailedEnd) {
  testutil::TempDir t;
  std::filesystem::create_directories(t.file("bin"));

  testutil::ScriptedDialogs d;
  EXPECT_EQ(corv::ExecuterProgramme({}, t.file("bin/corvanes"), d), 1);
  ASSERT_EQ(d.shown().size(), 1u);
  ASSERT_EQ(d.Texts("warning").size(), 1u);
  EXPECT_NE(d.Texts("warning")[0].find("Fichier de configuration introuvable : " + t.file("bin/qvrbde.ini")),
            std::string::npos)
      << d.Texts("warning")[0];
  EXPECT_FALSE(FenetrePrincipaleOuverte());

  testutil::ScriptedDialogs d2;
  EXPECT_EQ(corv::ExecuterProgramme({"--ini", t.file("ailleurs/qvrbde.ini")}, t.file("bin/corvanes"), d2), 1);
  ASSERT_EQ(d2.shown().size(), 1u);
  EXPECT_NE(d2.shown()[0].text.find(t.file("ailleurs/qvrbde.ini")), std::string::npos) << d2.shown()[0].text;
}

TEST(Programme, AConfiguredDirectoryThatDoesNotExistEndsAfterItsWarning) {
  testutil::TempDir t;
  testutil::WriteFile(t.file("qvrbde.ini"), "[Alias]\r\nQuintrel=" + t.file("absent") + "\r\n");
  testutil::ScriptedDialogs d;
  EXPECT_EQ(corv::ExecuterProgramme({"--ini", t.file("qvrbde.ini")}, t.file("corvanes"), d), 1);
  EXPECT_EQ(d.Texts("warning"), std::vector<std::string>{"Répertoire Quintrel non valide : " + t.file("absent")});
  EXPECT_FALSE(FenetrePrincipaleOuverte());
}

TEST(Programme, AnUnknownArgumentIsAUsageError) {
  testutil::ScriptedDialogs d;
  EXPECT_EQ(corv::ExecuterProgramme({"--inconnu"}, "/nulle/part/corvanes", d), 2);
  EXPECT_EQ(corv::ExecuterProgramme({"--ini"}, "/nulle/part/corvanes", d), 2);
  EXPECT_TRUE(d.shown().empty());
}

}  // namespace
