#pragma once
// What a run went on without or worked around (a rotation it could not apply,
// damaged frames, streams left out, a sound rate it changed), as the sentences
// the completion line and the command line add.
#include <string>
#include <vector>

#include "platform/media/FilterGraph.h"

namespace engine {

// The notes in the interface's language, one sentence each, in the order given;
// "" when there are none. What the output format (a number of the format table)
// cannot carry is one sentence that names it, the tracks that could not be read
// another.
std::string RunNotesText(const std::vector<media::RunNote>& notes, int format);

}  // namespace engine
