#include "forms/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace corv {
namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Titre(const std::string& caption) { return caption.empty() ? QStringLiteral("Corvanes") : Q(caption); }
}  // namespace

QWidget* QtDialogs::Parent() const { return parent_ ? parent_.data() : QApplication::activeWindow(); }

void QtDialogs::Message(MessageKind kind, const std::string& text, const std::string& caption) {
  QMessageBox::Icon icon = kind == MessageKind::kError     ? QMessageBox::Critical
                           : kind == MessageKind::kWarning ? QMessageBox::Warning
                                                           : QMessageBox::Information;
  QMessageBox box(icon, Titre(caption), Q(text), QMessageBox::Ok, Parent());
  box.setObjectName("MessageBox");
  box.exec();
}

bool QtDialogs::Question(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::Question, Titre(caption), Q(text), QMessageBox::Yes | QMessageBox::No, Parent());
  box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
  box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

bool QtDialogs::Input(const std::string& caption, const std::string& prompt, std::string* value) {
  QInputDialog d(Parent());
  d.setWindowTitle(Titre(caption));
  d.setLabelText(Q(prompt));
  d.setTextValue(Q(*value));
  d.setOkButtonText(QStringLiteral("OK"));
  d.setCancelButtonText(QStringLiteral("Annuler"));
  if (d.exec() != QDialog::Accepted) return false;
  *value = d.textValue().toStdString();
  return true;
}

QString FiltreQt(const std::string& filter) {
  // Pairs "description|pattern": Qt shows the description, which already holds the pattern.
  QStringList parts = Q(filter).split('|');
  QStringList out;
  for (int i = 0; i < parts.size(); i += 2) out << parts[i];
  return out.join(QStringLiteral(";;"));
}

std::string AvecExtensionDuFiltre(const std::string& filter, int choisi, const std::string& path) {
  QStringList parts = Q(filter).split('|');
  if (choisi < 0 || 2 * choisi + 1 >= parts.size()) return path;
  const QString motif = parts[2 * choisi + 1].split(';').first().trimmed();
  if (!motif.startsWith(QStringLiteral("*.")) || motif.mid(2).contains('*')) return path;
  const size_t sep = path.find_last_of("/\\");
  const std::string nom = sep == std::string::npos ? path : path.substr(sep + 1);
  if (nom.empty() || nom.find('.') != std::string::npos) return path;
  return path + "." + motif.mid(2).toLower().toStdString();
}

bool QtDialogs::ChooseFile(const std::string& caption, const std::string& filter, bool save, std::string* path) {
  QString choisi;
  QString r = save ? QFileDialog::getSaveFileName(Parent(), Q(caption), Q(*path), FiltreQt(filter), &choisi)
                   : QFileDialog::getOpenFileName(Parent(), Q(caption), Q(*path), FiltreQt(filter), &choisi);
  if (r.isEmpty()) return false;
  *path = r.toStdString();
  // A name typed without extension takes the chosen filter's, as the Windows
  // save chooser does: choosing "Classeur Excel (*.xlsx)" makes a workbook.
  if (save) {
    const qsizetype n = FiltreQt(filter).split(QStringLiteral(";;")).indexOf(choisi);
    *path = AvecExtensionDuFiltre(filter, static_cast<int>(n), *path);
  }
  return true;
}

bool QtDialogs::ChooseDirectory(const std::string& caption, std::string* path) {
  QString r = QFileDialog::getExistingDirectory(Parent(), Q(caption), Q(*path));
  if (r.isEmpty()) return false;
  *path = r.toStdString();
  return true;
}

void QtDialogs::BeginWait() { QApplication::setOverrideCursor(Qt::WaitCursor); }
void QtDialogs::EndWait() { QApplication::restoreOverrideCursor(); }
void QtDialogs::ProcessEvents() { QApplication::processEvents(); }

}  // namespace corv
