#pragma once
// The counters of the agency statistics: quotes and orders (TStatistiqueGlobale),
// and, for the purchase/sales figures, products sold and their purchase amount
// (TStatistiqueAchat); the supplier map of an agency and the agency map of a
// supplier.
//
// Contract:
//  - A new counter is all zeros. Counts are 32-bit and wrap on overflow (never
//    undefined); amounts are doubles added in the order the documents come.
//  - Map keys (supplier and agency codes) are ordered by plain byte comparison:
//    case-sensitive, no locale (std::string's own order).
//  - The instances of a supplier map are shared with the regrouped maps of the
//    supplier list (never copied), so they are held by shared_ptr.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace corv {

class TStatistiqueGlobale {
 public:
  int32_t nbDevis() const { return nbDevis_; }
  int32_t nbCommandes() const { return nbCommandes_; }
  double totalDevis() const { return totalDevis_; }
  double totalCommande() const { return totalCommande_; }

  void AjouterNbDevis(int32_t n) { nbDevis_ = Somme(nbDevis_, n); }
  void AjouterNbCommandes(int32_t n) { nbCommandes_ = Somme(nbCommandes_, n); }
  void AjouterTotalDevis(double x) { totalDevis_ += x; }
  void AjouterTotalCommande(double x) { totalCommande_ += x; }
  // Field by field.
  void Ajouter(const TStatistiqueGlobale& o);

  bool operator==(const TStatistiqueGlobale&) const = default;

 protected:
  static int32_t Somme(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
  }

 private:
  int32_t nbDevis_ = 0;
  int32_t nbCommandes_ = 0;
  double totalDevis_ = 0;
  double totalCommande_ = 0;
};

class TStatistiqueAchat : public TStatistiqueGlobale {
 public:
  int32_t nbProduits() const { return nbProduits_; }
  double totalAchat() const { return totalAchat_; }

  void AjouterNbProduits(int32_t n) { nbProduits_ = Somme(nbProduits_, n); }
  void AjouterTotalAchat(double x) { totalAchat_ += x; }
  using TStatistiqueGlobale::Ajouter;
  // All six fields.
  void Ajouter(const TStatistiqueAchat& o);

  bool operator==(const TStatistiqueAchat&) const = default;

 private:
  int32_t nbProduits_ = 0;
  double totalAchat_ = 0;
};

using StatAchatPtr = std::shared_ptr<TStatistiqueAchat>;

// Supplier code -> that supplier's figures (one agency's, or regrouped).
using CarteFournisseurs = std::map<std::string, StatAchatPtr>;
// Agency code -> figures (one supplier's agencies).
using CarteAgences = std::map<std::string, StatAchatPtr>;

// The entry of a code, created at zero on first use.
TStatistiqueAchat& Entree(std::map<std::string, StatAchatPtr>& carte, const std::string& code);

}  // namespace corv
