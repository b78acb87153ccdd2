#pragma once
// Copying a document file of head office into an agency's documents directory.
//
// Contract:
//  - LienDansRepertoire: true when the link is a plain file name that stays in
//    the directory it is joined to: not empty, no path separator ("\" or "/"),
//    no drive or share prefix (":"), not "." or ".." (nor a name made only of
//    dots and spaces, which Windows reads as one of them).
//  - CopierDocument finds the source and the destination without regard to
//    case. A missing source is kSourceAbsente, an existing destination
//    kDejaPresente (never overwritten); both change nothing. Otherwise the bytes
//    go to a temporary file beside the destination, synced, then renamed to the
//    destination name: an interrupted copy never leaves a truncated document
//    under that name. A failure removes the temporary file and names the file.
#include <string>

#include "paradox/env.h"
#include "paradox/status.h"

namespace corv {

bool LienDansRepertoire(const std::string& lien);

enum class ResultatCopie { kCopie, kSourceAbsente, kDejaPresente };

// repSource, repCible: host directories; nom: the file name (LienDansRepertoire).
pdx::Status CopierDocument(pdx::Env* env, const std::string& repSource, const std::string& repCible,
                           const std::string& nom, ResultatCopie* resultat);

// The temporary name of a copy in progress beside its destination.
std::string NomCopieTemporaire(const std::string& nom);

}  // namespace corv
