#pragma once
// Small installations for the statistics tests, written document by document:
// head office's "Agence.DB" and "FOURNIS.DB", and per agency its "PIECE.DB" and
// "LIGNE.DB" (every field left out of a row stays blank).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/test_util.h"
#include "util/session.h"
#include "util/winpath.h"

namespace statstest {

struct Piece {
  std::string dossier;
  std::optional<int> type, num, ordre, etat;
  std::optional<double> date;
  std::optional<double> totalVente;
  std::string fournisseur;
};

struct Ligne {
  std::string dossier;
  std::optional<int> base, numero, type, quantite;
  std::optional<double> vente, achat, prixNet;
  std::string fournisseur;
  std::string xml;
};

struct AgenceTest {
  std::string code, nom;
  bool repertoire = true;  // false: "Repertoire" names a directory that does not exist
  bool piece = true, ligne = true;
  std::vector<Piece> pieces;
  std::vector<Ligne> lignes;
};

class Installation {
 public:
  Installation();
  // Writes head office's tables and every agency's. Fails the test on error.
  void Ecrire(const std::vector<AgenceTest>& agences,
              const std::vector<std::pair<std::string, std::string>>& fournisseurs = {});
  // Host directory of an agency's "Dossiers".
  std::string Dossiers(const std::string& code) const { return tmp_.path() + "/Agences/" + code + "/Dossiers"; }
  const std::string& dir() const { return tmp_.path(); }

  corv::Session session;
  corv::HostPaths host;

 private:
  testutil::TempDir tmp_;
};

}  // namespace statstest
