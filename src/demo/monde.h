#pragma once
// The demo installation as a plain model, drawn once from the seed before any
// file is written: head office's customers and suppliers, the product families
// each supplier offers, and the agencies with what each one is meant to show.
// Every table writer reads this model, so the tables agree with one another
// (dossier customers exist at head office, line suppliers are the agency's, ...).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "demo/alea.h"

namespace corv::demo {

struct Options {
  std::string repertoire;  // host directory of the installation (created when missing)
  int agences = 5;
  int dossiers = 200;      // per agency with its own dossiers
  uint64_t graine = 1;
  double jour = 0;         // reference date (day number); 0 = today
};

struct ClientDemo {
  std::string code, nom, prenom, rue, tel, portable, mail;
  int ville = 0;
  bool professionnel = false;
};

struct FournisseurDemo {
  std::string code, nom, rue, tel, fax, mail;
  int ville = 0;
  bool zoneLibre = false;    // its reference name starts with "zLibre"
  bool sansRemises = false;  // head office keeps no condition for it
};

struct ModeleDemo {
  std::string code, nom;
};

struct FamilleDemo {
  int groupe = 1;
  std::string code, nom, observation;
  int ordre = 0;
  double prix = 0;  // typical list price of one product
  std::vector<ModeleDemo> modeles;
};

// What one supplier sells: families (indexes into Monde::familles) with models.
struct Offre {
  int famille = 0;
  std::vector<int> modeles;
};

enum class SorteAgence {
  kPropre,    // its own installation: Administration and Dossiers
  kPartagee,  // works in head office's Administration (Flag bit 0), own Dossiers
  kAbsente,   // its Repertoire names a directory that does not exist
};

struct AgenceDemo {
  std::string code, nom, repertoire;  // Repertoire in Windows form
  int ville = 0;
  SorteAgence sorte = SorteAgence::kPropre;
  int variante = 0;  // which older layouts its tables keep (0 = none)
  int flag = 0;
  std::vector<int> fournisseurs;  // indexes into Monde::fournisseurs
};

struct Monde {
  double jour = 0;
  std::string prefixe = "Q:";  // Windows prefix of the installation
  std::vector<ClientDemo> clients;
  std::vector<FournisseurDemo> fournisseurs;
  std::vector<FamilleDemo> familles;
  std::map<std::string, std::vector<Offre>> offres;  // by supplier code
  std::vector<AgenceDemo> agences;
  int optionFamille = -1;  // the family of options carried by sub-lines
};

Monde ConstruireMonde(const Options& o, Alea a);

// Windows form of a directory of the installation ("Q:\Agences\LYO01").
std::string CheminWindows(const Monde& m, const std::string& relatif);

}  // namespace corv::demo
