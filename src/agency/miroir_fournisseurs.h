#pragma once
// Carrying a supplier newly attached to an agency: its rows of head office's
// discount table "REMISES.DB" and article-code table "CodeArticle.DB" are
// copied into the agency's tables of the same names, each table only when the
// agency has no row at all for that supplier (rows the agency keeps are never
// overwritten). An agency without such a table file gets none.
#include <string>

#include "data/dm.h"

namespace corv {

struct LignesReportees {
  int remises = 0;
  int codesArticle = 0;
};

// aliasAgence: the named database pointing at the agency's Administration.
// Storage errors are thrown as std::runtime_error naming the file.
// Copies head office's rows of "REMISES.DB" and "CodeArticle.DB" for the
// supplier into the agency's tables (named database aliasAgence), each only
// when the agency has none for it; *r (when given) receives the counts.
[[nodiscard]] pdx::Status ReporterLignesFournisseur(TDM& dm, const Contexte& ctx, Dialogs& dialogs,
                                                    const std::string& aliasAgence, const std::string& fournisseur,
                                                    LignesReportees* r = nullptr);

}  // namespace corv
