#include "app/OtherMakersFilters.h"

namespace app {

// These adjustments arrive with support for the other makers' filter
// settings; until then nothing of theirs is touched.
void DisableDivXFeedback() {}
void ClearVsFilterLoadLevel(int&, std::uint32_t&) {}
void RestoreVsFilterLoadLevel(int, std::uint32_t) {}

}  // namespace app
