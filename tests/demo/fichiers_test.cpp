// The files beside the tables, read back by the core's own readers.
#include <gtest/gtest.h>

#include "data/configuration.h"
#include "data/demarrage.h"
#include "data/parametres.h"
#include "util/session.h"
#include "installation.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"
#include "util/ini.h"

namespace {

using demotest::Demo;

TEST(DemoFichiers, StartUpPointsTheSixDatabasesAtTheInstallation) {
  corv::Session session;
  corv::HostPaths host(pdx::Env::Default());
  ASSERT_TRUE(corv::ConfigurerSession(Demo().dir + "/qvrbde.ini", session, host).ok());
  for (const char* k : {"Administration", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj"}) {
    auto d = session.Directory(std::string("Quintrel") + k);
    ASSERT_TRUE(d.has_value()) << k;
    EXPECT_EQ(*d, std::string("Q:\\") + k);
    EXPECT_EQ(host.ToHost(*d), Demo().dir + "/" + k);
  }
}

TEST(DemoFichiers, ConfigurationAndParameterFilesReadAsWritten) {
  corv::IniFile corvanes, import;
  ASSERT_TRUE(corv::IniFile::Load(pdx::Env::Default(), Demo().dir + "/Administration/Corvanes.ini", &corvanes).ok());
  ASSERT_TRUE(corv::IniFile::Load(pdx::Env::Default(), Demo().dir + "/Administration/import.ini", &import).ok());
  corv::OptionsTransfertRemise achat = corv::LireOptionsTransfertRemise(corvanes, corv::kSectionRemiseAchat);
  corv::OptionsTransfertRemise vente = corv::LireOptionsTransfertRemise(corvanes, corv::kSectionRemiseVente);
  EXPECT_TRUE(achat.suppressionRemisesAgence && achat.ajoutFournisseursSansRemises);
  EXPECT_FALSE(achat.inclureFournisseursZoneLibre || achat.afficherInfosDetaillees);
  EXPECT_FALSE(vente.ajoutFournisseursSansRemises);
  EXPECT_TRUE(vente.inclureFournisseursZoneLibre && vente.afficherInfosDetaillees);
  EXPECT_EQ(corv::LirePeriodeImport(import), 30);
  EXPECT_DOUBLE_EQ(import.ReadFloat("Config", "KR", 1.0), 1.15);
  EXPECT_EQ(import.ReadInteger("Config", "RDO", 0), 99);

  corv::FichierGeneral g;
  std::string octets = testutil::ReadFile(Demo().dir + "/Administration/General");
  EXPECT_EQ(octets.size(), corv::FichierGeneral::kSize);
  ASSERT_TRUE(corv::DecoderFichierGeneral(octets, &g));
  EXPECT_EQ(g.tva[1], 20.0);
  EXPECT_EQ(g.tva[2], 5.5);
  EXPECT_EQ(g.valeur1, 1.0);
  EXPECT_EQ(g.uniteCm, 0);
}

}  // namespace
