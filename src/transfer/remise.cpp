#include "transfer/remise.h"

#include <cmath>

#include "util/text.h"

namespace corv {
namespace {

pdx::Status VersFixe(double v, const char* champ, Fixed* out) {
  auto f = Fixed::FromDouble(v);
  if (!f)
    return pdx::Status::InvalidArgument(std::string("REMISES.DB : ") + champ + " hors limites (" + std::to_string(v) +
                                        ")");
  *out = *f;
  return pdx::Status::OK();
}

}  // namespace

pdx::Status TRemiseCommerciale::FixerTaux(double r1, double r2, double coefTarif) {
  Fixed a, b, c;
  PDX_RETURN_IF_ERROR(VersFixe(r1, "R1", &a));
  PDX_RETURN_IF_ERROR(VersFixe(r2, "R2", &b));
  PDX_RETURN_IF_ERROR(VersFixe(coefTarif, "CoefTarif", &c));
  // A stored coefficient of 0 means "no coefficient".
  if (c == Fixed()) c = Fixed::FromInt(1);
  r1_.value = a;
  r2_.value = b;
  coef_.value = c;
  return pdx::Status::OK();
}

pdx::Status TRemiseCommerciale::Charger(const std::vector<std::string>& champs, const std::vector<pdx::Value>& valeurs,
                                        TRemiseCommerciale* out) {
  TRemiseCommerciale r;
  double r1 = 0, r2 = 0, coef = 0;
  for (size_t i = 0; i < champs.size() && i < valeurs.size(); ++i) {
    const pdx::Value& v = valeurs[i];
    const std::string& c = champs[i];
    if (EqualsNoCase(c, "Fournisseur")) r.fournisseur = v.blank ? "" : v.text;
    else if (EqualsNoCase(c, "Client")) r.client = v.blank ? "" : v.text;
    else if (EqualsNoCase(c, "Groupe")) r.groupe = v.blank ? "" : v.text;
    else if (EqualsNoCase(c, "TypeGroupe")) r.typeGroupe = v.blank ? 0 : static_cast<int>(v.i);
    else if (EqualsNoCase(c, "R1")) r1 = v.blank ? 0 : v.d;
    else if (EqualsNoCase(c, "R2")) r2 = v.blank ? 0 : v.d;
    else if (EqualsNoCase(c, "CoefTarif")) coef = v.blank ? 0 : v.d;
  }
  PDX_RETURN_IF_ERROR(r.FixerTaux(r1, r2, coef));
  *out = r;
  return pdx::Status::OK();
}

std::optional<Fixed> TRemiseCommerciale::Appliquer(Fixed prixListe, Fixed prixBase, Fixed coefGeneral) const {
  if (ParTaux()) {
    double net = prixListe.ToDouble() * (1.0 - r1_.value.ToDouble() / 100.0);
    net = net * (1.0 - r2_.value.ToDouble() / 100.0);
    return Fixed::FromDouble(net);
  }
  std::optional<Fixed> p = Fixed::CheckedMul(prixBase, coef_.value);
  return p ? Fixed::CheckedMul(*p, coefGeneral) : std::nullopt;
}

std::optional<Fixed> NetDeComparaison(const TRemiseCommerciale& r, Fixed coefGeneral) {
  return r.Appliquer(Fixed::FromInt(200), Fixed::FromInt(100), coefGeneral);
}

pdx::Status ComparerRemises(int mode, const TRemiseCommerciale& siege, const TRemiseCommerciale& agence,
                            Fixed coefGeneral, bool* siegeMeilleur) {
  *siegeMeilleur = false;
  for (const TRemiseCommerciale* r : {&siege, &agence})
    if (!NetDeComparaison(*r, coefGeneral))
      return pdx::Status::InvalidArgument(std::string("remise ") + (r == &siege ? "du siège" : "de l'agence") +
                                          " hors limites : R1 " + r->R1().value.ToText() + ", R2 " +
                                          r->R2().value.ToText() + ", CoefTarif " + r->Coefficient().value.ToText());
  const Fixed s = *NetDeComparaison(siege, coefGeneral), a = *NetDeComparaison(agence, coefGeneral);
  *siegeMeilleur = mode == kModeAchat ? s < a : s > a;
  return pdx::Status::OK();
}

bool SiegeMeilleur(int mode, const TRemiseCommerciale& siege, const TRemiseCommerciale& agence, Fixed coefGeneral) {
  bool oui = false;
  ComparerRemises(mode, siege, agence, coefGeneral, &oui).IgnoreError();  // refused: false, the agency's kept
  return oui;
}

}  // namespace corv
