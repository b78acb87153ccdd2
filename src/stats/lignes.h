#pragma once
// The statistics as the window's lists show them: rows of texts (caption, then
// one cell per column, numbers already formatted), the "TOTAL" row, the detail
// rows of the purchase and supplier lists, and the sorting of every list. The
// window and the command line only display these; the export writes them.
//
// Number format: counts as plain integers ("1234"); amounts and ratios with two
// decimals, a non-breaking space between thousands and a decimal comma
// ("1 234,50", 15 significant digits, halves rounded away from zero); a ratio
// whose denominator is zero is "0".
#include <cstdint>
#include <string>
#include <vector>

#include "stats/resultat.h"

namespace corv {

inline constexpr const char* kLibelleTotal = "TOTAL";

struct LigneStat {
  std::string libelle;                // first column
  std::vector<std::string> cellules;  // the other columns, in order
  bool total = false;                 // the "TOTAL" row
  std::vector<LigneStat> details;     // detail rows, in code order (unsorted)
};

struct ListeStat {
  Calcul calcul = Calcul::kAgences;
  std::vector<std::string> colonnes;        // captions, first column included
  std::vector<std::string> colonnesDetail;  // empty: the list has no details
  std::vector<LigneStat> lignes;            // in display order
  int colonneTri = 0;                       // of the main list
  int colonneTriDetail = 0;                 // of the detail list
  Periode periode;                          // of the run the rows come from

  // Sorts the rows by column (stored as the sort column); a column out of range
  // is ignored.
  void Trier(int colonne);
  void Trier() { Trier(colonneTri); }
  // The detail rows of row i as the detail list shows them (sorted by its own
  // column); none for "TOTAL" or a list without details.
  std::vector<LigneStat> Details(size_t i) const;
  // The caption of the detail group box when row i is selected; i out of range
  // (no selection) gives the caption of an empty selection.
  std::string LegendeDetail(size_t i) const;
  std::string LegendeDetail() const { return LegendeDetail(lignes.size()); }
};

// The three main lists, unsorted rows then "TOTAL", sorted by colonneTri (0).
ListeStat ListeDesAgences(const ResultatStatistiques& r);
ListeStat ListeDesAchats(const ResultatStatistiques& r);
ListeStat ListeDesFournisseurs(const ResultatStatistiques& r);
// The list of a result's computation.
ListeStat ListePour(const ResultatStatistiques& r);

// Captions of the columns.
const std::vector<std::string>& ColonnesAgences();
const std::vector<std::string>& ColonnesAchats(bool parFournisseur);
const std::vector<std::string>& ColonnesDetail(bool parFournisseur);

std::string FormatEntier(int64_t n);
std::string FormatMontant(double x);
// A cell's number: ordinary and non-breaking spaces removed, decimal comma (a
// point is read too); 0 when the rest is not a number.
double ValeurCellule(const std::string& cellule);
// <0, 0, >0 as a sorts before, with, after b on column (0 = caption).
int ComparerLignes(const LigneStat& a, const LigneStat& b, int colonne);
void TrierLignes(std::vector<LigneStat>* lignes, int colonne);

// The caption of a supplier ("Nom", or "[" + code + "]" when head office does
// not know the code) and of an agency by code ("Nom", or the code).
std::string LibelleFournisseur(const ResultatStatistiques& r, const std::string& code);
std::string LibelleAgence(const ResultatStatistiques& r, const std::string& code);

}  // namespace corv
