#include "platform/CurrentContext.h"

#include "platform/Backend.h"

namespace {

Backend* g_current = nullptr;

} // namespace

Backend* CurrentBackend() { return g_current; }

void SetCurrentBackend(Backend* backend) { g_current = backend; }

bool CurrentContextHasGl() { return g_current != nullptr && g_current->HasGl(); }
