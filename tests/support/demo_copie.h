#pragma once
// Small demo installations for tests: each set of parameters is generated once per
// test program (dated 2026-12-08, without disk syncs), then copied for each test
// with its "qvrbde.ini" re-pointed at the copy.
#include <cstdint>
#include <string>

namespace testutil {

// The directory of the generated installation (a failure is reported to the test).
const std::string& ModeleDemo(int agences, int dossiers, uint64_t graine);

// Copies the installation at modele into dest and maps its prefix to dest.
void CopierDemo(const std::string& modele, const std::string& dest);

}  // namespace testutil
