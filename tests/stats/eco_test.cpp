// The eco-participation of a line's "Xml" memo.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "paradox/codepage.h"
#include "stats/eco.h"

namespace {

TEST(EcoTest, FirstElementAnywhereUnderTheRootItsThreeChildrenEitherSeparator) {
  EXPECT_DOUBLE_EQ(corv::EcoParticipation(""), 0);
  EXPECT_DOUBLE_EQ(corv::EcoParticipation("<Ligne><Options/></Ligne>"), 0);
  EXPECT_DOUBLE_EQ(corv::EcoParticipation("<Ligne><Eco-Participation><PrixHTMobilier>0.5</PrixHTMobilier>"
                                          "<PrixHTPMCB>1,25</PrixHTPMCB><PrixHTDEEE> 1.5 </PrixHTDEEE>"
                                          "</Eco-Participation></Ligne>"),
                   3.25);
  // Only "PrixHTDEEE": the others count 0.
  EXPECT_DOUBLE_EQ(corv::EcoParticipation("<L><Eco-Participation><PrixHTDEEE>1.5</PrixHTDEEE></Eco-Participation></L>"),
                   1.5);
  // The first one in document order, however deep.
  EXPECT_DOUBLE_EQ(corv::EcoParticipation("<L><A><B><Eco-Participation><PrixHTPMCB>2</PrixHTPMCB></Eco-Participation>"
                                          "</B></A><Eco-Participation><PrixHTPMCB>9</PrixHTPMCB></Eco-Participation></L>"),
                   2);
  // Not a number, or an element without children: 0.
  EXPECT_DOUBLE_EQ(corv::EcoParticipation("<L><Eco-Participation><PrixHTPMCB>x</PrixHTPMCB></Eco-Participation></L>"), 0);
  EXPECT_DOUBLE_EQ(corv::EcoParticipation("<L><Eco-Participation/></L>"), 0);
  bool illisible = false;
  EXPECT_DOUBLE_EQ(corv::EcoParticipation("<L><Eco-Participation><PrixHTDEEE>1</PrixHTDEEE>", &illisible), 0);
  EXPECT_TRUE(illisible);
  corv::EcoParticipation("<L></L>", &illisible);
  EXPECT_FALSE(illisible);
  EXPECT_DOUBLE_EQ(corv::NombreXml("-1,5"), -1.5);
  EXPECT_DOUBLE_EQ(corv::NombreXml("1.5 EUR"), 0);
}

// A memo drawn at random: the plain form mostly, with now and then every
// construct the plain reading must leave to the parser, and faults.
std::string MemoAuHasard(std::mt19937& g) {
  auto un = [&](int n) { return static_cast<int>(g() % static_cast<unsigned>(n)); };
  const std::vector<std::string> noms = {"Ligne", "Prix", "Eco-Participation", "PrixHTMobilier", "PrixHTPMCB",
                                         "PrixHTDEEE", "A", "x.y", "n:s", "_b"};
  const std::vector<std::string> textes = {"1", "0,5", " 2.25 ", "\n 3\t", "-1,5", "x", "", "  ", "1e3", "+4",
                                           "é", "1\xC2\xA0", "7 EUR", "\t"};
  const std::vector<std::string> rares = {"&amp;", "&#49;", "<!-- c -->", "<![CDATA[4]]>", "<?pi x?>", "\r\n",
                                          " a=\"1\"", "<", ">", "</Autre>", "\x01", "</ Prix>", "< Prix>"};
  std::string out;
  if (un(15) == 0) out += "<?xml version=\"1.0\"?>";
  if (un(10) == 0) out += "\n ";
  std::vector<std::string> pile;
  int elements = 0;
  auto ouvre = [&]() {
    std::string nom = un(4) == 0 ? noms[2] : noms[static_cast<size_t>(un(static_cast<int>(noms.size())))];
    if (un(25) == 0) {
      out += "<" + nom + rares[6] + ">";
    } else if (un(6) == 0) {
      out += "<" + nom + "/>";
      ++elements;
      return;
    } else {
      out += "<" + nom + ">";
    }
    pile.push_back(nom);
    ++elements;
    if (nom == "Eco-Participation" && un(4) != 0)
      for (int c = un(4); c > 0; --c) {
        const std::string& enfant = noms[static_cast<size_t>(3 + un(3))];
        out += "<" + enfant + ">" + textes[static_cast<size_t>(un(6))] + "</" + enfant + ">";
      }
  };
  ouvre();
  while (!pile.empty() && out.size() < 600) {
    const int r = un(10);
    if (r < 4 && elements < 40) {
      ouvre();
    } else if (r < 7) {
      out += textes[static_cast<size_t>(un(static_cast<int>(textes.size())))];
    } else if (r == 7 && un(4) == 0) {
      out += rares[static_cast<size_t>(un(static_cast<int>(rares.size())))];
    } else {
      out += "</" + pile.back() + ">";
      pile.pop_back();
    }
  }
  // Now and then left open, or followed by something.
  if (un(8) != 0)
    while (!pile.empty()) {
      out += "</" + pile.back() + ">";
      pile.pop_back();
    }
  if (un(12) == 0) out += un(2) ? " \n" : "<Autre/>";
  if (un(20) == 0) out += "texte";
  return out;
}

TEST(EcoTest, TheReaderOnStoredBytesAgreesWithTheParserOnTheText) {
  const pdx::CodePage* cp = nullptr;
  ASSERT_TRUE(pdx::CodePage::Find(1252, &cp).ok());
  corv::LecteurEco lecteur;
  std::mt19937 g(1234);
  int simples = 0, analyses = 0, illisibles = 0, nonNuls = 0;
  for (int k = 0; k < 20000; ++k) {
    const std::string utf8 = MemoAuHasard(g);
    std::string brut;
    if (!cp->Encode(utf8, &brut).ok()) continue;  // cannot be stored in 1252
    bool attenduIllisible = false;
    const double attendu = corv::EcoParticipation(utf8, &attenduIllisible);
    bool illisible = false;
    const double lu = lecteur.Lire(brut, cp, &illisible);
    ASSERT_EQ(lu, attendu) << utf8;
    ASSERT_EQ(illisible, attenduIllisible) << utf8;
    double total = 0;
    if (lecteur.LireSimple(brut, &total)) {
      ++simples;
      ASSERT_FALSE(attenduIllisible) << utf8;
      if (brut.find("Eco-Participation") != std::string::npos) {
        ASSERT_EQ(total, attendu) << utf8;
      }
    } else {
      ++analyses;
    }
    if (attenduIllisible) ++illisibles;
    if (attendu != 0) ++nonNuls;
  }
  // Every path was taken often.
  EXPECT_GT(simples, 3000);
  EXPECT_GT(analyses, 3000);
  EXPECT_GT(illisibles, 300);
  EXPECT_GT(nonNuls, 1000);
  // Memos the quoting program writes are read without the parser.
  double total = -1;
  EXPECT_TRUE(lecteur.LireSimple("<Ligne><Prix><Eco-Participation><PrixHTMobilier>0,5</PrixHTMobilier>"
                                 "<PrixHTDEEE>1.25</PrixHTDEEE></Eco-Participation></Prix></Ligne>",
                                 &total));
  EXPECT_EQ(total, 1.75);
  // The root itself is not searched; a nested one is.
  EXPECT_TRUE(lecteur.LireSimple("<Eco-Participation><PrixHTPMCB>2</PrixHTPMCB></Eco-Participation>", &total));
  EXPECT_EQ(total, 0);
  EXPECT_EQ(corv::EcoParticipation("<Eco-Participation><PrixHTPMCB>2</PrixHTPMCB></Eco-Participation>"), 0);
}

}  // namespace
