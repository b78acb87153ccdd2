#pragma once
// What the messaging and documents transfers share: head office publishes the
// rows it wrote (origin 0, sent as 1) and those of origin 5; in each agency the
// rows an earlier run published (origin 1 or 5) are replaced by the new ones,
// while the rows the agency wrote itself (origin 0, or any other code) stay.
// A real run changes each agency table in one engine commit.
#include <functional>
#include <string>
#include <vector>

#include "data/memtable.h"
#include "transfer/lignes_memoire.h"
#include "transfer/squelette.h"

namespace corv {

class TransfertPublication : public TransfertAgences {
 public:
  using TransfertAgences::TransfertAgences;

 protected:
  // Texts of a reading: "Lecture de la table Messagerie", then
  // lecture + " - " + total + " : " + count, lecture + " - " + aCopier + " : " +
  // count, and the label lecture + " effectuée.".
  struct TextesLecture {
    std::string lecture, total, aCopier;
  };
  // Per-agency lines, each after " => Agence  : NAME - ".
  struct TextesAgence {
    std::string supprimes;  // + count
    std::string nettoyee;
    std::string ajoutes;    // + count
  };

  // Reads head office's table of the component into m (origin 0 or 5 kept, 0
  // written as 1) and sorts it on tri.
  pdx::Status LirePubliees(const std::string& composant, MemTable* m, const std::vector<Renommage>& renommes,
                           const TextesLecture& textes, const std::string& tri);
  // In the agency: deletes the published rows of the component's table and
  // appends m's rows. apresAjout (optional) runs after each row appended (in a
  // simulation too; it must not write then).
  pdx::Status RemplacerPubliees(const std::string& composant, const AgenceTransfert& a, const MemTable& m,
                                const std::vector<Renommage>& renommes, const TextesAgence& textes,
                                const std::function<pdx::Status(size_t)>& apresAjout = nullptr);
};

}  // namespace corv
