#pragma once
// Shared state of the writers of one installation (internal to the generator).
#include <string>

#include "demo/alea.h"
#include "demo/generateur.h"
#include "demo/monde.h"
#include "demo/table_demo.h"
#include "paradox/env.h"
#include "paradox/status.h"

namespace corv::demo {

struct Ecrivain {
  pdx::Env* env = nullptr;
  const Monde* monde = nullptr;
  std::string racine;  // host directory of the installation
  uint64_t graine = 1;
  Bilan* bilan = nullptr;

  // Host path of a directory given relative to the installation, with '/'.
  std::string Hote(const std::string& relatif) const { return relatif.empty() ? racine : racine + "/" + relatif; }
  // A generator for one named part, independent of the others.
  Alea AleaPour(const std::string& partie) const {
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : partie) h = (h ^ c) * 1099511628211ULL;
    return Alea(graine).Branche(h);
  }
  // Creates a directory and its parents below the root.
  pdx::Status Repertoire(const std::string& relatif) const;
};

// Returns a failed status at once. The variable is named per use, so that uses
// nested in a lambda given to another use do not shadow one another.
#define DEMO_CAT2(a, b) a##b
#define DEMO_CAT(a, b) DEMO_CAT2(a, b)
#define DEMO_ESSAI_N(expr, v) \
  do {                        \
    ::pdx::Status v = (expr); \
    if (!v.ok()) return v;    \
  } while (0)
#define DEMO_ESSAI(expr) DEMO_ESSAI_N(expr, DEMO_CAT(demo_statut_, __COUNTER__))

// Head office's Administration.
pdx::Status EcrireSiege(Ecrivain& e);
// The files beside the tables: "qvrbde.ini", "Corvanes.ini", "import.ini", "General".
pdx::Status EcrireFichiers(Ecrivain& e);
// The price catalogue and the reference supplier list.
pdx::Status EcrireTarifs(Ecrivain& e);
pdx::Status EcrireMaj(Ecrivain& e);
// One agency's own Administration.
pdx::Status EcrireAdministrationAgence(Ecrivain& e, const AgenceDemo& g, const std::string& relatif);
// Dossier tables of a directory; n dossiers (head office: 0).
pdx::Status EcrireDossiers(Ecrivain& e, const AgenceDemo* g, const std::string& relatif, int n, BilanAgence* b);
// Every dictionary table of a named database not yet in the directory, empty.
pdx::Status CompleterVides(Ecrivain& e, const char* alias, const std::string& relatif);

// Head office's document files, as named in its "MesDocs.DB"; the last one is
// not written (a document whose file is missing).
extern const char* const kDocuments[];
extern const int kNombreDocuments;

// Shared row makers.
void RemplirFournisseur(TableDemo::Ligne& l, const FournisseurDemo& f);
void RemplirClient(TableDemo::Ligne& l, const ClientDemo& c);

}  // namespace corv::demo
