// Document transfer: exact log of whole runs, rows and files at the agencies,
// links leaving the documents directory, and the file copy itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "installation_transfert.h"
#include "support/fault_env.h"
#include "transfer/copie_document.h"
#include "transfer/documents.h"

namespace corv {
namespace {

using transfertest::I;
using transfertest::Installation;
using transfertest::Ligne;
using transfertest::T;
using V = std::vector<std::string>;

const std::string kFin(70, '=');

Ligne TypeDoc(int externe, int id, const std::string& libelle, int parent = -1) {
  Ligne l{{"Externe", I(externe)}, {"IdTypeDocument", I(id)}, {"Libelle", T(libelle)}};
  if (parent >= 0) l["IdParent"] = I(parent);
  return l;
}
Ligne Doc(int externe, int id, const std::string& lien, int lienFlag, const std::string& libelle = "Doc") {
  Ligne l{{"Externe", I(externe)}, {"IdDocument", I(id)}, {"IdTypeDocument", I(1)}, {"Libelle", T(libelle)},
          {"Lien", T(lien)},       {"LienFlag", I(lienFlag)}, {"Popup", I(1)}, {"Print", I(0)}};
  if (id == 1) l["TypeTva"] = I(2);
  return l;
}

class Documents : public ::testing::Test {
 protected:
  void SetUp() override {
    inst.RepertoireAgence("Agences/A1");
    inst.Agence("A1", "Lyon", "Agences/A1", 0);
    inst.Agence("A2", "Partage", "Agences/A2", 1);
    inst.Table("Administration", "MesDocsType.DB",
               {TypeDoc(0, 1, "Catalogues"), TypeDoc(0, 2, "Notices", 1), TypeDoc(3, 9, "Privé")});
    inst.Table("Administration", "MesDocs.DB",
               {Doc(0, 1, "Catalogue.pdf", 0, "Catalogue"), Doc(0, 2, "notice.pdf", 1),
                Doc(0, 3, "..\\..\\Administration\\Corvanes.ini", 0, "Fuite"), Doc(0, 4, "Absent.pdf", 0),
                Doc(5, 5, "Garde.pdf", 0), Doc(2, 6, "Brouillon.pdf", 0)});
    inst.Table("Agences/A1/Administration", "MesDocs.DB", {Doc(0, 50, "Local.pdf", 0), Doc(1, 1, "Ancien.pdf", 0)});
    for (const char* d : {"Administration/Documents", "Administration/Documents/Interne"})
      pdx::Env::Default()->CreateDir(inst.Hote(d)).IgnoreError();  // may exist; the writes below fail if not
    for (const char* f : {"CATALOGUE.PDF", "notice.pdf", "Garde.pdf", "Brouillon.pdf"})
      testutil::WriteFile(inst.Hote(std::string("Administration/Documents/Interne/") + f), std::string("siège ") + f);
  }
  ResultatRun Lancer(bool simulation) {
    OptionsRun o;
    o.simulation = simulation;
    rep.messages.clear();
    rep.errors.clear();
    TransfertDocuments run(inst.app(), rep, o);
    return run.Lancer();
  }
  V Lignes(int typesSupprimes, int docsSupprimes) {
    const std::string p = " => Agence  : Lyon - ";
    return {"Lecture de la table Type Document - Nombre total de types de document : 3",
            "Lecture de la table Type Document - Nombre de types de document à copier : 2",
            "Lecture de la table Document - Nombre total de documents : 6",
            "Lecture de la table Document - Nombre de documents à copier : 5",
            "Lecture de l'agence : Lyon",
            "Intégration des documents pour l'agence : Lyon",
            p + "Table Document Type - Type(s) de document supprimé(s) : " + std::to_string(typesSupprimes),
            p + "Table Document Type nettoyée",
            p + "Types de document ajouté(s) : 2",
            p + "Table Document - Document(s) supprimé(s) : " + std::to_string(docsSupprimes),
            p + "Table Document nettoyée",
            p + "Document(s) ajouté(s) : 5",
            "Lecture de l'agence : Partage",
            kFin,
            "Fin de l'intégration des documents.",
            kFin,
            ""};
  }
  V Erreurs() {
    return {"Document 3 (Fuite) : le lien \"..\\..\\Administration\\Corvanes.ini\" sort du répertoire des documents, "
            "son fichier ne sera copié dans aucune agence",
            " => Agence  : Partage - Ne possède pas son propre répertoire Administration"};
  }
  std::string Externe(const std::string& f = "") { return inst.Hote("Agences/A1/Administration/Documents/Externe") + (f.empty() ? "" : "/" + f); }
  Installation inst;
  RecordingRunReport rep;
};

TEST_F(Documents, SimulationCreatesTheDirectoriesOnly) {
  auto avant = inst.Empreinte("Agences/A1/Administration");
  ResultatRun r = Lancer(true);
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_EQ(rep.messages, Lignes(0, 1));
  EXPECT_EQ(rep.errors, Erreurs());
  for (const char* d : {"", "/Interne", "/Externe", "/Standard"})
    EXPECT_TRUE(pdx::Env::Default()->DirExists(inst.Hote(std::string("Agences/A1/Administration/Documents") + d))) << d;
  std::vector<std::string> fichiers;
  ASSERT_TRUE(pdx::Env::Default()->GetChildren(Externe(), &fichiers).ok());
  EXPECT_TRUE(fichiers.empty());
  // "MesDocsType.DB" was created on open (empty); "MesDocs.DB" is as it was.
  auto apres = inst.Empreinte("Agences/A1/Administration");
  EXPECT_TRUE(apres["MesDocs.DB"] == avant["MesDocs.DB"]);
  EXPECT_TRUE(inst.Lire("Agences/A1/Administration", "MesDocsType.DB").empty());
}

TEST_F(Documents, RealRunPublishesRowsAndCopiesFilesWithoutOverwriting) {
  for (const char* d : {"Agences/A1/Administration/Documents", "Agences/A1/Administration/Documents/Externe"})
    ASSERT_TRUE(pdx::Env::Default()->CreateDir(inst.Hote(d)).ok());
  testutil::WriteFile(Externe("garde.PDF"), "copie de l'agence");
  ResultatRun r = Lancer(false);
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  EXPECT_EQ(rep.messages, Lignes(0, 1));
  EXPECT_EQ(rep.errors, Erreurs());

  auto types = inst.Lire("Agences/A1/Administration", "MesDocsType.DB");
  ASSERT_EQ(types.size(), 2u);
  EXPECT_EQ(types[0][0].i, 1);                // origin 0 published as 1
  EXPECT_TRUE(types[0][2].blank);             // an empty IdParent stays empty
  EXPECT_EQ(types[1][2].i, 1);
  auto docs = inst.Lire("Agences/A1/Administration", "MesDocs.DB");
  V cles;
  for (const auto& d : docs) cles.push_back(std::to_string(d[0].i) + "/" + std::to_string(d[1].i) + "/" + d[6].text);
  EXPECT_EQ(cles, V({"0/50/Local.pdf", "1/1/Catalogue.pdf", "1/2/notice.pdf",
                     "1/3/..\\..\\Administration\\Corvanes.ini", "1/4/Absent.pdf", "5/5/Garde.pdf"}));
  EXPECT_EQ(docs[1][11].i, 2);                // TypeTva carried
  EXPECT_TRUE(docs[2][11].blank);             // an empty TypeTva stays empty
  EXPECT_EQ(docs[1][12].i, 1);                // Popup, one of the sixteen fields

  // LienFlag 0 and present at head office: copied (the name as the row gives it).
  EXPECT_EQ(testutil::ReadFile(Externe("Catalogue.pdf")), "siège CATALOGUE.PDF");
  // LienFlag 1: no copy; missing source: silent; existing file (other case): kept.
  EXPECT_FALSE(pdx::Env::Default()->FileExists(Externe("notice.pdf")));
  EXPECT_FALSE(pdx::Env::Default()->FileExists(Externe("Absent.pdf")));
  EXPECT_EQ(testutil::ReadFile(Externe("garde.PDF")), "copie de l'agence");
  std::vector<std::string> fichiers;
  ASSERT_TRUE(pdx::Env::Default()->GetChildren(Externe(), &fichiers).ok());
  std::sort(fichiers.begin(), fichiers.end());
  EXPECT_EQ(fichiers, V({"Catalogue.pdf", "garde.PDF"})) << "no temporary file left, nothing outside the list";

  // Head office's file changes: the agency keeps its older copy.
  testutil::WriteFile(inst.Hote("Administration/Documents/Interne/CATALOGUE.PDF"), "nouvelle version");
  ASSERT_EQ(Lancer(false).fin, ResultatRun::Fin::kTerminee);
  EXPECT_EQ(rep.messages, Lignes(2, 5));
  EXPECT_EQ(testutil::ReadFile(Externe("Catalogue.pdf")), "siège CATALOGUE.PDF");
  EXPECT_EQ(inst.Lire("Agences/A1/Administration", "MesDocs.DB").size(), 6u);
}

TEST_F(Documents, AFailedCopyEndsTheRunAndLeavesTheAgencyTableAsItWas) {
  // Something in the way of the temporary file: the copy cannot be written.
  for (const char* d : {"Agences/A1/Administration/Documents", "Agences/A1/Administration/Documents/Externe"})
    ASSERT_TRUE(pdx::Env::Default()->CreateDir(inst.Hote(d)).ok());
  ASSERT_TRUE(pdx::Env::Default()->CreateDir(Externe(NomCopieTemporaire("Catalogue.pdf"))).ok());
  const std::string avant = testutil::ReadFile(inst.Hote("Agences/A1/Administration/MesDocs.DB"));
  ResultatRun r = Lancer(false);
  ASSERT_EQ(r.fin, ResultatRun::Fin::kErreur);
  EXPECT_NE(r.erreur.find("Agence Lyon (A1)"), std::string::npos) << r.erreur;
  EXPECT_NE(r.erreur.find("\"Catalogue.pdf\""), std::string::npos) << r.erreur;
  // The rows staged for that table were dropped with the run; the end lines are written.
  EXPECT_TRUE(testutil::ReadFile(inst.Hote("Agences/A1/Administration/MesDocs.DB")) == avant);
  ASSERT_GE(rep.messages.size(), 4u);
  EXPECT_EQ(rep.messages[rep.messages.size() - 3], "Fin de l'intégration des documents.");
  EXPECT_FALSE(pdx::Env::Default()->FileExists(Externe("Catalogue.pdf")));
}

TEST(CopieDocument, PlainNamesOnly) {
  for (const char* ok : {"Catalogue.pdf", "a..b.pdf", "Notice de pose.pdf", ".cache"})
    EXPECT_TRUE(LienDansRepertoire(ok)) << ok;
  for (const char* bad : {"", ".", "..", "...", ". .", "..\\x.pdf", "sub/x.pdf", "Interne\\x.pdf", "C:x.pdf",
                          "C:\\x.pdf", "\\\\SERVEUR\\share\\x.pdf", "/etc/passwd"})
    EXPECT_FALSE(LienDansRepertoire(bad)) << bad;
}

TEST(CopieDocument, ResultsAndAFailedWriteLeavesNothing) {
  std::unique_ptr<pdx::Env> mem = pdx::NewMemEnv();
  ASSERT_TRUE(mem->CreateDir("/src").ok());
  ASSERT_TRUE(mem->CreateDir("/dst").ok());
  testutil::PutFile(mem.get(), "/src/Doc.PDF", std::string(3 << 20, 'x') + "fin");
  testutil::PutFile(mem.get(), "/dst/deja.pdf", "ancien");
  testutil::PutFile(mem.get(), "/src/Deja.pdf", "nouveau");
  ResultatCopie r;
  ASSERT_TRUE(CopierDocument(mem.get(), "/src", "/dst", "absent.pdf", &r).ok());
  EXPECT_EQ(r, ResultatCopie::kSourceAbsente);
  ASSERT_TRUE(CopierDocument(mem.get(), "/src", "/dst", "DEJA.PDF", &r).ok());
  EXPECT_EQ(r, ResultatCopie::kDejaPresente);
  EXPECT_EQ(testutil::GetFile(mem.get(), "/dst/deja.pdf"), "ancien");

  // The third write of the copy fails: no document, no temporary file.
  pdx::FaultEnv faute(mem.get());
  faute.FailNth(pdx::FaultEnv::Op::kWrite, 3);
  pdx::Status s = CopierDocument(&faute, "/src", "/dst", "doc.pdf", &r);
  EXPECT_FALSE(s.ok());
  std::vector<std::string> noms;
  ASSERT_TRUE(mem->GetChildren("/dst", &noms).ok());
  EXPECT_EQ(noms, std::vector<std::string>({"deja.pdf"}));

  faute.Reset();
  ASSERT_TRUE(CopierDocument(&faute, "/src", "/dst", "doc.pdf", &r).ok());
  EXPECT_EQ(r, ResultatCopie::kCopie);
  EXPECT_EQ(testutil::GetFile(mem.get(), "/dst/doc.pdf"), std::string(3 << 20, 'x') + "fin");
  EXPECT_FALSE(mem->FileExists("/dst/" + NomCopieTemporaire("doc.pdf")));
}

}  // namespace
}  // namespace corv
