#pragma once
// A statistics run over every agency: the agencies of "Agence.DB" in "Code"
// order, each one's documents and lines read from its own "Dossiers" directory,
// the figures gathered per agency and, for the supplier list, regrouped by
// supplier.
//
// Contract:
//  - The run works on its own copy of the program's session and on data
//    modules of its own: the program's named databases are never re-pointed.
//  - An agency whose "Repertoire" is not an existing directory gets no row; a
//    missing "PIECE.DB" (or "LIGNE.DB" for the purchase figures) gives a row of
//    zeros; a table that cannot be opened is reported through the dialogs
//    ("Impossible d'ouvrir la table : ...") and gives zeros.
//  - With parallele > 1, that many agencies are read at once, each by a worker
//    with its own tables; the rows, their order, the figures and the messages
//    (shown in agency order, from the caller's thread) are those of a run one
//    agency after another.
//  - Progress goes to the run report from the caller's thread: the agency label
//    and "agency k of n" after each agency; a stop request is honoured between
//    agencies (the result is then marked interrupted). Lines the run could not
//    count (an unreadable memo, a table failing mid-scan) go to its error list.
//  - Returns an error only when "Agence.DB" cannot be read (after the message).
#include "data/application.h"
#include "stats/resultat.h"
#include "util/run_report.h"

namespace corv {

// Agencies read at once unless told otherwise. Over a network share each
// agency's reading mostly waits for the server (its opens, listings and
// reads each a round trip): four agencies keep four requests in flight where
// one would leave the link idle between them; on a local disk the processors
// bound it anyway. Each worker holds one dossier at a time and its read
// windows (256 KiB on a local disk, 8 MiB on a share): a few tens of
// megabytes at most, whatever the number of agencies.
inline constexpr int kAgencesLuesEnParallele = 4;

struct OptionsStatistiques {
  Calcul calcul = Calcul::kAgences;
  Periode periode;
  int parallele = kAgencesLuesEnParallele;  // agencies read at once
};

pdx::Status CollecterStatistiques(const Session& session, HostPaths& host, Dialogs& dialogs, RunReport& report,
                                  const OptionsStatistiques& options, ResultatStatistiques* resultat);

// The same on the program's objects.
inline pdx::Status CollecterStatistiques(Application& app, RunReport& report, const OptionsStatistiques& options,
                                         ResultatStatistiques* resultat) {
  return CollecterStatistiques(app.session(), app.host(), app.dialogs(), report, options, resultat);
}

}  // namespace corv
