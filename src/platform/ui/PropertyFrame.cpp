#include "platform/ui/PropertyFrame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "platform/ui/Automation.h"
#include "platform/ui/DialogImpl.h"

namespace ui {
namespace {

struct Editor {
    const FrameOption* option;
    std::function<std::string()> read;
    std::string applied;
};

QWidget* MakeEditor(const FrameOption& o, QWidget* parent, std::function<std::string()>& read) {
    switch (o.type) {
        case FrameOption::Type::Integer:
            if (o.minimum >= INT_MIN && o.maximum <= INT_MAX && o.maximum > o.minimum) {
                auto* spin = new QSpinBox(parent);
                spin->setRange(static_cast<int>(o.minimum), static_cast<int>(o.maximum));
                const int value = std::stoi(o.value.empty() ? "0" : o.value);
                if (value < o.minimum && o.minimum > INT_MIN) {
                    // A start below the range ("0: the encoder chooses") is shown as a
                    // dash rather than as the smallest value, which would mislead.
                    spin->setMinimum(static_cast<int>(o.minimum) - 1);
                    spin->setSpecialValueText(QString::fromUtf8("\u2014"));
                }
                spin->setValue(value);
                read = [spin] { return std::to_string(spin->value()); };
                return spin;
            }
            break;
        case FrameOption::Type::Real: {
            auto* spin = new QDoubleSpinBox(parent);
            spin->setDecimals(3);
            spin->setRange(o.minimum, o.maximum > o.minimum ? o.maximum : 1e12);
            spin->setValue(QString::fromStdString(o.value).toDouble());
            read = [spin] { return QString::number(spin->value(), 'g', 10).toStdString(); };
            return spin;
        }
        case FrameOption::Type::Boolean: {
            auto* check = new QCheckBox(parent);
            check->setChecked(o.value == "1" || o.value == "true");
            read = [check] { return std::string(check->isChecked() ? "1" : "0"); };
            return check;
        }
        case FrameOption::Type::Choice: {
            auto* combo = new QComboBox(parent);
            bool shown = false;
            for (const auto& [text, value] : o.choices) {
                combo->addItem(QString::fromStdString(text), QString::fromStdString(value));
                // A value may be given by its name ("good") as well as by its number.
                if (!shown && (value == o.value || text == o.value)) {
                    combo->setCurrentIndex(combo->count() - 1);
                    shown = true;
                }
            }
            // None of the choices (the encoder decides): a dash, not the first choice.
            if (!shown) {
                combo->insertItem(0, QString::fromUtf8("\u2014"), QString::fromStdString(o.value));
                combo->setCurrentIndex(0);
            }
            read = [combo] { return combo->currentData().toString().toStdString(); };
            return combo;
        }
        case FrameOption::Type::Text:
            break;
    }
    auto* edit = new QLineEdit(QString::fromStdString(o.value), parent);
    read = [edit] { return edit->text().toStdString(); };
    return edit;
}

}  // namespace

namespace {

// A row of the form: the label beside its field, and under the field a short
// description (or the range the field takes) in smaller type.
void AddRow(QGridLayout* grid, const FrameOption& option, QWidget* editor, QWidget* parent) {
    const int row = grid->rowCount();
    auto* label = new QLabel(QString::fromStdString(option.help.empty() ? option.name : option.help), parent);
    // Short labels stay on one line; long ones wrap at a width people read easily.
    const int labelRoom = label->fontMetrics().averageCharWidth() * 28;
    label->setWordWrap(true);
    label->setFixedWidth(std::min(label->fontMetrics().horizontalAdvance(label->text()) + 2, labelRoom));
    label->setBuddy(editor);
    grid->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(editor, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
    editor->setMinimumWidth(editor->fontMetrics().averageCharWidth() * 18);
    std::string note = option.description;
    if ((option.type == FrameOption::Type::Integer || option.type == FrameOption::Type::Real) &&
        option.maximum > option.minimum && option.maximum < 1e15 && option.minimum > -1e15)
        note += (note.empty() ? "" : " ") + QString::number(option.minimum, 'g', 10).toStdString() +
                " \u2013 " + QString::number(option.maximum, 'g', 10).toStdString();
    if (note.empty()) return;
    auto* text = new QLabel(QString::fromStdString(note), parent);
    text->setWordWrap(true);
    // A fixed width gives the wrapped note the height it needs, whatever the window's.
    text->setFixedWidth(text->fontMetrics().averageCharWidth() * 46);
    QFont small = text->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    text->setFont(small);
    text->setForegroundRole(QPalette::PlaceholderText);
    grid->addWidget(text, row + 1, 1, Qt::AlignLeft | Qt::AlignTop);
}

QGridLayout* NewGrid(QWidget* parent) {
    auto* grid = new QGridLayout(parent);
    grid->setColumnStretch(2, 1);
    grid->setHorizontalSpacing(grid->horizontalSpacing() * 2);
    return grid;
}

}  // namespace

bool ShowPropertyFrame(Dialog* owner, const std::string& caption,
                       const std::vector<FramePage>& pages,
                       const std::function<bool(const std::string&, const std::string&)>& apply) {
    if (Automation* a = CurrentAutomation()) {
        const auto answer = a->AnswerPropertyFrame(caption, pages);
        if (!answer) return false;
        for (const auto& [name, value] : *answer) apply(name, value);
        return true;
    }

    QDialog frame(WindowOf(owner));
    frame.setWindowTitle(QString::fromStdString(caption));
    auto* layout = new QVBoxLayout(&frame);
    QTabWidget* tabs = pages.size() > 1 ? new QTabWidget(&frame) : nullptr;
    if (tabs) layout->addWidget(tabs);
    std::vector<Editor> editors;
    editors.reserve(64);
    QScrollArea* firstScroll = nullptr;
    for (const FramePage& page : pages) {
        auto* scroll = new QScrollArea(&frame);
        if (!firstScroll) firstScroll = scroll;
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        auto* body = new QWidget(scroll);
        auto* column = new QVBoxLayout(body);
        auto* main = NewGrid(nullptr);
        column->addLayout(main);
        // The settings that matter first; the rest behind a closed Advanced section.
        QWidget* advanced = nullptr;
        QGridLayout* advancedGrid = nullptr;
        for (const FrameOption& option : page.options) {
            if (option.advanced && !advanced) {
                auto* toggle = new QToolButton(body);
                toggle->setText(QString::fromStdString(page.advancedTitle));
                toggle->setCheckable(true);
                toggle->setArrowType(Qt::RightArrow);
                toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
                toggle->setAutoRaise(true);
                column->addSpacing(toggle->fontMetrics().height() / 2);
                column->addWidget(toggle, 0, Qt::AlignLeft);
                advanced = new QWidget(body);
                advanced->setObjectName(QStringLiteral("advanced"));
                advancedGrid = NewGrid(advanced);
                advancedGrid->setContentsMargins(toggle->fontMetrics().averageCharWidth() * 3, 0, 0, 0);
                advanced->setVisible(false);
                column->addWidget(advanced);
                QObject::connect(toggle, &QToolButton::toggled, advanced,
                                 [toggle, advanced, scroll, &frame](bool open) {
                    toggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
                    advanced->setVisible(open);
                    if (!open) return;
                    // Taller, as far as the screen allows, and the section in view.
                    frame.resize(frame.width(), std::min(frame.maximumHeight(),
                                                         frame.height() + advanced->sizeHint().height()));
                    QTimer::singleShot(0, scroll, [scroll, toggle] {
                        scroll->verticalScrollBar()->setValue(toggle->y());
                    });
                });
            }
            QWidget* parent = option.advanced ? advanced : body;
            std::function<std::string()> read;
            QWidget* editor = MakeEditor(option, parent, read);
            AddRow(option.advanced ? advancedGrid : main, option, editor, parent);
            editor->setToolTip(QString::fromStdString(option.name));
            // What the editor shows at first counts as unchanged, even where it cannot
            // show the value itself (a choice list without the current value): only
            // what the person changes is applied.
            editors.push_back(Editor{&option, read, read()});
        }
        column->addStretch(1);
        scroll->setWidget(body);
        scroll->setWidgetResizable(true);
        if (tabs) tabs->addTab(scroll, QString::fromStdString(page.title));
        else layout->addWidget(scroll);
    }
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, &frame);
    layout->addWidget(buttons);
    auto applyChanges = [&] {
        for (Editor& e : editors) {
            const std::string now = e.read();
            if (now != e.applied && apply(e.option->name, now)) e.applied = now;
        }
    };
    QObject::connect(buttons, &QDialogButtonBox::accepted, &frame, [&] {
        applyChanges();
        frame.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &frame, &QDialog::reject);
    QObject::connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, &frame,
                     applyChanges);
    // As large as the form wants, but never beyond the screen: the form scrolls and
    // the buttons stay in view, at any scale.
    const QScreen* screen = frame.screen() ? frame.screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() * 0.9 : QSize(1152, 720);
    QSize wanted = firstScroll && firstScroll->widget() ? firstScroll->widget()->sizeHint() : QSize();
    // Wide enough for the Advanced section too, so that opening it needs no sideways scrolling.
    for (QWidget* section : frame.findChildren<QWidget*>(QStringLiteral("advanced")))
        wanted.setWidth(std::max(wanted.width(), section->sizeHint().width() + section->x() + 24));
    wanted += QSize(layout->contentsMargins().left() * 2 + frame.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8,
                    buttons->sizeHint().height() + layout->contentsMargins().top() * 3 +
                        (tabs ? tabs->tabBar()->sizeHint().height() + 16 : 0));
    frame.setMaximumSize(room);
    frame.resize(std::min(wanted.width(), room.width()), std::min(wanted.height(), room.height()));
    return frame.exec() == QDialog::Accepted;
}

}  // namespace ui
