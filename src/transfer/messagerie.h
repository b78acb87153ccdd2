#pragma once
// Messaging transfer: head office's message types and messages are published to
// every eligible agency ("MessageType.DB", then "Message.DB"), replacing the
// copies an earlier run left there and keeping the agency's own messages.
#include "data/memtable.h"
#include "transfer/publication.h"

namespace corv {

class TransfertMessagerie : public TransfertPublication {
 public:
  TransfertMessagerie(Application& app, RunReport& report, OptionsRun options);

 protected:
  SorteTransfert Sorte() const override { return SorteTransfert::kMessagerie; }
  pdx::Status Lecture() override;
  std::string TexteIntegration() const override { return "Intégration des messages pour l'agence : "; }
  pdx::Status TraiterAgence(const AgenceTransfert& a) override;
  std::string TexteFin() const override { return "Fin de l'intégration des messages."; }

 private:
  MemTable rxmdMessageType_;
  MemTable rxmdMessage_;
};

}  // namespace corv
