#include "forms/fiche_agence_edition.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include "agency/edition_agence.h"
#include "data/application.h"
#include "forms/fenetres.h"

namespace corv {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

PageEdition::PageEdition(corv::Application& app, QWidget* parent) : QWidget(parent), app_(app) {
  setObjectName("TabSheet2");
  auto* l = new QVBoxLayout(this);
  cbToutesLesAgences_ = new QCheckBox("Toutes les agences", this);
  cbToutesLesAgences_->setObjectName("cbToutesLesAgences");
  lbTitre_ = new QLabel(this);
  lbTitre_->setObjectName("lbTitreEdition");
  QFont f = lbTitre_->font();
  f.setBold(true);
  lbTitre_->setFont(f);
  tsEdition_ = new QTableWidget(0, 2, this);
  tsEdition_->setObjectName("tsEdition");
  tsEdition_->setHorizontalHeaderLabels({"Agences", "Fournisseurs"});
  tsEdition_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tsEdition_->verticalHeader()->setVisible(false);
  tsEdition_->verticalHeader()->setDefaultSectionSize(20);
  tsEdition_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  tsEdition_->setContextMenuPolicy(Qt::CustomContextMenu);
  l->addWidget(cbToutesLesAgences_);
  l->addWidget(lbTitre_);
  l->addWidget(tsEdition_, 1);
  connect(cbToutesLesAgences_, &QCheckBox::toggled, this, [this] { Q_EMIT cbToutesLesAgencesClick(); });
  connect(tsEdition_, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    QMenu m(this);
    QAction* imprimer = m.addAction("Imprimer...");
    QAction* exporter = m.addAction("Exporter...");
    QAction* choix = m.exec(tsEdition_->viewport()->mapToGlobal(p));
    corv::Garder(app_.dialogs(), [&] {
      if (choix == imprimer) Imprimer();
      if (choix == exporter) Exporter();
    });
  });
}

bool PageEdition::ToutesLesAgences() const { return cbToutesLesAgences_->isChecked(); }

void PageEdition::Afficher(const std::string& titre, const std::vector<corv::LigneEdition>& lignes) {
  titre_ = titre;
  lignes_ = lignes;
  lbTitre_->setText(Q(titre));
  tsEdition_->setRowCount(static_cast<int>(lignes.size()));
  for (int r = 0; r < tsEdition_->rowCount(); ++r) {
    tsEdition_->setItem(r, 0, new QTableWidgetItem(Q(lignes[static_cast<size_t>(r)].agence)));
    tsEdition_->setItem(r, 1, new QTableWidgetItem(Q(lignes[static_cast<size_t>(r)].fournisseur)));
  }
}

bool PageEdition::Exporter() {
  std::string chemin = "Edition.csv";
  if (!app_.dialogs().ChooseFile("Exporter", "Fichiers CSV (*.csv)|*.csv", true, &chemin)) return false;
  pdx::Status s = corv::EcrireFichier1252(app_.host().env(), chemin, corv::CsvEdition(titre_, lignes_));
  if (!s.ok()) {
    app_.dialogs().Error("Export impossible dans " + chemin + " : " + s.message());
    return false;
  }
  return true;
}

void PageEdition::Imprimer() {
  QString html = "<h3>" + Q(titre_).toHtmlEscaped() + "</h3><table border=1 cellspacing=0 cellpadding=3>" +
                 "<tr><th>Agences</th><th>Fournisseurs</th></tr>";
  for (const auto& l : lignes_)
    html += "<tr><td>" + Q(l.agence).toHtmlEscaped() + "</td><td>" + Q(l.fournisseur).toHtmlEscaped() + "</td></tr>";
  html += "</table>";
  QPrinter printer;
  QPrintDialog d(&printer, this);
  if (d.exec() != QDialog::Accepted) return;
  QTextDocument doc;
  doc.setHtml(html);
  doc.print(&printer);
}

}  // namespace corv
