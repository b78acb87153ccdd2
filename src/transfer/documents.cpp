#include "transfer/documents.h"

#include "transfer/copie_document.h"
#include "util/status_text.h"

namespace corv {

TransfertDocuments::TransfertDocuments(Application& app, RunReport& report, OptionsRun options)
    : TransfertPublication(app, report, std::move(options)),
      rxmdMesDocsType_(TableMemoire("rxmdMesDocsType")),
      rxmdMesDocs_(TableMemoire("rxmdMesDocs")) {}

namespace {

std::string Texte(const pdx::Value& v) { return v.blank ? std::string() : v.text; }

// LienFlag 0 (a blank reads as 0): Lien names a file of the documents directory.
bool FichierDesDocuments(const MemTable& m, size_t ligne) { return Origine(m.Get(ligne, "LienFlag")) == 0; }

}  // namespace

pdx::Status TransfertDocuments::Lecture() {
  PDX_RETURN_IF_ERROR(LirePubliees("tblMesDocsType", &rxmdMesDocsType_, {},
                                   {"Lecture de la table Type Document", "Nombre total de types de document",
                                    "Nombre de types de document à copier"},
                                   "Externe;IdTypeDocument"));
  PDX_RETURN_IF_ERROR(LirePubliees("tblMesDocs", &rxmdMesDocs_, {},
                                   {"Lecture de la table Document", "Nombre total de documents",
                                    "Nombre de documents à copier"},
                                   "Externe;IdDocument"));
  interneSiege_ = host().ToHost(chemins().RepertoireDocumentsInterne());
  lienRefuse_.assign(rxmdMesDocs_.size(), false);
  for (size_t i = 0; i < rxmdMesDocs_.size(); ++i) {
    std::string lien = Texte(rxmdMesDocs_.Get(i, "Lien"));
    if (!FichierDesDocuments(rxmdMesDocs_, i) || lien.empty() || LienDansRepertoire(lien)) continue;
    lienRefuse_[i] = true;
    Erreur("Document " + std::to_string(rxmdMesDocs_.Get(i, "IdDocument").i) + " (" +
           Texte(rxmdMesDocs_.Get(i, "Libelle")) + ") : le lien \"" + lien +
           "\" sort du répertoire des documents, son fichier ne sera copié dans aucune agence");
  }
  return pdx::Status::OK();
}

pdx::Status TransfertDocuments::CreerRepertoires(const AgenceTransfert& a) {
  for (const std::string& dir : {chemins().RepertoireDocuments(), chemins().RepertoireDocumentsInterne(),
                                 chemins().RepertoireDocumentsExterne(), chemins().RepertoireDocumentsStandard()}) {
    std::string hote = host().ToHost(dir);
    if (host().env()->DirExists(hote)) continue;
    pdx::Status s = host().env()->CreateDir(hote);
    if (!s.ok() && !host().env()->DirExists(hote))
      return pdx::Status::IOError("Agence " + a.nom + " (" + a.code + ") : impossible de créer le répertoire " + dir +
                                  " : " + FrenchText(s));
  }
  return pdx::Status::OK();
}

pdx::Status TransfertDocuments::CopierFichier(const AgenceTransfert& a, size_t ligne, const std::string& repExterne) {
  if (Simulation() || lienRefuse_[ligne] || !FichierDesDocuments(rxmdMesDocs_, ligne)) return pdx::Status::OK();
  std::string lien = Texte(rxmdMesDocs_.Get(ligne, "Lien"));
  if (lien.empty()) return pdx::Status::OK();
  ResultatCopie r;
  pdx::Status s = CopierDocument(host().env(), interneSiege_, repExterne, lien, &r);
  if (!s.ok())
    return pdx::Status::IOError("Agence " + a.nom + " (" + a.code + ") : copie du document \"" + lien + "\" dans " +
                                chemins().RepertoireDocumentsExterne() + " : " + FrenchText(s));
  return pdx::Status::OK();
}

pdx::Status TransfertDocuments::TraiterAgence(const AgenceTransfert& a) {
  PDX_RETURN_IF_ERROR(CreerRepertoires(a));
  PDX_RETURN_IF_ERROR(RemplacerPubliees("tblMesDocsType", a, rxmdMesDocsType_, {},
                                        {"Table Document Type - Type(s) de document supprimé(s) : ",
                                         "Table Document Type nettoyée", "Types de document ajouté(s) : "}));
  const std::string externe = host().ToHost(chemins().RepertoireDocumentsExterne());
  return RemplacerPubliees("tblMesDocs", a, rxmdMesDocs_, {},
                           {"Table Document - Document(s) supprimé(s) : ", "Table Document nettoyée",
                            "Document(s) ajouté(s) : "},
                           [&](size_t i) { return CopierFichier(a, i, externe); });
}

}  // namespace corv
