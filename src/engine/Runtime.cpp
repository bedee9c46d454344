#include "engine/Runtime.h"

namespace engine {
namespace {
HRESULT g_nextFailure = S_OK;
int g_initialised = 0;
}  // namespace

HRESULT CoInitialize() {
    if (g_nextFailure != S_OK) {
        const HRESULT code = g_nextFailure;
        g_nextFailure = S_OK;
        return code;
    }
    ++g_initialised;
    return S_OK;
}

void CoUninitialize() {
    if (g_initialised > 0) --g_initialised;
}

void FailNextCoInitializeForTesting(HRESULT code) { g_nextFailure = code; }

}  // namespace engine
