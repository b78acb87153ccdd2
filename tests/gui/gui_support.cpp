#include "gui_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>

#include "forms/fenetres.h"
#include "paradox/table.h"
#include "support/demo_copie.h"
#include "support/table_check.h"
#include "util/dates.h"

namespace guitest {

namespace fs = std::filesystem;

Installation::Installation() {
  testutil::CopierDemo(testutil::ModeleDemo(5, 3, 11), tmp_.path());
  fs::create_directories(tmp_.file("bin"));
  app_ = std::make_unique<corv::Application>(pdx::Env::Default(), tmp_.file("bin/corvanes"), dialogs_);
  EXPECT_TRUE(app_->Demarrer(tmp_.file("qvrbde.ini")).ok());
}

ModalesEnregistrees::ModalesEnregistrees(std::function<int(QDialog&)> pilote) : pilote_(std::move(pilote)) {
  corv::DefinirCrochetModal([this](QDialog& d) {
    vues_.push_back({d.objectName().toStdString(), d.windowTitle().toStdString()});
    int r = QDialog::Rejected;
    if (pilote_) r = pilote_(d);
    if (d.isVisible()) d.close();
    return r;
  });
}

ModalesEnregistrees::~ModalesEnregistrees() { corv::DefinirCrochetModal(nullptr); }

int TableLue::F(const std::string& nom) const {
  for (size_t i = 0; i < champs.size(); ++i)
    if (champs[i].name == nom) return static_cast<int>(i);
  return -1;
}

std::string TableLue::T(size_t ligne, const std::string& nom) const {
  int f = F(nom);
  EXPECT_GE(f, 0) << nom;
  if (f < 0 || ligne >= lignes.size()) return "<absent>";
  const pdx::Value& v = lignes[ligne][static_cast<size_t>(f)];
  if (v.blank) return "";
  if (champs[static_cast<size_t>(f)].type == pdx::FieldType::kAlpha ||
      champs[static_cast<size_t>(f)].type == pdx::FieldType::kMemo)
    return v.text;
  return std::to_string(v.i);
}

TableLue Lire(const std::string& dir, const std::string& table) {
  TableLue r;
  std::unique_ptr<pdx::Table> t;
  pdx::Status s = pdx::Table::Open(pdx::Env::Default(), dir, table, &t);
  EXPECT_TRUE(s.ok()) << s.ToString();
  if (!s.ok()) return r;
  r.champs = t->info().fields;
  auto c = t->NewCursor();
  for (s = c->First(); s.ok() && !c->AtEnd(); s = c->Next()) {
    std::vector<pdx::Value> row(r.champs.size());
    for (size_t f = 0; f < row.size(); ++f) EXPECT_TRUE(c->GetValue(static_cast<int>(f + 1), &row[f]).ok());
    r.lignes.push_back(std::move(row));
  }
  return r;
}

// Every table of the installation (rows as text) and every document file,
// by path relative to it; backups, logs and the executable's directory left out.
Contenu ContenuInstallation(const std::string& racine) {
  Contenu c;
  for (const auto& e : fs::recursive_directory_iterator(racine)) {
    if (!e.is_regular_file()) continue;
    std::string rel = fs::relative(e.path(), racine).string();
    if (rel.rfind("Sauvegardes", 0) == 0 || rel.rfind("bin", 0) == 0) continue;
    std::string ext = e.path().extension().string();
    for (auto& ch : ext) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (ext == ".DB") {
      c[rel] = testutil::ReadRows(pdx::Env::Default(), e.path().parent_path().string(), e.path().filename().string());
    } else if (rel.find("Documents") != std::string::npos) {
      c[rel] = {{testutil::ReadFile(e.path().string())}};
    }
  }
  return c;
}

void Evenements(int ms) {
  QElapsedTimer t;
  t.start();
  do QApplication::processEvents(QEventLoop::AllEvents, 5);
  while (t.elapsed() < ms);
}

}  // namespace guitest
