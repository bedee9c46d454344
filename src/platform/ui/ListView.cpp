// The list view control: rows of cells under column headings, one row selected
// at a time, over Qt's tree widget without a tree.
#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

#include "platform/ui/Dialog.h"
#include "platform/ui/DialogImpl.h"

namespace ui {
namespace {

QTreeWidget* View(Dialog* dialog, int id) {
    if (!dialog || !dialog->impl()) return nullptr;
    auto it = dialog->impl()->controls.find(id);
    return it == dialog->impl()->controls.end() ? nullptr : qobject_cast<QTreeWidget*>(it->second);
}

}  // namespace

QWidget* CreateListView(QWidget* parent) {
    auto* view = new QTreeWidget(parent);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setColumnCount(0);
    view->header()->setStretchLastSection(true);
    view->header()->setSectionsMovable(false);
    return view;
}

int Control::InsertColumn(int index, std::string_view heading, int width) {
    QTreeWidget* view = View(dialog_, id_);
    if (!view) return -1;
    QStringList headings;
    for (int i = 0; i < view->columnCount(); ++i) headings << view->headerItem()->text(i);
    index = std::clamp(index, 0, static_cast<int>(headings.size()));
    headings.insert(index,
                    QString::fromUtf8(heading.data(), static_cast<qsizetype>(heading.size())));
    view->setColumnCount(static_cast<int>(headings.size()));
    view->setHeaderLabels(headings);
    view->setColumnWidth(index, DialogUnitsToPixels({0, 0, width, 0}, dialog_->baseUnits()).width);
    return index;
}

void Control::SetItemText(int row, int column, std::string_view text) {
    QTreeWidget* view = View(dialog_, id_);
    if (!view || row < 0 || column < 0 || column >= view->columnCount()) return;
    while (view->topLevelItemCount() <= row) view->addTopLevelItem(new QTreeWidgetItem());
    const QString cell = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QTreeWidgetItem* item = view->topLevelItem(row);
    item->setText(column, cell);
    item->setToolTip(column, cell);  // a cut cell can be read whole
}

std::string Control::ItemText(int row, int column) const {
    QTreeWidget* view = View(dialog_, id_);
    if (!view || row < 0 || row >= view->topLevelItemCount()) return {};
    return view->topLevelItem(row)->text(column).toStdString();
}

void Control::SetRowCount(int rows) {
    QTreeWidget* view = View(dialog_, id_);
    if (!view) return;
    dialog_->impl()->programmatic = true;  // a row taken away says nothing to the dialog
    while (view->topLevelItemCount() > std::max(rows, 0))
        delete view->takeTopLevelItem(view->topLevelItemCount() - 1);
    dialog_->impl()->programmatic = false;
}

}  // namespace ui
