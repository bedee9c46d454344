#pragma once
// The layer's insides, shared by this folder's .cpp files only.
#include <string>

namespace vfw::detail {

// Whether the named FFmpeg encoder can compress frames of this size.
bool EncoderAcceptsSize(const std::string& encoderName, int width, int height);

}  // namespace vfw::detail
