#pragma once
// The Queue window: one row per job (source, output name in the output folder,
// format, the options it keeps, its state), the time left for the whole queue, and the commands on
// it. It shows the queue; the queue and its run belong to the main window and go on when this
// window is closed.
//
// Threads: the window's.
#include "platform/ui/Dialog.h"

namespace app {

class MainWindow;

class QueueWindow : public ui::Dialog {
public:
    explicit QueueWindow(MainWindow& main);
    ~QueueWindow() override;
    // Redraws the rows, the summary and which commands can be given.
    void Refresh();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override {}  // Enter alone starts nothing
    void OnSelectionChange(int id) override;

private:
    MainWindow& main_;
};

}  // namespace app
