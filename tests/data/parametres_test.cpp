#include "data/parametres.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "support/test_util.h"
#include "data/chemins.h"
#include "util/dates.h"
#include "util/winpath.h"

namespace corv {
namespace {

void PutF64(std::string* b, size_t at, double v) {
  uint64_t u;
  std::memcpy(&u, &v, 8);
  for (int k = 0; k < 8; ++k) (*b)[at + static_cast<size_t>(k)] = static_cast<char>((u >> (8 * k)) & 0xFF);
}
void PutI16(std::string* b, size_t at, int16_t v) {
  (*b)[at] = static_cast<char>(static_cast<uint16_t>(v) & 0xFF);
  (*b)[at + 1] = static_cast<char>(static_cast<uint16_t>(v) >> 8);
}

// A "General" file written byte by byte at the documented offsets.
std::string GeneralBytes() {
  std::string b(1020, '\0');
  b[0] = 'A';
  b[443] = 'B';
  b[444] = 'C';
  PutF64(&b, 888, 20.0);   // slot 1
  PutF64(&b, 896, 0.5);    // slot 0
  PutF64(&b, 904, 7.0);    // slot 2
  PutF64(&b, 912, 2.1);    // slot 3
  PutF64(&b, 920, 8.5);    // slot 4
  PutI16(&b, 928, 11);
  PutI16(&b, 930, -12);
  PutF64(&b, 932, 1.25);
  PutI16(&b, 940, 0);      // mm
  PutI16(&b, 942, 101);
  PutI16(&b, 964, 112);
  std::memcpy(&b[966], "ABCDEFGHI", 9);
  PutF64(&b, 975, 0.00125);
  b[983] = 'x';
  b[998] = 'y';
  b[1019] = 'z';
  return b;
}

class Parametres : public ::testing::Test {
 protected:
  Parametres() { session.SetAlias(kAliasAdministration, t.path()); }
  pdx::Status Load(int flag = 0, SourceTauxTva* src = nullptr) {
    return ChargerParametresGeneraux(flag, chemins, host, src, DayNumberNow(), &p);
  }
  testutil::TempDir t;
  Session session;
  HostPaths host{pdx::Env::Default()};
  Chemins chemins{t.path() + "/Corvanes", session, host};
  ParametresGeneraux p;
};

TEST_F(Parametres, DefaultsBeforeAnyFile) {
  EXPECT_EQ(p.tva[0], (TaggedFixed{2, Fixed::FromInt(0)}));
  EXPECT_EQ(p.tva[1], (TaggedFixed{2, Fixed::FromRaw(196000)}));
  EXPECT_EQ(p.tva[2], (TaggedFixed{2, Fixed::FromRaw(55000)}));
  EXPECT_EQ(p.valeur1, (TaggedFixed{1, Fixed::FromInt(1)}));
  EXPECT_EQ(p.valeur2, (TaggedFixed{1, Fixed::FromInt(1)}));
  EXPECT_EQ(p.UniteLongueur(), "cm");
  EXPECT_EQ(p.imprimanteApercu, "Aperçu par défaut");
}

TEST_F(Parametres, ReadsEveryFieldInOrder) {
  testutil::WriteFile(t.file("General"), GeneralBytes());
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(p.tva[0], (TaggedFixed{2, Fixed::FromRaw(5000)}));
  EXPECT_EQ(p.tva[1], (TaggedFixed{2, Fixed::FromInt(20)}));
  EXPECT_EQ(p.tva[2].value, Fixed::FromInt(7));
  EXPECT_EQ(p.tva[3].value, Fixed::FromRaw(21000));
  EXPECT_EQ(p.tva[4].value, Fixed::FromRaw(85000));
  EXPECT_EQ(p.valeur1, (TaggedFixed{1, Fixed::FromRaw(12500)}));
  EXPECT_EQ(p.valeur2, (TaggedFixed{1, Fixed::FromRaw(12)}));  // 12.5 ten-thousandths, ties to even
  EXPECT_EQ(p.UniteLongueur(), "mm");
  EXPECT_TRUE(p.fichierLu);
  EXPECT_EQ(p.fichier.bloc1[0], 'A');
  EXPECT_EQ(p.fichier.bloc1[443], 'B');
  EXPECT_EQ(p.fichier.bloc2[0], 'C');
  EXPECT_EQ(p.fichier.entiers[0], 11);
  EXPECT_EQ(p.fichier.entiers[1], -12);
  EXPECT_EQ(p.fichier.options.front(), 101);
  EXPECT_EQ(p.fichier.options.back(), 112);
  EXPECT_EQ(std::string(p.fichier.texte.begin(), p.fichier.texte.end()), "ABCDEFGHI");
  EXPECT_EQ(p.fichier.bloc15[0], 'x');
  EXPECT_EQ(p.fichier.bloc22[0], 'y');
  EXPECT_EQ(p.fichier.bloc22[21], 'z');
  // The encoder writes the same bytes back.
  EXPECT_EQ(EncoderFichierGeneral(p.fichier), GeneralBytes());
}

TEST_F(Parametres, MissingShortOrDamagedFileLeavesTheDefaults) {
  ParametresGeneraux before = p;
  EXPECT_TRUE(Load().IsNotFound());
  EXPECT_EQ(p.tva, before.tva);

  testutil::WriteFile(t.file("General"), GeneralBytes().substr(0, 1019));
  pdx::Status s = Load();
  EXPECT_TRUE(s.IsCorruption());
  EXPECT_NE(s.message().find("General"), std::string::npos);
  EXPECT_EQ(p.tva, before.tva);
  EXPECT_EQ(p.uniteCm, 1);

  std::string nan = GeneralBytes();
  PutF64(&nan, 920, std::nan(""));
  testutil::WriteFile(t.file("General"), nan);
  EXPECT_TRUE(Load().IsCorruption());
  EXPECT_EQ(p.tva, before.tva);
  EXPECT_FALSE(p.fichierLu);
}

class ListeTva : public SourceTauxTva {
 public:
  explicit ListeTva(std::vector<LigneTva> r) : rows(std::move(r)) {}
  pdx::Status Lire(std::vector<LigneTva>* out) override {
    *out = rows;
    return pdx::Status::OK();
  }
  std::vector<LigneTva> rows;
};

TEST_F(Parametres, VatPeriodsAroundNow) {
  double today = DayNumber(2026, 3, 15);
  double now = today + 0.5;  // noon
  LigneTva past{false, 1, DayNumber(2000, 1, 1), DayNumber(2010, 12, 31), 19.6};
  LigneTva current{false, 1, DayNumber(2014, 1, 1), DayNumber(2100, 12, 31), 20.0};
  LigneTva endsToday{false, 2, DayNumber(2020, 1, 1), today, 7.0};  // over once the day began
  LigneTva startsNow{false, 0, now, now, 2.1};
  LigneTva future{false, 2, now + 1, DayNumber(2100, 1, 1), 9.0};
  LigneTva otherType{false, 3, 0, DayNumber(2100, 1, 1), 13.0};
  LigneTva blankType{true, 0, 0, DayNumber(2100, 1, 1), 14.0};
  LigneTva later{false, 1, DayNumber(2020, 1, 1), DayNumber(2100, 1, 1), 21.0};
  ListeTva src({past, current, endsToday, startsNow, future, otherType, blankType, later});
  ASSERT_TRUE(ChargerTauxTva(src, now, &p).ok());
  EXPECT_EQ(p.tva[0], (TaggedFixed{2, Fixed::FromRaw(21000)}));
  EXPECT_EQ(p.tva[1].value, Fixed::FromInt(21));  // later rows overwrite earlier ones
  EXPECT_EQ(p.tva[2].value, Fixed::FromRaw(55000));
  EXPECT_EQ(p.tva[3].value, Fixed::FromInt(0));

  // Flag 1 refreshes the rates after the file; flag 0 does not.
  ParametresGeneraux q;
  ListeTva one({current});
  EXPECT_TRUE(ChargerParametresGeneraux(0, chemins, host, &one, now, &q).IsNotFound());
  EXPECT_EQ(q.tva[1].value, Fixed::FromRaw(196000));
  // Only the refreshed rates matter here, not what the file lacked.
  ChargerParametresGeneraux(1, chemins, host, &one, now, &q).IgnoreError();
  EXPECT_EQ(q.tva[1].value, Fixed::FromInt(20));
}

}  // namespace
}  // namespace corv
