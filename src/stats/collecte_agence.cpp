#include "stats/collecte_agence.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "data/fonctions_bd.h"
#include "paradox/codepage.h"
#include "paradox/text_order.h"
#include "paradox/table.h"
#include "stats/eco.h"
#include "util/status_text.h"

namespace corv {
namespace {

// The upper bound the program's ranges give the integer key fields after the
// given ones: documents and lines numbered above it are outside every range.
constexpr int32_t kBorneCle = 32000;

// A table read in key order a block at a time through the engine's scan path:
// the decoded fields of the current row, the blank flags of chosen fields and
// the stored bytes of chosen fields.
class Lecteur {
 public:
  struct Champs {
    std::vector<int> ints, doubles, texts;
    std::vector<int> blancs;  // up to 32 fields whose blank flag is kept
    std::vector<int> bruts;   // fields whose stored bytes are read
  };

  pdx::Status Ouvrir(pdx::Table* table, const Champs& champs) {
    table_ = table;
    const pdx::TableInfo& info = table->info();
    pdx::Status s = pdx::ScanPlan::Make(info.slots, static_cast<uint32_t>(info.recordSize), champs.ints,
                                        champs.doubles, champs.texts, &plan_);
    if (!s.ok()) return s;
    blancs_.clear();
    for (int f : champs.blancs) blancs_.push_back(TestBlanc::De(info.slots[static_cast<size_t>(f - 1)]));
    bruts_.clear();
    brutsBlancs_.clear();
    for (int f : champs.bruts) {
      bruts_.push_back(info.slots[static_cast<size_t>(f - 1)]);
      brutsBlancs_.push_back(TestBlanc::De(bruts_.back()));
    }
    cursor_ = table->NewCursor();
    return Premier();
  }

  pdx::Status Premier() {
    n_ = i_ = 0;
    fin_ = false;
    pdx::Status s = cursor_->First();
    if (!s.ok()) return s;
    return Remplir();
  }

  bool Fin() const { return fin_; }
  int32_t Int(size_t k) const { return ints_[i_ * plan_.intCount() + k]; }
  double Double(size_t k) const { return doubles_[i_ * plan_.doubleCount() + k]; }
  std::string_view Texte(size_t k) const { return texts_[i_ * plan_.textCount() + k]; }
  bool Blanc(size_t k) const { return (masques_[i_] >> k) & 1; }
  // The stored bytes of a raw field (its whole slot).
  std::string_view Brut(size_t k) const {
    return std::string_view(vues_[i_].raw() + bruts_[k].offset, bruts_[k].size);
  }
  // The stored bytes of a raw alpha field, up to its end mark.
  std::string_view Alpha(size_t k) const {
    const char* p = vues_[i_].raw() + bruts_[k].offset;
    return std::string_view(p, strnlen(p, bruts_[k].size));
  }
  // Alpha(k) == s, for s without NUL (an Alpha of this field): compared in
  // place, without measuring the stored text first (every row of both tables
  // is compared so).
  bool AlphaEgal(size_t k, std::string_view s) const {
    const char* p = vues_[i_].raw() + bruts_[k].offset;
    const size_t taille = bruts_[k].size;
    return s.size() <= taille && std::memcmp(p, s.data(), s.size()) == 0 && (s.size() == taille || p[s.size()] == 0);
  }
  bool BrutBlanc(size_t k) const { return brutsBlancs_[k].Teste(vues_[i_]); }

  pdx::Status Suivant() {
    if (++i_ < n_) return pdx::Status::OK();
    pdx::Status s = cursor_->Next();
    if (!s.ok()) return s;
    return Remplir();
  }

 private:
  pdx::Status Remplir() {
    i_ = n_ = 0;
    if (cursor_->AtEnd()) {
      fin_ = true;
      return pdx::Status::OK();
    }
    pdx::Status s = cursor_->GetRecordViews(&vues_);
    if (!s.ok()) return s;
    n_ = vues_.size();
    ints_.resize(n_ * plan_.intCount() + 1);
    doubles_.resize(n_ * plan_.doubleCount() + 1);
    texts_.resize(n_ * plan_.textCount() + 1);
    if (!plan_.DecodeBlock(vues_.data(), n_, ints_.data(), doubles_.data(), texts_.data()))
      return pdx::Status::Corruption(table_->info().path + " : un enregistrement ne correspond pas à la structure de la table");
    masques_.assign(n_, 0);
    for (size_t r = 0; r < n_; ++r) {
      const pdx::RecordView& v = vues_[r];
      uint32_t m = 0;
      for (size_t k = 0; k < blancs_.size(); ++k)
        if (blancs_[k].Teste(v)) m |= 1u << k;
      masques_[r] = m;
    }
    return pdx::Status::OK();
  }

  // A field's blank test, the common kinds done in place (the view's general
  // test is a call and a switch per field and row): the same answers.
  struct TestBlanc {
    enum Genre : uint8_t { kPremier, kZero2, kZero4, kZero8, kDate, kBlob, kAutre };
    pdx::FieldSlot slot;
    Genre genre = kAutre;

    static TestBlanc De(const pdx::FieldSlot& s) {
      TestBlanc t;
      t.slot = s;
      switch (s.type) {
        case pdx::FieldType::kAlpha:
        case pdx::FieldType::kLogical:
          t.genre = kPremier;
          break;
        case pdx::FieldType::kShort:
          t.genre = kZero2;
          break;
        case pdx::FieldType::kLong:
        case pdx::FieldType::kAutoInc:
        case pdx::FieldType::kTime:
          t.genre = kZero4;
          break;
        case pdx::FieldType::kNumber:
        case pdx::FieldType::kMoney:
          t.genre = kZero8;
          break;
        case pdx::FieldType::kDate:
          t.genre = kDate;
          break;
        case pdx::FieldType::kMemo:
        case pdx::FieldType::kFmtMemo:
        case pdx::FieldType::kBlob:
        case pdx::FieldType::kOle:
        case pdx::FieldType::kGraphic:
          // Blank when the length stored in its last 10 bytes is 0.
          if (s.size >= 10) t.genre = kBlob;
          break;
        default:
          break;
      }
      // A slot the record does not hold is left to the view (blank).
      if (s.size < (t.genre == kZero8 ? 8 : t.genre == kZero4 || t.genre == kDate ? 4 : t.genre == kZero2 ? 2 : 1))
        t.genre = kAutre;
      return t;
    }
    bool Teste(const pdx::RecordView& v) const {
      if (genre == kAutre || static_cast<uint64_t>(slot.offset) + slot.size > v.recordSize()) return v.IsBlank(slot);
      const char* p = v.raw() + slot.offset;
      switch (genre) {
        case kPremier:
          return p[0] == 0;
        case kZero2:
          return p[0] == 0 && p[1] == 0;
        case kZero4: {
          uint32_t x;
          std::memcpy(&x, p, 4);
          return x == 0;
        }
        case kZero8: {
          uint64_t x;
          std::memcpy(&x, p, 8);
          return x == 0;
        }
        case kDate: {
          uint32_t x;
          std::memcpy(&x, p, 4);
          return x == 0 || x == 0x80u;  // stored big-endian: 80 00 00 00
        }
        case kBlob: {
          const char* l = p + slot.size - 6;  // the length, little-endian
          return l[0] == 0 && l[1] == 0 && l[2] == 0 && l[3] == 0;
        }
        default:
          return v.IsBlank(slot);
      }
    }
  };

  pdx::Table* table_ = nullptr;
  std::unique_ptr<pdx::Cursor> cursor_;
  pdx::ScanPlan plan_;
  std::vector<TestBlanc> blancs_;
  std::vector<pdx::FieldSlot> bruts_;
  std::vector<TestBlanc> brutsBlancs_;
  std::vector<pdx::RecordView> vues_;
  std::vector<int32_t> ints_;
  std::vector<double> doubles_;
  std::vector<std::string_view> texts_;
  std::vector<uint32_t> masques_;
  size_t i_ = 0, n_ = 0;
  bool fin_ = true;
};

// Field numbers by name; 0 when the table lacks one (a failure naming it).
pdx::Status Numeros(const pdx::Table& t, const std::vector<const char*>& noms, std::vector<int>* out) {
  out->clear();
  for (const char* n : noms) {
    int f = t.FieldNumber(n);
    if (f == 0) return pdx::Status::InvalidArgument(t.info().path + ": no field \"" + std::string(n) + "\"");
    out->push_back(f);
  }
  return pdx::Status::OK();
}

struct Document {
  int32_t type = 0, num = 0, ordre = 0, etat = 0;
  double date = 0, totalVente = 0;
  std::string fournisseur;
};

struct Ligne {
  int32_t base = 0, numero = 0, type = 0, quantite = 0;
  bool baseBlanc = false, numeroBlanc = false, typeBlanc = false;
  double vente = 0, achat = 0, prixNet = 0;
  std::string fournisseur;
  // Where the stored bytes of "Xml" lie in the dossier's memo buffer (one
  // buffer for all its lines: no allocation per line); npos when blank.
  size_t memo = std::string::npos;
  bool ecoLue = false;
  double eco = 0;
};

// PIECE.DB: ints Type, Num, Ordre, Etat; doubles Date, TotalVente; text
// Fournisseur; blank flags of Type, Num, Ordre, Date, Etat; raw Dossier.
enum { kPType, kPNum, kPOrdre, kPEtat };
enum { kPDate, kPTotalVente };
// LIGNE.DB: ints Base, Numero, Quantite, Type; doubles Vente, Achat, PrixNet;
// text Fournisseur; blank flags of Base, Numero, Type; raw Dossier and Xml.
enum { kLBase, kLNumero, kLQuantite, kLType };
enum { kLVente, kLAchat, kLPrixNet };

class Collecte {
 public:
  Collecte(Calcul calcul, const Periode& periode, BilanAgenceStat* bilan)
      : calcul_(calcul), periode_(periode), bilan_(bilan) {}

  pdx::Status Ouvrir(pdx::Table* piece, pdx::Table* ligne) {
    std::vector<int> f;
    Lecteur::Champs cp;
    pdx::Status s = Numeros(*piece, {"Type", "Num", "Ordre", "Etat"}, &cp.ints);
    if (s.ok()) s = Numeros(*piece, {"Date", "TotalVente"}, &cp.doubles);
    if (s.ok()) s = Numeros(*piece, {"Fournisseur"}, &cp.texts);
    if (s.ok()) s = Numeros(*piece, {"Type", "Num", "Ordre", "Date", "Etat"}, &cp.blancs);
    if (s.ok()) s = Numeros(*piece, {"Dossier"}, &cp.bruts);
    if (s.ok()) s = pieces_.Ouvrir(piece, cp);
    if (!s.ok() || !ligne) return s;
    ligneTable_ = ligne;
    Lecteur::Champs cl;
    s = Numeros(*ligne, {"Base", "Numero", "Quantite", "Type"}, &cl.ints);
    if (s.ok()) s = Numeros(*ligne, {"Vente", "Achat", "PrixNet"}, &cl.doubles);
    if (s.ok()) s = Numeros(*ligne, {"Fournisseur"}, &cl.texts);
    if (s.ok()) s = Numeros(*ligne, {"Base", "Numero", "Type"}, &cl.blancs);
    if (s.ok()) s = Numeros(*ligne, {"Dossier", "Xml"}, &cl.bruts);
    if (s.ok()) s = Numeros(*ligne, {"Xml"}, &f);
    if (!s.ok()) return s;
    champXml_ = f[0];
    memos_ = ligne->NewBlobReader();
    if (!memos_) return pdx::Status::NotSupported(ligne->info().path + ": no blob reader");
    // A memo's text is in the table's code page; other blob kinds are bytes.
    const pdx::FieldType typeXml = ligne->info().fields[static_cast<size_t>(champXml_ - 1)].type;
    if (typeXml == pdx::FieldType::kMemo || typeXml == pdx::FieldType::kFmtMemo) {
      s = pdx::CodePage::Find(ligne->info().codePage, &cpMemos_);
      if (!s.ok()) return s;
    }
    // Dossiers are matched in the line table's own order and code page.
    const pdx::TableInfo& il = ligne->info();
    s = pdx::TextOrder::ForTable(il, &ordreLignes_);
    if (!s.ok()) return s;
    if (piece->info().codePage != il.codePage) {
      s = pdx::CodePage::Find(il.codePage, &cpLignes_);
      if (!s.ok()) return s;
      s = pdx::CodePage::Find(piece->info().codePage, &cpPieces_);
      if (!s.ok()) return s;
    }
    return lignes_.Ouvrir(ligne, cl);
  }

  pdx::Status Executer() {
    std::string dossier;
    while (!pieces_.Fin()) {
      dossier.assign(pieces_.Alpha(0));
      docs_.clear();
      bool incomplet = false;
      while (!pieces_.Fin() && pieces_.AlphaEgal(0, dossier)) {
        // A null Type, Num, Ordre, Date or Etat leaves the whole dossier out.
        if (pieces_.Blanc(0) || pieces_.Blanc(1) || pieces_.Blanc(2) || pieces_.Blanc(3) || pieces_.Blanc(4))
          incomplet = true;
        if (!incomplet) {
          Document d;
          d.type = pieces_.Int(kPType);
          d.num = pieces_.Int(kPNum);
          d.ordre = pieces_.Int(kPOrdre);
          d.etat = pieces_.Int(kPEtat);
          d.date = pieces_.Double(kPDate);
          d.totalVente = pieces_.Double(kPTotalVente);
          d.fournisseur.assign(pieces_.Texte(0));
          docs_.push_back(std::move(d));
        }
        pdx::Status s = pieces_.Suivant();
        if (!s.ok()) return s;
      }
      if (incomplet) continue;
      pdx::Status s = Dossier(dossier);
      if (!s.ok()) return s;
    }
    return pdx::Status::OK();
  }

 private:
  double DateEffective(const Document& d) const {
    double date = d.date;
    if (date != 0 || d.type != 2 || d.etat < 0) return date;
    // A customer order without a date takes its supplier orders' date.
    for (const Document& x : docs_) {
      if (x.type != 1 || x.num > kBorneCle || x.ordre != d.num) continue;
      date = x.date;
      if (date != 0) break;
    }
    return date;
  }

  bool DansPeriode(double date) const {
    return (periode_.debut == 0 || date >= periode_.debut) && (periode_.fin == 0 || date <= periode_.fin);
  }

  pdx::Status Dossier(const std::string& dossier) {
    retenus_.clear();
    bool lignes = false;
    for (const Document& d : docs_) {
      bool compte = DansPeriode(DateEffective(d));
      retenus_.push_back(compte);
      if (compte && (d.type == 0 || d.type == 1) && d.totalVente != 0) lignes = true;
    }
    if (calcul_ == Calcul::kAgences) {
      TStatistiqueAchat& a = bilan_->stat;
      for (size_t i = 0; i < docs_.size(); ++i) {
        if (!retenus_[i]) continue;
        const Document& d = docs_[i];
        if (d.type == 0 && d.totalVente != 0) {
          a.AjouterNbDevis(1);
          a.AjouterTotalDevis(d.totalVente);
        } else if (d.type == 2 && d.etat >= 0) {
          a.AjouterNbCommandes(1);
          a.AjouterTotalCommande(d.totalVente);
          for (const Document& x : docs_)
            if (x.type == 3 && x.num <= kBorneCle && x.ordre == d.num) a.AjouterTotalCommande(x.totalVente);
        }
      }
      return pdx::Status::OK();
    }
    nLignes_ = 0;
    if (lignes) {
      pdx::Status s = LireLignes(dossier);
      if (!s.ok()) return s;
    }
    for (size_t i = 0; i < docs_.size(); ++i) {
      if (!retenus_[i]) continue;
      const Document& d = docs_[i];
      if (d.type == 0 && d.totalVente != 0) {
        Devis(d);
      } else if (d.type == 1 && d.totalVente != 0) {
        pdx::Status s = CommandeFournisseur(d);
        if (!s.ok()) return s;
      } else if (d.type == 2 && d.etat >= 0) {
        bilan_->stat.AjouterNbCommandes(1);
      }
    }
    return pdx::Status::OK();
  }

  // The supplier's entry of the agency's map, created on first use as Entree
  // does; found again through a hash of the code rather than the map's
  // comparisons (one look-up per line of every quote and per order).
  TStatistiqueAchat& Stat(const std::string& code) {
    auto it = entrees_.find(code);
    if (it != entrees_.end()) return *it->second;
    TStatistiqueAchat& e = Entree(bilan_->fournisseurs, code);
    entrees_.emplace(code, &e);
    return e;
  }

  static bool EnPlage(const Ligne& l) { return l.numeroBlanc || l.numero <= kBorneCle; }
  bool Principale(const Ligne& l) const { return !l.baseBlanc && l.base == 0 && EnPlage(l); }

  // The sub-lines of a line: Base equal to its Numero (a blank Numero reads 0).
  std::pair<size_t, size_t> SousLignes(const Ligne& l) const {
    auto it = std::lower_bound(groupes_.begin(), groupes_.end(), l.numero,
                               [](const Groupe& g, int32_t b) { return g.base < b; });
    if (it == groupes_.end() || it->base != l.numero) return {0, 0};
    return {it->debut, it->fin};
  }

  void Devis(const Document& d) {
    TStatistiqueAchat& a = bilan_->stat;
    a.AjouterNbDevis(1);
    a.AjouterTotalDevis(d.totalVente);
    vus_.clear();
    for (size_t i = 0; i < nLignes_; ++i) {
      const Ligne& l = lignes_buf_[i];
      if (!Principale(l) || l.type != 1) continue;
      TStatistiqueAchat& s = Stat(l.fournisseur);
      if (std::find(vus_.begin(), vus_.end(), &s) == vus_.end()) {
        vus_.push_back(&s);
        s.AjouterNbDevis(1);
      }
      s.AjouterTotalDevis(l.vente);
      auto [debut, fin] = SousLignes(l);
      for (size_t k = debut; k < fin; ++k)
        if (EnPlage(lignes_buf_[k])) s.AjouterTotalDevis(lignes_buf_[k].vente);
    }
  }

  pdx::Status CommandeFournisseur(const Document& d) {
    TStatistiqueAchat& a = bilan_->stat;
    TStatistiqueAchat& s = Stat(d.fournisseur);
    s.AjouterNbCommandes(1);
    annexes_.clear();
    for (const Document& x : docs_)
      if (x.type == 3 && x.num <= kBorneCle && x.ordre == d.ordre) annexes_.push_back(x.num + 300);
    const int32_t typeCommande = d.ordre + 200;
    for (size_t i = 0; i < nLignes_; ++i) {
      Ligne& l = lignes_buf_[i];
      if (!Principale(l) || l.fournisseur != d.fournisseur) continue;
      const bool annexe =
          !l.typeBlanc && std::find(annexes_.begin(), annexes_.end(), l.type) != annexes_.end();
      if (l.type != typeCommande && !annexe) continue;
      pdx::Status st = Eco(&l);
      if (!st.ok()) return st;
      const double q = l.quantite;
      const double achat = (l.achat + l.prixNet + l.eco) * q;
      const double vente = (l.vente + l.prixNet + l.eco) * q;
      for (TStatistiqueAchat* c : {&a, &s}) {
        c->AjouterTotalAchat(achat);
        c->AjouterTotalCommande(vente);
        c->AjouterNbProduits(l.quantite);
      }
      auto [debut, fin] = SousLignes(l);
      for (size_t k = debut; k < fin; ++k) {
        Ligne& sl = lignes_buf_[k];
        if (!EnPlage(sl)) continue;
        st = Eco(&sl);
        if (!st.ok()) return st;
        const double q2 = sl.quantite;
        const double achat2 = (sl.achat + sl.eco) * q * q2;
        const double vente2 = (sl.vente + sl.eco) * q * q2;
        for (TStatistiqueAchat* c : {&a, &s}) {
          c->AjouterTotalAchat(achat2);
          c->AjouterTotalCommande(vente2);
        }
      }
    }
    return pdx::Status::OK();
  }

  pdx::Status Eco(Ligne* l) {
    if (l->ecoLue) return pdx::Status::OK();
    l->ecoLue = true;
    l->eco = 0;
    if (l->memo == std::string::npos) return pdx::Status::OK();
    std::string_view brut;
    pdx::Status s = memos_->Bytes(champXml_, memosDossier_.data() + l->memo, &brut);
    if (!s.ok()) {
      // One unreadable memo counts 0 and is listed; the rest goes on.
      bilan_->erreurs.push_back(FrenchText(s));
      return pdx::Status::OK();
    }
    // Read on the stored bytes: most memos are passed over or read without
    // any conversion or copy (see LecteurEco).
    bool illisible = false;
    l->eco = eco_.Lire(brut, cpMemos_, &illisible);
    if (illisible)
      bilan_->erreurs.push_back(ligneTable_->info().path + " : le mémo \"Xml\" d'une ligne du dossier " + dossierCourant_ +
                                " n'est pas du XML valide ; son éco-participation compte pour 0");
    return pdx::Status::OK();
  }

  // The dossier as the line table stores it.
  std::string_view EnLignes(const std::string& dossier) {
    if (!cpLignes_) return dossier;
    converti_.clear();
    std::string utf8 = cpPieces_->Decode(dossier);
    if (!cpLignes_->Encode(utf8, &converti_).ok()) converti_ = "\x01";  // matches no line
    return converti_;
  }

  pdx::Status LireLignes(const std::string& dossierPieces) {
    dossierCourant_ = dossierPieces;
    const std::string cible(EnLignes(dossierPieces));
    // The documents come in their table's order; should it differ from the
    // lines' (another sort order), start the lines again rather than miss some.
    if (!dernier_.empty() && ordreLignes_.Compare(cible, dernier_) < 0) {
      pdx::Status s = lignes_.Premier();
      if (!s.ok()) return s;
      avant_.clear();
    }
    dernier_ = cible;
    while (!lignes_.Fin()) {
      std::string_view cur = lignes_.Alpha(0);
      if (cur == cible) break;
      if (!(avant_.size() == cur.size() && cur == avant_)) {
        if (ordreLignes_.Compare(cur, cible) > 0) return pdx::Status::OK();
        avant_.assign(cur);
      }
      pdx::Status s = lignes_.Suivant();
      if (!s.ok()) return s;
    }
    groupes_.clear();
    memosDossier_.clear();
    while (!lignes_.Fin() && lignes_.AlphaEgal(0, cible)) {
      if (nLignes_ == lignes_buf_.size()) lignes_buf_.emplace_back();
      Ligne& l = lignes_buf_[nLignes_++];
      l.base = lignes_.Int(kLBase);
      l.numero = lignes_.Int(kLNumero);
      l.quantite = lignes_.Int(kLQuantite);
      l.type = lignes_.Int(kLType);
      l.baseBlanc = lignes_.Blanc(0);
      l.numeroBlanc = lignes_.Blanc(1);
      l.typeBlanc = lignes_.Blanc(2);
      l.vente = lignes_.Double(kLVente);
      l.achat = lignes_.Double(kLAchat);
      l.prixNet = lignes_.Double(kLPrixNet);
      l.fournisseur.assign(lignes_.Texte(0));
      l.ecoLue = false;
      l.eco = 0;
      if (lignes_.BrutBlanc(1)) {
        l.memo = std::string::npos;
      } else {
        l.memo = memosDossier_.size();
        memosDossier_.append(lignes_.Brut(1));
      }
      // Lines come by Base then Numero: each Base value is one run.
      if (!l.baseBlanc) {
        if (groupes_.empty() || groupes_.back().base != l.base) groupes_.push_back({l.base, nLignes_ - 1, nLignes_});
        else groupes_.back().fin = nLignes_;
      }
      pdx::Status s = lignes_.Suivant();
      if (!s.ok()) return s;
    }
    return pdx::Status::OK();
  }

  struct Groupe {
    int32_t base;
    size_t debut, fin;
  };

  Calcul calcul_;
  Periode periode_;
  BilanAgenceStat* bilan_;
  Lecteur pieces_, lignes_;
  pdx::Table* ligneTable_ = nullptr;
  int champXml_ = 0;
  pdx::TextOrder ordreLignes_;
  const pdx::CodePage* cpPieces_ = nullptr;
  const pdx::CodePage* cpLignes_ = nullptr;  // set when the code pages differ
  std::string converti_;
  std::unique_ptr<pdx::BlobReader> memos_;
  const pdx::CodePage* cpMemos_ = nullptr;  // null: "Xml" is not a memo
  std::string memosDossier_;  // stored "Xml" bytes of the dossier's lines
  LecteurEco eco_;
  std::string dernier_, avant_, dossierCourant_;
  std::vector<Document> docs_;
  std::vector<bool> retenus_;
  std::vector<Ligne> lignes_buf_;
  size_t nLignes_ = 0;
  std::vector<Groupe> groupes_;
  std::vector<TStatistiqueAchat*> vus_;  // suppliers of the quote already counted
  std::unordered_map<std::string, TStatistiqueAchat*> entrees_;  // in bilan_->fournisseurs
  std::vector<int32_t> annexes_;
};

}  // namespace

void CollecterAgence(Composant& piece, Composant& ligne, Dialogs& dialogs, Calcul calcul, const Periode& periode,
                     BilanAgenceStat* bilan) {
  *bilan = BilanAgenceStat();
  const bool avecLignes = calcul != Calcul::kAgences;
  // Both files looked for in one listing of the agency's directory, which
  // their opens then take.
  if (!(avecLignes ? Composant::FichiersPresents({&piece, &ligne}) : Composant::FichiersPresents({&piece}))) return;
  if (!OuvrirTable(piece, dialogs).ok()) {
    ligne.Fermer().IgnoreError();  // not opened: only what was left for its open goes
    return;
  }
  if (avecLignes && !OuvrirTable(ligne, dialogs).ok()) {
    piece.Fermer().IgnoreError();  // read only: nothing to write
    return;
  }
  {
    Collecte c(calcul, periode, bilan);
    pdx::Status s = c.Ouvrir(piece.table(), avecLignes ? ligne.table() : nullptr);
    if (s.ok()) s = c.Executer();
    if (!s.ok()) {
      // A table that fails in the middle of its scan: the agency counts zeros,
      // as when it cannot be opened, and the reason is listed.
      std::vector<std::string> erreurs = std::move(bilan->erreurs);
      *bilan = BilanAgenceStat();
      bilan->erreurs = std::move(erreurs);
      bilan->erreurs.push_back(FrenchText(s));
    }
  }
  // Both were only read: closing has nothing to write.
  piece.Fermer().IgnoreError();
  if (avecLignes) ligne.Fermer().IgnoreError();
}

}  // namespace corv
