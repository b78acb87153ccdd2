#pragma once
// A simple-style combo box: an edit line above a list that is always visible,
// kept sorted without regard to case. Each entry carries an integer tag.
// Selecting from code is silent; a selection by the user emits change().
// Typing in the edit line moves to the first entry starting with the text;
// Enter there selects it as a user would.
#include <QString>
#include <QWidget>

class QLineEdit;
class QListWidget;

namespace corv {

class ListeSimple : public QWidget {
  Q_OBJECT
 public:
  explicit ListeSimple(QWidget* parent = nullptr);

  // Inserts at its sorted place; returns its index.
  int Ajouter(const QString& texte, int tag);
  void Supprimer(int index);
  void Vider();
  int Compte() const;
  QString Texte(int index) const;
  void ChangerTexte(int index, const QString& texte);
  int Tag(int index) const;
  // -1: none.
  int IndexSelectionne() const;
  void Selectionner(int index);  // silent
  // As if the user picked the entry (emits change()).
  void ChoisirParUtilisateur(int index);
  QString TexteEdition() const;
  void ViderEdition();
  void DefinirSuspendu(bool suspendu);

  QListWidget* liste() const { return liste_; }
  QLineEdit* edition() const { return edition_; }

 Q_SIGNALS:
  void change();

 private:
  QLineEdit* edition_;
  QListWidget* liste_;
  bool silencieux_ = false;
};

}  // namespace corv
