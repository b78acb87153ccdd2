#include "data/tva_table.h"

#include "data/fonctions_bd.h"

namespace corv {

pdx::Status SourceTauxTvaTable::Lire(std::vector<LigneTva>* rows) {
  rows->clear();
  PDX_RETURN_IF_ERROR(OuvrirSiFermee(table_, dialogs_));
  int type = table_.NumeroChamp("Type_Tva"), deb = table_.NumeroChamp("DateDeb");
  int fin = table_.NumeroChamp("DateFin"), val = table_.NumeroChamp("Valeur");
  if (!type || !deb || !fin || !val)
    return pdx::Status::Corruption(table_.Fichier() + " : il manque un des champs Type_Tva, DateDeb, DateFin ou Valeur");
  PDX_RETURN_IF_ERROR(table_.Premier());
  while (!table_.Fin()) {
    pdx::Value t, d, f, v;
    PDX_RETURN_IF_ERROR(table_.Valeur(type, &t));
    PDX_RETURN_IF_ERROR(table_.Valeur(deb, &d));
    PDX_RETURN_IF_ERROR(table_.Valeur(fin, &f));
    PDX_RETURN_IF_ERROR(table_.Valeur(val, &v));
    LigneTva l;
    l.typeBlank = t.blank;
    l.typeTva = t.i;
    l.dateDeb = d.blank ? 0 : d.d;
    l.dateFin = f.blank ? 0 : f.d;
    l.valeur = v.blank ? 0 : v.d;
    rows->push_back(l);
    PDX_RETURN_IF_ERROR(table_.Suivant());
  }
  return pdx::Status::OK();
}

}  // namespace corv
