#include "demo/resume.h"

#include <cstdlib>

#include <cstdio>
#include <iostream>

#include "data/dictionnaire.h"
#include "data/composant.h"
#include "data/demarrage.h"
#include "data/fonctions_bd.h"
#include "util/session.h"
#include "util/text.h"
#include "util/winpath.h"

namespace corv::demo {
namespace {

// Rows of a dictionary file through its first component; NotFound when absent.
pdx::Status Compter(const Contexte& ctx, const TableDef& t, size_t* n) {
  Composant c(ctx, t, t.composants.front());
  if (!c.FichierExiste()) return pdx::Status::NotFound(t.fichier + " not found in " + c.Repertoire());
  pdx::Status s = c.Ouvrir();
  if (!s.ok()) return s;
  *n = c.NombreEnregistrements();
  c.Fermer().IgnoreError();  // only read: closing has nothing to write
  return pdx::Status::OK();
}

}  // namespace

pdx::Status Relire(pdx::Env* env, const std::string& dir, Bilan* out) {
  *out = Bilan{};
  Session session;
  HostPaths host(env);
  std::string ini = dir + "/qvrbde.ini";
  if (!env->FileExists(ini)) return pdx::Status::NotFound(ini + " (no installation in " + dir + ")");
  PDX_RETURN_IF_ERROR(ConfigurerSession(ini, session, host));
  Contexte ctx{&session, &host};

  for (const TableDef& t : Dictionnaire()) {
    if (!EqualsNoCase(t.alias, kAliasAdministration) || t.composants.empty()) continue;
    size_t n = 0;
    pdx::Status s = Compter(ctx, t, &n);
    if (s.IsNotFound()) continue;
    if (!s.ok()) return s;
    out->tablesSiege.emplace_back(t.fichier, n);
  }

  const TableDef* agence = TableDuComposant("tblAgence");
  const TableDef* dossier = TrouverTable(kAliasDossiers, "DOSSIER.DB");
  const TableDef* piece = TrouverTable(kAliasDossiers, "PIECE.DB");
  const TableDef* ligne = TrouverTable(kAliasDossiers, "LIGNE.DB");
  const TableDef* sligne = TrouverTable(kAliasDossiers, "SLIGNE.DB");
  if (!agence || !dossier || !piece || !ligne || !sligne)
    return pdx::Status::NotSupported("the dictionary lacks the agency or dossier tables");
  Composant tbl(ctx, *agence, *agence->Composant("tblAgence"));
  pdx::Status s = tbl.Ouvrir();
  if (!s.ok()) return s;
  int fCode = tbl.NumeroChamp("Code"), fNom = tbl.NumeroChamp("Nom"), fRep = tbl.NumeroChamp("Repertoire"),
      fFlag = tbl.NumeroChamp("Flag");
  for (s = tbl.Premier(); s.ok() && !tbl.Fin(); s = tbl.Suivant()) {
    BilanAgence b;
    std::string flag;
    s = tbl.Texte(fCode, &b.code);
    if (s.ok()) s = tbl.Texte(fNom, &b.nom);
    if (s.ok()) s = tbl.Texte(fRep, &b.repertoire);
    if (s.ok() && fFlag > 0) s = tbl.Texte(fFlag, &flag);
    if (!s.ok()) return s;
    if (!host.DirExists(b.repertoire)) {
      b.sorte = SorteAgence::kAbsente;
    } else {
      if (!flag.empty() && (std::atoi(flag.c_str()) & 1)) b.sorte = SorteAgence::kPartagee;
      s = ChangerRepertoireBase(session, kAliasDossiers, "Dossiers", b.repertoire);
      if (!s.ok()) return s;
      struct {
        const TableDef* t;
        size_t* n;
      } comptes[] = {{dossier, &b.dossiers}, {piece, &b.pieces}, {ligne, &b.lignes}, {sligne, &b.sousLignes}};
      for (auto& c : comptes) {
        pdx::Status sc = Compter(ctx, *c.t, c.n);
        if (!sc.ok() && !sc.IsNotFound()) return sc;
      }
    }
    out->agences.push_back(b);
  }
  tbl.Fermer().IgnoreError();  // only read: closing has nothing to write
  return s;
}

std::string Formater(const std::string& dir, const Bilan& b) {
  std::string out = "Installation de démonstration : " + dir + "\n\nSiège, répertoire Administration :\n";
  char buf[512];
  for (const auto& [fichier, n] : b.tablesSiege) {
    std::snprintf(buf, sizeof buf, "  %-24s %8zu\n", fichier.c_str(), n);
    out += buf;
  }
  out += "\nAgences :\n";
  size_t d = 0, p = 0, l = 0;
  for (const BilanAgence& a : b.agences) {
    std::string etat;
    if (a.sorte == SorteAgence::kAbsente) etat = "  (répertoire introuvable)";
    if (a.sorte == SorteAgence::kPartagee) etat = "  (Administration du siège)";
    std::snprintf(buf, sizeof buf, "  %-6s %-28s %-22s dossiers %7zu  pièces %7zu  lignes %8zu%s\n",
                  a.code.c_str(), a.nom.c_str(), a.repertoire.c_str(), a.dossiers, a.pieces, a.lignes, etat.c_str());
    out += buf;
    d += a.dossiers;
    p += a.pieces;
    l += a.lignes;
  }
  std::snprintf(buf, sizeof buf, "  Total : %zu agences, %zu dossiers, %zu pièces, %zu lignes\n", b.agences.size(), d,
                p, l);
  return out + buf;
}

pdx::Status Resumer(pdx::Env* env, const std::string& dir, std::string* texte) {
  Bilan b;
  pdx::Status s = Relire(env, dir, &b);
  *texte = Formater(dir, b);
  return s;
}

}  // namespace corv::demo
