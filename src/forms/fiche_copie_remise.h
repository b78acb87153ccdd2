#pragma once
// "Copie des Remises Achat/Vente vers les agences": head office's purchase
// (mode 2, the default) or sales (mode 1) conditions pushed into every agency.
// The main menu sets the mode before showing the window; the options start
// from "Corvanes.ini" (the mode's section), read when the mode is set.
#include "forms/fiche_transfert.h"
#include "transfer/conditions.h"

class QCheckBox;

namespace corv {

class GroupeRadio;

class TFicheCopieRemiseAchatVersAgence : public TFicheTransfert {
  Q_OBJECT
 public:
  explicit TFicheCopieRemiseAchatVersAgence(Application& app, QWidget* parent = nullptr);

  // 2 purchase, 1 sales (any other value is purchase). Reads the mode's
  // options and applies its texts.
  void DefinirMode(int mode);
  int Mode() const { return mode_; }
  // The options the controls show, as the run takes them.
  OptionsConditions Options() const;

  QCheckBox* cbDeleteData;
  QCheckBox* cbAddFns;
  GroupeRadio* rgRemise;
  GroupeRadio* rgRegle;
  QCheckBox* cbInclureZoneLibre;
  QCheckBox* cbInfosDetaillees;

 public Q_SLOTS:
  // Applies the mode's caption and the caption of rgRemise.
  void FormActivate();
  // rgRegle shows while cbDeleteData is unchecked, cbAddFns while it is checked.
  void cbDeleteDataClick();

 protected:
  Travail PreparerTravail() override;
  SorteTransfert SorteFenetre() const override {
    return mode_ == kModeVente ? SorteTransfert::kConditionsVente : SorteTransfert::kConditionsAchat;
  }
  bool EffacerMessages() const override { return true; }
  void showEvent(QShowEvent* e) override;

 private:
  int mode_ = kModeAchat;
};

}  // namespace corv
