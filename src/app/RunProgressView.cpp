// How far the run is, shown in the time field and the window title.
#include <cmath>

#include "app/MainWindow.h"
#include "app/StatusText.h"
#include "engine/ConversionGraph.h"
#include "engine/CutTimes.h"
#include "engine/RunProgress.h"
#include "platform/media/Media.h"
#include "resources/Resources.h"

namespace app {

using engine::ConversionGraph;
using namespace resources;

void MainWindow::ShowRunProgress(bool running) {
    ui::Control bar = Item(IDC_PROGRESS_RUN);
    if (running) {
        idleCaption = Caption();
        bar.SetFont(Item(IDC_STATIC_STATUS).GetFont());
        bar.SetProgress(0);
        bar.SetText(RunProgressLine(0, 0, -1));
        SetCaption(RunProgressCaption(0, idleCaption));
    } else if (!idleCaption.empty()) {
        SetCaption(idleCaption);
        idleCaption.clear();
    }
    AcceptDrops(!running);
    bar.Show(running);
    Item(IDC_STATIC_STATUS).Show(!running);
}

void MainWindow::UpdateRunProgress() {
    std::int64_t written = 0;
    std::shared_ptr<media::MediaSeeking> seeking;
    ConversionGraph& graph = ConversionGraph::Instance();
    if (!graph.graphManager || FAILED(graph.graphManager->QueryMediaSeeking(seeking)) ||
        FAILED(seeking->GetCurrentPosition(written)))
        written = 0;
    const engine::RunProgress progress =
        engine::MeasureProgress(
            written, engine::PartLength(settings.cutStart, settings.cutStop, source.duration),
            elapsedSeconds);
    const int percent = static_cast<int>(std::floor(progress.fraction * 100));
    ui::Control bar = Item(IDC_PROGRESS_RUN);
    bar.SetProgress(percent);
    bar.SetText(progress.known ? RunProgressLine(elapsedSeconds, percent, progress.secondsLeft)
                               : RunWrittenLine(elapsedSeconds, progress.writtenSeconds));
    if (!idleCaption.empty()) SetCaption(RunProgressCaption(percent, idleCaption));
}

}  // namespace app
