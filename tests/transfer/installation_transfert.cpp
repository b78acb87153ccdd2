#include "installation_transfert.h"

#include <gtest/gtest.h>

#include "data/dictionnaire.h"
#include "data/creation.h"
#include "paradox/writer.h"
#include "util/dates.h"
#include "util/ini.h"

namespace transfertest {

pdx::Value T(const std::string& s) { return pdx::Value::Text(s); }
pdx::Value I(int64_t v) { return pdx::Value::Int(v); }
pdx::Value N(double v) { return pdx::Value::Double(v); }

namespace {

struct DemoGeneree {
  testutil::TempDir tmp;
  std::string dir;
  corv::demo::Bilan bilan;
};

const DemoGeneree& Generee() {
  static DemoGeneree* d = [] {
    auto* g = new DemoGeneree;
    g->dir = g->tmp.path() + "/demo";
    corv::demo::Options o;
    o.repertoire = g->dir;
    o.agences = 5;
    o.dossiers = 20;
    o.graine = 7;
    o.jour = corv::DayNumber(2026, 12, 8);
    pdx::Status s = corv::demo::Generer(pdx::Env::Default(), o, &g->bilan);
    EXPECT_TRUE(s.ok()) << s.ToString();
    return g;
  }();
  return *d;
}

}  // namespace

Installation::Installation() {
  for (const char* k : {"Administration", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj", "bin", "Agences"})
    EXPECT_TRUE(pdx::Env::Default()->CreateDir(Hote(k)).ok());
  corv::IniFile bde;
  bde.WriteString("Alias", "Quintrel", "Q:");
  for (const char* k : {"Administration", "Dossiers", "Archives", "Corbeille", "Tarifs", "Maj"})
    bde.WriteString("Alias", k, std::string("Q:\\") + k);
  bde.WriteString("Chemins", "Q:", dir());
  EXPECT_TRUE(bde.Save(pdx::Env::Default(), Ini()).ok());
}

Installation::~Installation() = default;

void Installation::Table(const std::string& relatif, const std::string& fichier, const std::vector<Ligne>& lignes,
                         const std::string& alias) {
  const corv::TableDef* def = corv::TrouverTable(alias, fichier);
  ASSERT_NE(def, nullptr) << fichier;
  pdx::Env* env = pdx::Env::Default();
  std::string d = Hote(relatif);
  std::string actual;
  if (pdx::FindFileNoCase(env, d, fichier, &actual).ok()) {
    for (const char* ext : {".DB", ".PX", ".MB"}) {
      std::string base = fichier.substr(0, fichier.find('.'));
      env->RemoveFile(d + "/" + base + ext).IgnoreError();  // absent files are fine
    }
  }
  pdx::Status s = corv::CreerFichier(env, d, *def);
  ASSERT_TRUE(s.ok()) << s.ToString();
  std::unique_ptr<pdx::TableWriter> w;
  s = pdx::TableWriter::Open(env, d, fichier, {}, &w);
  ASSERT_TRUE(s.ok()) << s.ToString();
  for (const Ligne& l : lignes) {
    std::vector<pdx::Value> v(def->champs.size());
    for (const auto& [nom, val] : l) {
      int n = def->NumeroChamp(nom);
      ASSERT_GT(n, 0) << nom;
      v[static_cast<size_t>(n - 1)] = val;
    }
    for (size_t i = 0; i < def->cle.size(); ++i)
      if (v[i].blank && def->champs[i].type == pdx::FieldType::kAlpha) v[i] = T("");
    s = w->Insert(v);
    ASSERT_TRUE(s.ok()) << s.ToString();
  }
  s = w->Close();
  ASSERT_TRUE(s.ok()) << s.ToString();
}

void Installation::Agence(const std::string& code, const std::string& nom, const std::string& repertoire, int flag) {
  std::string rep = repertoire.rfind("Q:", 0) == 0 ? repertoire : "Q:\\" + repertoire;
  for (char& c : rep)
    if (c == '/') c = '\\';
  agences_.push_back({{"Code", T(code)}, {"Nom", T(nom)}, {"Repertoire", T(rep)}, {"Flag", I(flag)}});
  Table("Administration", "Agence.DB", agences_);
}

void Installation::RepertoireAgence(const std::string& relatif) {
  pdx::Env* env = pdx::Env::Default();
  // Existing folders are fine; a folder that could not be made fails the writes that follow.
  env->CreateDir(Hote(relatif)).IgnoreError();
  env->CreateDir(Hote(relatif + "/Administration")).IgnoreError();
  env->CreateDir(Hote(relatif + "/Dossiers")).IgnoreError();
}

corv::Application& Installation::app() {
  if (!app_) {
    app_ = std::make_unique<corv::Application>(pdx::Env::Default(), ExePath(), dialogs);
    EXPECT_TRUE(app_->Demarrer(Ini()).ok());
    app_->InitialiserFenetrePrincipale();
  }
  return *app_;
}

std::vector<std::vector<pdx::Value>> Installation::Lire(const std::string& relatif, const std::string& fichier) const {
  std::vector<std::vector<pdx::Value>> rows;
  std::unique_ptr<pdx::Table> t;
  pdx::Status s = pdx::Table::Open(pdx::Env::Default(), Hote(relatif), fichier, &t);
  EXPECT_TRUE(s.ok()) << s.ToString();
  if (!s.ok()) return rows;
  auto c = t->NewCursor();
  for (s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    std::vector<pdx::Value> row(t->info().fields.size());
    for (size_t f = 0; f < row.size(); ++f) EXPECT_TRUE(c->GetValue(static_cast<int>(f + 1), &row[f]).ok());
    rows.push_back(std::move(row));
  }
  EXPECT_TRUE(s.ok()) << s.ToString();
  return rows;
}

pdx::TableInfo Installation::Info(const std::string& relatif, const std::string& fichier) const {
  std::unique_ptr<pdx::Table> t;
  pdx::Status s = pdx::Table::Open(pdx::Env::Default(), Hote(relatif), fichier, &t);
  EXPECT_TRUE(s.ok()) << s.ToString();
  return s.ok() ? t->info() : pdx::TableInfo{};
}

std::map<std::string, std::string> Installation::Empreinte(const std::string& relatif) const {
  std::map<std::string, std::string> m;
  std::vector<std::string> noms;
  pdx::Env::Default()->GetChildren(Hote(relatif), &noms).IgnoreError();  // a missing folder: an empty print
  for (const auto& n : noms) {
    std::string p = Hote(relatif + "/" + n);
    if (pdx::Env::Default()->DirExists(p)) continue;
    m[n] = testutil::ReadFile(p);
  }
  return m;
}

std::unique_ptr<Installation> CopieDemo() {
  const DemoGeneree& g = Generee();
  auto inst = std::make_unique<Installation>();
  testutil::CopyTree(g.dir, inst->dir());
  // The copy's configuration maps "Q:" to the copy.
  corv::IniFile bde;
  EXPECT_TRUE(corv::IniFile::Load(pdx::Env::Default(), inst->Ini(), &bde).ok());
  bde.WriteString("Chemins", "Q:", inst->dir());
  EXPECT_TRUE(bde.Save(pdx::Env::Default(), inst->Ini()).ok());
  pdx::Env::Default()->CreateDir(inst->Hote("bin")).IgnoreError();  // may exist
  return inst;
}

const corv::demo::Bilan& BilanDemo() { return Generee().bilan; }

}  // namespace transfertest
