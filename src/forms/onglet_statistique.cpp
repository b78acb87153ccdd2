#include "forms/onglet_statistique.h"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>

#include "forms/champ_date.h"
#include "forms/liste_rapport.h"

namespace corv {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Sizes of the controls the layout rules place.
constexpr int kMarge = 8;
constexpr int kHautBouton = 27;
constexpr int kLargeBouton = 130;
constexpr int kHautProgression = 22;
constexpr int kImage = 32;
constexpr int kHautListe = 44;  // top of the lists, under the period and "Rechercher"

// The done mark: a white tick on a green disc.
QPixmap MarqueFait() {
  QPixmap p(kImage, kImage);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(Qt::NoPen);
  g.setBrush(QColor(46, 160, 67));
  g.drawEllipse(1, 1, kImage - 2, kImage - 2);
  QPen trait(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  g.setPen(trait);
  QPainterPath coche;
  coche.moveTo(9, 17);
  coche.lineTo(14, 22);
  coche.lineTo(23, 11);
  g.drawPath(coche);
  return p;
}

ListeStat ListeVide(Calcul calcul) {
  ListeStat l;
  l.calcul = calcul;
  if (calcul == Calcul::kAgences) {
    l.colonnes = ColonnesAgences();
  } else {
    l.colonnes = ColonnesAchats(calcul == Calcul::kFournisseurs);
    l.colonnesDetail = ColonnesDetail(calcul == Calcul::kFournisseurs);
  }
  return l;
}

// The index of the row equal to `ligne` in the list, -1 when none.
int Retrouver(const std::vector<LigneStat>& lignes, const LigneStat& ligne) {
  for (size_t i = 0; i < lignes.size(); ++i)
    if (lignes[i].libelle == ligne.libelle && lignes[i].cellules == ligne.cellules && lignes[i].total == ligne.total)
      return static_cast<int>(i);
  return -1;
}

}  // namespace

OngletStatistique::OngletStatistique(Calcul calcul, const Noms& noms, QWidget* parent)
    : QWidget(parent), calcul_(calcul), liste_(ListeVide(calcul)) {
  setObjectName(noms.onglet);
  lbDebut = new QLabel(QStringLiteral("Début"), this);
  lbFin = new QLabel(QStringLiteral("Fin"), this);
  dtDebut = new ChampDate(this);
  dtDebut->setObjectName(noms.debut);
  dtFin = new ChampDate(this);
  dtFin->setObjectName(noms.fin);
  for (QLabel* l : {lbDebut, lbFin}) l->adjustSize();

  btnRechercher = new QPushButton(QStringLiteral("Rechercher"), this);
  btnRechercher->setObjectName(noms.rechercher);
  lwListe = new ListeRapport(this);
  lwListe->setObjectName(noms.liste);
  lwListe->DefinirColonnes(liste_.colonnes);

  if (noms.groupe && *noms.groupe) {
    gbDetail = new QGroupBox(Q(liste_.LegendeDetail()), this);
    gbDetail->setObjectName(noms.groupe);
    lwDetail = new ListeRapport(gbDetail);
    lwDetail->setObjectName(noms.detail);
    lwDetail->DefinirColonnes(liste_.colonnesDetail);
  }

  btnExport = new QPushButton(QStringLiteral("Exporter"), this);
  btnExport->setObjectName(noms.exporter);
  pbExport = new QProgressBar(this);
  pbExport->setObjectName(noms.progression);
  pbExport->setRange(0, 100);
  pbExport->setValue(0);
  imgExport = new QLabel(this);
  imgExport->setObjectName(noms.image);
  imgExport->setPixmap(MarqueFait());
  imgExport->setFixedSize(kImage, kImage);
  imgExport->setToolTip(QStringLiteral("Export terminé"));
  imgExport->hide();

  for (QPushButton* b : {btnRechercher, btnExport}) b->setFixedSize(kLargeBouton, kHautBouton);
  pbExport->setFixedHeight(kHautProgression);

}

void OngletStatistique::Vider() {
  liste_.lignes.clear();
  lwListe->Vider();
  AfficherDetail();
}

void OngletStatistique::Afficher(ListeStat liste) {
  // The list's sort columns outlive its searches.
  liste.colonneTriDetail = liste_.colonneTriDetail;
  liste.Trier(liste_.colonneTri);
  liste_ = std::move(liste);
  lwListe->Remplir(liste_.lignes);
  lwListe->MontrerTri(liste_.colonneTri);
  AfficherDetail();
}

void OngletStatistique::TrierListe(int colonne) {
  const int i = lwListe->IndexSelectionne();
  LigneStat choisie;
  if (i >= 0 && static_cast<size_t>(i) < liste_.lignes.size()) choisie = liste_.lignes[static_cast<size_t>(i)];
  liste_.Trier(colonne);
  lwListe->MontrerTri(liste_.colonneTri);
  lwListe->Remplir(liste_.lignes, i >= 0 ? Retrouver(liste_.lignes, choisie) : -1);
  AfficherDetail();
}

void OngletStatistique::TrierDetail(int colonne) {
  if (!lwDetail || colonne < 0 || static_cast<size_t>(colonne) >= liste_.colonnesDetail.size()) return;
  liste_.colonneTriDetail = colonne;
  lwDetail->MontrerTri(colonne);
  AfficherDetail();
}

void OngletStatistique::SelectionChangee() { AfficherDetail(); }

void OngletStatistique::AfficherDetail() {
  if (!lwDetail) return;
  const int i = lwListe->IndexSelectionne();
  const size_t index = i < 0 ? liste_.lignes.size() : static_cast<size_t>(i);
  gbDetail->setTitle(Q(liste_.LegendeDetail(index)));
  lwDetail->Remplir(liste_.Details(index));
  lwDetail->MontrerTri(liste_.colonneTriDetail);
}

void OngletStatistique::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Disposer();
}

void OngletStatistique::Disposer() {
  const int w = width(), h = height();
  // Main list: the whole width on the first tab, two thirds beside the
  // details on the others.
  const int largeurListe = lwDetail ? w / 3 * 2 - 2 : w - 2 * kMarge;
  const int hauteurListe = h - kHautListe - kHautBouton - kHautProgression - 16;
  lwListe->setGeometry(kMarge, kHautListe, largeurListe, hauteurListe);
  const int droite = kMarge + largeurListe;  // right edge of the list
  const int centre = kMarge + largeurListe / 2;

  const int hautDates = (kHautBouton - dtDebut->height()) / 2 + kMarge;
  dtDebut->move(centre - dtDebut->width() - 13, hautDates);
  lbDebut->move(dtDebut->x() - 5 - lbDebut->width(), hautDates + (dtDebut->height() - lbDebut->height()) / 2);
  lbFin->move(centre + 13, lbDebut->y());
  dtFin->move(lbFin->x() + lbFin->width() + 5, hautDates);
  btnRechercher->move(droite - kLargeBouton, kMarge);

  const int hautExport = h - kHautBouton - kHautProgression - 10;
  btnExport->move(droite - kLargeBouton, hautExport);
  // Progress bar under the button, the done mark after it, both within the
  // button's width.
  pbExport->setGeometry(btnExport->x(), hautExport + kHautBouton + 2, kLargeBouton - kImage - 2, kHautProgression);
  imgExport->move(pbExport->x() + pbExport->width() + 2, hautExport + kHautBouton);

  if (gbDetail) {
    gbDetail->setGeometry(droite + 5, kHautListe - 8, w / 3 - 11, hauteurListe + 8);
    lwDetail->setGeometry(kMarge, 20, gbDetail->width() - 2 * kMarge, gbDetail->height() - 20 - kMarge);
  }
}

}  // namespace corv
