#include "catalogue/codes_article.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "data/dm.h"
#include "paradox/writer.h"
#include "installation.h"

namespace corv {
namespace {

using cattest::Installation;
using cattest::LireTable;
using cattest::Texte;

std::vector<std::vector<std::string>> Textes(const std::string& dir) {
  std::vector<std::vector<std::string>> out;
  for (const auto& r : LireTable(dir, "CodeArticle.DB")) {
    std::vector<std::string> l;
    for (const auto& v : r) l.push_back(Texte(v));
    out.push_back(l);
  }
  return out;
}

LigneCodeArticle Ligne(const std::string& f, const std::string& g, const std::string& fam, const std::string& m,
                       const std::string& t, const std::string& libelle = "Essai") {
  LigneCodeArticle l(14);
  l[0] = f, l[1] = g, l[2] = fam, l[3] = m, l[4] = t;
  l[5] = "REF";
  l[6] = "ART";
  l[7] = libelle;
  l[8] = "0";
  l[9] = "0";
  return l;
}

TEST(Csv, QuotedValuesLineEndsAndBlankLines) {
  EXPECT_EQ(LigneCsv({"a", "b;c", "d\"e", "", "x\r\ny"}), "a;\"b;c\";\"d\"\"e\";;\"x\r\ny\"");
  std::vector<std::vector<std::string>> r;
  std::vector<size_t> n;
  std::string err;
  ASSERT_TRUE(LireCsv("A;B\r\n\r\n1;\"x;\"\"y\"\"\"\n\"multi\r\nline\";2\r\n;\n3;4", &r, &n, &err)) << err;
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[1], (std::vector<std::string>{"1", "x;\"y\""}));
  EXPECT_EQ(r[2], (std::vector<std::string>{"multi\r\nline", "2"}));
  EXPECT_EQ(r[3], (std::vector<std::string>{"", ""}));
  EXPECT_EQ(r[4], (std::vector<std::string>{"3", "4"}));
  EXPECT_EQ(n, (std::vector<size_t>{1, 3, 4, 6, 7})) << "the blank line 2 is skipped and still counted";
  EXPECT_FALSE(LireCsv("A;B\r\n1;\"open\r\n2;3\r\n", &r, &n, &err));
  EXPECT_NE(err.find("ligne 2"), std::string::npos) << err;
}

TEST(CodesArticle, OpensSortedAndLeavesTheComponentAsFound) {
  Installation inst;
  auto disque = Textes(inst.Administration());
  ASSERT_GT(disque.size(), 10u);
  Composant& c = inst.dm()["tblCodeArticle"];
  ASSERT_TRUE(c.LectureSeule());
  {
    CodesArticle codes(inst.dm(), inst.app().host(), inst.dialogs());
    ASSERT_TRUE(codes.Ouvrir());
    EXPECT_FALSE(c.LectureSeule());
    ASSERT_EQ(codes.Champs().size(), 14u);
    EXPECT_EQ(codes.Champs()[13].name, "CodeArticleTvaCorse");
    EXPECT_EQ(codes.Lignes(), disque);
    EXPECT_TRUE(std::is_sorted(codes.Lignes().begin(), codes.Lignes().end(), [](const auto& a, const auto& b) {
      return std::make_tuple(a[0], std::stoi(a[1]), a[2], a[3], a[4]) <
             std::make_tuple(b[0], std::stoi(b[1]), b[2], b[3], b[4]);
    }));
  }
  EXPECT_FALSE(c.Actif());
  EXPECT_TRUE(c.LectureSeule());
  EXPECT_TRUE(inst.dialogs().shown().empty());
}

TEST(CodesArticle, AddChangeDeleteAndRefusals) {
  Installation inst;
  CodesArticle codes(inst.dm(), inst.app().host(), inst.dialogs());
  ASSERT_TRUE(codes.Ouvrir());
  const size_t n = codes.Lignes().size();
  const LigneCodeArticle premiere = codes.Lignes()[0];

  // Added: trimmed key, written to disk at once, found at its sorted place.
  int i = codes.Ajouter(Ligne(" AA ", "01", "FE", "A1", "01", "Fenêtre à l'essai"));
  ASSERT_GE(i, 0);
  EXPECT_EQ(i, 0) << "AA sorts first";
  EXPECT_EQ(codes.Lignes()[0][0], "AA");
  EXPECT_EQ(codes.Lignes()[0][1], "1");
  auto disque = Textes(inst.Administration());
  ASSERT_EQ(disque.size(), n + 1);
  EXPECT_EQ(disque[0][7], "Fenêtre à l'essai");

  // Refusals leave the table as it is, each with a box saying why.
  inst.dialogs().Clear();
  EXPECT_EQ(codes.Ajouter(premiere), -1);
  EXPECT_EQ(codes.Ajouter(Ligne("AA", "1", "FE", "A1", "01")), -1);
  EXPECT_EQ(codes.Ajouter(Ligne("AB", "x", "FE", "A1", "01")), -1);
  EXPECT_EQ(codes.Ajouter(Ligne("AB", "1", "FEX", "A1", "01")), -1);
  EXPECT_EQ(codes.Ajouter(Ligne("", "1", "FE", "A1", "01")), -1);
  EXPECT_EQ(codes.Ajouter(Ligne("AB", "1", "FE", "A1", "01", "Libellé ✓")), -1);
  EXPECT_EQ(codes.Ajouter(Ligne("AB", "40000", "FE", "A1", "01")), -1);
  auto erreurs = inst.dialogs().Texts("error");
  ASSERT_EQ(erreurs.size(), 7u);
  EXPECT_NE(erreurs[0].find("existe déjà"), std::string::npos) << erreurs[0];
  EXPECT_NE(erreurs[1].find("Fournisseur AA, Groupe 1, Famille FE, Modele A1, Tarif 01"), std::string::npos)
      << erreurs[1];
  EXPECT_NE(erreurs[2].find("« Groupe »"), std::string::npos) << erreurs[2];
  EXPECT_NE(erreurs[3].find("« Famille » ne peut pas dépasser 2 caractères"), std::string::npos) << erreurs[3];
  EXPECT_NE(erreurs[4].find("« Fournisseur » est obligatoire"), std::string::npos) << erreurs[4];
  EXPECT_NE(erreurs[5].find("code page 1252"), std::string::npos) << erreurs[5];
  EXPECT_EQ(Textes(inst.Administration()), disque);

  // Changed: a field, then the key (its old key gone); a key already used is refused.
  LigneCodeArticle l = codes.Lignes()[0];
  l[6] = "NOUVEAU";
  ASSERT_EQ(codes.Modifier(0, l), 0);
  l[0] = "ZZ";
  int j = codes.Modifier(0, l);
  ASSERT_EQ(j, static_cast<int>(codes.Lignes().size()) - 1);
  EXPECT_EQ(codes.Lignes()[static_cast<size_t>(j)][6], "NOUVEAU");
  EXPECT_EQ(codes.Trouver(Ligne("AA", "1", "FE", "A1", "01")), -1);
  inst.dialogs().Clear();
  EXPECT_EQ(codes.Modifier(static_cast<size_t>(j), premiere), -1);
  ASSERT_EQ(inst.dialogs().Texts("error").size(), 1u);
  disque = Textes(inst.Administration());
  EXPECT_EQ(disque.back()[0], "ZZ");
  EXPECT_EQ(disque.size(), n + 1);

  // Deleted after a Yes; a No keeps it.
  inst.dialogs().AnswerYes(false);
  EXPECT_FALSE(codes.Supprimer(static_cast<size_t>(j)));
  EXPECT_EQ(Textes(inst.Administration()).size(), n + 1);
  inst.dialogs().AnswerYes(true);
  EXPECT_TRUE(codes.Supprimer(static_cast<size_t>(j)));
  EXPECT_EQ(codes.Lignes().size(), n);
  EXPECT_EQ(Textes(inst.Administration()).size(), n);
  EXPECT_NE(inst.dialogs().Texts("question").back().find("ZZ"), std::string::npos);
}

TEST(CodesArticle, ExportThenImportOfTheSameFileChangesNothing) {
  Installation inst;
  CodesArticle codes(inst.dm(), inst.app().host(), inst.dialogs());
  ASSERT_TRUE(codes.Ouvrir());
  ASSERT_GE(codes.Ajouter(Ligne("AA", "1", "FE", "A1", "01", "Porte; \"pleine\" é")), 0);
  testutil::TempDir out;
  ASSERT_TRUE(codes.Exporter(out.path()));
  std::string octets = testutil::ReadFile(out.file("export_code_article.csv"));
  EXPECT_EQ(octets.rfind("Fournisseur;Groupe;Famille;Modele;Tarif;CodeFournisseur;CodeArticle;Libelle;Type;Flag;"
                         "CodeArticleTvaInter;CodeArticleTvaNormale;CodeArticleTvaReduite;CodeArticleTvaCorse\r\n",
                         0),
            0u);
  EXPECT_NE(octets.find("AA;1;FE;A1;01;REF;ART;\"Porte; \"\"pleine\"\" \xE9\";0;0;;;;\r\n"), std::string::npos)
      << "code page 1252, quoted";
  size_t lignes = static_cast<size_t>(std::count(octets.begin(), octets.end(), '\n'));
  EXPECT_EQ(lignes, codes.Lignes().size() + 1);
  EXPECT_EQ(std::count(octets.begin(), octets.end(), '\r'), static_cast<long>(lignes));
  EXPECT_FALSE(std::filesystem::exists(out.file("export_code_article.csv.tmp")));
  EXPECT_NE(inst.dialogs().Texts("information").back().find("export_code_article.csv"), std::string::npos);

  auto avant = Textes(inst.Administration());
  std::filesystem::rename(out.file("export_code_article.csv"), out.file("IMPORT_Code_Article.CSV"));
  BilanImportCodes b;
  ASSERT_TRUE(codes.Importer(out.path(), &b));
  EXPECT_EQ(b.remplaces, avant.size());
  EXPECT_EQ(b.ajoutes, 0u);
  EXPECT_EQ(Textes(inst.Administration()), avant);
  EXPECT_EQ(codes.Lignes(), avant);
}

TEST(CodesArticle, ImportChecksEveryLineFirst) {
  Installation inst;
  CodesArticle codes(inst.dm(), inst.app().host(), inst.dialogs());
  ASSERT_TRUE(codes.Ouvrir());
  const LigneCodeArticle p = codes.Lignes()[0];
  const std::string admin = inst.Administration();
  auto fichierDb = [&] { return testutil::ReadFile(admin + "/CodeArticle.DB"); };
  const std::string avant = fichierDb();
  testutil::TempDir in;
  auto importer = [&](const std::string& texte) {
    testutil::WriteFile(in.file("import_code_article.csv"), texte);
    inst.dialogs().Clear();
    return codes.Importer(in.path());
  };
  auto erreur = [&] { return inst.dialogs().Texts("error").empty() ? "" : inst.dialogs().Texts("error").back(); };
  const std::string tete = "Fournisseur;Groupe;Famille;Modele;Tarif;CodeArticle\r\n";
  const std::string bonne = p[0] + ";" + p[1] + ";" + p[2] + ";" + p[3] + ";" + p[4] + ";CHANGE\r\n";

  // A bad line anywhere: nothing written, its line and field named.
  EXPECT_FALSE(importer(tete + bonne + "NV;1;FE;A1;01;X\r\nNV;abc;FE;A1;02;X\r\n"));
  EXPECT_NE(erreur().find("Ligne 4, champ « Groupe »"), std::string::npos) << erreur();
  EXPECT_NE(erreur().find("inchangée"), std::string::npos) << erreur();
  EXPECT_EQ(fichierDb(), avant);
  EXPECT_FALSE(importer(tete + bonne + "NV;1;FE;A1;01;" + std::string(51, 'x') + "\r\n"));
  EXPECT_NE(erreur().find("Ligne 3, champ « CodeArticle »"), std::string::npos) << erreur();
  EXPECT_FALSE(importer(tete + bonne + "NV;1;FE;A1\r\n"));
  EXPECT_NE(erreur().find("Ligne 3 : 4 valeurs au lieu de 6"), std::string::npos) << erreur();
  EXPECT_FALSE(importer(tete + bonne + bonne));
  EXPECT_NE(erreur().find("Ligne 3 : même clé que la ligne 2"), std::string::npos) << erreur();
  EXPECT_FALSE(importer("Fournisseur;Groupe;Famille;Modele;Tarif;Prix\r\n" + bonne));
  EXPECT_NE(erreur().find("Ligne 1, colonne 6 : le champ « Prix » n'existe pas"), std::string::npos) << erreur();
  EXPECT_FALSE(importer("Fournisseur;Groupe;Famille;Modele;CodeArticle\r\nGX;1;FE;A1;X\r\n"));
  EXPECT_NE(erreur().find("le champ clé « Tarif » manque"), std::string::npos) << erreur();
  EXPECT_FALSE(importer(tete + "\"NV;1;FE;A1;01;X\r\n"));
  EXPECT_FALSE(importer(""));
  EXPECT_NE(erreur().find("vide"), std::string::npos) << erreur();
  EXPECT_EQ(fichierDb(), avant);
  EXPECT_EQ(inst.dialogs().Texts("information").size(), 0u);
  std::filesystem::remove(in.file("import_code_article.csv"));
  inst.dialogs().Clear();
  EXPECT_FALSE(codes.Importer(in.path()));
  EXPECT_NE(erreur().find("introuvable"), std::string::npos) << erreur();

  // A good file (LF alone, code page 1252): replaces by key, keeps the fields it
  // does not give, adds the others, and says how many.
  const size_t n = codes.Lignes().size();
  ASSERT_TRUE(importer(tete + bonne + "NV;1;FE;A1;01;Cr\xE9" "ation\nnv;2;FE;A1;01;\n"));
  EXPECT_EQ(inst.dialogs().Texts("information").back(), "Importation terminée : 1 code article remplacé, 2 ajoutés.");
  auto disque = Textes(admin);
  ASSERT_EQ(disque.size(), n + 2);
  EXPECT_EQ(codes.Lignes(), disque);
  int i = codes.Trouver(p);
  ASSERT_GE(i, 0);
  LigneCodeArticle attendu = p;
  attendu[6] = "CHANGE";
  EXPECT_EQ(codes.Lignes()[static_cast<size_t>(i)], attendu);
  int k = codes.Trouver(Ligne("NV", "1", "FE", "A1", "01"));
  ASSERT_GE(k, 0);
  EXPECT_EQ(codes.Lignes()[static_cast<size_t>(k)][6], "Création");
  EXPECT_EQ(codes.Lignes()[static_cast<size_t>(k)][7], "") << "a new row's absent fields are empty";

  // The UTF-8 form a spreadsheet saves, with its byte-order mark.
  ASSERT_TRUE(importer("\xEF\xBB\xBF" + tete + "NV;1;FE;A1;01;Réécrit\r\n"));
  k = codes.Trouver(Ligne("NV", "1", "FE", "A1", "01"));
  EXPECT_EQ(codes.Lignes()[static_cast<size_t>(k)][6], "Réécrit");
  // UTF-8 without the mark is recognised too (no "RÃ©" from a code page 1252 reading).
  ASSERT_TRUE(importer(tete + "NV;1;FE;A1;01;Deuxième écriture\r\n"));
  k = codes.Trouver(Ligne("NV", "1", "FE", "A1", "01"));
  EXPECT_EQ(codes.Lignes()[static_cast<size_t>(k)][6], "Deuxième écriture");
}

TEST(CodesArticle, EmptyKeyFieldsAndATableInUse) {
  Installation inst;
  CodesArticle codes(inst.dm(), inst.app().host(), inst.dialogs());
  ASSERT_TRUE(codes.Ouvrir());
  const size_t n = codes.Lignes().size();
  // A row for a whole supplier: empty family, model and price code.
  int i = codes.Ajouter(Ligne("AB", "1", "", "", ""));
  ASSERT_GE(i, 0);
  LigneCodeArticle l = codes.Lignes()[static_cast<size_t>(i)];
  EXPECT_EQ(l[2], "");
  l[6] = "TOUT";
  int j = codes.Modifier(static_cast<size_t>(i), l);
  ASSERT_GE(j, 0);
  EXPECT_EQ(codes.Lignes()[static_cast<size_t>(j)][6], "TOUT");
  EXPECT_EQ(codes.Lignes().size(), n + 1);
  EXPECT_EQ(codes.Ajouter(Ligne("AB", "1", "", "", "")), -1) << "the same empty key twice";
  inst.dialogs().AnswerYes(true);
  ASSERT_TRUE(codes.Supprimer(static_cast<size_t>(j)));
  EXPECT_EQ(Textes(inst.Administration()).size(), n);
  codes.Fermer();

  // Another program holding the table: the change is refused and nothing is written.
  std::unique_ptr<pdx::TableWriter> autre;
  ASSERT_TRUE(pdx::TableWriter::Open(pdx::Env::Default(), inst.Administration(), "CodeArticle.DB", {}, &autre).ok());
  ASSERT_TRUE(codes.Ouvrir());
  inst.dialogs().Clear();
  EXPECT_EQ(codes.Ajouter(Ligne("AC", "1", "FE", "A1", "01")), -1);
  ASSERT_EQ(inst.dialogs().Texts("error").size(), 1u);
  EXPECT_NE(inst.dialogs().Texts("error")[0].find("Enregistrement utilisé par un autre utilisateur"), std::string::npos)
      << inst.dialogs().Texts("error")[0];
  testutil::TempDir in;
  testutil::WriteFile(in.file("import_code_article.csv"), "Fournisseur;Groupe;Famille;Modele;Tarif\r\nAC;1;FE;A1;01\r\n");
  EXPECT_FALSE(codes.Importer(in.path()));
  EXPECT_EQ(inst.dialogs().Texts("error").size(), 2u);
  EXPECT_EQ(codes.Lignes().size(), n) << "the rows are still shown";
  autre.reset();
  codes.Fermer();
  EXPECT_EQ(Textes(inst.Administration()).size(), n);
}

TEST(CodesArticle, MissingTableIsReported) {
  Installation inst;
  std::filesystem::remove(inst.Administration() + "/CodeArticle.DB");
  CodesArticle codes(inst.dm(), inst.app().host(), inst.dialogs());
  EXPECT_FALSE(codes.Ouvrir());
  EXPECT_EQ(inst.dialogs().Texts("information").size(), 1u);
  EXPECT_TRUE(inst.dm()["tblCodeArticle"].LectureSeule());
  EXPECT_EQ(codes.Ajouter(Ligne("AA", "1", "FE", "A1", "01")), -1);
}

}  // namespace
}  // namespace corv
