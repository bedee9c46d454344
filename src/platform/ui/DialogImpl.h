#pragma once
// Layer-internal: the Qt window behind a Dialog.
#include <QDialog>
#include <QPointer>
#include <map>
#include <memory>
#include <mutex>

#include "platform/ui/Dialog.h"

namespace ui {

// Shared with posters so that a post after the window is gone is dropped.
struct Mailbox {
    std::mutex mutex;
    QObject* target = nullptr;
};

class DialogWindow : public QDialog {
public:
    DialogWindow(Dialog* dialog, QWidget* parent);
    Dialog* dialog() const { return dialog_; }
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;

private:
    Dialog* dialog_;
};

struct Dialog::Impl {
    std::unique_ptr<DialogWindow> window;
    std::map<int, QWidget*> controls;
    std::vector<int> order;
    std::vector<QWidget*> widgets;  // template order, one per control
    std::map<int, int> timerIds;  // our ID -> Qt timer ID
    std::shared_ptr<Mailbox> mailbox = std::make_shared<Mailbox>();
    bool running = false;
    bool programmatic = false;  // selection changes made by code send no notification
    std::map<int, int> shortcuts;  // key combination (Qt's int form) -> button ID

    // Entry points for the window, which may call the dialog's protected handlers.
    static void Command(Dialog* d, int id) { d->OnCommand(id); }
    static void Close(Dialog* d) { d->OnClose(); }
    static void Cancel(Dialog* d) { d->OnCancel(); }
    static void Timer(Dialog* d, int id) { d->OnTimer(id); }
    static void Message(Dialog* d, unsigned m, std::uintptr_t w, std::intptr_t l) {
        d->OnMessage(m, w, l);
    }
    static void ContextMenu(Dialog* d, Point p) { d->OnContextMenu(p); }
    static void DropFiles(Dialog* d, const std::vector<std::string>& paths) { d->OnDropFiles(paths); }
    static void SelectionChange(Dialog* d, int id) { d->OnSelectionChange(id); }
    static void DoubleClick(Dialog* d, int id) { d->OnDoubleClick(id); }
};

QWidget* WindowOf(Dialog* dialog);

// A list view control (ListView.cpp): a report view of rows under headings.
QWidget* CreateListView(QWidget* parent);

}  // namespace ui
