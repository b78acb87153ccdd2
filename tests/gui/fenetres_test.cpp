#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>

#include "forms/fenetres.h"
#include "forms/liste_simple.h"
#include "forms/qt_dialogs.h"
#include "support/scripted_dialogs.h"

namespace {

using corv::ListeSimple;

TEST(Fenetres, AnExceptionOfAUserActionIsShownAndTheProgramCarriesOn) {
  testutil::ScriptedDialogs d;
  EXPECT_FALSE(corv::Garder(d, [] { throw std::runtime_error("Agence.DB : disque plein"); }));
  EXPECT_TRUE(corv::Garder(d, [] {}));
  EXPECT_EQ(d.Texts("error"), std::vector<std::string>{"Agence.DB : disque plein"});
}

TEST(Fenetres, FileFiltersBecomeQtFilters) {
  EXPECT_EQ(corv::FiltreQt("Fichiers CSV (*.csv)|*.csv|Tous (*.*)|*.*"), "Fichiers CSV (*.csv);;Tous (*.*)");
  EXPECT_EQ(corv::FiltreQt(""), "");
}

TEST(ListeSimple, SortedWithoutCaseSilentFromCodeTypingFindsAnEntry) {
  ListeSimple l;
  l.show();
  QSignalSpy change(&l, &ListeSimple::change);
  EXPECT_EQ(l.Ajouter("Lyon", 0), 0);
  EXPECT_EQ(l.Ajouter("bordeaux", 1), 0);
  EXPECT_EQ(l.Ajouter("Marseille", 2), 2);
  EXPECT_EQ(l.Ajouter("lyon", 3), 2);  // after its equal
  EXPECT_EQ(l.Tag(2), 3);
  l.Selectionner(1);
  EXPECT_EQ(l.IndexSelectionne(), 1);
  l.Selectionner(-1);
  EXPECT_EQ(l.IndexSelectionne(), -1);
  EXPECT_EQ(change.count(), 0);
  QTest::keyClicks(l.edition(), "mar");
  EXPECT_EQ(change.count(), 0);
  QTest::keyClick(l.edition(), Qt::Key_Return);
  EXPECT_EQ(change.count(), 1);
  EXPECT_EQ(l.IndexSelectionne(), 3);
  // A click by the user is a change.
  QListWidget* liste = l.liste();
  QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, liste->visualItemRect(liste->item(0)).center());
  EXPECT_EQ(change.count(), 2);
  EXPECT_EQ(l.IndexSelectionne(), 0);
}

}  // namespace
