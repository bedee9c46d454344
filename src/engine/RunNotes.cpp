#include "engine/RunNotes.h"

#include "engine/CutTimes.h"
#include "engine/OutputFormat.h"
#include "i18n/FormattedText.h"
#include "resources/Resources.h"

namespace engine {
namespace {

using media::RunNoteKind;

int KeyOf(RunNoteKind kind) {
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
        case RunNoteKind::OverSizeTarget: return IDS_NOTE_OVER_SIZE_TARGET;
        case RunNoteKind::SizeTargetNotKept: return IDS_NOTE_SIZE_NOT_KEPT;
        case RunNoteKind::KeepNotHeld: return IDS_NOTE_KEEP_NOT_HELD;
        case RunNoteKind::KeepWithoutTimes: return IDS_NOTE_KEEP_WITHOUT_TIMES;
        case RunNoteKind::KeptFromKeyFrame: return IDS_NOTE_KEPT_FROM;
        case RunNoteKind::ReadThrough: return IDS_NOTE_READ_THROUGH;
        case RunNoteKind::TracksOverLimit: return IDS_NOTE_TRACKS_OVER_LIMIT;
        // Parts of the sentences below.
        case RunNoteKind::NotKeptAudio: return IDS_COUNT_AUDIO_TRACKS;
        case RunNoteKind::NotKeptVideo: return IDS_COUNT_VIDEO_TRACKS;
        case RunNoteKind::NotKeptSubtitles: return IDS_COUNT_SUBTITLE_TRACKS;
        case RunNoteKind::NotKeptAttachments: return IDS_COUNT_ATTACHMENTS;
        case RunNoteKind::NotKeptChapters: return IDS_COUNT_CHAPTERS;
        case RunNoteKind::AudioTrackLeftOut: return IDS_TRACK_AUDIO;
        case RunNoteKind::SubtitleTrackLeftOut: return IDS_TRACK_SUBTITLE;
    }
    return IDS_NOTE_TURN_IGNORED;
}

bool NotKept(RunNoteKind kind) {
    return kind == RunNoteKind::NotKeptAudio || kind == RunNoteKind::NotKeptVideo ||
           kind == RunNoteKind::NotKeptSubtitles || kind == RunNoteKind::NotKeptAttachments ||
           kind == RunNoteKind::NotKeptChapters;
}

bool Unreadable(RunNoteKind kind) {
    return kind == RunNoteKind::AudioTrackLeftOut || kind == RunNoteKind::SubtitleTrackLeftOut;
}

// "2 subtitle tracks", "1 chapter": the singular's key is the plural's less one.
std::string Counted(const media::RunNote& note) {
    const int key = KeyOf(note.kind);
    return note.count == 1 ? i18n::FormatText(key - 1)
                           : i18n::FormatText(key, static_cast<int>(note.count));
}

void Add(std::string& text, const std::string& sentence) {
    if (!sentence.empty()) text += (text.empty() ? "" : " ") + sentence;
}

}  // namespace

std::string RunNotesText(const std::vector<media::RunNote>& notes, int format) {
    std::string text;
    std::string notKept;
    std::string unreadable;
    for (const media::RunNote& note : notes) {
        if (NotKept(note.kind))
            notKept += (notKept.empty() ? "" : ", ") + Counted(note);
        else if (Unreadable(note.kind))
            unreadable += (unreadable.empty() ? "" : ", ") +
                          i18n::FormatText(KeyOf(note.kind), static_cast<int>(note.count));
        else if (note.kind == RunNoteKind::KeptFromKeyFrame)  // a time, as the clock shows it
            Add(text, i18n::FormatText(KeyOf(note.kind), ClockTimeText(note.count).c_str()));
        else
            Add(text, i18n::FormatText(KeyOf(note.kind), static_cast<int>(note.count)));
    }
    const char* name = IsValidFormat(format)
                           ? OutputFormatTable[static_cast<std::size_t>(format)].selectorText
                           : "?";
    if (!notKept.empty())
        Add(text, i18n::FormatText(resources::IDS_NOTE_NOT_KEPT, name, notKept.c_str()));
    if (!unreadable.empty())
        Add(text, i18n::FormatText(resources::IDS_NOTE_TRACKS_UNREADABLE, unreadable.c_str()));
    return text;
}

}  // namespace engine
