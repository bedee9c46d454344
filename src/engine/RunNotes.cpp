#include "engine/RunNotes.h"

#include "engine/CutTimes.h"

#include "i18n/FormattedText.h"
#include "resources/Resources.h"

namespace engine {
namespace {

int KeyOf(media::RunNoteKind kind) {
    using media::RunNoteKind;
    using namespace resources;
    switch (kind) {
        case RunNoteKind::TurnIgnored: return IDS_NOTE_TURN_IGNORED;
        case RunNoteKind::TurnDamaged: return IDS_NOTE_TURN_DAMAGED;
        case RunNoteKind::HdrMetadataMissing: return IDS_NOTE_HDR_METADATA_MISSING;
        case RunNoteKind::NotDeinterlaced: return IDS_NOTE_NOT_DEINTERLACED;
        case RunNoteKind::NotToneMapped: return IDS_NOTE_NOT_TONE_MAPPED;
        case RunNoteKind::DamagedFrames: return IDS_NOTE_DAMAGED_FRAMES;
        case RunNoteKind::StreamsLeftOut: return IDS_NOTE_STREAMS_LEFT_OUT;
        case RunNoteKind::SampleRateChanged: return IDS_NOTE_SAMPLE_RATE;
        case RunNoteKind::KeepNotHeld: return IDS_NOTE_KEEP_NOT_HELD;
        case RunNoteKind::KeepWithoutTimes: return IDS_NOTE_KEEP_WITHOUT_TIMES;
        case RunNoteKind::KeptFromKeyFrame: return IDS_NOTE_KEPT_FROM;
        case RunNoteKind::ReadThrough: return IDS_NOTE_READ_THROUGH;
    }
    return IDS_NOTE_TURN_IGNORED;
}

}  // namespace

std::string RunNotesText(const std::vector<media::RunNote>& notes) {
    std::string text;
    for (const media::RunNote& note : notes) {
        // A time is said as the clock shows it.
        const std::string sentence =
            note.kind == media::RunNoteKind::KeptFromKeyFrame
                ? i18n::FormatText(KeyOf(note.kind), ClockTimeText(note.count).c_str())
                : i18n::FormatText(KeyOf(note.kind), static_cast<int>(note.count));
        text += (text.empty() ? "" : " ") + sentence;
    }
    return text;
}

}  // namespace engine
