#pragma once
// The run journals, text for people to read: code page 1252 and CR LF, as the
// agencies' Windows tools expect, written aside and renamed so that a reader
// never sees half a file. (The conditions transfer's two logs refuse a line
// the code page cannot hold instead; a journal must keep every line.)
//
// A run journal ("Journaux" beside "qvrbde.ini", one file per run named
// "AAAA-MM-JJ_HH-MM-SS_<kind>.log") holds the kind, simulation or real, start
// and end time, the options, the result, then the message and error lists. The
// kJournauxConserves newest are kept. Text the code page cannot hold is
// written as markers (Utf8ToCp1252Marked) and a last line says how many.
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "paradox/env.h"
#include "paradox/status.h"

namespace corv {

// Lines -> code page 1252 bytes, each line ended by CR LF (a line holding line
// breaks is split at them). *remplaces counts the markers written.
std::string TexteCp1252CrLf(const std::vector<std::string>& lignes, int* remplaces = nullptr);
// Writes the lines so to `chemin` (a temporary file beside it, then renamed).
pdx::Status EcrireFichierTexte(pdx::Env* env, const std::string& chemin, const std::vector<std::string>& lignes,
                               int* remplaces = nullptr);

inline constexpr const char* kRepertoireJournaux = "Journaux";
inline constexpr int kJournauxConserves = 100;

// The journals' directory beside a configuration file given by its host path.
std::string RepertoireJournaux(const std::string& fichierIniHote);

struct JournalRun {
  std::string sorte;    // the kind, in the file name ("conditions-achat", "restauration")
  std::string libelle;  // what it is, in French ("Conditions d'achat")
  bool simulation = false;
  std::chrono::system_clock::time_point debut, fin;
  std::vector<std::pair<std::string, std::string>> options;  // (caption, value), in order
  std::string resultat;  // "Terminé", "Erreur : ..."
  std::vector<std::string> messages, erreurs;
};

// The journal's lines (UTF-8), as written.
std::vector<std::string> LignesJournal(const JournalRun& j);

// Writes the journal into dir (created when missing) and keeps the
// kJournauxConserves newest journals there (other files are left alone).
// *chemin: the file written. An error names the file.
pdx::Status EcrireJournalRun(pdx::Env* env, const std::string& dir, const JournalRun& j, std::string* chemin);

// Where a run's journal went, for the front ends: the file, or why none was
// written (the run's result does not depend on it).
struct JournalEcrit {
  std::string chemin;
  std::string erreur;
};
// The front ends' French line about it: "Journal du traitement : PATH" or
// "Journal du traitement non écrit : REASON".
std::string LigneJournal(const JournalEcrit& j);

}  // namespace corv
