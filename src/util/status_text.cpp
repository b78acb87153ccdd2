#include "util/status_text.h"

namespace corv {

std::string FrenchKind(const pdx::Status& s) {
  switch (s.code()) {
    case pdx::Status::Code::kOk: return "";
    case pdx::Status::Code::kNotFound: return "fichier introuvable";
    case pdx::Status::Code::kCorruption: return "fichier endommagé";
    case pdx::Status::Code::kIOError: return "erreur de lecture ou d'écriture";
    case pdx::Status::Code::kInvalidArgument: return "valeur refusée";
    case pdx::Status::Code::kBusy: return "utilisé par un autre programme";
    case pdx::Status::Code::kNotSupported: return "opération non prise en charge";
  }
  return "erreur";
}

std::string FrenchText(const pdx::Status& s) {
  std::string kind = FrenchKind(s);
  if (s.ok() || s.message().empty()) return kind;
  return kind + " (" + s.message() + ")";
}

}  // namespace corv
