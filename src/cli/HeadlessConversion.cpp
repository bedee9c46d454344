#include "cli/HeadlessConversion.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>

#include "cli/ExitCode.h"
#include "cli/JobRuns.h"
#include "cli/OutputChecks.h"
#include "cli/Setup.h"
#include "engine/ConversionGraph.h"
#include "engine/CutTimes.h"
#include "i18n/FormattedText.h"
#include "options/OutputFormat.h"
#include "options/OutputNames.h"
#include "options/OutputSettings.h"
#include "options/PresetStore.h"
#include "platform/Path.h"
#include "platform/shell/Shell.h"
#include "resources/Resources.h"
#include "settings/Keys.h"
#include "settings/Profile.h"

namespace cli {
namespace {

int Fail(const std::string& reason) {
    std::fprintf(stderr, "quorvel-converter: %s\n", reason.c_str());
    return kFailed;
}

int Usage(const std::string& reason) {
    std::fprintf(stderr, "quorvel-converter: %s\n", reason.c_str());
    return kUsage;
}

// The family's stored choice (-1: none), else its preferred compressor.
int ChoiceOf(engine::CompressorCategory category, int format, const char* fragment) {
    const bool video = category == engine::CompressorCategory::Video;
    const int stored =
        settings::Profile().GetInt(video ? settings::kVideoSection : settings::kAudioSection,
                                   options::CompressorNumberKey(format), options::UnstoredIndex);
    if (stored >= -1 || stored == engine::kKeepStream) return stored;
    int index = -1;
    return fragment && engine::FindPreferredCompressor(category, fragment, index) ? index : -1;
}

// Another format family than the stored one has no compressor choice loaded:
// take that family's stored choice, or its preferred compressors, as a start on
// that format would.
void AdoptFormat(engine::OutputSettings& settings, int format) {
    const int wasFamily = engine::FamilyFormat(settings.format);
    settings.format = format;
    if (engine::FamilyFormat(format) == wasFamily) return;
    const auto& row = engine::FormatRow(format);
    // The Windows Media writer compresses by itself: no choice to take.
    const int video = row.preferredVideo
                          ? ChoiceOf(engine::CompressorCategory::Video, format, row.preferredVideo)
                          : -1;
    const int audio = row.preferredAudio
                          ? ChoiceOf(engine::CompressorCategory::Audio, format, row.preferredAudio)
                          : -1;
    engine::VideoCompressorSlot(settings, format) = video;
    engine::AudioCompressorSlot(settings, format) = audio;
    settings.useVideoCompressor = video >= 0 || video == engine::kKeepStream;
    settings.useAudioCompressor = audio >= 0 || audio == engine::kKeepStream;
}

// The preset's Options over the stored ones, saying which of its compressors this
// computer lacks.
void UsePreset(const engine::Preset& preset, engine::OutputSettings& settings) {
    std::vector<engine::MissingCompressor> missing;
    engine::ApplyPreset(preset, settings, missing);
    for (const auto& m : missing)
        std::fprintf(stderr, "quorvel-converter: %s\n",
                     i18n::FormatText(resources::IDS_PRESET_COMPRESSOR_MISSING, m.wanted.c_str(),
                                      m.used.c_str())
                         .c_str());
}

// A preset's compressors run with its settings, not the ones the person keeps for
// the window; one used in place of a missing one with its starting settings.
void TakePresetSettings(const engine::Preset& preset, engine::OutputSettings settings,
                        engine::Job& job) {
    for (const bool video : {true, false}) {
        const auto category =
            video ? engine::CompressorCategory::Video : engine::CompressorCategory::Audio;
        engine::CompressorChoice& choice = video ? job.video : job.audio;
        if (choice.name.empty()) continue;
        const int index = video ? engine::VideoCompressorSlot(settings, settings.format)
                                : engine::AudioCompressorSlot(settings, settings.format);
        const engine::CompressorChoice& wanted = video ? preset.video : preset.audio;
        choice.settings = engine::FindCompressorByName(category, wanted.name) == index
                              ? wanted.settings
                              : std::map<std::string, std::string>{};
    }
}

// How the outcomes read at the end of several: "3 done, 1 failed: b.mkv: ...".
void PrintSummary(const std::vector<std::string>& inputs, const std::vector<JobOutcome>& outcomes) {
    std::string summary;
    for (const char* group : {"done", "failed", "stopped", "skipped", "ended early",
                              "kept beside an output that appeared", "not started"}) {
        int count = 0;
        std::string reasons;
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            if (outcomes[i].group != group) continue;
            ++count;
            if (!outcomes[i].reason.empty())
                reasons += (reasons.empty() ? ": " : "; ") + paths::FileNameOf(inputs[i]) + ": " +
                           outcomes[i].reason;
        }
        if (count)
            summary +=
                (summary.empty() ? "" : ", ") + std::to_string(count) + " " + group + reasons;
    }
    std::fprintf(stderr, "%s\n", summary.c_str());
}

// The exit code of several: any failure first, then a part outside its source,
// an output in the way, an early end; done only when every file is.
int CombinedCode(const std::vector<JobOutcome>& outcomes) {
    for (const int code : {kFailed, kUsage, kOutputExists, kSourceEnded})
        for (const JobOutcome& outcome : outcomes)
            if (outcome.code == code) return code;
    return kDone;
}

}  // namespace

int Convert(const ConvertRequest& request) {
    TerminalBoxes boxes;
    if (!StartHeadless()) return kFailed;
    const bool several = request.inputs.size() > 1;

    engine::OutputSettings settings;
    shell::OsVersion os;
    shell::CurrentBackend().GetVersion(os);
    // A missing video folder matters only when the stored output path is used.
    boxes.quiet = !request.output.empty();
    options::LoadOutputSettings(settings, options::LoadContext{nullptr, os.major});
    boxes.quiet = false;
    SaySetAsideSettings();
    // Loading filled the window's compressor slots; every job binds its own.
    engine::ConversionGraph::Instance().ReleaseCompressorSlots();

    std::optional<engine::Preset> preset;
    if (!request.preset.empty() && !(preset = options::FindPreset(request.preset)))
        return Usage(
            i18n::FormatText(resources::IDS_PRESET_NOT_FOUND, request.preset.c_str()));
    int format = !request.format.empty() ? engine::FormatOfName(request.format)
                 : several               ? -1
                                         : engine::FormatOfPath(request.output);
    if (format < 0 && preset) format = preset->format;
    if (format < 0)
        format = engine::IsValidFormat(settings.format) ? settings.format : engine::kAvi;
    if (preset) {
        // The other options go over the preset's: its compressors then as this format holds them.
        preset->format = format;
        UsePreset(*preset, settings);
    } else if (format != settings.format) {
        AdoptFormat(settings, format);
    }
    if (!request.audioTracks.empty()) settings.allAudioTracks = request.audioTracks == "all";
    if (request.sizeMB >= 0) settings.targetSizeMB = request.sizeMB;
    if (request.sizeMB > 0 && !engine::FormatRow(format).sizeTarget)
        return Usage(std::string("--size needs MP4, MKV or WebM, not ") +
                     engine::FormatRow(format).name + "; see --help.");
    if (request.sizeMB > 0 && request.keepVideo)
        return Usage("--size makes the picture anew; it cannot go with --video copy; see --help.");

    // The Windows Media writer encodes by its profile: nothing goes in as it is.
    if ((request.keepVideo || request.keepAudio) && format == engine::kWmv) {
        std::fprintf(stderr, "quorvel-converter: WMV always compresses; --video copy and "
                             "--audio copy apply to the other formats.\n");
        return kUsage;
    }
    if (request.keepVideo) engine::VideoCompressorSlot(settings, format) = engine::kKeepStream;
    if (request.keepAudio) engine::AudioCompressorSlot(settings, format) = engine::kKeepStream;
    settings.useVideoCompressor = settings.useVideoCompressor || request.keepVideo;
    settings.useAudioCompressor = settings.useAudioCompressor || request.keepAudio;
    // The times' form is checked before anything is opened; their place in each
    // source when it is probed.
    if (const engine::CutCheck check = engine::CheckCut(request.start, request.end,
                                                        request.duration, 0, settings.cutStart,
                                                        settings.cutStop);
        check != engine::CutCheck::Ok)
        return Usage(engine::CutCheckText(check, 0));

    // Several files go into one folder, made when missing, named after their sources.
    const std::string folder = !several                 ? std::string()
                               : request.output.empty() ? paths::FolderOf(settings.outputPath)
                                                        : request.output;
    if (several) {
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (!std::filesystem::is_directory(folder, ec))
            return Fail(folder + " is not a folder that can be written into");
    }

    std::vector<engine::Job> jobs;
    std::vector<std::size_t> jobInput;  // the input each job converts
    std::vector<JobOutcome> outcomes(request.inputs.size());
    std::vector<std::string> taken(request.inputs);  // two jobs never write one file
    for (std::size_t i = 0; i < request.inputs.size(); ++i) {
        const std::string& input = request.inputs[i];
        std::string output;
        if (several) {
            output = options::FreeOutputName(
                options::OutputPathForSource(format, folder + "/", input), taken);
            taken.push_back(output);
        } else {
            // The window's rule for every output path: it ends in the format's extension.
            options::ForceOutputExtension(
                format, request.output.empty() ? settings.outputPath : request.output, output);
        }
        const SourceCheck source = CheckSource(input);
        const OutputCheck target = CheckOutput(input, output, request.overwrite);
        if (!source.ok) {
            outcomes[i] = {Fail(source.reason), "failed", source.reason.substr(input.size() + 2)};
        } else if (target.verdict == OutputVerdict::Exists) {
            std::fprintf(stderr, "quorvel-converter: %s exists; give --overwrite to replace it.\n",
                         output.c_str());
            outcomes[i] = {kOutputExists, "skipped", paths::FileNameOf(output) + " exists"};
        } else if (target.verdict == OutputVerdict::Refused) {
            outcomes[i] = {Fail(target.reason), "failed", target.reason};
        } else {
            engine::Job job = engine::MakeJob(settings, input, output);
            if (preset) TakePresetSettings(*preset, settings, job);
            job.width = job.height = 0;  // each at its own size, as the window opens it
            job.replaceAllowed = request.overwrite;
            jobs.push_back(std::move(job));
            jobInput.push_back(i);
        }
    }

    const std::vector<JobOutcome> ran = RunJobs(jobs, request.jobs, request.terminal);
    for (std::size_t k = 0; k < ran.size(); ++k) outcomes[jobInput[k]] = ran[k];
    if (several) PrintSummary(request.inputs, outcomes);
    return CombinedCode(outcomes);
}

}  // namespace cli
