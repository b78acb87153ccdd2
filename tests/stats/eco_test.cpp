// The eco-participation of a line's "Xml" memo.
#include <gtest/gtest.h>

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

}  // namespace
