// The conditions transfer: the discount model, whole runs on a small
// installation (exact lines, rows afterwards), the options, the log files, and
// runs on the demo installation.
#include "transfer/conditions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "installation_transfert.h"
#include "paradox/writer.h"
#include "util/ini.h"
#include "util/text.h"

namespace corv {
namespace {

using transfertest::I;
using transfertest::Installation;
using transfertest::Ligne;
using transfertest::N;
using transfertest::T;

// A log file's text back in UTF-8 with LF line ends; a line end without its
// CR, or a byte the code page does not define, shows up as a difference.
std::string Journal(const std::string& octets) {
  std::string t = Cp1252ToUtf8(octets), out;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') continue;
    if (t[i] == '\n' && (i == 0 || t[i - 1] != '\r')) out += "<LF seul>";
    out += t[i];
  }
  return out;
}

Fixed F(double v) { return *Fixed::FromDouble(v); }

TRemiseCommerciale R(double r1, double r2, double coef) {
  TRemiseCommerciale r;
  EXPECT_TRUE(r.FixerTaux(r1, r2, coef).ok());
  return r;
}

TEST(RemiseCommerciale, FreshValueAndStoredZeroCoefficient) {
  TRemiseCommerciale r;
  EXPECT_EQ(r.R1().tag, 2);
  EXPECT_EQ(r.R2().tag, 2);
  EXPECT_EQ(r.Coefficient().tag, 1);
  EXPECT_EQ(r.Coefficient().value, Fixed::FromInt(1));
  EXPECT_EQ(r.R1().value, Fixed());
  TRemiseCommerciale z = R(10, 0, 0);
  EXPECT_EQ(z.Coefficient().value, Fixed::FromInt(1));
  EXPECT_TRUE(z.ParTaux());
  // From a row: blanks read as 0 (so a blank coefficient as 1), key fields kept.
  TRemiseCommerciale c;
  ASSERT_TRUE(TRemiseCommerciale::Charger({"Type", "Fournisseur", "Client", "TypeGroupe", "Groupe", "R1", "R2",
                                           "CoefTarif"},
                                          {I(2), T("AL"), T("C1"), I(1), T("G1"), N(12.5), pdx::Value(), pdx::Value()},
                                          &c)
                  .ok());
  EXPECT_EQ(c.fournisseur, "AL");
  EXPECT_EQ(c.client, "C1");
  EXPECT_EQ(c.groupe, "G1");
  EXPECT_EQ(c.typeGroupe, 1);
  EXPECT_EQ(c.R1().value, F(12.5));
  EXPECT_EQ(c.R2().value, Fixed());
  EXPECT_EQ(c.Coefficient().value, Fixed::FromInt(1));
  EXPECT_FALSE(r.FixerTaux(std::nan(""), 0, 0).ok());
  EXPECT_FALSE(r.FixerTaux(0, 0, 1e300).ok());
}

TEST(RemiseCommerciale, NetAmounts) {
  // Rates in turn on the list price, rounded to four decimals.
  EXPECT_EQ(R(10, 5, 0).Appliquer(Fixed::FromInt(200), Fixed::FromInt(100), Fixed::FromInt(1)), Fixed::FromInt(171));
  EXPECT_EQ(R(33.3333, 0, 1).Appliquer(F(10), F(999), F(3)), F(6.6667));
  // A coefficient: base price times it, times the general coefficient, each
  // product truncated to four decimals.
  EXPECT_EQ(R(50, 50, 0.9).Appliquer(Fixed::FromInt(200), Fixed::FromInt(100), Fixed::FromInt(1)), Fixed::FromInt(90));
  EXPECT_EQ(R(0, 0, 0.3333).Appliquer(Fixed(), F(0.0001), F(2)), Fixed());  // 0.00003333 -> 0
  EXPECT_EQ(R(0, 0, 1.5).Appliquer(Fixed(), F(3.3333), F(1.1)), F(5.4998));  // 4.99995 -> 4.9999, x1.1 -> 5.49989
  // Rates and coefficient are rounded to four decimals first: 1.00004 is 1.
  EXPECT_TRUE(R(0, 0, 1.00004).ParTaux());
  EXPECT_FALSE(R(0, 0, 1.0001).ParTaux());
}

TEST(RemiseCommerciale, BetterConditionByMode) {
  TRemiseCommerciale siege = R(10, 5, 0);   // net 171
  TRemiseCommerciale agence = R(0, 0, 0.9);  // net 90
  EXPECT_FALSE(SiegeMeilleur(kModeAchat, siege, agence, Fixed::FromInt(1)));
  EXPECT_TRUE(SiegeMeilleur(kModeVente, siege, agence, Fixed::FromInt(1)));
  // The general coefficient weighs on coefficients only: 0.9 x 2 = 180 > 171.
  EXPECT_TRUE(SiegeMeilleur(kModeAchat, siege, agence, Fixed::FromInt(2)));
  // Equal nets keep the agency's row in both modes.
  EXPECT_FALSE(SiegeMeilleur(kModeAchat, R(10, 0, 0), R(0, 0, 0.9 * 2), Fixed::FromInt(1)));
  EXPECT_FALSE(SiegeMeilleur(kModeVente, R(10, 0, 0), R(0, 0, 0.9 * 2), Fixed::FromInt(1)));
  EXPECT_FALSE(SiegeMeilleur(kModeAchat, R(0, 0, 0), R(0, 0, 1), Fixed::FromInt(1)));
}

// Rates a table may hold but no net amount can be computed from: the
// comparison is refused with a message naming the condition (the run then
// reports it on the agency's table), never thrown through the table writer.
TEST(RemiseCommerciale, ANetOutOfRangeIsRefusedNotThrown) {
  const Fixed un = Fixed::FromInt(1);
  EXPECT_FALSE(R(1e14, 1e14, 0).Appliquer(Fixed::FromInt(200), Fixed::FromInt(100), un).has_value());
  EXPECT_FALSE(R(0, 0, 1e14).Appliquer(Fixed::FromInt(200), Fixed::FromInt(100), un).has_value());
  EXPECT_FALSE(R(0, 0, 1e10).Appliquer(Fixed::FromInt(200), Fixed::FromInt(100), F(1e9)).has_value());
  bool oui = true;
  pdx::Status s = ComparerRemises(kModeAchat, R(1e14, 1e14, 0), R(10, 0, 0), un, &oui);
  EXPECT_TRUE(s.IsInvalidArgument());
  EXPECT_FALSE(oui);
  EXPECT_NE(s.message().find("remise du siège hors limites"), std::string::npos) << s.message();
  s = ComparerRemises(kModeVente, R(10, 0, 0), R(0, 0, 1e14), un, &oui);
  EXPECT_NE(s.message().find("remise de l'agence hors limites"), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("CoefTarif 100000000000000"), std::string::npos) << s.message();
  EXPECT_FALSE(SiegeMeilleur(kModeVente, R(10, 0, 0), R(0, 0, 1e14), un));
  ASSERT_TRUE(ComparerRemises(kModeVente, R(10, 5, 0), R(0, 0, 0.9), un, &oui).ok());
  EXPECT_TRUE(oui);
  // A rate no fixed-point value holds is refused when read, in French.
  TRemiseCommerciale r;
  s = r.FixerTaux(1e300, 0, 0);
  EXPECT_NE(s.message().find("R1 hors limites"), std::string::npos) << s.message();
}

// Head office: purchase conditions of AL (a supplier-wide row, a client row),
// BO and the free-zone ZL, and one sales row of AL. Reference list: AL, BO, NR
// (no condition at head office), ZL ("zLibre ..."), ZZ ("Zlibre", capital Z:
// not free zone). Agency A1 (own directory) knows AL, BO, NR, ZL and LC.
Ligne Rem(int type, const std::string& f, const std::string& client, int tg, const std::string& g, double r1,
          double r2, double coef) {
  return {{"Type", I(type)}, {"Fournisseur", T(f)}, {"Client", T(client)}, {"TypeGroupe", I(tg)},
          {"Groupe", T(g)},  {"R1", N(r1)},         {"R2", N(r2)},         {"CoefTarif", N(coef)}};
}

Ligne Fns(const std::string& code, const std::string& nom) { return {{"Code", T(code)}, {"Nom", T(nom)}}; }

void Petite(Installation& inst) {
  inst.Table("Administration", "REMISES.DB",
             {Rem(2, "AL", "", 0, "", 10, 5, 0), Rem(2, "AL", "C1", 0, "", 20, 0, 0), Rem(2, "BO", "", 0, "", 0, 0, 0.8),
              Rem(2, "ZL", "", 0, "", 30, 0, 0), Rem(1, "AL", "", 0, "", 7, 0, 0)});
  inst.Table("Maj", "FOURNIS.DB",
             {Fns("AL", "Alu Ouest"), Fns("BO", "Bois et Cie"), Fns("NR", "Sans remises"), Fns("ZL", "zLibre atelier"),
              Fns("ZZ", "Zlibre majuscule")});
  inst.RepertoireAgence("Agences/A1");
  inst.Table("Agences/A1/Administration", "FOURNIS.DB",
             {Fns("AL", "Alu Ouest"), Fns("BO", "Bois et Cie"), Fns("NR", "Sans remises"), Fns("ZL", "zLibre atelier"),
              Fns("LC", "Local")});
  inst.Table("Agences/A1/Administration", "REMISES.DB",
             {Rem(2, "AL", "", 0, "", 0, 0, 0.9), Rem(2, "AL", "C9", 0, "", 50, 0, 0), Rem(2, "AL", "", 1, "G1", 12, 0, 0),
              Rem(2, "NR", "", 0, "", 5, 0, 0), Rem(2, "ZL", "", 0, "", 1, 0, 0), Rem(2, "LC", "", 0, "", 3, 0, 0),
              Rem(1, "AL", "", 0, "", 2, 0, 0)});
  inst.Agence("A1", "Agence Un", "Agences/A1", 0);
  inst.Agence("A2", "Agence Deux", "Agences/A1", 1);
}

// A row as "Type|Fournisseur|Client|TypeGroupe|Groupe|R1|R2|CoefTarif".
std::set<std::string> Rangs(Installation& inst, const std::string& relatif) {
  std::set<std::string> s;
  for (const auto& r : inst.Lire(relatif, "REMISES.DB")) {
    std::string t;
    for (size_t f = 0; f < 8; ++f) {
      if (f) t += "|";
      const pdx::Value& v = r[f];
      if (v.blank) continue;
      if (f == 0 || f == 3) t += std::to_string(v.i);
      else if (f >= 5) t += Fixed::FromDouble(v.d)->ToText();
      else t += v.text;
    }
    s.insert(t);
  }
  return s;
}

const std::string kEgal(70, '=');

TEST(TransfertConditions, WholeRealRunWithDefaultOptions) {
  Installation inst;
  Petite(inst);
  RecordingRunReport rep;
  OptionsRun o;
  o.simulation = false;
  TransfertConditions run(inst.app(), rep, o, LireOptionsConditions(inst.app(), kModeAchat));
  ResultatRun r = run.Lancer();
  ASSERT_EQ(r.fin, ResultatRun::Fin::kTerminee) << r.erreur;
  const std::string siege = *inst.app().session().Directory(kAliasAdministration);
  const std::string p = " => Agence  : Agence Un - ";
  std::vector<std::string> attendu = {
      "Lecture de la table remise - Nombre total de remises : 4",
      "Lecture de la table remise - Ajout du fournisseur en mémoire : AL",
      "Lecture de la table remise - Ajout du fournisseur en mémoire : BO",
      "Lecture de la table Fournisseur - Ajout du fournisseur en mémoire : NR => Sans remises",
      "Lecture de la table Fournisseur - Ajout du fournisseur en mémoire : ZZ => Zlibre majuscule",
      "Lecture de la table remise - Nombre de remises à copier : 2",
      "Lecture de la table remise - Nombre de fournisseur à copier : 4",
      "Lecture de la table Agence dans le répertoire : " + siege,
      "Lecture de l'agence : Agence Un dans le répertoire : Q:\\Agences\\A1",
      "Intégration des remises pour l'agence : Agence Un",
      p + "Le fournisseur n'existe pas : ZZ",
      p + "Remises supprimées : 3",
      p + "Remises conservées (Toutes) : 1",
      p + "Remises conservées (Client) : 1",
      p + "Remises ajoutées : 2",
      p + "Remises modifiées : 0",
      "Lecture de l'agence : Agence Deux dans le répertoire : Q:\\Agences\\A1",
      kEgal,
      "Fin de l'intégration des remises.",
      kEgal,
      ""};
  EXPECT_EQ(rep.messages, attendu);
  EXPECT_EQ(rep.errors,
            (std::vector<std::string>{" => Agence  : Agence Deux - Ne possède pas son propre répertoire Administration"}));
  EXPECT_EQ(rep.readingLabel, "Lecture de la table remise effectuée.");
  EXPECT_EQ(rep.rowPosition, 4);
  EXPECT_EQ(rep.rowMaximum, 4);
  EXPECT_EQ(Rangs(inst, "Agences/A1/Administration"),
            (std::set<std::string>{"1|AL||0||2|0|0", "2|AL||0||10|5|0", "2|AL|C9|0||50|0|0", "2|BO||0||0|0|0.8",
                                   "2|LC||0||3|0|0", "2|ZL||0||1|0|0"}));
  // Head office is untouched.
  EXPECT_EQ(inst.Lire("Administration", "REMISES.DB").size(), 5u);
  // The log files, beside the executable, hold the two lists.
  // Code page 1252, CR LF.
  std::string messages = testutil::ReadFile(inst.Hote("bin/copie_remises_achat_messages.log"));
  std::string tout;
  for (const auto& l : attendu) tout += l + "\n";
  EXPECT_EQ(Journal(messages), tout);
  const std::string erreurs = testutil::ReadFile(inst.Hote("bin/copie_remises_achat_erreurs.log"));
  EXPECT_EQ(erreurs, " => Agence  : Agence Deux - Ne poss\xE8" "de pas son propre r\xE9" "pertoire Administration\r\n");
  EXPECT_EQ(Journal(erreurs), " => Agence  : Agence Deux - Ne possède pas son propre répertoire Administration\n");
  EXPECT_EQ(run.RepertoireJournaux(), inst.Hote("bin/"));
}

TEST(TransfertConditions, SimulationCountsWithoutWritingThenRealRun) {
  Installation inst;
  Petite(inst);
  // The table is at its layout: a simulation changes no byte of the agency.
  auto avant = inst.Empreinte("Agences/A1/Administration");
  RecordingRunReport rep;
  TransfertConditions sim(inst.app(), rep, {}, LireOptionsConditions(inst.app(), kModeAchat));
  ASSERT_TRUE(sim.Lancer().ok());
  EXPECT_EQ(inst.Empreinte("Agences/A1/Administration"), avant);
  const std::string p = " => Agence  : Agence Un - ";
  auto compte = [&](const std::vector<std::string>& m) {
    std::vector<std::string> v;
    for (const auto& l : m)
      if (l.rfind(p + "Remises", 0) == 0) v.push_back(l.substr(p.size()));
    return v;
  };
  // Nothing deleted, so AL's supplier-wide row is found: head office's 171 is
  // not better than the agency's 90 in purchase mode; BO is added.
  EXPECT_EQ(compte(rep.messages),
            (std::vector<std::string>{"Remises supprimées : 3", "Remises conservées (Toutes) : 1",
                                      "Remises conservées (Client) : 1", "Remises ajoutées : 1",
                                      "Remises modifiées : 0"}));
  RecordingRunReport rep2;
  OptionsRun reel;
  reel.simulation = false;
  TransfertConditions run(inst.app(), rep2, reel, LireOptionsConditions(inst.app(), kModeAchat));
  ASSERT_TRUE(run.Lancer().ok());
  EXPECT_EQ(compte(rep2.messages),
            (std::vector<std::string>{"Remises supprimées : 3", "Remises conservées (Toutes) : 1",
                                      "Remises conservées (Client) : 1", "Remises ajoutées : 2",
                                      "Remises modifiées : 0"}));
  // Once done, a simulation finds every row equal: nothing to add or modify.
  RecordingRunReport rep3;
  TransfertConditions apres(inst.app(), rep3, {}, LireOptionsConditions(inst.app(), kModeAchat));
  ASSERT_TRUE(apres.Lancer().ok());
  EXPECT_EQ(compte(rep3.messages),
            (std::vector<std::string>{"Remises supprimées : 2", "Remises conservées (Toutes) : 1",
                                      "Remises conservées (Client) : 1", "Remises ajoutées : 0",
                                      "Remises modifiées : 0"}));
}

TEST(TransfertConditions, ASimulationCountsEvenWhileTheAgencyTableIsBeingWritten) {
  Installation inst;
  Petite(inst);
  auto avant = inst.Empreinte("Agences/A1/Administration");
  // Another program holds the agency's table for writing: a simulation only
  // reads it, so it still counts; a real run is refused on it.
  std::unique_ptr<pdx::TableWriter> autre;
  ASSERT_TRUE(pdx::TableWriter::Open(pdx::Env::Default(), inst.Hote("Agences/A1/Administration"), "REMISES.DB", {},
                                     &autre)
                  .ok());
  RecordingRunReport rep;
  TransfertConditions sim(inst.app(), rep, {}, LireOptionsConditions(inst.app(), kModeAchat));
  ResultatRun r = sim.Lancer();
  ASSERT_TRUE(r.ok()) << r.erreur;
  EXPECT_NE(std::find(rep.messages.begin(), rep.messages.end(), " => Agence  : Agence Un - Remises ajoutées : 1"),
            rep.messages.end());
  EXPECT_EQ(inst.Empreinte("Agences/A1/Administration"), avant);
  OptionsRun reel;
  reel.simulation = false;
  TransfertConditions run(inst.app(), rep, reel, LireOptionsConditions(inst.app(), kModeAchat));
  r = run.Lancer();
  EXPECT_EQ(r.fin, ResultatRun::Fin::kErreur);
  EXPECT_NE(r.erreur.find("REMISES.DB"), std::string::npos) << r.erreur;
  autre.reset();
  EXPECT_EQ(inst.Empreinte("Agences/A1/Administration"), avant);
}

TEST(TransfertConditions, WholeSimulationWithDetails) {
  Installation inst;
  Petite(inst);
  OptionsConditions o;
  o.details = true;
  o.ajoutFournisseurs = false;
  RecordingRunReport rep;
  TransfertConditions run(inst.app(), rep, {}, o);
  ASSERT_TRUE(run.Lancer().ok());
  const std::string siege = *inst.app().session().Directory(kAliasAdministration);
  const std::string p = " => Agence  : Agence Un - ";
  // Details of what is read; none of what a simulation would add or modify.
  std::vector<std::string> attendu = {
      "Lecture de la table remise - Nombre total de remises : 4",
      "Lecture de la table remise - Ajout de la remise  en mémoire : 2, AL, , 0, , 10, 5, 0",
      "Lecture de la table remise - Ajout du fournisseur en mémoire : AL",
      "Lecture de la table remise - Ajout de la remise  en mémoire : 2, BO, , 0, , 0, 0, 0.8",
      "Lecture de la table remise - Ajout du fournisseur en mémoire : BO",
      "Lecture de la table remise - Nombre de remises à copier : 2",
      "Lecture de la table remise - Nombre de fournisseur à copier : 2",
      "Lecture de la table Agence dans le répertoire : " + siege,
      "Lecture de l'agence : Agence Un dans le répertoire : Q:\\Agences\\A1",
      "Intégration des remises pour l'agence : Agence Un",
      p + "Remises supprimées : 2",
      p + "Remises conservées (Toutes) : 1",
      p + "Remises conservées (Client) : 1",
      p + "Remises ajoutées : 1",
      p + "Remises modifiées : 0",
      "Lecture de l'agence : Agence Deux dans le répertoire : Q:\\Agences\\A1",
      kEgal,
      "Fin de l'intégration des remises.",
      kEgal,
      ""};
  EXPECT_EQ(rep.messages, attendu);
  EXPECT_EQ(Rangs(inst, "Agences/A1/Administration").size(), 7u);
  EXPECT_EQ(testutil::ReadFile(inst.Hote("bin/copie_remises_achat_messages.log")).substr(0, 58),
            "Lecture de la table remise - Nombre total de remises : 4\r\n");
}

TEST(TransfertConditions, BetterConditionRuleWithoutDeletionInBothModes) {
  Installation inst;
  Petite(inst);
  // Sales: head office 10 % + 5 % (171) against the agency's coefficient 0.9 (90).
  inst.Table("Administration", "REMISES.DB",
             {Rem(2, "AL", "", 0, "", 10, 5, 0), Rem(1, "AL", "", 0, "", 10, 5, 0), Rem(1, "BO", "", 0, "", 10, 0, 1)});
  inst.Table("Agences/A1/Administration", "REMISES.DB",
             {Rem(2, "AL", "", 0, "", 0, 0, 0.9), Rem(1, "AL", "", 0, "", 0, 0, 0.9), Rem(1, "BO", "", 0, "", 0, 0, 0.9)});
  OptionsConditions o;
  o.suppression = false;
  o.details = true;
  OptionsRun reel;
  reel.simulation = false;
  {
    RecordingRunReport rep;
    o.mode = kModeAchat;
    TransfertConditions run(inst.app(), rep, reel, o);
    ASSERT_TRUE(run.Lancer().ok());
    EXPECT_NE(std::find(rep.messages.begin(), rep.messages.end(), " => Agence  : Agence Un - Remises modifiées : 0"),
              rep.messages.end());
  }
  {
    RecordingRunReport rep;
    o.mode = kModeVente;
    TransfertConditions run(inst.app(), rep, reel, o);
    ASSERT_TRUE(run.Lancer().ok());
    // BO: 180 (10 %) against 90: better in sales mode too.
    std::vector<std::string> detail = {
        "Lecture de la table remise - Nombre total de remises : 2",
        "Lecture de la table remise - Ajout de la remise  en mémoire : 1, AL, , 0, , 10, 5, 0",
        "Lecture de la table remise - Ajout du fournisseur en mémoire : AL",
        "Lecture de la table remise - Ajout de la remise  en mémoire : 1, BO, , 0, , 10, 0, 1",
        "Lecture de la table remise - Ajout du fournisseur en mémoire : BO"};
    EXPECT_EQ(std::vector<std::string>(rep.messages.begin(), rep.messages.begin() + 5), detail);
    EXPECT_NE(std::find(rep.messages.begin(), rep.messages.end(),
                        " => Agence  : Agence Un - Remise modifiée : 1, AL, , 0, , 10, 5, 0"),
              rep.messages.end());
    EXPECT_NE(std::find(rep.messages.begin(), rep.messages.end(), " => Agence  : Agence Un - Remises modifiées : 2"),
              rep.messages.end());
  }
  EXPECT_EQ(Rangs(inst, "Agences/A1/Administration"),
            (std::set<std::string>{"1|AL||0||10|5|0", "1|BO||0||10|0|1", "2|AL||0||0|0|0.9"}));
  // "On écrase la remise": replaced whatever the rule says.
  RecordingRunReport rep;
  o.mode = kModeAchat;
  o.ecraser = true;
  TransfertConditions run(inst.app(), rep, reel, o);
  ASSERT_TRUE(run.Lancer().ok());
  EXPECT_EQ(Rangs(inst, "Agences/A1/Administration"),
            (std::set<std::string>{"1|AL||0||10|5|0", "1|BO||0||10|0|1", "2|AL||0||10|5|0"}));
}

TEST(TransfertConditions, ParticularConditionsAndFreeZoneOptions) {
  Installation inst;
  Petite(inst);
  OptionsConditions o;
  o.conditionsParticulieres = true;
  o.zoneLibre = true;
  o.ajoutFournisseurs = false;
  RecordingRunReport rep;
  OptionsRun reel;
  reel.simulation = false;
  TransfertConditions run(inst.app(), rep, reel, o);
  ASSERT_TRUE(run.Lancer().ok());
  EXPECT_EQ(rep.messages[0], "Lecture de la table remise - Nombre total de remises : 4");
  EXPECT_NE(std::find(rep.messages.begin(), rep.messages.end(),
                      "Lecture de la table remise - Nombre de remises à copier : 4"),
            rep.messages.end());
  // Every AL row of the mode goes (the client row too), ZL's is replaced, NR
  // and LC stay.
  EXPECT_EQ(Rangs(inst, "Agences/A1/Administration"),
            (std::set<std::string>{"1|AL||0||2|0|0", "2|AL||0||10|5|0", "2|AL|C1|0||20|0|0", "2|BO||0||0|0|0.8",
                                   "2|LC||0||3|0|0", "2|NR||0||5|0|0", "2|ZL||0||30|0|0"}));
}

TEST(TransfertConditions, OptionsComeFromCorvanesIniOfTheMode) {
  Installation inst;
  Petite(inst);
  OptionsConditions d = LireOptionsConditions(inst.app(), kModeVente);
  EXPECT_TRUE(d.suppression);
  EXPECT_TRUE(d.ajoutFournisseurs);
  EXPECT_FALSE(d.zoneLibre);
  EXPECT_FALSE(d.details);
  EXPECT_EQ(d.mode, kModeVente);
  IniFile ini;
  ini.WriteBool("TransfertRemiseVente", "SuppressionRemisesAgence", false);
  ini.WriteBool("TransfertRemiseVente", "AfficherInfosDetaillees", true);
  ini.WriteBool("TransfertRemiseAchat", "InclureFournisseursZoneLibre", true);
  ASSERT_TRUE(ini.Save(pdx::Env::Default(), inst.Hote("Administration/Corvanes.ini")).ok());
  OptionsConditions v = LireOptionsConditions(inst.app(), kModeVente);
  EXPECT_FALSE(v.suppression);
  EXPECT_TRUE(v.details);
  EXPECT_FALSE(v.zoneLibre);
  OptionsConditions a = LireOptionsConditions(inst.app(), kModeAchat);
  EXPECT_TRUE(a.suppression);
  EXPECT_TRUE(a.zoneLibre);
}

TEST(TransfertConditions, LogFilesGoBesideQvrbdeIniWhenTheExecutableDirectoryCannotBeWritten) {
  Installation inst;
  Petite(inst);
  inst.app();
  ASSERT_TRUE(std::filesystem::remove(inst.Hote("bin")));
  RecordingRunReport rep;
  OptionsRun o;
  o.fichierIniBde = inst.Ini();
  TransfertConditions run(inst.app(), rep, o, OptionsConditions{});
  ASSERT_TRUE(run.Lancer().ok());
  std::string ligne = "Les fichiers journaux sont écrits dans le répertoire : " + inst.dir() + "/";
  EXPECT_EQ(rep.messages.back(), ligne);
  std::string fichier = Journal(testutil::ReadFile(inst.Hote("copie_remises_achat_messages.log")));
  EXPECT_NE(fichier.find(ligne + "\n"), std::string::npos);
  EXPECT_EQ(run.RepertoireJournaux(), inst.dir() + "/");
}

TEST(TransfertConditions, AnErrorWritesNoLogFile) {
  Installation inst;
  Petite(inst);
  inst.RepertoireAgence("Agences/A3");  // no "REMISES.DB" there: cannot be opened
  inst.Agence("A3", "Agence Trois", "Agences/A3", 0);
  RecordingRunReport rep;
  TransfertConditions run(inst.app(), rep, {}, OptionsConditions{});
  ResultatRun r = run.Lancer();
  EXPECT_EQ(r.fin, ResultatRun::Fin::kErreur);
  EXPECT_NE(r.erreur.find("Agence Trois (A3)"), std::string::npos) << r.erreur;
  EXPECT_FALSE(pdx::Env::Default()->FileExists(inst.Hote("bin/copie_remises_achat_messages.log")));
  EXPECT_EQ(rep.messages.back(), "");
}

}  // namespace
}  // namespace corv
