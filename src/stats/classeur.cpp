#include "stats/classeur.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <random>

#if CORVANES_XLSX
#include <xlsxwriter.h>
#if !defined(_WIN32)
#include <locale.h>
#endif
#endif

namespace corv {

bool ClasseurDisponible() { return CORVANES_XLSX != 0; }

bool EstNomClasseur(const std::string& nom) {
  const std::string ext = kExtensionClasseur;
  if (nom.size() < ext.size()) return false;
  for (size_t i = 0; i < ext.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(nom[nom.size() - ext.size() + i])) != ext[i]) return false;
  return true;
}

std::string NomFichierClasseur(const std::string& choisi) {
  return EstNomClasseur(choisi) ? choisi : choisi + kExtensionClasseur;
}

std::string NomFeuille(Calcul calcul) {
  switch (calcul) {
    case Calcul::kAchats:
      return "Stats achats-ventes";
    case Calcul::kFournisseurs:
      return "Stats des fournisseurs";
    default:
      return "Stats des agences";
  }
}

std::string NomFeuilleDetail(Calcul calcul) {
  return calcul == Calcul::kFournisseurs ? "Détail du fournisseur" : "Détail des achats de l'agence";
}

#if !CORVANES_XLSX

pdx::Status EcrireClasseur(pdx::Env*, const std::string& path, const ListeStat&, bool,
                           const std::function<void(int, int)>&) {
  return pdx::Status::NotSupported(path + " : " + kClasseurNonDisponible);
}

#else

namespace {

enum class Genre { kTexte, kEntier, kDecimal };

const std::string kEspaceInsecable = "\xC2\xA0";

// The number of plain digits with an optional sign and decimal point,
// whatever the process's locale (under a French one strtod stops at the point).
double Nombre(const std::string& chiffres) {
  double v = 0;
  std::from_chars(chiffres.data(), chiffres.data() + chiffres.size(), v);
  return v;
}

// What a cell's text is: a count ("1234"), an amount or a ratio ("1 234,50",
// "-3,00") or some other text. *valeur holds the number.
Genre GenreCellule(const std::string& t, double* valeur) {
  size_t i = 0;
  std::string chiffres;
  if (i < t.size() && t[i] == '-') chiffres.push_back(t[i++]);
  size_t entiers = 0;
  for (; i < t.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(t[i]))) {
      chiffres.push_back(t[i]);
      ++entiers;
    } else if (t[i] == ' ') {
      continue;
    } else if (t.compare(i, kEspaceInsecable.size(), kEspaceInsecable) == 0) {
      i += kEspaceInsecable.size() - 1;
    } else {
      break;
    }
  }
  if (entiers == 0) return Genre::kTexte;
  if (i == t.size()) {
    // Only digits: a count, unless it was grouped (the lists never group counts).
    if (chiffres.size() != t.size()) return Genre::kTexte;
    *valeur = Nombre(chiffres);
    return Genre::kEntier;
  }
  if (t[i] != ',' || t.size() - i != 3 || !std::isdigit(static_cast<unsigned char>(t[i + 1])) ||
      !std::isdigit(static_cast<unsigned char>(t[i + 2])))
    return Genre::kTexte;
  chiffres += "." + t.substr(i + 1);
  *valeur = Nombre(chiffres);
  return Genre::kDecimal;
}

// Characters of a UTF-8 text.
size_t Largeur(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// Lines a caption takes when wrapped at `largeur` characters, words kept whole.
int LignesEntete(const std::string& texte, size_t largeur) {
  int lignes = 1;
  size_t courante = 0;
  size_t debut = 0;
  while (debut <= texte.size()) {
    size_t fin = texte.find(' ', debut);
    if (fin == std::string::npos) fin = texte.size();
    const size_t mot = Largeur(texte.substr(debut, fin - debut));
    if (courante == 0) {
      courante = mot;
    } else if (courante + 1 + mot <= largeur) {
      courante += 1 + mot;
    } else {
      ++lignes;
      courante = mot;
    }
    debut = fin + 1;
  }
  return lignes;
}

size_t PlusLongMot(const std::string& texte) {
  size_t m = 0, debut = 0;
  while (debut <= texte.size()) {
    size_t fin = texte.find(' ', debut);
    if (fin == std::string::npos) fin = texte.size();
    m = std::max(m, Largeur(texte.substr(debut, fin - debut)));
    debut = fin + 1;
  }
  return m;
}

// Excel counts days from 1 January 1900 with a 29 February 1900 that never was:
// from 1 March 1900 its serial equals our day number.
double SerieExcel(double jour) { return jour < 61 ? jour - 1 : jour; }

// One table of a sheet: header captions, then rows of texts (first the
// text columns, then the cells), the last one possibly "TOTAL".
struct Tableau {
  std::vector<std::string> entete;
  size_t colonnesTexte = 1;  // leading caption columns
  std::vector<std::vector<std::string>> lignes;
  std::vector<bool> total;
};

class Ecrivain {
 public:
  explicit Ecrivain(lxw_workbook* wb) : wb_(wb) {
    entete_ = Format(true);
    format_set_text_wrap(entete_);
    format_set_align(entete_, LXW_ALIGN_VERTICAL_TOP);
    format_set_bottom(entete_, LXW_BORDER_THIN);
    enteteNombre_ = Format(true);
    format_set_text_wrap(enteteNombre_);
    format_set_align(enteteNombre_, LXW_ALIGN_VERTICAL_TOP);
    format_set_align(enteteNombre_, LXW_ALIGN_RIGHT);
    format_set_bottom(enteteNombre_, LXW_BORDER_THIN);
    for (int gras = 0; gras < 2; ++gras) {
      texte_[gras] = Format(gras);
      entier_[gras] = Format(gras, "0");
      // The file's form of "# ##0,00": Excel shows it with the user's separators.
      decimal_[gras] = Format(gras, "#,##0.00");
    }
    date_ = Format(false, "dd/mm/yyyy");
    format_set_align(date_, LXW_ALIGN_LEFT);
  }

  // The period rows, then the table from row 4; the first error met.
  lxw_error Feuille(const std::string& nom, const Periode& periode, const Tableau& t,
                    const std::function<void(size_t)>& apresLigne) {
    lxw_worksheet* ws = workbook_add_worksheet(wb_, nom.c_str());
    if (!ws) return LXW_ERROR_SHEETNAME_ALREADY_USED;
    lxw_error e = Periodes(ws, periode);
    if (e) return e;
    const lxw_row_t haut = 3;
    // Widths in characters of the default font: a bold header word or a name
    // in letters takes about a fifth more than as many digits.
    std::vector<double> larg(t.entete.size(), 0);
    for (size_t c = 0; c < t.entete.size(); ++c)
      larg[c] = std::max(static_cast<double>(PlusLongMot(t.entete[c])) * 1.2, 8.0);
    // The period's labels and dates sit in the first two columns.
    larg[0] = std::max(larg[0], 6.0);
    if (larg.size() > 1) larg[1] = std::max(larg[1], 11.0);
    for (size_t r = 0; r < t.lignes.size(); ++r) {
      const auto& ligne = t.lignes[r];
      const bool gras = t.total[r];
      const lxw_row_t row = haut + 1 + static_cast<lxw_row_t>(r);
      for (size_t c = 0; c < ligne.size() && c < larg.size(); ++c) {
        const lxw_col_t col = static_cast<lxw_col_t>(c);
        double v = 0;
        const Genre g = c < t.colonnesTexte ? Genre::kTexte : GenreCellule(ligne[c], &v);
        larg[c] = std::max(larg[c], static_cast<double>(Largeur(ligne[c])) *
                                        (g == Genre::kTexte ? 1.2 : 1.0) * (gras ? 1.1 : 1.0));
        if (g == Genre::kTexte)
          e = worksheet_write_string(ws, row, col, ligne[c].c_str(), texte_[gras]);
        else
          e = worksheet_write_number(ws, row, col, v, g == Genre::kEntier ? entier_[gras] : decimal_[gras]);
        if (e) return e;
      }
      if (apresLigne) apresLigne(r);
    }
    int lignesEntete = 1;
    for (size_t c = 0; c < t.entete.size(); ++c) {
      // A margin on both sides: neighbouring headers are right-aligned.
      const double l = std::ceil(larg[c]) + 3;
      e = worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), l, nullptr);
      if (e) return e;
      lignesEntete = std::max(lignesEntete, LignesEntete(t.entete[c], static_cast<size_t>((l - 2) / 1.1)));
      e = worksheet_write_string(ws, haut, static_cast<lxw_col_t>(c), t.entete[c].c_str(),
                                 c < t.colonnesTexte ? entete_ : enteteNombre_);
      if (e) return e;
    }
    e = worksheet_set_row(ws, haut, 15.0 * lignesEntete, nullptr);
    if (e) return e;
    // Header and names stay in view while scrolling; printed landscape, one page
    // wide, the header on every page.
    worksheet_freeze_panes(ws, haut + 1, static_cast<lxw_col_t>(t.colonnesTexte));
    worksheet_set_landscape(ws);
    worksheet_fit_to_pages(ws, 1, 0);
    return worksheet_repeat_rows(ws, haut, haut);
  }

 private:
  lxw_format* Format(bool gras, const char* nombre = nullptr) {
    lxw_format* f = workbook_add_format(wb_);
    if (gras) format_set_bold(f);
    if (nombre) format_set_num_format(f, nombre);
    return f;
  }

  lxw_error Periodes(lxw_worksheet* ws, const Periode& p) {
    const char* libelles[] = {"Début", "Fin"};
    const double jours[] = {p.debut, p.fin};
    for (lxw_row_t r = 0; r < 2; ++r) {
      lxw_error e = worksheet_write_string(ws, r, 0, libelles[r], texte_[1]);
      if (e) return e;
      // No bound: the window's date edit is empty, so is the cell.
      if (jours[r] != 0) e = worksheet_write_number(ws, r, 1, SerieExcel(jours[r]), date_);
      if (e) return e;
    }
    return LXW_NO_ERROR;
  }

  lxw_workbook* wb_;
  lxw_format* entete_;
  lxw_format* enteteNombre_;
  lxw_format* texte_[2];
  lxw_format* entier_[2];
  lxw_format* decimal_[2];
  lxw_format* date_;
};

// The library writes numbers with the C library's printf, which follows the
// numeric locale: under a French one (the desktop program takes the user's)
// 1234.5 would be written "1234,5" and the workbook would be corrupt. This
// thread writes with the C locale's point while the object lives. (The Windows
// build of the library writes numbers with its own locale-free routine.)
class LocaleNumeriqueC {
 public:
#if !defined(_WIN32)
  LocaleNumeriqueC() : c_(newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0))) {
    if (c_) ancienne_ = uselocale(c_);
  }
  ~LocaleNumeriqueC() {
    if (!c_) return;
    uselocale(ancienne_);
    freelocale(c_);
  }

 private:
  locale_t c_;
  locale_t ancienne_ = LC_GLOBAL_LOCALE;
#endif
};

std::string Repertoire(const std::string& path) {
  const size_t sep = path.find_last_of("/\\");
  if (sep == std::string::npos) return ".";
  return sep == 0 ? path.substr(0, 1) : path.substr(0, sep);
}

}  // namespace

pdx::Status EcrireClasseur(pdx::Env* env, const std::string& path, const ListeStat& liste, bool details,
                           const std::function<void(int, int)>& progres) {
  details = details && !liste.colonnesDetail.empty();
  Tableau principal;
  principal.entete = liste.colonnes;
  // The rows in the list's order, but "TOTAL" last wherever the sort put it:
  // in a sheet the sums go below what they add up.
  for (int totaux = 0; totaux < 2; ++totaux)
    for (const LigneStat& l : liste.lignes) {
      if (l.total != (totaux == 1)) continue;
      std::vector<std::string> cellules = {l.libelle};
      cellules.insert(cellules.end(), l.cellules.begin(), l.cellules.end());
      principal.lignes.push_back(std::move(cellules));
      principal.total.push_back(l.total);
    }
  Tableau detail;
  if (details) {
    // Every detail row beside its main row's caption, so that the sheet sorts
    // and filters on its own; then the totals of the detail columns.
    detail.colonnesTexte = 2;
    detail.entete = {liste.colonnes.empty() ? "" : liste.colonnes[0]};
    detail.entete.insert(detail.entete.end(), liste.colonnesDetail.begin(), liste.colonnesDetail.end());
    const LigneStat* total = nullptr;
    for (size_t i = 0; i < liste.lignes.size(); ++i) {
      if (liste.lignes[i].total) {
        total = &liste.lignes[i];
        continue;
      }
      for (const LigneStat& d : liste.Details(i)) {
        std::vector<std::string> cellules = {liste.lignes[i].libelle, d.libelle};
        cellules.insert(cellules.end(), d.cellules.begin(), d.cellules.end());
        detail.lignes.push_back(std::move(cellules));
        detail.total.push_back(false);
      }
    }
    if (total) {
      // The detail columns are the main list's first ones: the same totals.
      std::vector<std::string> cellules = {total->libelle, ""};
      for (size_t c = 0; c + 1 < liste.colonnesDetail.size() && c < total->cellules.size(); ++c)
        cellules.push_back(total->cellules[c]);
      detail.lignes.push_back(std::move(cellules));
      detail.total.push_back(true);
    }
  }

  [[maybe_unused]] const LocaleNumeriqueC pointDecimal;
  const std::string temp = path + ".tmp" + std::to_string(std::random_device{}()) + "-" + std::to_string(std::time(nullptr));
  // The library's own scratch files go beside the target too: the system's
  // temporary directory may not be writable (Windows puts it at C:\).
  const std::string scratch = Repertoire(path);
  lxw_workbook_options options = {};
  options.tmpdir = const_cast<char*>(scratch.c_str());
  lxw_workbook* wb = workbook_new_opt(temp.c_str(), &options);
  if (!wb) return pdx::Status::IOError(path + " : le classeur n'a pas pu être créé (mémoire insuffisante)");
  lxw_doc_properties proprietes = {};
  proprietes.title = const_cast<char*>("Statistiques");
  workbook_set_properties(wb, &proprietes);
  lxw_error e;
  {
    Ecrivain ecrivain(wb);
    const int n = static_cast<int>(liste.lignes.size());
    e = ecrivain.Feuille(NomFeuille(liste.calcul), liste.periode, principal, [&](size_t r) {
      if (progres) progres(static_cast<int>(r) + 1, n);
    });
    if (!e && details) e = ecrivain.Feuille(NomFeuilleDetail(liste.calcul), liste.periode, detail, nullptr);
  }
  // Closing writes the file; it also frees the workbook after a failure above.
  const lxw_error fermeture = workbook_close(wb);
  if (!e) e = fermeture;
  pdx::Status s;
  if (e) s = pdx::Status::IOError(path + " : le classeur n'a pas pu être écrit (" + lxw_strerror(e) + ")");
  if (s.ok()) s = env->RenameFile(temp, path);
  if (!s.ok()) env->RemoveFile(temp).IgnoreError();  // best effort: the failure above is what matters
  return s;
}

#endif

}  // namespace corv
