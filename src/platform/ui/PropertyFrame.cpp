#include "platform/ui/PropertyFrame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
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
            for (const auto& [text, value] : o.choices) {
                combo->addItem(QString::fromStdString(text), QString::fromStdString(value));
                if (value == o.value) combo->setCurrentIndex(combo->count() - 1);
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
    auto* tabs = new QTabWidget(&frame);
    layout->addWidget(tabs);
    std::vector<Editor> editors;
    editors.reserve(64);
    for (const FramePage& page : pages) {
        auto* scroll = new QScrollArea(tabs);
        auto* body = new QWidget(scroll);
        auto* form = new QFormLayout(body);
        for (const FrameOption& option : page.options) {
            std::function<std::string()> read;
            QWidget* editor = MakeEditor(option, body, read);
            std::string label = option.help.empty() ? option.name : option.help;
            if ((option.type == FrameOption::Type::Integer || option.type == FrameOption::Type::Real) &&
                option.maximum > option.minimum && option.maximum < 1e15 && option.minimum > -1e15)
                label += " [" + QString::number(option.minimum, 'g', 10).toStdString() + " .. " +
                         QString::number(option.maximum, 'g', 10).toStdString() + "]";
            auto* text = new QLabel(QString::fromStdString(label), body);
            text->setWordWrap(false);
            form->addRow(text, editor);
            editor->setToolTip(QString::fromStdString(option.name));
            // What the editor shows at first counts as unchanged, even where it cannot
            // show the value itself (a choice list without the current value): only
            // what the person changes is applied.
            editors.push_back(Editor{&option, read, read()});
        }
        scroll->setWidget(body);
        scroll->setWidgetResizable(true);
        // Wide enough for the fields: no editor is cut at the right edge.
        scroll->setMinimumWidth(std::min(body->sizeHint().width() + 40, 1000));
        tabs->addTab(scroll, QString::fromStdString(page.title));
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
    frame.resize(std::max(frame.sizeHint().width(), 560), 480);
    return frame.exec() == QDialog::Accepted;
}

}  // namespace ui
