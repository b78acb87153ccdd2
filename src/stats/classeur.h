#pragma once
// The export of a statistics list as an Excel workbook (.xlsx), beside the
// semicolon-separated text of export.h.
//
// Sheet one, named after the list's tab: the period (dates as dates), an empty
// row, the header (bold, frozen with the first column), the rows in display
// order, "TOTAL" last and bold. Sheet two, with details, named after the detail
// list: the main caption, the detail caption and the detail cells of every row.
// Cells hold what the list shows, as numbers: counts as integers, amounts and
// ratios with two decimals and thousands grouped (a French Excel shows
// "1 234,50"), a ratio the list shows as "0" as the integer 0; any other text
// stays text. Columns are as wide as their texts; long headers wrap.
//
// Written under a temporary name in the target's directory and renamed over it,
// as the text export: an old file stays whole until the new one is complete.
#include <functional>
#include <string>

#include "paradox/env.h"
#include "paradox/status.h"
#include "stats/lignes.h"

namespace corv {

inline constexpr const char* kExtensionClasseur = ".xlsx";
// Shown when the program was built without the workbook library.
inline constexpr const char* kClasseurNonDisponible =
    "L'export en classeur Excel (.xlsx) est non disponible dans cette version du programme.";

// False when the program was built without the workbook library.
bool ClasseurDisponible();
// The file name ends with ".xlsx", in any case.
bool EstNomClasseur(const std::string& nom);
// The chosen name with ".xlsx" appended unless it already ends so.
std::string NomFichierClasseur(const std::string& choisi);
// The sheet names: the main list's tab caption with its "/" made "-" (a sheet
// name cannot hold it), and the detail list's caption.
std::string NomFeuille(Calcul calcul);
std::string NomFeuilleDetail(Calcul calcul);

// Writes the list (with its details when asked and the list has some) to path
// (host form). progres(k, n) after each main row. Failures name the file.
pdx::Status EcrireClasseur(pdx::Env* env, const std::string& path, const ListeStat& liste, bool details,
                           const std::function<void(int, int)>& progres = nullptr);

}  // namespace corv
