// What the user reads in boxes and the progress field is the text as given.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"

namespace {

TEST(PlainText, AMessageBoxShowsAFileNameWithMarkupAsItIs) {
    const std::string name = "/v/<b>bold</b> & <i>clip</i>.avi exists.";
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    // No automation: the real box, read and answered once it is up.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll.stop();
        format = box->textFormat();
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    poll.start(10);
    EXPECT_EQ(ui::MessageBox(nullptr, name, "Warning", ui::MB_OK), ui::IDOK);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown.toStdString(), name);
}

TEST(PlainText, AProgressBarCarriesItsTextAndClampsItsValue) {
    ui::DialogTemplate t;
    t.id = 501;
    t.rect = {0, 0, 200, 60};
    t.controls = {{20, ui::ControlKind::ProgressBar, "", {5, 5, 190, 20}, 0}};
    ui::Dialog dialog(t, nullptr);
    ui::Control bar = dialog.Item(20);
    bar.SetText("Used 00:00:12     42%     left 00:00:17");
    EXPECT_EQ(bar.Text(), "Used 00:00:12     42%     left 00:00:17");
    bar.SetProgress(42);
    EXPECT_EQ(bar.Progress(), 42);
    bar.SetProgress(250);
    EXPECT_EQ(bar.Progress(), 100);
    bar.SetProgress(-3);
    EXPECT_EQ(bar.Progress(), 0);
    EXPECT_EQ(dialog.Item(99).Progress(), -1);
}

}  // namespace
