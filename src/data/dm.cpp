#include "data/dm.h"

#include <stdexcept>

#include "data/creation.h"
#include "data/fonctions_bd.h"
#include "data/maj_table.h"
#include "paradox/restructure.h"
#include "util/text.h"

namespace corv {
namespace {

// The type changes the engine's restructure converts (see restructure.h).
bool RestructurableParLeMoteur(const std::vector<ChampDef>& avant, const std::vector<ChampDef>& apres) {
  using FT = pdx::FieldType;
  for (size_t i = 0; i < avant.size() && i < apres.size(); ++i) {
    FT a = avant[i].type, b = apres[i].type;
    if (a == b) continue;
    bool ok = (a == FT::kShort && (b == FT::kLong || b == FT::kNumber || b == FT::kMoney)) ||
              (a == FT::kLong && (b == FT::kNumber || b == FT::kMoney)) ||
              (a == FT::kNumber && b == FT::kMoney) || (a == FT::kMoney && b == FT::kNumber) ||
              (a == FT::kDate && b == FT::kTimestamp);
    if (!ok) return false;
  }
  return true;
}

bool FlushedAfterPost(const std::string& nom) {
  for (const char* n : {"tblDossier", "tblDocument", "tblDossierRefs", "tblLigne", "tblSousLigne"})
    if (nom == n) return true;
  return false;
}

}  // namespace

const std::vector<std::string>& TablesCatalogue() {
  static const std::vector<std::string> kOrder = {
      "tblComposantLien", "tblComposantP", "tblComposantReverse", "tblComposantTarif", "tblFamille",
      "tblFamilleOrdre", "tblGrille", "tblGroupe", "tblHauteur", "tblHM", "tblLargeur", "tblLiaison", "tblLien",
      "tblLimite", "tblMajTarif", "tblModele", "tblModeleOrdre", "tblSetFamille", "tblTableau", "tblContrainteFns",
      "tblContrainteType", "tblContrainte", "tblProduitFns", "tblProduit", "tblProduitBiss", "tblZone",
      "tblTarifComposeFns", "tblTarifComposeFns_TarifFns", "tblTarifLien_FnsBis", "tblTarifCompose_Inverse",
      "tblTarifFournisseur"};
  return kOrder;
}

TDM::TDM(Session& session, HostPaths& host, Dialogs& dialogs)
    : rmdTarif(*TrouverTableMemoire("rmdTarif")),
      rmdLien(*TrouverTableMemoire("rmdLien")),
      ctx_{&session, &host},
      dialogs_(dialogs) {
  for (const auto& t : Dictionnaire())
    for (const auto& c : t.composants) {
      if (!c.fenetre.empty()) continue;
      auto comp = std::make_unique<Composant>(ctx_, t, c);
      comp->avantOuverture = [this](Composant& x) { return AvantOuverture(x); };
      if (FlushedAfterPost(c.nom)) comp->apresValidation = [](Composant& x) { return x.Enregistrer(); };
      composants_.push_back(std::move(comp));
    }
}

Composant* TDM::Table(const std::string& nom) {
  for (auto& c : composants_)
    if (c->Nom() == nom) return c.get();
  return nullptr;
}

Composant& TDM::operator[](const std::string& nom) {
  Composant* c = Table(nom);
  if (!c) throw std::out_of_range("no table component " + nom);
  return *c;
}

std::unique_ptr<Composant> TDM::NouveauComposant(const std::string& nom, const std::string& fenetre) {
  const TableDef* t = TableDuComposant(nom, fenetre);
  if (!t) return nullptr;
  for (const auto& c : t->composants)
    if (c.nom == nom && c.fenetre == fenetre) {
      auto comp = std::make_unique<Composant>(ctx_, *t, c);
      comp->avantOuverture = [this](Composant& x) { return AvantOuverture(x); };
      return comp;
    }
  return nullptr;
}

pdx::Status TDM::AvantOuverture(Composant& c) {
  const TableDef& def = c.Def();
  pdx::Env* env = ctx_.host->env();
  // The directory converted once, the file looked for once (each a round
  // trip or more on a network share).
  std::string dir = c.RepertoireHote();
  // The table opened to read its layout is the one the component then reads
  // when nothing needs changing: one open instead of two. The open finds the
  // file whatever its case; only when it fails is the file looked for.
  std::unique_ptr<pdx::Table> t;
  pdx::Status ouverture = pdx::Table::Open(env, dir, def.fichier, &t, c.ListingIndique());
  if (!ouverture.ok()) {
    std::string trouve;
    if (pdx::FindFileNoCase(env, dir, def.fichier, &trouve).ok()) return ouverture;
    if (def.creation == Creation::kAucune) return pdx::Status::OK();  // the open reports the missing file
    return CreerFichier(env, dir, def);
  }
  if (def.regles.empty()) {
    c.GarderTable(std::move(t), dir);
    return pdx::Status::OK();
  }
  std::vector<ChampDef> actuels = ChampsDuFichier(t->info());
  PlanMaj plan = PlanifierMaj(def, actuels, IndexDuFichier(t->info()));
  if (plan.Vide()) {
    c.GarderTable(std::move(t), dir);
    return pdx::Status::OK();
  }
  t.reset();
  // Field numbers (from 1) that the assignments ("UPDATE ... set X = 0") set.
  std::vector<int> zeros;
  for (const auto& z : plan.aZero)
    for (size_t i = 0; i < plan.champs.size(); ++i)
      if (EqualsNoCase(plan.champs[i].nom, z)) zeros.push_back(static_cast<int>(i + 1));
  auto metAZero = [&zeros](std::vector<pdx::Value>& v) {
    for (int n : zeros) v[static_cast<size_t>(n - 1)] = pdx::Value::Int(0);
  };
  if (plan.restructurer) {
    // A conversion the engine's restructure does not make (a number becoming
    // text): the whole upgrade is built aside and swapped in at once.
    if (!RestructurableParLeMoteur(actuels, plan.champs)) return AppliquerMaj(env, dir, def.fichier, plan);
    std::vector<pdx::FieldDesc> current, fields;
    PDX_RETURN_IF_ERROR(pdx::TableFields(env, dir, def.fichier, &current));
    for (size_t i = 0; i < plan.champs.size(); ++i) {
      fields.push_back(DescripteurChamp(plan.champs[i]));
      if (i < current.size()) fields.back().required = current[i].required;
    }
    // The assignments land in the same commit as the new fields: an upgrade
    // interrupted in between would otherwise leave them blank for good, since
    // the next open finds the layout current.
    pdx::RestructureOptions options;
    if (!zeros.empty()) options.transformRow = metAZero;
    pdx::Status r = pdx::RestructureTable(env, dir, def.fichier, fields, options);
    // The engine refuses rows it cannot write back (an empty text in a key
    // field, as supplier-wide conditions have); the table is then as it was,
    // and the upgrade is built aside instead.
    if (r.IsInvalidArgument()) return AppliquerMaj(env, dir, def.fichier, plan);
    PDX_RETURN_IF_ERROR(r);
    zeros.clear();
  }
  if (zeros.empty() && plan.indexSupprimes.empty() && plan.indexAjoutes.empty()) return pdx::Status::OK();
  // Index changes (and assignments without a new layout): one writer, one commit.
  std::unique_ptr<pdx::TableWriter> w;
  PDX_RETURN_IF_ERROR(pdx::TableWriter::Open(env, dir, def.fichier, {}, &w));
  if (!zeros.empty()) {
    std::vector<pdx::Value> v;
    for (pdx::RowId r : w->Rows()) {
      PDX_RETURN_IF_ERROR(w->Get(r, &v));
      metAZero(v);
      PDX_RETURN_IF_ERROR(w->Update(r, v));
    }
  }
  for (const auto& n : plan.indexSupprimes) PDX_RETURN_IF_ERROR(w->DeleteIndex(n));
  for (const auto& i : plan.indexAjoutes) PDX_RETURN_IF_ERROR(w->AddIndex(IndexMoteur(i)));
  return w->Close();
}

pdx::Status TDM::OuvrirTablesCatalogue() {
  pdx::Status premier;
  auto noter = [&premier](const pdx::Status& s) {
    if (premier.ok()) premier = s;
  };
  for (const auto& nom : TablesCatalogue()) {
    Composant& c = (*this)[nom];
    if (nom != "tblProduitFns") {
      noter(OuvrirTable(c, dialogs_));
      continue;
    }
    if (c.Actif() || c.Ouvrir().ok()) continue;
    // The index "Fns" is missing or damaged: rebuild it through tblProduit.
    Composant& produit = (*this)["tblProduit"];
    const IndexDef* fns = produit.Def().Index("Fns");
    if (fns && produit.FichierExiste()) {
      std::unique_ptr<pdx::TableWriter> w;
      std::string dir = produit.RepertoireHote();
      if (pdx::TableWriter::Open(ctx_.host->env(), dir, produit.Fichier(), {}, &w).ok()) {
        w->DeleteIndex("Fns").IgnoreError();  // a missing index cannot be deleted: no matter
        // A failed rebuild writes nothing (the writer is dropped unclosed); the
        // OuvrirTable below then reports the table to the user.
        if (w->AddIndex(IndexMoteur(*fns)).ok()) w->Close().IgnoreError();
      }
    }
    noter(OuvrirTable(c, dialogs_));
  }
  return premier;
}

pdx::Status TDM::FermerTablesCatalogue() {
  pdx::Status premier;
  for (const auto& nom : TablesCatalogue()) {
    pdx::Status s = (*this)[nom].Fermer();
    if (premier.ok()) premier = s;
  }
  return premier;
}

}  // namespace corv
