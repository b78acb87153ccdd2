#pragma once
// The agency card's supplier grid: one row per head-office supplier, a tick
// ("O" attached, "N" not), the name, the hidden code, a "Détail" button showing
// "*" when the attachment carries a product selection, and the hidden selection
// text ("Blob").
#include <QTableWidget>
#include <vector>

#include "agency/carte_agence.h"

namespace corv {

class GrilleFournisseurs : public QTableWidget {
  Q_OBJECT
 public:
  enum Colonne { kCoche = 0, kNom = 1, kCode = 2, kDetail = 3, kBlob = 4 };

  explicit GrilleFournisseurs(QWidget* parent = nullptr);

  void Remplir(const std::vector<corv::LigneFournisseur>& lignes);
  std::vector<corv::LigneFournisseur> Lignes() const;
  corv::LigneFournisseur Ligne(int row) const;
  void Cocher(int row, bool attache);
  void ToutCocher(bool attache);
  void DefinirTexte(int row, const std::string& texte);
  // The row of a supplier code, -1 when absent.
  int RangDuCode(const std::string& code) const;
  // The "Détail" button of a row.
  QWidget* BoutonDetail(int row) const;

 Q_SIGNALS:
  // "Détail" pressed in a ticked row.
  void detailDemande(int row);
  void cocheChangee(int row);

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void Basculer(int row);
};

}  // namespace corv
