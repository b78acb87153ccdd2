// The product selection window, run offscreen on a small demo installation.
#include <gtest/gtest.h>
#include <filesystem>
#include <memory>

#include "data/application.h"
#include "data/dm.h"
#include "support/scripted_dialogs.h"
#include "gui_support.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include "forms/fenetres.h"
#include "forms/fiche_selection_modele.h"

namespace {

using corv::TFicheSelectionModele;

// The shared demo installation, with the data module at hand.
class DemoSelection : public guitest::Installation {
 public:
  corv::TDM& dm() { return *app().dm(); }
};

QListWidgetItem* Item(QListWidget* l, const QString& code) {
  for (int i = 0; i < l->count(); ++i)
    if (l->item(i)->data(Qt::UserRole).toString() == code) return l->item(i);
  return nullptr;
}

QStringList Codes(QListWidget* l) {
  QStringList out;
  for (int i = 0; i < l->count(); ++i) out << l->item(i)->data(Qt::UserRole).toString();
  return out;
}

TEST(FicheSelectionModele, ListsTicksAndReturnedText) {
  DemoSelection demo;
  TFicheSelectionModele f(demo.dm(), demo.dialogs(), "GX",
                          "<QvrMajProduits><FAMILLES><FE><A1/></FE></FAMILLES></QvrMajProduits>");
  EXPECT_EQ(f.windowTitle(), "Selection produits");
  auto* familles = f.findChild<QListWidget*>("cblFamille");
  auto* modeles = f.findChild<QListWidget*>("clbModele");
  auto* fermer = f.findChild<QPushButton*>("Button1");
  ASSERT_TRUE(familles && modeles && fermer);
  EXPECT_EQ(fermer->text(), "Fermer");
  f.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));

  QStringList codes = Codes(familles);
  EXPECT_FALSE(codes.isEmpty());
  EXPECT_FALSE(codes.contains("VZ"));
  EXPECT_FALSE(codes.contains("QW"));
  ASSERT_TRUE(codes.contains("FE"));
  EXPECT_EQ(Item(familles, "FE")->checkState(), Qt::Checked);
  for (const QString& c : codes)
    if (c != "FE") {
      EXPECT_EQ(Item(familles, c)->checkState(), Qt::Unchecked) << c.toStdString();
    }

  // The first family is current; its models show, enabled as it is ticked.
  familles->setCurrentItem(Item(familles, "FE"));
  ASSERT_GT(modeles->count(), 0);
  EXPECT_TRUE(modeles->isEnabled());
  EXPECT_EQ(Item(modeles, "A1")->checkState(), Qt::Checked);

  // An unticked family: its models are shown disabled.
  QString autre = codes.first() == "FE" ? codes.last() : codes.first();
  familles->setCurrentItem(Item(familles, autre));
  EXPECT_FALSE(modeles->isEnabled());
  // Ticking it enables them; ticking one of its models goes into the text.
  Item(familles, autre)->setCheckState(Qt::Checked);
  EXPECT_TRUE(modeles->isEnabled());
  ASSERT_GT(modeles->count(), 0);
  QString modele = modeles->item(0)->data(Qt::UserRole).toString();
  modeles->item(0)->setCheckState(Qt::Checked);
  std::string t = f.Selection();
  EXPECT_NE(t.find("<" + autre.toStdString() + "><" + modele.toStdString() + "/></" + autre.toStdString() + ">"),
            std::string::npos)
      << t;

  // Unticking FE removes it with its model; unticking the other empties the text.
  familles->setCurrentItem(Item(familles, "FE"));
  Item(familles, "FE")->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(modeles->isEnabled());
  EXPECT_EQ(f.Selection().find("<FE>"), std::string::npos);
  Item(familles, autre)->setCheckState(Qt::Unchecked);
  EXPECT_EQ(f.Selection(), "");

  QTest::mouseClick(fermer, Qt::LeftButton);
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(f.result(), QDialog::Accepted);
  EXPECT_TRUE(demo.dialogs().shown().empty());
}

TEST(FicheSelectionModele, EditerWritesTheTextBackAndEmptyStaysEmpty) {
  DemoSelection demo;
  std::string selection;
  // Opened and closed without a tick: still empty.
  corv::DefinirCrochetModal([](QDialog& d) {
    d.show();
    QTest::keyClick(&d, Qt::Key_Escape);
    return d.result();
  });
  EXPECT_FALSE(TFicheSelectionModele::Editer(demo.dm(), demo.dialogs(), "GX", &selection));
  EXPECT_EQ(selection, "");

  corv::DefinirCrochetModal([](QDialog& d) {
    d.show();
    auto* familles = d.findChild<QListWidget*>("cblFamille");
    EXPECT_EQ(d.objectName(), "TFicheSelectionModele");
    QListWidgetItem* fe = Item(familles, "FE");
    if (fe) fe->setCheckState(Qt::Checked);
    QTest::mouseClick(d.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    return d.result();
  });
  EXPECT_TRUE(TFicheSelectionModele::Editer(demo.dm(), demo.dialogs(), "GX", &selection));
  corv::DefinirCrochetModal(nullptr);
  EXPECT_EQ(selection, "<QvrMajProduits><FAMILLES><FE/></FAMILLES></QvrMajProduits>");
}

TEST(FicheSelectionModele, UnreadableTextIsReportedAndKept) {
  DemoSelection demo;
  const std::string abime = "<QvrMajProduits><FAMILLES>";
  TFicheSelectionModele f(demo.dm(), demo.dialogs(), "", abime);
  f.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  EXPECT_EQ(demo.dialogs().Texts("warning").size(), 1u);
  auto* familles = f.findChild<QListWidget*>("cblFamille");
  EXPECT_TRUE(Codes(familles).contains("VZ")) << "no supplier: every family of group 1";
  f.close();
  EXPECT_EQ(f.Selection(), abime);
}

}  // namespace
