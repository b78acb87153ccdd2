#pragma once
// The statistics computed the slow way, word for word as the program's
// algorithm goes: a walk of "PIECE.DB" to find the incomplete dossiers, a second
// walk counting each document, range searches on "Dossier;Type" for the supplier
// orders and attached documents, and on "Dossier;Base" for the lines and their
// sub-lines, through the data module's components and the database routines.
// The fast collection must give exactly the same figures.
#include "stats/resultat.h"
#include "util/dialogs.h"
#include "util/session.h"
#include "util/winpath.h"

namespace statstest {

void CalculLitteral(const corv::Session& session, corv::HostPaths& host, corv::Dialogs& dialogs, corv::Calcul calcul,
                    const corv::Periode& periode, corv::ResultatStatistiques* r);

// Every figure of both results equal (agencies, their supplier maps, suppliers
// and their agency maps, total); the first difference is reported.
::testing::AssertionResult MemesChiffres(const corv::ResultatStatistiques& a, const corv::ResultatStatistiques& b);

}  // namespace statstest
