#pragma once
// The component runtime the media engine needs, initialised once for the
// user-interface thread.
#include "platform/Result.h"

namespace engine {

HRESULT CoInitialize();
void CoUninitialize();

// Tests make the next initialisation fail with this code (0 restores success).
void FailNextCoInitializeForTesting(HRESULT code);

}  // namespace engine
