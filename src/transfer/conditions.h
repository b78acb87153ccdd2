#pragma once
// The purchase and sales conditions transfer: head office's "REMISES.DB" rows
// of one Type (2 purchase, 1 sales) pushed into every agency's own
// Administration directory.
//
// Reading: the rows of the mode (supplier-wide only, unless particular
// conditions are asked; free-zone suppliers left out unless asked), and the
// suppliers to copy (plus, when deleting with "Ajout des fabricants sans
// remises", every supplier of the reference list "FOURNIS.DB" of QuintrelMaj
// that has no condition at head office). Per agency, in one commit of its
// "REMISES.DB": the deletion phase (the copied suppliers' rows of the mode,
// client-specific rows kept when only supplier-wide conditions are copied),
// then the copy phase (a row found is replaced when "On écrase la remise" or
// when head office's condition is better; a row not found is added). A
// simulation logs the same counts without writing: as nothing is deleted, the
// rows a real run re-adds are found, and counted as modified when the rule
// says so.
//
// At the end of a complete run the message list and the error list are
// written to the mode's two log files beside the executable, or, when that
// directory cannot be written, in the directory of "qvrbde.ini" (a line of the
// message list says where).
#include <map>
#include <string>
#include <vector>

#include "data/memtable.h"
#include "paradox/merge.h"
#include "transfer/remise.h"
#include "transfer/squelette.h"

namespace corv {

struct OptionsConditions {
  int mode = kModeAchat;                 // 2 purchase, 1 sales
  bool suppression = true;               // cbDeleteData
  bool ajoutFournisseurs = true;         // cbAddFns
  bool conditionsParticulieres = false;  // rgRemise item 1 ("Fournisseur + Conditions particulières")
  bool ecraser = false;                  // rgRegle item 1 ("On écrase la remise")
  bool zoneLibre = false;                // cbInclureZoneLibre
  bool details = false;                  // cbInfosDetaillees
};

// "TransfertRemiseAchat" / "TransfertRemiseVente".
std::string SectionConditions(int mode);
// "copie_remises_achat_messages.log" and the like.
std::string JournalMessagesConditions(int mode);
std::string JournalErreursConditions(int mode);

// The options of a mode as "Corvanes.ini" in head office's Administration
// directory sets them (keys "SuppressionRemisesAgence",
// "AjoutFournisseursSansRemises", "InclureFournisseursZoneLibre",
// "AfficherInfosDetaillees"); an absent file or key keeps the default.
OptionsConditions LireOptionsConditions(Application& app, int mode);

class TransfertConditions : public TransfertAgences {
 public:
  TransfertConditions(Application& app, RunReport& report, OptionsRun run, OptionsConditions options);

  const OptionsConditions& options() const { return opt_; }
  // Host directory where the last complete run wrote its log files ("" when
  // none were written).
  const std::string& RepertoireJournaux() const { return repertoireJournaux_; }
  // The supplier test of the run: its name in QuintrelMaj's "FOURNIS.DB"
  // starts with "zLibre" (case-sensitive); unknown codes are not free zone.
  bool ZoneLibre(const std::string& code) const;

 protected:
  SorteTransfert Sorte() const override;
  pdx::Status Lecture() override;
  void AvantAgences() override;
  std::string LigneLectureAgence(const AgenceTransfert& a) const override;
  std::string TexteIntegration() const override { return "Intégration des remises pour l'agence : "; }
  pdx::Status TraiterAgence(const AgenceTransfert& a) override;
  std::string TexteFin() const override { return "Fin de l'intégration des remises."; }
  void Terminer(bool complete) override;
  std::vector<std::pair<std::string, std::string>> OptionsJournal() const override;

 private:
  pdx::Status LireFournisseursMaj();
  std::string TexteRemise(size_t ligne) const;
  pdx::Status EcrireJournaux(const std::string& repertoireHote);

  OptionsConditions opt_;
  MemTable rxmdRemise_;
  MemTable rxmdFournisseur_;
  std::vector<TRemiseCommerciale> remises_;  // rxmdRemise_'s rows, as conditions
  std::vector<std::string> codesRemises_;     // the suppliers of rxmdRemise_'s rows, once each
  std::vector<size_t> fournisseurRemise_;     // by row of rxmdRemise_: its supplier in codesRemises_
  // rxmdRemise_'s rows as merge batches, by agency layout (the positions of
  // the copied fields): each encoded once for all the agencies of a layout.
  std::map<std::string, pdx::MergeBatch> lots_;
  std::vector<std::pair<std::string, std::string>> maj_;  // QuintrelMaj's suppliers: code, name, in Code order
  std::map<std::string, std::string> nomsMaj_;
  std::string repertoireJournaux_;
};

}  // namespace corv
