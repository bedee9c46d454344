#pragma once
// Fault injection for the Windows Media layer. Linking this installs a runtime that
// offers codecs of a test's making when it installed some, and whose profile manager
// and profiles wrap the layer's own to fail the calls forced to fail.
#include <vector>

#include "platform/wmf/Wmf.h"

namespace wmf::testing {

// From now on the codec information offers these codecs for `major` (audio or video)
// instead of the runtime's own, until ResetAll.
void InstallCodecs(const GUID& major, std::vector<CodecEntry> codecs);

enum class Operation { CreateProfileManager, CreateEmptyProfile, AddStream, Count };
void ForceFailure(Operation op, HRESULT hr = E_FAIL);
// Clears installed codecs and forced failures, and puts the fault-injecting runtime
// back if a test installed another.
void ResetAll();

}  // namespace wmf::testing
