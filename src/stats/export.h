#pragma once
// The export of a statistics list to a semicolon-separated text file, as the
// window's "Exporter" buttons and the command line's --csv write it.
//
// File: code page 1252, CR LF line ends, cell texts exactly as the list shows
// them (a non-breaking space is byte 0xA0). Header: the main list's first
// caption, with details the detail list's first caption, then the other main
// captions, each followed by ";". A main row: caption, with details one empty
// field, then its cells, each followed by ";". With details, after each row
// other than "TOTAL", its detail rows as the detail list shows them: an empty
// first field, then caption and cells, each followed by ";".
//
// The file is written beside its final name under a temporary name and renamed
// over it: the old file stays whole until the new one is complete.
#include <functional>
#include <string>

#include "paradox/env.h"
#include "paradox/status.h"
#include "stats/lignes.h"
#include "util/dialogs.h"

namespace corv {

// The chooser's filters: text file, workbook (when the program has it), any file.
inline constexpr const char* kFiltreExport =
    "Fichier csv (*.csv)|*.CSV|Classeur Excel (*.xlsx)|*.xlsx|Tout les fichiers (*.*)|*.*";
inline constexpr const char* kFiltreExportTexte = "Fichier csv (*.csv)|*.CSV|Tout les fichiers (*.*)|*.*";
inline constexpr const char* kMessageErreurExport = "Erreur lors de l'export des datas !";

// The whole text (UTF-8, "\n" line ends). progres(k, n) after each main row.
std::string TexteExport(const ListeStat& liste, bool details,
                        const std::function<void(int, int)>& progres = nullptr);
// The chosen name with ".csv" appended unless the fourth character from the end
// of its file name is "." (any three-letter extension is kept).
std::string NomFichierExport(const std::string& choisi);
// Writes text (UTF-8, "\n") to path (host form) in code page 1252 with CR LF,
// through a temporary file beside it renamed over it. A character the code page
// cannot hold fails (InvalidArgument naming it) before anything is written.
pdx::Status EcrireFichierExport(pdx::Env* env, const std::string& path, const std::string& texte);
// The question of the purchase and supplier tabs before their export.
std::string QuestionDetail(Calcul calcul);
// The chooser's starting directory: the user's desktop.
std::string RepertoireExportInitial();

enum class IssueExport {
  kRien,    // nothing to export, or the user cancelled or refused to replace
  kFait,    // written: the window shows its done mark
  kErreur,  // failed; the message was shown and any old file is as it was
};

// The export routine of the window: chooser, name rule, confirmation before
// replacing a file, text, writing, messages through the dialogs. A chosen name
// ending in ".xlsx" gets a workbook (classeur.h), any other the text file.
// progres(0, n) first, then after each main row.
IssueExport ExporterListe(pdx::Env* env, Dialogs& dialogs, const ListeStat& liste, bool details,
                          const std::function<void(int, int)>& progres = nullptr);

}  // namespace corv
