#pragma once
// The process-wide start and end of the media platform (CoInitialize / CoUninitialize).
#include "platform/Result.h"

namespace media {

// S_OK on the first call, S_FALSE when already initialised; each success needs an
// Uninitialize.
HRESULT Initialize();
void Uninitialize();

}  // namespace media
