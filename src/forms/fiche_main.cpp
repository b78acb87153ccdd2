#include "forms/fiche_main.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include "data/application.h"
#include "data/impression.h"
#include "forms/fenetres.h"
#include "forms/fenetres_taches.h"
#include "forms/captures.h"
#include "forms/fiche_agence.h"

namespace corv {

void ZoneTuile::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) presse_ = true;
  QLabel::mousePressEvent(e);
}

void ZoneTuile::mouseReleaseEvent(QMouseEvent* e) {
  bool dedans = rect().contains(e->position().toPoint());
  if (e->button() == Qt::LeftButton && presse_ && dedans) {
    presse_ = false;
    Q_EMIT clicked();
    return;
  }
  presse_ = false;
  QLabel::mouseReleaseEvent(e);
}

void ZoneTuile::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space) {
    Q_EMIT clicked();
    return;
  }
  QLabel::keyPressEvent(e);
}

void ZoneTuile::paintEvent(QPaintEvent* e) {
  QLabel::paintEvent(e);
  if (!hasFocus()) return;
  QPainter p(this);
  p.setPen(QPen(Qt::white, 1, Qt::DotLine));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

TFicheMainCorvane::TFicheMainCorvane(corv::Application& app, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      app_(app) {
  setObjectName("FicheMainCorvane");
  setWindowTitle("Corvanes");
  setFixedSize(708, 793);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);

  Panel1_ = new QWidget(this);
  Panel1_->setObjectName("Panel1");
  Panel1_->setGeometry(8, 8, 681, 729);
  Panel1_->setAutoFillBackground(true);
  Panel1_->setPalette(p);

  // 1. The tiles, painted blue (red 42, green 114, blue 194).
  agence_ = AjouterTuile("imgAgence", "lbAgence", "AGENCE", {20, 20, 640, 100});
  remiseAchat_ = AjouterTuile("imgTransfertRemiseAchat", "lbTransfertRemiseAchat", "TRANSFERT DES CONDITIONS D'ACHAT",
                              {20, 140, 200, 100});
  remiseVente_ = AjouterTuile("imgTransfertRemiseVente", "lbTransfertRemiseVente", "TRANSFERT DES CONDITIONS DE VENTE",
                              {240, 140, 200, 100});
  perso_ = AjouterTuile("imgTransfertPerso", "lbTransfertPerso", "TRANSFERT DES PERSONNALISATIONS", {460, 140, 200, 100});
  messagerie_ =
      AjouterTuile("imgTransfertMessagerie", "lbTransfertMessagerie", "TRANSFERT DE LA MESSAGERIE", {20, 260, 200, 100});
  document_ = AjouterTuile("imgTransfertDocument", "lbTransfertDocument", "TRANSFERT DES DOCUMENTS", {240, 260, 200, 100});
  nettoyage_ = AjouterTuile("imgNettoyageClient", "lbNettoyageClients", "NETTOYAGE DES CLIENTS", {460, 260, 200, 100});
  stats_ = AjouterTuile("imgStats", "lbStats", "STATISTIQUES", {20, 373, 640, 100});
  impression_ = AjouterTuile("imgImpression", "lImpression", "CONFIGURATION DE L'IMPRESSION", {20, 485, 640, 100});

  connect(agence_.image, &ZoneTuile::clicked, this, &TFicheMainCorvane::imgAgenceClick);
  connect(agence_.label, &ZoneTuile::clicked, this, &TFicheMainCorvane::lbAgenceClick);
  connect(remiseAchat_.image, &ZoneTuile::clicked, this, &TFicheMainCorvane::imgTransfertRemiseAchatClick);
  connect(remiseAchat_.label, &ZoneTuile::clicked, this, &TFicheMainCorvane::lbTransfertRemiseAchatClick);
  connect(remiseVente_.image, &ZoneTuile::clicked, this, &TFicheMainCorvane::imgTransfertRemiseVenteClick);
  connect(remiseVente_.label, &ZoneTuile::clicked, this, &TFicheMainCorvane::lbTransfertRemiseVenteClick);
  connect(perso_.image, &ZoneTuile::clicked, this, &TFicheMainCorvane::imgTransfertPersoClick);
  connect(perso_.label, &ZoneTuile::clicked, this, &TFicheMainCorvane::lbTransfertPersoClick);
  connect(messagerie_.image, &ZoneTuile::clicked, this, &TFicheMainCorvane::imgTransfertMessagerieClick);
  connect(messagerie_.label, &ZoneTuile::clicked, this, &TFicheMainCorvane::lbTransfertMessagerieClick);
  connect(document_.image, &ZoneTuile::clicked, this, &TFicheMainCorvane::imgTransfertDocumentClick);
  connect(document_.label, &ZoneTuile::clicked, this, &TFicheMainCorvane::lbTransfertDocumentClick);
  connect(nettoyage_.image, &ZoneTuile::clicked, this, &TFicheMainCorvane::imgNettoyageClientClick);
  connect(nettoyage_.label, &ZoneTuile::clicked, this, &TFicheMainCorvane::lbNettoyageClientsClick);
  connect(stats_.image, &ZoneTuile::clicked, this, &TFicheMainCorvane::imgStatsClick);
  connect(stats_.label, &ZoneTuile::clicked, this, &TFicheMainCorvane::lbStatsClick);
  connect(impression_.image, &ZoneTuile::clicked, this, &TFicheMainCorvane::ImpressionClick);
  connect(impression_.label, &ZoneTuile::clicked, this, &TFicheMainCorvane::ImpressionClick);

  // 2 and 3: general parameters with today's VAT rates, catalogue tables; 4: version.
  LabelVersion_ = new QLabel(Panel1_);
  LabelVersion_->setObjectName("LabelVersion");
  LabelVersion_->setAlignment(Qt::AlignRight | Qt::AlignTop);
  LabelVersion_->setGeometry(8, 703, 681 - 16, 20);
  std::string version;
  Garder(app_.dialogs(), [&] { version = app_.InitialiserFenetrePrincipale(); });
  LabelVersion_->setText(QString::fromStdString(version));

  agence_.label->setFocus();
  if (QScreen* s = QGuiApplication::primaryScreen()) move(s->availableGeometry().center() - rect().center());
}

TFicheMainCorvane::Tuile TFicheMainCorvane::AjouterTuile(const char* image, const char* label, const char* libelle,
                                                         QRect r) {
  Tuile t;
  t.image = new ZoneTuile(Panel1_);
  t.image->setObjectName(image);
  t.image->setGeometry(r);
  QPixmap pix(r.width() + 5, r.height() + 5);
  pix.fill(QColor(42, 114, 194));
  t.image->setPixmap(pix);
  t.image->setCursor(Qt::PointingHandCursor);
  t.label = new ZoneTuile(Panel1_);
  t.label->setObjectName(label);
  t.label->setText(QString::fromUtf8(libelle));
  t.label->setFont(corv::PoliceSansSerif(15, true));
  t.label->setAlignment(Qt::AlignCenter);
  t.label->setWordWrap(true);
  t.label->setAttribute(Qt::WA_TranslucentBackground);
  QPalette p = t.label->palette();
  p.setColor(QPalette::WindowText, Qt::white);
  t.label->setPalette(p);
  // The caption covers the middle of the tile: the blue around it stays the picture's.
  t.label->setGeometry(r.adjusted(10, 25, -10, -25));
  t.label->setCursor(Qt::PointingHandCursor);
  t.label->setFocusPolicy(Qt::StrongFocus);
  t.label->raise();
  return t;
}

void TFicheMainCorvane::EffetPression(const Tuile& t) {
  t.label->move(t.label->pos() + QPoint(2, 2));
  t.image->move(t.image->pos() + QPoint(2, 2));
  t.image->repaint();
  t.label->repaint();
  QThread::msleep(20);
  t.label->move(t.label->pos() - QPoint(2, 2));
  t.image->move(t.image->pos() - QPoint(2, 2));
  t.image->repaint();
  t.label->repaint();
}

void TFicheMainCorvane::OuvrirTache(const Tuile& t, const std::string& classe, int mode) {
  Garder(app_.dialogs(), [&] {
    EffetPression(t);
    std::unique_ptr<QDialog> f = corv::CreerFenetreTache(classe, app_, this, mode);
    if (f) corv::ExecuterModal(*f);
  });
}

void TFicheMainCorvane::OuvrirAgence() {
  Garder(app_.dialogs(), [&] {
    EffetPression(agence_);
    TFicheAgence f(app_, this);
    corv::ExecuterModal(f);
  });
}

void TFicheMainCorvane::imgAgenceClick() { OuvrirAgence(); }
void TFicheMainCorvane::lbAgenceClick() { OuvrirAgence(); }
void TFicheMainCorvane::imgTransfertRemiseAchatClick() { OuvrirTache(remiseAchat_, "TFicheCopieRemiseAchatVersAgence", 2); }
void TFicheMainCorvane::lbTransfertRemiseAchatClick() { OuvrirTache(remiseAchat_, "TFicheCopieRemiseAchatVersAgence", 2); }
void TFicheMainCorvane::imgTransfertRemiseVenteClick() { OuvrirTache(remiseVente_, "TFicheCopieRemiseAchatVersAgence", 1); }
void TFicheMainCorvane::lbTransfertRemiseVenteClick() { OuvrirTache(remiseVente_, "TFicheCopieRemiseAchatVersAgence", 1); }
void TFicheMainCorvane::imgTransfertPersoClick() { OuvrirTache(perso_, "TFicheCopiePersoVersAgence"); }
void TFicheMainCorvane::lbTransfertPersoClick() { OuvrirTache(perso_, "TFicheCopiePersoVersAgence"); }
void TFicheMainCorvane::imgTransfertMessagerieClick() { OuvrirTache(messagerie_, "TFicheCopieMessagerieVersAgence"); }
void TFicheMainCorvane::lbTransfertMessagerieClick() { OuvrirTache(messagerie_, "TFicheCopieMessagerieVersAgence"); }
void TFicheMainCorvane::imgTransfertDocumentClick() { OuvrirTache(document_, "TFicheCopieDocumentVersAgence"); }
void TFicheMainCorvane::lbTransfertDocumentClick() { OuvrirTache(document_, "TFicheCopieDocumentVersAgence"); }
void TFicheMainCorvane::imgNettoyageClientClick() { OuvrirTache(nettoyage_, "TFicheNettoyageClients"); }
void TFicheMainCorvane::lbNettoyageClientsClick() { OuvrirTache(nettoyage_, "TFicheNettoyageClients"); }
void TFicheMainCorvane::imgStatsClick() { OuvrirTache(stats_, "TFicheStatistiqueAgence"); }
void TFicheMainCorvane::lbStatsClick() { OuvrirTache(stats_, "TFicheStatistiqueAgence"); }

void TFicheMainCorvane::ImpressionClick() {
  Garder(app_.dialogs(), [&] {
    EffetPression(impression_);
    corv::ConfigurerImpression(app_.chemins(), app_.host(), app_.dialogs(), "");
  });
}

void AjouterCapturesMain(std::vector<EtapeCapture>& etapes) {
  etapes.push_back({"TFicheMainCorvane", [](ContexteCapture& ctx) {
                      if (ctx.principale()) ctx.Capturer(ctx.principale(), "TFicheMainCorvane");
                    }});
}

}  // namespace corv
