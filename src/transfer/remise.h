#pragma once
// The value of one discount condition (a row of "REMISES.DB") and how it turns
// a price into a net amount, in four-decimal fixed point; and the rule by which
// the conditions transfer decides that head office's condition is better than
// an agency's.
//
// Contract:
//  - A fresh condition has both rates 0 (kind 2, a percentage) and the
//    coefficient 1 (kind 1).
//  - Loading from a row: a stored CoefTarif of 0 (or blank) is read as 1; blank
//    rates are 0; a stored number that no fixed-point value can hold (not
//    finite, out of range) is refused with InvalidArgument naming the field.
//  - Applying: with a coefficient of 1 (which is what 0 reads as), the two
//    rates apply in turn to the list price, in double precision from the
//    fixed-point values, rounded to four decimals; otherwise the base price
//    times the coefficient, times the general price coefficient, each product
//    truncated to four decimals.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "paradox/status.h"
#include "paradox/types.h"
#include "util/fixed.h"

namespace corv {

class TRemiseCommerciale {
 public:
  static constexpr uint8_t kPourcentage = 2;
  static constexpr uint8_t kCoefficient = 1;

  TRemiseCommerciale() = default;

  // From the values of a "REMISES.DB" row (field names without case); the key
  // fields are optional (a row of R1, R2, CoefTarif only is fine).
  static pdx::Status Charger(const std::vector<std::string>& champs, const std::vector<pdx::Value>& valeurs,
                             TRemiseCommerciale* out);
  // Sets the rates and the coefficient from the three stored numbers (a blank
  // is passed as 0); on error nothing changes.
  pdx::Status FixerTaux(double r1, double r2, double coefTarif);

  const TaggedFixed& R1() const { return r1_; }
  const TaggedFixed& R2() const { return r2_; }
  const TaggedFixed& Coefficient() const { return coef_; }
  // True when the rates apply (the coefficient is exactly 1).
  bool ParTaux() const { return coef_.value == Fixed::FromInt(1); }

  // Net amount of list price P and base price B (see above); nullopt when it
  // does not fit in a fixed-point value (rates or coefficients far beyond any
  // real condition, read from a table).
  std::optional<Fixed> Appliquer(Fixed prixListe, Fixed prixBase, Fixed coefGeneral) const;

  std::string fournisseur, client, groupe;
  int typeGroupe = 0;

 private:
  TaggedFixed r1_{kPourcentage, Fixed::FromInt(0)};
  TaggedFixed r2_{kPourcentage, Fixed::FromInt(0)};
  TaggedFixed coef_{kCoefficient, Fixed::FromInt(1)};
};

// The net amount by which two conditions are compared: list price 200, base
// price 100 (so 10 % + 5 % gives 171, a coefficient of 0.9 gives 90 with a
// general coefficient of 1).
std::optional<Fixed> NetDeComparaison(const TRemiseCommerciale& r, Fixed coefGeneral);

// The conditions transfer's modes: the value of the rows' Type field.
inline constexpr int kModeVente = 1;
inline constexpr int kModeAchat = 2;

// "On conserve la meilleure remise": true when head office's condition is
// better than the agency's: a strictly lower net in purchase mode, a strictly
// higher one in sales mode. Equal nets keep the agency's. A net that does not
// fit (NetDeComparaison) is refused by ComparerRemises; SiegeMeilleur then
// keeps the agency's.
pdx::Status ComparerRemises(int mode, const TRemiseCommerciale& siege, const TRemiseCommerciale& agence,
                            Fixed coefGeneral, bool* siegeMeilleur);
bool SiegeMeilleur(int mode, const TRemiseCommerciale& siege, const TRemiseCommerciale& agence, Fixed coefGeneral);

}  // namespace corv
