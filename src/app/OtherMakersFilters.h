#pragma once
// Adjustments of two other makers' filters that would disturb a conversion.
#include <cstdint>

namespace app {

void DisableDivXFeedback();
void ClearVsFilterLoadLevel(int& vsFilterChanged, std::uint32_t& vsFilterSavedLevel);
void RestoreVsFilterLoadLevel(int vsFilterChanged, std::uint32_t vsFilterSavedLevel);

}  // namespace app
