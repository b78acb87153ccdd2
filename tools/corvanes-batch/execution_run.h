#pragma once
// What every run command of corvanes-batch shares (the transfers and the client
// clean-up): the run's options from the command line, and the run driven to its
// end on the console.
#include <memory>
#include <string>

#include "commandes.h"
#include "console.h"
#include "transfer/preparation_run.h"
#include "transfer/squelette.h"

namespace corv::batch {

// The options of a run: a simulation unless reel; a real run saves every table
// before changing it (the backups "corvanes-batch restauration" lists). The
// windows prepare their runs the same way.
PreparationRun PreparerRun(const Contexte& ctx, Application& app, bool reel);

// Runs to the end, the lines going to the console as they are logged. Exit
// code: kTermine when the run completed (error-list lines included), kEchec
// when it ended on an error or was refused (the reason on standard error).
// The run's journal is named last on standard output ("Journal du traitement :
// PATH"), or, when it could not be written, why on standard error.
int ExecuterRun(TransfertAgences& run, ConsoleRunReport& console);

}  // namespace corv::batch
