#pragma once
// Adjustments of two other makers' filters that would disturb a conversion:
// the DivX codec's feedback window is switched off for good, and VSFilter's
// automatic loading is suspended for the life of the window. All three work
// silently: a missing key or value means there is nothing to adjust.
#include <cstdint>

namespace options {

inline constexpr const char* kDivXKey = "Software\\DivXNetworks\\DivX4Windows";
inline constexpr const char* kDivXFeedbackValue = "Disable feedback";
inline constexpr const char* kVsFilterKey = "Software\\Tovrin\\VSFilter\\General";
inline constexpr const char* kVsFilterLoadLevelValue = "LoadLevel";

void DisableDivXFeedback();
// Sets "LoadLevel" to 0 when it is not 0, remembering the old level.
void ClearVsFilterLoadLevel(bool& vsFilterChanged, std::uint32_t& vsFilterSavedLevel);
// Writes the remembered level back if this program changed it and the value
// still exists; clears the flag in every case.
void RestoreVsFilterLoadLevel(bool& vsFilterChanged, std::uint32_t vsFilterSavedLevel);

}  // namespace options
