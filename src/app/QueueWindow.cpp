#include "app/QueueWindow.h"

#include "app/MainWindow.h"
#include "app/QueueText.h"
#include "engine/OutputFormat.h"
#include "i18n/LanguagePack.h"
#include "platform/Path.h"
#include "resources/QueueDialogTemplates.h"
#include "resources/Resources.h"

namespace app {

using namespace resources;
using i18n::StringText;

QueueWindow::QueueWindow(MainWindow& main)
    : ui::Dialog(QueueDialogTemplate(), &main), main_(main) {}

QueueWindow::~QueueWindow() { main_.queue.onChange = nullptr; }

bool QueueWindow::OnInitDialog() {
    i18n::LanguagePack::Instance().ApplyToDialog(*this, IDD_QUEUE);
    ui::Control list = Item(IDC_LIST_QUEUE);
    const std::pair<int, int> columns[] = {{IDS_QUEUE_COLUMN_SOURCE, 90},
                                           {IDS_QUEUE_COLUMN_OUTPUT, 90},
                                           {IDS_QUEUE_COLUMN_FORMAT, 30},
                                           {IDS_QUEUE_COLUMN_OPTIONS, 120},
                                           {IDS_QUEUE_COLUMN_STATE, 150}};
    for (int i = 0; i < 5; ++i)
        list.InsertColumn(i, StringText(columns[i].first), columns[i].second);
    main_.queue.onChange = [this] { Refresh(); };
    Refresh();
    return true;
}

void QueueWindow::Refresh() {
    const Queue& queue = main_.queue;
    ui::Control list = Item(IDC_LIST_QUEUE);
    const int selected = list.CurSel();
    list.SetRowCount(static_cast<int>(queue.size()));
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const QueueEntry& entry = queue.entries()[i];
        const int row = static_cast<int>(i);
        const bool knownFormat = engine::IsValidFormat(entry.job.format);
        list.SetItemText(row, 0, paths::FileNameOf(entry.job.source));
        list.SetItemText(row, 1, paths::FileNameOf(entry.job.output));
        list.SetItemText(
            row, 2,
            knownFormat
                ? engine::OutputFormatTable[static_cast<std::size_t>(entry.job.format)].selectorText
                : "?");
        list.SetItemText(row, 3, OptionsText(entry.job));
        list.SetItemText(row, 4, StateText(entry));
    }
    if (selected >= 0 && selected < static_cast<int>(queue.size())) list.SetCurSel(selected);
    Item(IDC_STATIC_QUEUE_SUMMARY).SetText(SummaryText(queue, main_.queueRun.SecondsLeft()));

    const int row = list.CurSel();
    const bool running = main_.queueRun.active();
    const bool movable =
        row >= 0 && queue.entries()[static_cast<std::size_t>(row)].state != JobState::Converting;
    Item(IDC_BUTTON_QUEUE_REMOVE).Enable(movable);
    Item(IDC_BUTTON_QUEUE_UP).Enable(movable && row > 0);
    Item(IDC_BUTTON_QUEUE_DOWN).Enable(movable && row + 1 < static_cast<int>(queue.size()));
    Item(IDC_BUTTON_QUEUE_START).Enable(!running && queue.NextWaiting() >= 0);
    Item(IDC_BUTTON_QUEUE_STOP).Enable(running);
}

void QueueWindow::OnSelectionChange(int) { Refresh(); }

void QueueWindow::OnCommand(int id) {
    Queue& queue = main_.queue;
    const int row = Item(IDC_LIST_QUEUE).CurSel();
    const auto index = static_cast<std::size_t>(row);
    switch (id) {
        case IDC_BUTTON_QUEUE_ADD:
            main_.ChooseFilesForQueue(this);
            break;
        case IDC_BUTTON_QUEUE_REMOVE:
            if (row >= 0) queue.Remove(index);
            break;
        case IDC_BUTTON_QUEUE_UP:
        case IDC_BUTTON_QUEUE_DOWN: {
            const int by = id == IDC_BUTTON_QUEUE_UP ? -1 : 1;
            if (row >= 0 && queue.Move(index, by)) Item(IDC_LIST_QUEUE).SetCurSel(row + by);
            Refresh();
            break;
        }
        case IDC_BUTTON_QUEUE_RETRY:
            queue.RetryFailed();
            break;
        case IDC_BUTTON_QUEUE_CLEAR:
            queue.ClearDone();
            break;
        case IDC_BUTTON_QUEUE_START:
            main_.queueRun.Start();
            break;
        case IDC_BUTTON_QUEUE_STOP:
            main_.queueRun.Stop();
            break;
        case IDC_BUTTON_QUEUE_APPLY:
            main_.ApplyOptionsToWaitingJobs();
            break;
        case IDC_BUTTON_QUEUE_CLOSE:
        case ui::IDCANCEL:
            EndDialog(ui::IDCANCEL);
            break;
        default:
            ui::Dialog::OnCommand(id);
            break;
    }
}

}  // namespace app
