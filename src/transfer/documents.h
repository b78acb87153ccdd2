#pragma once
// Document transfer: head office's document types and documents are published
// to every eligible agency ("MesDocsType.DB", then "MesDocs.DB"), and the file
// of each document kept in head office's "Documents\Interne\" is copied into
// the agency's "Documents\Externe\" (never over an existing file). The running
// log is listDocuments (the run report's message list).
//
// A link that would leave the documents directory (a path separator, "..", a
// drive or share prefix) is never followed: its row is published, its file is
// not copied, and the error list names the document once, at the reading.
#include <string>
#include <vector>

#include "data/memtable.h"
#include "transfer/publication.h"

namespace corv {

class TransfertDocuments : public TransfertPublication {
 public:
  TransfertDocuments(Application& app, RunReport& report, OptionsRun options);

 protected:
  SorteTransfert Sorte() const override { return SorteTransfert::kDocuments; }
  pdx::Status Lecture() override;
  std::string TexteIntegration() const override { return "Intégration des documents pour l'agence : "; }
  pdx::Status TraiterAgence(const AgenceTransfert& a) override;
  std::string TexteFin() const override { return "Fin de l'intégration des documents."; }

 private:
  // Creates the agency's "Documents\" directory and its three subdirectories
  // when missing (a simulation too).
  pdx::Status CreerRepertoires(const AgenceTransfert& a);
  pdx::Status CopierFichier(const AgenceTransfert& a, size_t ligne, const std::string& repExterne);

  MemTable rxmdMesDocsType_;
  MemTable rxmdMesDocs_;
  std::string interneSiege_;         // head office's "Documents\Interne\" (host path)
  std::vector<bool> lienRefuse_;     // per rxmdMesDocs row
};

}  // namespace corv
