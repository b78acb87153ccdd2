#pragma once
// An Env for writing a fresh installation: every call goes to the wrapped Env,
// except that syncing a file or a directory only flushes. The engine makes
// each table commit durable on its own, which costs several disk syncs per
// table; an installation being generated is worth nothing until it is
// complete, so the generator syncs the whole tree once at the end instead
// (SyncAll) and a crash half-way means generating again.
#include <memory>

#include "paradox/env.h"

namespace corv::demo {

std::unique_ptr<pdx::Env> NouvelEnvSansSync(pdx::Env* base);
// Makes everything written so far durable (the system's sync).
void SyncAll();

}  // namespace corv::demo
