#pragma once
// transfert personnalisations|messagerie|documents [--reel]: the transfers
// that take no option of their own.
#include <string>
#include <vector>

#include "commandes.h"

namespace corv::batch {

// True for "personnalisations", "messagerie" and "documents".
bool EstTransfertAutre(const std::string& sorte);
// args: the words after the kind. Exit code as every command's.
int TransfertAutre(const Contexte& ctx, const std::string& sorte, const std::vector<std::string>& args);

}  // namespace corv::batch
