#include "platform/ui/HelpViewer.h"

#include <QFileInfo>
#include <QPixmap>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

#include "platform/ui/DialogImpl.h"

namespace ui {
namespace {

QPointer<QTextBrowser> g_viewer;

}  // namespace

bool ShowHelpPage(Dialog* owner, const std::string& file, const std::string& caption) {
    const QFileInfo info(QString::fromStdString(file));
    if (!info.isFile() || !info.isReadable()) return false;
    if (!g_viewer) {
        // A child of the owner's window, so it goes when the program's window goes.
        g_viewer = new QTextBrowser(WindowOf(owner));
        g_viewer->setWindowFlags(Qt::Window);
        g_viewer->setAttribute(Qt::WA_DeleteOnClose);
        // Links between the pages stay in the viewer; nothing leads outside.
        g_viewer->setOpenLinks(true);
        g_viewer->setOpenExternalLinks(false);
        g_viewer->resize(760, 600);
    }
    g_viewer->setWindowTitle(QString::fromStdString(caption));
    g_viewer->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    g_viewer->show();
    g_viewer->raise();
    g_viewer->activateWindow();
    return true;
}

std::string HelpViewerPage() {
    return g_viewer ? g_viewer->source().toLocalFile().toStdString() : std::string();
}

bool SaveHelpViewerScreenshot(const std::string& pngPath) {
    return g_viewer && g_viewer->grab().save(QString::fromStdString(pngPath), "PNG");
}

void CloseHelpViewer() {
    if (g_viewer) delete g_viewer.data();
}

}  // namespace ui
