// Text files for people (code page 1252, CR LF) and the run journals: what
// the code page cannot hold, file names, the newest kept, errors.
#include "data/journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/test_util.h"
#include "util/text.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

TEST(FichierTexte, Cp1252WithCrLfAndMarkersForWhatTheCodePageCannotHold) {
  int n = -1;
  // é and € exist in code page 1252; 中 does not; "\xFF" alone is not UTF-8.
  std::string t = corv::TexteCp1252CrLf({"Opération réussie", "Coût : 5 €", "中 et \xFF", "deux\nlignes", ""}, &n);
  EXPECT_EQ(t,
            "Op\xE9ration r\xE9ussie\r\nCo\xFBt : 5 \x80\r\n<U+4E2D> et <0xFF>\r\ndeux\r\nlignes\r\n\r\n");
  EXPECT_EQ(n, 2);
  // A character beyond the basic plane keeps all its digits.
  EXPECT_EQ(corv::Utf8ToCp1252Marked("a\xF0\x9F\x98\x80z", &n), "a<U+1F600>z");
  EXPECT_EQ(n, 1);
  corv::TexteCp1252CrLf({"rien à signaler"}, &n);
  EXPECT_EQ(n, 0);
}

corv::JournalRun Journal(Clock::time_point debut) {
  corv::JournalRun j;
  j.sorte = "conditions-achat";
  j.libelle = "Conditions d'achat";
  j.simulation = true;
  j.debut = debut;
  j.fin = debut + std::chrono::seconds(3);
  j.options = {{"Inclure les fournisseurs Zone Libre", "non"}};
  j.resultat = "Terminé";
  j.messages = {"Lecture de la table remise", " => Agence  : Agence de Nîmes - Remises ajoutées : 3"};
  j.erreurs = {" => Agence  : Agence 中 - Le répertoire n'existe pas : Q:\\Agences\\X"};
  return j;
}

TEST(JournalRun, WrittenBesideTheIniNamedByItsStartWithEveryPartAndANoteOnMarkers) {
  testutil::TempDir tmp;
  EXPECT_EQ(corv::RepertoireJournaux(tmp.file("qvrbde.ini")), tmp.file("Journaux"));
  const std::string dir = corv::RepertoireJournaux(tmp.file("qvrbde.ini"));
  const Clock::time_point debut = Clock::now();
  std::string chemin, second;
  ASSERT_TRUE(corv::EcrireJournalRun(pdx::Env::Default(), dir, Journal(debut), &chemin).ok());
  ASSERT_TRUE(corv::EcrireJournalRun(pdx::Env::Default(), dir, Journal(debut), &second).ok());

  const std::string nom = fs::path(chemin).filename().string();
  ASSERT_EQ(nom.size(), std::string("2026-12-09_04-05-35_conditions-achat.log").size()) << nom;
  EXPECT_EQ(nom.substr(19), "_conditions-achat.log");
  EXPECT_EQ(fs::path(second).filename().string(), nom.substr(0, nom.size() - 4) + "_2.log");  // same second

  const std::string octets = testutil::ReadFile(chemin);
  EXPECT_EQ(octets.find('\n'), octets.find("\r\n") + 1);  // CR LF
  const std::string texte = corv::Cp1252ToUtf8(octets);
  std::vector<std::string> lignes = corv::LignesJournal(Journal(debut));
  // The one character outside the code page is a marker, and the last line says so.
  std::string attendu;
  for (auto l : lignes) {
    size_t p = l.find("中");
    if (p != std::string::npos) l.replace(p, std::string("中").size(), "<U+4E2D>");
    attendu += l + "\r\n";
  }
  ASSERT_EQ(texte.substr(0, attendu.size()), attendu);
  EXPECT_EQ(texte.substr(attendu.size()).rfind("Note : 1 caractère(s) hors de la page de code 1252", 0), 0u)
      << texte.substr(attendu.size());
  for (const char* partie : {"Traitement : Conditions d'achat (conditions-achat)\r\n", "Lancement : Simulation\r\n",
                             "Début : ", "Fin : ", "  Inclure les fournisseurs Zone Libre : non\r\n",
                             "Résultat : Terminé\r\n", "Messages (2) :\r\n", "Erreurs (1) :\r\n"})
    EXPECT_NE(texte.find(partie), std::string::npos) << partie;
  EXPECT_EQ(corv::LigneJournal({chemin, ""}), "Journal du traitement : " + pdx::DisplayPath(chemin));
}

TEST(JournalRun, OnlyTheHundredNewestJournalsAreKeptAndOtherFilesAreLeftAlone) {
  testutil::TempDir tmp;
  const std::string dir = tmp.file("Journaux");
  fs::create_directories(dir);
  testutil::WriteFile(dir + "/notes.txt", "à garder");
  testutil::WriteFile(dir + "/2001-01-01_00-00-00_x.txt", "pas un journal");
  const Clock::time_point t0 = Clock::now() - std::chrono::hours(24 * 400);
  std::vector<std::string> ecrits;
  for (int i = 0; i < corv::kJournauxConserves + 5; ++i) {
    std::string c;
    ASSERT_TRUE(corv::EcrireJournalRun(pdx::Env::Default(), dir, Journal(t0 + std::chrono::hours(i)), &c).ok());
    ecrits.push_back(fs::path(c).filename().string());
  }
  std::vector<std::string> restants;
  for (const auto& e : fs::directory_iterator(dir)) restants.push_back(e.path().filename().string());
  std::sort(restants.begin(), restants.end());
  std::vector<std::string> attendus(ecrits.begin() + 5, ecrits.end());
  attendus.push_back("2001-01-01_00-00-00_x.txt");
  attendus.push_back("notes.txt");
  std::sort(attendus.begin(), attendus.end());
  EXPECT_EQ(restants, attendus);
}

TEST(JournalRun, AJournalThatCannotBeWrittenIsAnErrorNamingWhere) {
  testutil::TempDir tmp;
  testutil::WriteFile(tmp.file("Journaux"), "un fichier à la place du répertoire");
  std::string chemin;
  pdx::Status s = corv::EcrireJournalRun(pdx::Env::Default(), tmp.file("Journaux"), Journal(Clock::now()), &chemin);
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find(tmp.file("Journaux")), std::string::npos) << s.message();
  EXPECT_TRUE(chemin.empty());
  EXPECT_EQ(corv::LigneJournal({"", s.message()}), "Journal du traitement non écrit : " + s.message());
}

}  // namespace
