#pragma once
// Reads an .xlsx workbook back for the tests, independently of the library
// that wrote it: the zip archive through zlib's inflate, the sheets, shared
// strings and styles through pugixml. Only what the tests look at is kept.
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testutil {

// Every member of a zip archive, by name; false (and *erreur) when the file
// is not a readable zip archive.
bool LireZip(const std::string& path, std::map<std::string, std::string>* membres, std::string* erreur);

struct CelluleLue {
  bool nombre = false;  // a numeric cell ("n"); otherwise a text
  double valeur = 0;
  std::string texte;
  std::string format;  // the number format's code ("General" when none)
  bool gras = false;
};

struct FeuilleLue {
  std::string nom;
  // By (row, column), both from 0.
  std::map<std::pair<int, int>, CelluleLue> cellules;
  int lignesFigees = 0, colonnesFigees = 0;  // the frozen pane's split
  std::map<int, double> largeurs;           // column (from 0) -> width
  int derniereLigne = -1;                   // of the cells present

  const CelluleLue* Cellule(int ligne, int colonne) const {
    auto it = cellules.find({ligne, colonne});
    return it == cellules.end() ? nullptr : &it->second;
  }
};

// The sheets in workbook order; false (and *erreur) on any fault.
bool LireClasseur(const std::string& path, std::vector<FeuilleLue>* feuilles, std::string* erreur);

}  // namespace testutil
