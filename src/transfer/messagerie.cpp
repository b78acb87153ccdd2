#include "transfer/messagerie.h"

namespace corv {
namespace {

// The memory table names the period fields without the underscore of the file.
const std::vector<Renommage> kRenommesMessage = {{"DateDebut", "Date_Debut"}, {"DateFin", "Date_Fin"}};

}  // namespace

TransfertMessagerie::TransfertMessagerie(Application& app, RunReport& report, OptionsRun options)
    : TransfertPublication(app, report, std::move(options)),
      rxmdMessageType_(TableMemoire("rxmdMessageType")),
      rxmdMessage_(TableMemoire("rxmdMessage")) {}

pdx::Status TransfertMessagerie::Lecture() {
  PDX_RETURN_IF_ERROR(LirePubliees("tblMessageType", &rxmdMessageType_, {},
                                   {"Lecture de la table Type Messagerie", "Nombre total de types de message",
                                    "Nombre de types de message à copier"},
                                   "Externe;IdTypeMessage"));
  return LirePubliees("tblMessage", &rxmdMessage_, kRenommesMessage,
                      {"Lecture de la table Messagerie", "Nombre total de messages", "Nombre de messages à copier"},
                      "Externe;IdMessage");
}

pdx::Status TransfertMessagerie::TraiterAgence(const AgenceTransfert& a) {
  PDX_RETURN_IF_ERROR(RemplacerPubliees("tblMessageType", a, rxmdMessageType_, {},
                                        {"Table Messagerie Type - Type(s) de message supprimé(s) : ",
                                         "Table Messagerie Type nettoyée", "Types de message ajoutés : "}));
  return RemplacerPubliees("tblMessage", a, rxmdMessage_, kRenommesMessage,
                           {"Table Messagerie - Message supprimé(s) : ", "Table Messagerie nettoyée",
                            "Messages ajoutés : "});
}

}  // namespace corv
