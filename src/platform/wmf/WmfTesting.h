#pragma once
// Hooks for tests only: a codec list of the test's own making in place of the
// runtime's, and forced failures. Nothing here is used by the program itself.
#include <string>
#include <vector>

#include "platform/wmf/WmTypes.h"

namespace wmf::testing {

struct Codec {
    std::string name;
    std::vector<WM_MEDIA_TYPE> formats;  // each format's bitrate comes from its format block
};

// From now on the codec information offers these codecs for `major` (audio or video)
// instead of the runtime's own, until ResetAll.
void InstallCodecs(const GUID& major, std::vector<Codec> codecs);

enum class Operation { CreateProfileManager, CreateEmptyProfile, AddStream, Count };
void ForceFailure(Operation op, HRESULT hr = E_FAIL);
// Clears installed codecs and forced failures.
void ResetAll();

}  // namespace wmf::testing
