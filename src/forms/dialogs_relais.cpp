#include "forms/dialogs_relais.h"

#include <QMetaObject>

namespace corv {

void DialogsRelais::Message(MessageKind kind, const std::string& text, const std::string& caption) {
  Dialogs* cible = &cible_;
  // Queued to the window's thread; the window being the context, a box not yet
  // shown when it is destroyed is never shown.
  QMetaObject::invokeMethod(
      fenetre_, [cible, kind, text, caption] { cible->Message(kind, text, caption); }, Qt::QueuedConnection);
}

}  // namespace corv
