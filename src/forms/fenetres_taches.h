#pragma once
// The task windows the main menu opens, created by class name. A window not yet
// built opens as an empty window with its caption.
#include <QDialog>
#include <memory>
#include <string>

namespace corv {

class Application;

// Known names: "TFicheCopieRemiseAchatVersAgence" (mode 2 purchase, 1 sales),
// "TFicheCopiePersoVersAgence", "TFicheCopieMessagerieVersAgence",
// "TFicheCopieDocumentVersAgence", "TFicheNettoyageClients",
// "TFicheStatistiqueAgence". Null for an unknown name.
std::unique_ptr<QDialog> CreerFenetreTache(const std::string& classe, Application& app, QWidget* owner, int mode = 0);

// The caption a task window shows (the mode's for the conditions transfer).
std::string LibelleFenetreTache(const std::string& classe, int mode = 0);

}  // namespace corv
