#include "transfer/nettoyage_clients.h"

#include <algorithm>

#include "transfer/lignes_memoire.h"
#include "util/text.h"

namespace corv {

NettoyageClients::NettoyageClients(Application& app, RunReport& report, OptionsRun options)
    : TransfertAgences(app, report, std::move(options)), rxmdClient_(TableMemoire("rxmdClient")) {}

pdx::Status NettoyageClients::Lecture() {
  rxmdClient_.Clear();
  parCode_.clear();
  nonExaminees_.clear();
  supprimes_ = 0;
  report().ReadingLabel("Lecture de la table des clients du répertoire Administration");
  Composant& client = dm()["tblClient"];
  PDX_RETURN_IF_ERROR(OuvrirTable(client));
  Message("Lecture de la table des clients - Nombre total de clients : " +
          std::to_string(client.NombreEnregistrements()));
  report().ReadingLabel("Lecture de la table des clients en cours.");
  const int fCode = client.NumeroChamp("Code");
  const int n = static_cast<int>(client.NombreEnregistrements());
  int lus = 0;
  report().RowProgress(0, n);
  pdx::Status s = client.Premier();
  while (s.ok() && !client.Fin()) {
    pdx::Value code;
    s = client.Valeur(fCode, &code);
    if (s.ok()) s = rxmdClient_.Append({code.blank ? pdx::Value::Text("") : code, pdx::Value::Bool(false)});
    report().RowProgress(std::min(++lus, n), n);
    if (s.ok()) s = client.Suivant();
  }
  client.Fermer();
  if (!s.ok()) return ErreurTable(client, nullptr, s);
  PDX_RETURN_IF_ERROR(rxmdClient_.Sort("Code"));
  for (size_t i = 0; i < rxmdClient_.size(); ++i) parCode_.emplace(FoldCase(rxmdClient_[i][0].text), i);
  Message("Lecture de la table des clients - Nombre de clients à vérifier : " + std::to_string(rxmdClient_.size()));
  report().ReadingLabel("Lecture de la table des clients effectuée.");
  return pdx::Status::OK();
}

pdx::Status NettoyageClients::TraiterAgence(const AgenceTransfert& a) {
  Composant& dossier = dm()["tblDossier"];
  const bool lectureSeule = dossier.LectureSeule();
  dossier.DefinirLectureSeule(true);
  pdx::Status s = OuvrirTable(dossier, &a);
  if (s.ok()) s = LireDossiers(dossier, a);
  dossier.Fermer();
  dossier.DefinirLectureSeule(lectureSeule);
  if (!s.ok()) {
    // Its customers would look unused: the run goes on examining the others,
    // then deletes nothing.
    Erreur(Prefixe(a) + "Les dossiers de l'agence ne peuvent pas être lus : " + s.message());
    nonExaminees_.push_back(a.nom);
  }
  return pdx::Status::OK();
}

pdx::Status NettoyageClients::LireDossiers(Composant& dossier, const AgenceTransfert& a) {
  Message(Prefixe(a) + "Lecture de la table Dossier - Nombre de dossiers à vérifier : " +
          std::to_string(dossier.NombreEnregistrements()));
  report().ReadingLabel("Lecture de la table des dossiers en cours");
  const int fClient = dossier.NumeroChamp("Client");
  if (fClient == 0) return pdx::Status::InvalidArgument(dossier.Fichier() + ": no field Client");
  // Marked once the whole table was read: a table that fails half-way marks nothing.
  std::vector<size_t> trouves;
  std::vector<std::string> inconnus;
  int existants = 0;
  PDX_RETURN_IF_ERROR(dossier.Premier());
  while (!dossier.Fin()) {
    pdx::Value v;
    PDX_RETURN_IF_ERROR(dossier.Valeur(fClient, &v));
    std::string code = v.blank ? std::string() : v.text;
    auto it = parCode_.find(FoldCase(code));
    if (it != parCode_.end()) {
      ++existants;
      trouves.push_back(it->second);
    } else {
      inconnus.push_back(code);
    }
    PDX_RETURN_IF_ERROR(dossier.Suivant());
  }
  for (size_t i : trouves) PDX_RETURN_IF_ERROR(rxmdClient_.Set(i, "Existe", pdx::Value::Bool(true)));
  for (const auto& code : inconnus) Erreur(Prefixe(a) + "Client inexistant dans l'administration : " + code);
  Message(Prefixe(a) + "Nombre de clients existants dans l'administration : " + std::to_string(existants));
  return pdx::Status::OK();
}

pdx::Status NettoyageClients::ApresAgences(bool arrete) {
  if (arrete || !nonExaminees_.empty()) {
    std::string pourquoi;
    if (arrete) {
      pourquoi = "toutes les agences n'ont pas été examinées (arrêt demandé)";
    } else {
      pourquoi = "les dossiers de ";
      pourquoi += nonExaminees_.size() > 1 ? "ces agences n'ont pas pu être lus : " : "cette agence n'ont pas pu être lus : ";
      for (size_t i = 0; i < nonExaminees_.size(); ++i) pourquoi += (i ? ", " : "") + nonExaminees_[i];
    }
    Erreur("Nettoyage de la table des clients non effectué, aucun client n'est supprimé : " + pourquoi);
    return pdx::Status::OK();
  }
  return Supprimer();
}

pdx::Status NettoyageClients::Supprimer() {
  report().ReadingLabel("Démarrage du nettoyage de la table des clients");
  Composant& client = dm()["tblClient"];
  const bool lectureSeule = client.LectureSeule();
  client.DefinirLectureSeule(false);
  // Head office's table: the backups file it under this name.
  AgenceTransfert siege;
  siege.code = "SIEGE";
  siege.nom = "Siège";
  pdx::Status s = OuvrirTable(client);
  pdx::TableWriter* w = nullptr;
  if (s.ok() && !Simulation()) s = Ecrivain(client, siege, &w);
  int n = 0;
  for (size_t i = 0; s.ok() && i < rxmdClient_.size(); ++i) {
    if (rxmdClient_[i][1].b) continue;
    pdx::Value code = rxmdClient_[i][0];
    bool trouve = false;
    if (w) {
      pdx::RowId row = 0;
      s = w->Find({code}, &row);
      if (s.ok()) {
        trouve = true;
        s = w->Delete(row);
      } else if (s.IsNotFound()) {
        s = pdx::Status::OK();
      }
    } else {
      s = client.Chercher({code}, &trouve);
    }
    if (!s.ok()) s = ErreurTable(client, nullptr, s);
    if (s.ok() && trouve) ++n;
  }
  // Committed before the count is logged: the line never reports deletions
  // that did not reach the file.
  if (s.ok()) s = w ? Valider(client, siege) : client.Fermer();
  if (s.ok()) {
    supprimes_ = n;
    std::string ligne = "Nettoyage de la table des clients - Nb clients supprimés : " + std::to_string(n);
    report().ReadingLabel(ligne);
    Message(ligne);
  }
  if (!s.ok()) client.Abandonner();
  client.DefinirLectureSeule(lectureSeule);
  return s;
}

void NettoyageClients::Terminer(bool) { report().ReadingLabel("Fin du nettoyage de la table des clients."); }

}  // namespace corv
