// Files into the queue: chosen, dropped or whole folders, each a job made from
// the options as they are when it is queued.
#include <algorithm>
#include <filesystem>

#include "app/MainWindow.h"
#include "app/QueueWindow.h"
#include "engine/Conversion.h"
#include "engine/CutTimes.h"
#include "i18n/FormattedText.h"
#include "i18n/LanguagePack.h"
#include "options/OutputFormat.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "platform/media/VideoFileTypes.h"
#include "platform/ui/Choosers.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"
#include "settings/Keys.h"
#include "settings/Profile.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using namespace resources;

bool IsVideoFile(const fs::path& file) {
    static const std::vector<std::string> patterns = media::VideoFilePatterns();
    const std::string pattern = "*" + text::Lowered(file.extension().string());
    return std::find(patterns.begin(), patterns.end(), pattern) != patterns.end();
}

// The video files of a folder, by name; those of its subfolders too when asked.
std::vector<std::string> VideoFilesIn(const fs::path& folder, bool subfolders) {
    std::vector<std::string> files;
    std::error_code ec;
    auto take = [&](const fs::directory_entry& entry) {
        if (entry.is_regular_file(ec) && IsVideoFile(entry.path()))
            files.push_back(entry.path().string());
    };
    if (subfolders)
        for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) take(entry);
    else
        for (const auto& entry : fs::directory_iterator(folder, ec)) take(entry);
    std::sort(files.begin(), files.end());
    return files;
}

bool HasSubfolders(const fs::path& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_directory(ec)) return true;
    return false;
}

// The part's length for the queue's time left; 0 when it cannot be told now
// (the job says why when it runs).
std::int64_t Duration(const engine::Job& job) {
    JobNotes quiet;
    engine::Conversion probe(job, quiet);
    engine::SourceInfo info;
    engine::OutputSettings settings;
    std::int64_t duration = 0;
    if (!probe.ProbeSource(job.source, duration, info, settings)) return 0;
    return engine::PartLength(job.cutStart, job.cutStop, duration);
}

}  // namespace

engine::Job MainWindow::JobFor(const std::string& file) const {
    engine::Job job = engine::MakeJob(
        settings, file, options::OutputPathForSource(settings.format, settings.outputPath, file));
    // Each source keeps its own size, unless the Options set another for the one open here.
    const bool sizeChosen = !sourcePath.empty() && (settings.outputWidth != source.width ||
                                                    settings.outputHeight != source.height);
    if (!sizeChosen) job.width = job.height = 0;
    // Start and End were chosen in the open source: another file has no such part.
    if (sourcePath.empty() || file != sourcePath) job.cutStart = job.cutStop = 0;
    return job;
}

void MainWindow::QueueFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            files.push_back(path);
            continue;
        }
        const bool deeper =
            HasSubfolders(path) &&
            ui::MessageBox(this, i18n::FormatText(IDS_QUEUE_SUBFOLDERS, path.c_str()),
                           kProgramTitle, ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES;
        for (std::string& file : VideoFilesIn(path, deeper)) files.push_back(std::move(file));
    }
    for (const std::string& file : files) {
        engine::Job job = JobFor(file);
        // Several files at once are each converted whole.
        if (files.size() > 1) job.cutStart = job.cutStop = 0;
        const std::int64_t duration = Duration(job);
        queue.Add(std::move(job), duration);
    }
}

void MainWindow::ChooseFilesForQueue(ui::Dialog* owner) {
    ui::FileChooserRequest request;
    request.owner = owner;
    std::string patterns;
    for (const std::string& pattern : media::VideoFilePatterns())
        patterns += (patterns.empty() ? "" : ";") + pattern;
    request.filters = {{i18n::StringText(IDS_MESSAGE_VIDEO_FILES), patterns},
                       {i18n::StringText(IDS_MESSAGE_ALL_FILES), "*"}};
    request.title = i18n::StringText(IDS_MESSAGE_OPEN_FILE);
    request.initialDir =
        settings::Profile().GetString(settings::kOptionSection, "LastPhotoFolder", "");
    request.flags = ui::OFN_EXPLORER | ui::OFN_FILEMUSTEXIST | ui::OFN_PATHMUSTEXIST;
    request.multiple = true;
    QueueFiles(ui::GetOpenFileNames(request));
}

void MainWindow::ApplyOptionsToWaitingJobs() {
    queue.ApplyToWaiting([this](const engine::Job& old) { return JobFor(old.source); });
}

void MainWindow::OnQueue() {
    QueueWindow window(*this);
    window.RunModal();
}

}  // namespace app
