#include "transfer/publication.h"

namespace corv {

pdx::Status TransfertPublication::LirePubliees(const std::string& composant, MemTable* m,
                                               const std::vector<Renommage>& renommes, const TextesLecture& textes,
                                               const std::string& tri) {
  m->Clear();
  report().ReadingLabel(textes.lecture);
  Composant& c = dm()[composant];
  PDX_RETURN_IF_ERROR(OuvrirTable(c));
  Message(textes.lecture + " - " + textes.total + " : " + std::to_string(c.NombreEnregistrements()));
  const int fExterne = m->FieldNumber("Externe");
  auto garder = [fExterne](MemTable::Row* row) {
    pdx::Value& v = (*row)[static_cast<size_t>(fExterne - 1)];
    int externe = Origine(v);
    if (externe != 0 && externe != 5) return false;
    if (externe == 0) v = pdx::Value::Int(1);
    return true;
  };
  int lues = 0;
  pdx::Status s = LireVersMemoire(c, m, renommes, garder, report(), &lues);
  // Closed before the first agency: the same component then opens the agency's file.
  c.Fermer();
  if (!s.ok()) return ErreurTable(c, nullptr, s);
  PDX_RETURN_IF_ERROR(m->Sort(tri));
  Message(textes.lecture + " - " + textes.aCopier + " : " + std::to_string(m->size()));
  report().ReadingLabel(textes.lecture + " effectuée.");
  return pdx::Status::OK();
}

pdx::Status TransfertPublication::RemplacerPubliees(const std::string& composant, const AgenceTransfert& a,
                                                    const MemTable& m, const std::vector<Renommage>& renommes,
                                                    const TextesAgence& textes,
                                                    const std::function<pdx::Status(size_t)>& apresAjout) {
  Composant& c = dm()[composant];
  const bool lectureSeule = c.LectureSeule();
  c.DefinirLectureSeule(false);
  pdx::Status s = OuvrirTable(c, &a);
  pdx::TableWriter* w = nullptr;
  if (s.ok() && !Simulation()) s = Ecrivain(c, a, &w);
  if (s.ok()) {
    int supprimes = 0;
    s = SupprimerLignesPubliees(c, w, &supprimes);
    if (!s.ok()) s = ErreurTable(c, &a, s);
    if (s.ok()) {
      Message(Prefixe(a) + textes.supprimes + std::to_string(supprimes));
      Message(Prefixe(a) + textes.nettoyee);
    }
  }
  if (s.ok()) {
    int ajoutes = 0;
    std::vector<pdx::Value> rec;
    for (size_t i = 0; s.ok() && i < m.size(); ++i) {
      if (w) {
        s = EnregistrementDepuisMemoire(c, m, i, renommes, &rec);
        if (s.ok()) s = w->Insert(rec);
        if (!s.ok()) {
          s = ErreurTable(c, &a, s);
          break;
        }
      }
      ++ajoutes;
      if (apresAjout) s = apresAjout(i);
    }
    // Committed before the count is logged: the line never reports rows that
    // did not reach the file.
    if (s.ok()) s = Valider(c, a);
    if (s.ok()) Message(Prefixe(a) + textes.ajoutes + std::to_string(ajoutes));
  }
  if (!s.ok()) c.Abandonner();
  c.DefinirLectureSeule(lectureSeule);
  return s;
}

}  // namespace corv
