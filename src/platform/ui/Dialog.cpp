#include "platform/ui/Dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "platform/ui/Automation.h"
#include "platform/ui/DialogImpl.h"
#include "platform/ui/QtFonts.h"

namespace ui {
namespace {

const QEvent::Type kPostedMessage = static_cast<QEvent::Type>(QEvent::registerEventType());

class PostedMessage : public QEvent {
public:
    PostedMessage(unsigned m, std::uintptr_t w, std::intptr_t l)
        : QEvent(kPostedMessage), message(m), wParam(w), lParam(l) {}
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

std::string g_applicationName = "quorvel-converter";
std::vector<Dialog*> g_modalStack;

// An icon control takes the size of a standard icon, whatever its template rectangle.
constexpr int kIconSize = 32;

int MulDiv(int value, int numerator, int denominator) {
    const double exact = static_cast<double>(value) * numerator / denominator;
    return static_cast<int>(exact < 0 ? -std::floor(-exact + 0.5) : std::floor(exact + 0.5));
}

QWidget* CreateControl(const ControlTemplate& c, QWidget* parent) {
    QWidget* w = nullptr;
    switch (c.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            auto* b = new QPushButton(QString::fromStdString(c.text), parent);
            b->setDefault(c.kind == ControlKind::DefPushButton);
            b->setAutoDefault(c.kind == ControlKind::DefPushButton);
            w = b;
            break;
        }
        case ControlKind::Static: {
            auto* l = new QLabel(QString::fromStdString(c.text), parent);
            Qt::Alignment a = (c.style & kCenter) ? Qt::AlignHCenter : Qt::AlignLeft;
            a |= (c.style & kCenterVertical) ? Qt::AlignVCenter : Qt::AlignTop;
            l->setAlignment(a);
            l->setWordWrap((c.style & kWrap) != 0);
            l->setTextFormat(Qt::PlainText);
            if (c.style & kSunken) {
                l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                l->setLineWidth(1);
            }
            w = l;
            break;
        }
        case ControlKind::Edit: {
            auto* e = new QLineEdit(QString::fromStdString(c.text), parent);
            if (c.style & kCenter) e->setAlignment(Qt::AlignHCenter);
            w = e;
            break;
        }
        case ControlKind::DropDownList:
            w = new QComboBox(parent);
            break;
        case ControlKind::ListBox: {
            auto* l = new QListWidget(parent);
            l->setSortingEnabled((c.style & kSort) != 0);
            l->setVerticalScrollBarPolicy((c.style & kVScroll) ? Qt::ScrollBarAsNeeded
                                                               : Qt::ScrollBarAlwaysOff);
            w = l;
            break;
        }
        case ControlKind::Icon: {
            // The text names the icon resource, as an icon control's text does.
            auto* l = new QLabel(parent);
            if (!c.text.empty()) {
                const QIcon icon(QString::fromStdString(c.text));
                if (!icon.isNull()) l->setPixmap(icon.pixmap(kIconSize, kIconSize));
            }
            w = l;
            break;
        }
        case ControlKind::GroupBox:
            w = new QGroupBox(QString::fromStdString(c.text), parent);
            break;
        case ControlKind::ListView:
            w = CreateListView(parent);
            break;
        case ControlKind::ProgressBar: {
            auto* p = new QProgressBar(parent);
            p->setRange(0, 100);
            p->setValue(0);
            p->setTextVisible(true);
            p->setAlignment(Qt::AlignCenter);
            p->setFormat(QString());
            w = p;
            break;
        }
    }
    w->setFocusPolicy((c.style & kTabStop) ? Qt::StrongFocus : Qt::NoFocus);
    if (c.style & kHidden) w->setVisible(false);
    if (c.style & kDisabled) w->setEnabled(false);
    return w;
}

}  // namespace

void SetApplicationName(std::string name) { g_applicationName = std::move(name); }
const std::string& ApplicationName() { return g_applicationName; }

Dialog* ActiveDialog() { return g_modalStack.empty() ? nullptr : g_modalStack.back(); }

QWidget* WindowOf(Dialog* dialog) {
    return dialog && dialog->impl() ? dialog->impl()->window.get() : nullptr;
}

namespace {
BaseUnits BaseUnitsOfFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int cx = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return BaseUnits{(cx / 26 + 1) / 2, metrics.height()};
}
}  // namespace

BaseUnits BaseUnitsOf(const std::string& face, int points) {
    return BaseUnitsOfFont(TemplateFont(face, points));
}

PixelRect DialogUnitsToPixels(const DuRect& r, BaseUnits u) {
    return PixelRect{MulDiv(r.x, u.x, 4), MulDiv(r.y, u.y, 8), MulDiv(r.cx, u.x, 4),
                     MulDiv(r.cy, u.y, 8)};
}

// ---- DialogWindow ----------------------------------------------------------

DialogWindow::DialogWindow(Dialog* dialog, QWidget* parent) : QDialog(parent), dialog_(dialog) {}

void DialogWindow::reject() { Dialog::Impl::Cancel(dialog_); }

void DialogWindow::closeEvent(QCloseEvent* event) {
    event->ignore();  // the dialog's close handler decides
    Dialog::Impl::Close(dialog_);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                              Qt::AltModifier)) == 0;
    const int key = event->key() == Qt::Key_Enter ? Qt::Key_Return : event->key();
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (auto s = dialog_->impl()->shortcuts.find(QKeyCombination(modifiers, Qt::Key(key)).toCombined());
        s != dialog_->impl()->shortcuts.end()) {
        dialog_->Item(s->second).Click();
        return;
    }
    if (event->key() == Qt::Key_F1 && plain) {
        Dialog::Impl::Command(dialog_, ID_HELP);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        Dialog::Impl::Cancel(dialog_);
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A focused button takes Enter; otherwise the default button, or the OK command.
        if (auto* b = qobject_cast<QPushButton*>(focusWidget())) {
            b->click();
            return;
        }
        for (auto* b : findChildren<QPushButton*>())
            if (b->isDefault() && b->isVisible() && b->isEnabled()) {
                b->click();
                return;
            }
        Dialog::Impl::Command(dialog_, IDOK);
        return;
    }
    QDialog::keyPressEvent(event);
}

void DialogWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // Static texts let clicks through to the window; buttons and fields take them.
        QWidget* child = childAt(event->position().toPoint());
        if (!child || qobject_cast<QLabel*>(child)) {
            const QPoint g = event->globalPosition().toPoint();
            Dialog::Impl::ContextMenu(dialog_, Point{g.x(), g.y()});
            return;
        }
    }
    QDialog::mouseReleaseEvent(event);
}

namespace {
// The local files a drag carries; a drag with anything else offers nothing.
std::vector<std::string> LocalFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        paths.push_back(url.toLocalFile().toStdString());
    }
    return paths;
}
}  // namespace

void DialogWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void DialogWindow::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = LocalFiles(event->mimeData());
    if (paths.empty()) return;
    event->acceptProposedAction();
    Dialog::Impl::DropFiles(dialog_, paths);
}

void DialogWindow::timerEvent(QTimerEvent* event) {
    for (const auto& [id, qtId] : dialog_->impl()->timerIds)
        if (qtId == event->timerId()) {
            Dialog::Impl::Timer(dialog_, id);
            return;
        }
    QDialog::timerEvent(event);
}

bool DialogWindow::event(QEvent* event) {
    if (event->type() == kPostedMessage) {
        auto* m = static_cast<PostedMessage*>(event);
        Dialog::Impl::Message(dialog_, m->message, m->wParam, m->lParam);
        return true;
    }
    return QDialog::event(event);
}

// ---- Dialog ----------------------------------------------------------------

Dialog::Dialog(const DialogTemplate& tmpl, Dialog* owner)
    : template_(tmpl), owner_(owner), impl_(std::make_unique<Impl>()) {
    base_ = BaseUnitsOf(tmpl.fontFace, tmpl.fontPoints);
    impl_->window = std::make_unique<DialogWindow>(this, WindowOf(owner));
    DialogWindow* w = impl_->window.get();
    impl_->mailbox->target = w;
    w->setFont(TemplateFont(tmpl.fontFace, tmpl.fontPoints));
    w->setWindowTitle(QString::fromStdString(tmpl.caption));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tmpl.systemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tmpl.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    w->setWindowFlags(flags);

    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& c : tmpl.controls) {
        QWidget* control = CreateControl(c, w);
        impl_->widgets.push_back(control);
        const int id = c.id;
        if (id != -1 && id != 65535 && !impl_->controls.count(id)) impl_->controls[id] = control;
        impl_->order.push_back(id);
        if (auto* b = qobject_cast<QPushButton*>(control))
            QObject::connect(b, &QPushButton::clicked, w, [this, id] { OnCommand(id); });
        if (auto* combo = qobject_cast<QComboBox*>(control))
            QObject::connect(combo, &QComboBox::activated, w, [this, id] {
                if (!impl_->programmatic) OnSelectionChange(id);
            });
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            QObject::connect(edit, &QLineEdit::textEdited, w, [this, id] { OnEditChange(id); });
        if (auto* list = qobject_cast<QListWidget*>(control)) {
            QObject::connect(list, &QListWidget::currentRowChanged, w, [this, id] {
                if (!impl_->programmatic) OnSelectionChange(id);
            });
            QObject::connect(list, &QListWidget::itemDoubleClicked, w,
                             [this, id] { OnDoubleClick(id); });
        }
        if (auto* view = qobject_cast<QTreeWidget*>(control))
            QObject::connect(view, &QTreeWidget::currentItemChanged, w, [this, id] {
                if (!impl_->programmatic) OnSelectionChange(id);
            });
        if (c.style & kTabStop) {
            if (previousTabStop) QWidget::setTabOrder(previousTabStop, control);
            previousTabStop = control;
        }
    }
    PlaceControls();
    for (const auto& [id, entries] : tmpl.listItems) {
        auto it = impl_->controls.find(id);
        auto* combo = it == impl_->controls.end() ? nullptr : qobject_cast<QComboBox*>(it->second);
        if (!combo) continue;
        for (const std::string& entry : entries) combo->addItem(QString::fromStdString(entry));
        combo->setCurrentIndex(-1);  // the entries come without a selection
    }
}

void Dialog::PlaceControls() {
    const PixelRect size = DialogUnitsToPixels(template_.rect, base_);
    impl_->window->setFixedSize(size.width, size.height);
    for (std::size_t i = 0; i < template_.controls.size(); ++i) {
        const ControlTemplate& c = template_.controls[i];
        QWidget* control = impl_->widgets[i];
        const PixelRect r = DialogUnitsToPixels(c.rect, base_);
        control->setGeometry(r.x, r.y, r.width, r.height);
        if (c.kind == ControlKind::Icon && !c.text.empty()) control->resize(kIconSize, kIconSize);
        // A drop-down list's template height is that of its open list; closed it is one line.
        if (auto* combo = qobject_cast<QComboBox*>(control))
            combo->resize(r.width, std::min(r.height, combo->sizeHint().height()));
    }
}

Dialog::~Dialog() {
    {
        std::lock_guard lock(impl_->mailbox->mutex);
        impl_->mailbox->target = nullptr;
    }
    std::erase(g_modalStack, this);
}

int Dialog::RunModal() {
    DialogWindow* w = impl_->window.get();
    impl_->running = true;
    g_modalStack.push_back(this);
    const bool placeFocus = OnInitDialog();
    int result = IDCANCEL;
    if (impl_->running) {
        if (placeFocus) {
            for (int id : impl_->order) {
                auto it = impl_->controls.find(id);
                if (it != impl_->controls.end() && it->second->focusPolicy() != Qt::NoFocus &&
                    !it->second->isHidden() && it->second->isEnabled()) {
                    it->second->setFocus(Qt::TabFocusReason);
                    break;
                }
            }
        }
        if (Automation* a = CurrentAutomation())
            QTimer::singleShot(0, w, [this, a] {
                if (impl_->running) a->DialogShown(*this);
            });
        result = w->exec();
    } else {
        result = w->result();
    }
    impl_->running = false;
    std::erase(g_modalStack, this);
    for (const auto& [id, qtId] : impl_->timerIds) w->killTimer(qtId);
    impl_->timerIds.clear();
    return result;
}

void Dialog::EndDialog(int result) {
    impl_->running = false;
    impl_->window->setResult(result);
    impl_->window->done(result);
}

bool Dialog::IsRunning() const { return impl_->running; }

std::vector<int> Dialog::ChildIds() const { return impl_->order; }

std::vector<int> Dialog::TabOrder() const {
    std::vector<int> ids;
    std::map<QWidget*, int> idOf;
    for (const auto& [id, w] : impl_->controls) idOf[w] = id;
    QWidget* first = nullptr;
    for (int id : impl_->order) {
        auto it = impl_->controls.find(id);
        if (it != impl_->controls.end() && it->second->focusPolicy() != Qt::NoFocus) {
            first = it->second;
            break;
        }
    }
    for (QWidget* w = first; w;) {
        if (idOf.count(w) && w->focusPolicy() != Qt::NoFocus && !w->isHidden())
            ids.push_back(idOf[w]);
        w = w->nextInFocusChain();
        if (w == first || ids.size() > impl_->order.size()) break;
    }
    return ids;
}

int Dialog::FocusedId() const {
    QWidget* focus = impl_->window->focusWidget();
    for (const auto& [id, w] : impl_->controls)
        if (w == focus) return id;
    return 0;
}

void Dialog::SetCaption(std::string_view caption) {
    impl_->window->setWindowTitle(QString::fromUtf8(caption.data(), caption.size()));
}

std::string Dialog::Caption() const { return impl_->window->windowTitle().toStdString(); }

void Dialog::SetFont(const LogFont& font) {
    // Qt hands a window's font down to its children; pin theirs first.
    for (QWidget* w : impl_->window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->testAttribute(Qt::WA_SetFont)) continue;
        QFont own = w->font();
        own.setResolveMask(QFont::AllPropertiesResolved);
        w->setFont(own);
    }
    const QFont qfont = ToQFont(font);
    impl_->window->setFont(qfont);
    // The layout grows with the font as dialog units do, so that no text is cut;
    // it never shrinks below the template's, whose controls keep their font.
    const BaseUnits units = BaseUnitsOfFont(qfont);
    const BaseUnits own = BaseUnitsOf(template_.fontFace, template_.fontPoints);
    base_ = BaseUnits{std::max(units.x, own.x), std::max(units.y, own.y)};
    PlaceControls();
}

LogFont Dialog::GetFont() const { return FromQFont(impl_->window->font()); }

void Dialog::SetIcon(const std::string& resourcePath) {
    impl_->window->setWindowIcon(QIcon(QString::fromStdString(resourcePath)));
}

bool Dialog::AppendSystemMenuItem(std::string_view, int) { return false; }

PixelRect Dialog::ClientRect() const {
    const QSize s = impl_->window->size();
    return PixelRect{0, 0, s.width(), s.height()};
}

void Dialog::SetTimer(int id, int milliseconds) {
    KillTimer(id);
    impl_->timerIds[id] = impl_->window->startTimer(milliseconds);
}

void Dialog::KillTimer(int id) {
    auto it = impl_->timerIds.find(id);
    if (it == impl_->timerIds.end()) return;
    impl_->window->killTimer(it->second);
    impl_->timerIds.erase(it);
}

bool Dialog::HasTimer(int id) const { return impl_->timerIds.count(id) != 0; }

void Dialog::PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    Poster(message, wParam, lParam)();
}

std::function<void()> Dialog::Poster(unsigned message, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
    std::weak_ptr<Mailbox> box = impl_->mailbox;
    return [box, message, wParam, lParam] {
        if (auto b = box.lock()) {
            std::lock_guard lock(b->mutex);
            if (b->target)
                QCoreApplication::postEvent(b->target, new PostedMessage(message, wParam, lParam));
        }
    };
}

void Dialog::RequestClose() { OnClose(); }

void Dialog::SysCommand(int command) { OnSysCommand(command); }

bool Dialog::IsMinimized() const { return impl_->window->isMinimized(); }

void Dialog::OnSysCommand(int command) {
    switch (command & 0xFFF0) {
        case SC_CLOSE: OnClose(); break;
        case SC_MINIMIZE: impl_->window->showMinimized(); break;
        case SC_RESTORE: impl_->window->showNormal(); break;
        default: break;  // moving and sizing are the window manager's own
    }
}

namespace {
QKeyCombination KeyOf(std::string_view key) {
    const QKeySequence sequence =
        QKeySequence::fromString(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())),
                                 QKeySequence::PortableText);
    return sequence.isEmpty() ? QKeyCombination() : sequence[0];
}
}  // namespace

void Dialog::PressKey(std::string_view key) {
    const QKeyCombination combination = KeyOf(key);
    QWidget* target = impl_->window->focusWidget();
    if (!target) target = impl_->window.get();
    QKeyEvent press(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    QApplication::sendEvent(target, &press);
}

void Dialog::SetShortcut(std::string_view key, int buttonId) {
    impl_->shortcuts[KeyOf(key).toCombined()] = buttonId;
}

Point Dialog::ClientToScreen(Point client) const {
    const QPoint global = impl_->window->mapToGlobal(QPoint(client.x, client.y));
    return {global.x(), global.y()};
}

void Dialog::RightClick(Point client) {
    const QPointF local(client.x, client.y);
    const QPointF global = impl_->window->mapToGlobal(local);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(impl_->window.get(), &release);
}

bool Dialog::SaveScreenshot(const std::string& pngPath) const {
    return impl_->window->grab().save(QString::fromStdString(pngPath), "PNG");
}

void Dialog::OnCommand(int id) {
    if (id == IDOK) OnOK();
    else if (id == IDCANCEL) OnCancel();
}

void Dialog::AcceptDrops(bool accept) { impl_->window->setAcceptDrops(accept); }

bool Dialog::DropFiles(const std::vector<std::string>& paths) {
    DialogWindow* w = impl_->window.get();
    if (!w->acceptDrops()) return false;
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    data.setUrls(urls);
    const QPoint at = w->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &drop);
    return drop.isAccepted();
}

// ---- Control ---------------------------------------------------------------

namespace {
QWidget* Widget(Dialog* d, int id) {
    if (!d || !d->impl()) return nullptr;
    auto it = d->impl()->controls.find(id);
    return it == d->impl()->controls.end() ? nullptr : it->second;
}

struct ProgrammaticChange {
    explicit ProgrammaticChange(Dialog* d) : dialog(d) { dialog->impl()->programmatic = true; }
    ~ProgrammaticChange() { dialog->impl()->programmatic = false; }
    Dialog* dialog;
};
}  // namespace

bool Control::exists() const { return Widget(dialog_, id_) != nullptr; }

ControlKind Control::kind() const {
    for (const auto& c : dialog_->template_.controls)
        if (c.id == id_) return c.kind;
    return ControlKind::Static;
}

void Control::SetText(std::string_view text) {
    const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QWidget* w = Widget(dialog_, id_);
    if (auto* b = qobject_cast<QPushButton*>(w)) b->setText(t);
    else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(t);
    else if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(t);
    else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(t);
    else if (auto* p = qobject_cast<QProgressBar*>(w)) p->setFormat(t);  // shown as given, save for %p, %v and %m
    else if (auto* c = qobject_cast<QComboBox*>(w)) {
        const int i = c->findText(t);
        ProgrammaticChange guard(dialog_);
        if (i >= 0) c->setCurrentIndex(i);
    }
}

void Control::SetElidedText(std::string_view head, std::string_view tail) {
    const QString h = QString::fromUtf8(head.data(), static_cast<qsizetype>(head.size()));
    const QString t = QString::fromUtf8(tail.data(), static_cast<qsizetype>(tail.size()));
    auto* label = qobject_cast<QLabel*>(Widget(dialog_, id_));
    if (!label) return;
    const QFontMetrics metrics(label->font());
    const int frame = 2 * label->frameWidth() + 2 * label->margin() + metrics.averageCharWidth();
    const int room = label->width() - frame - metrics.horizontalAdvance(t);
    label->setText(metrics.elidedText(h, Qt::ElideMiddle, std::max(room, 0)) + t);
    label->setToolTip(h + t);
}

std::string Control::Text() const {
    QWidget* w = Widget(dialog_, id_);
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text().toStdString();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title().toStdString();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText().toStdString();
    if (auto* p = qobject_cast<QProgressBar*>(w)) return p->format().toStdString();
    return {};
}

void Control::SetProgress(int percent) {
    if (auto* p = qobject_cast<QProgressBar*>(Widget(dialog_, id_)))
        p->setValue(std::clamp(percent, 0, 100));
}

int Control::Progress() const {
    auto* p = qobject_cast<QProgressBar*>(Widget(dialog_, id_));
    return p ? p->value() : -1;
}

void Control::Show(bool visible) {
    if (QWidget* w = Widget(dialog_, id_)) w->setVisible(visible);
}

bool Control::IsVisible() const {
    QWidget* w = Widget(dialog_, id_);
    return w && !w->isHidden();
}

void Control::Enable(bool enabled) {
    if (QWidget* w = Widget(dialog_, id_)) w->setEnabled(enabled);
}

bool Control::IsEnabled() const {
    QWidget* w = Widget(dialog_, id_);
    return w && w->isEnabled();
}

void Control::SetFont(const LogFont& font) {
    if (QWidget* w = Widget(dialog_, id_)) w->setFont(ToQFont(font));
}

LogFont Control::GetFont() const {
    QWidget* w = Widget(dialog_, id_);
    return w ? FromQFont(w->font()) : LogFont{};
}

int Control::TextWidth() const {
    QWidget* w = Widget(dialog_, id_);
    return w ? QFontMetrics(w->font()).horizontalAdvance(QString::fromStdString(Text())) : 0;
}

bool Control::ShowsWholeText() const {
    QWidget* w = Widget(dialog_, id_);
    if (!w) return true;
    const QFontMetrics metrics(w->font());
    if (auto* b = qobject_cast<QPushButton*>(w)) {
        QString text = b->text();
        text.remove(QLatin1Char('&'));  // the mnemonic marker is not drawn
        return metrics.horizontalAdvance(text) + 8 <= b->width() && metrics.height() <= b->height();
    }
    auto* l = qobject_cast<QLabel*>(w);
    if (!l || l->text().isEmpty() || !l->pixmap().isNull()) return true;
    const QRect room = l->contentsRect();
    if (!l->wordWrap())
        return metrics.horizontalAdvance(l->text()) <= room.width() && metrics.height() <= room.height();
    const QRect needed = metrics.boundingRect(QRect(0, 0, room.width(), 100000),
                                              Qt::TextWordWrap, l->text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

void Control::SetFocus() {
    if (QWidget* w = Widget(dialog_, id_)) w->setFocus(Qt::OtherFocusReason);
}

bool Control::HasFocus() const { return dialog_->FocusedId() == id_; }

PixelRect Control::Geometry() const {
    QWidget* w = Widget(dialog_, id_);
    if (!w) return {};
    const QRect g = w->geometry();
    return PixelRect{g.x(), g.y(), g.width(), g.height()};
}

void Control::Click() {
    if (auto* b = qobject_cast<QPushButton*>(Widget(dialog_, id_)))
        if (b->isEnabled()) b->click();
}

int Control::AddString(std::string_view text) {
    const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QWidget* w = Widget(dialog_, id_);
    ProgrammaticChange guard(dialog_);
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        c->addItem(t);
        if (c->count() == 1) c->setCurrentIndex(-1);  // adding selects nothing
        return c->count() - 1;
    }
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        l->addItem(t);
        return l->count() - 1;
    }
    if (auto* v = qobject_cast<QTreeWidget*>(w)) {
        v->addTopLevelItem(new QTreeWidgetItem(QStringList{t}));
        return v->topLevelItemCount() - 1;
    }
    return -1;
}

void Control::ResetContent() {
    QWidget* w = Widget(dialog_, id_);
    ProgrammaticChange guard(dialog_);
    if (auto* c = qobject_cast<QComboBox*>(w)) c->clear();
    if (auto* l = qobject_cast<QListWidget*>(w)) l->clear();
    if (auto* v = qobject_cast<QTreeWidget*>(w)) v->clear();
}

int Control::Count() const {
    QWidget* w = Widget(dialog_, id_);
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->count();
    if (auto* l = qobject_cast<QListWidget*>(w)) return l->count();
    if (auto* v = qobject_cast<QTreeWidget*>(w)) return v->topLevelItemCount();
    return 0;
}

int Control::SetCurSel(int index) {
    QWidget* w = Widget(dialog_, id_);
    ProgrammaticChange guard(dialog_);
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (index < -1 || index >= c->count()) {
            c->setCurrentIndex(-1);
            return -1;
        }
        c->setCurrentIndex(index);
        return index;
    }
    if (auto* l = qobject_cast<QListWidget*>(w)) {
        if (index < -1 || index >= l->count()) index = -1;
        l->setCurrentRow(index);
        return index;
    }
    if (auto* v = qobject_cast<QTreeWidget*>(w)) {
        if (index < -1 || index >= v->topLevelItemCount()) index = -1;
        v->setCurrentItem(index < 0 ? nullptr : v->topLevelItem(index));
        if (index < 0) v->clearSelection();
        return index;
    }
    return -1;
}

int Control::CurSel() const {
    QWidget* w = Widget(dialog_, id_);
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentIndex();
    if (auto* l = qobject_cast<QListWidget*>(w)) return l->currentRow();
    if (auto* v = qobject_cast<QTreeWidget*>(w))
        return v->currentItem() ? v->indexOfTopLevelItem(v->currentItem()) : -1;
    return -1;
}

void Control::Type(std::string_view text) {
    auto* e = qobject_cast<QLineEdit*>(Widget(dialog_, id_));
    if (!e || !e->isEnabled()) return;
    e->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    emit e->textEdited(e->text());
}

void Control::Choose(int index) {
    QWidget* w = Widget(dialog_, id_);
    if (!w || !w->isEnabled()) return;
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (index < 0 || index >= c->count()) return;
        c->setCurrentIndex(index);
        emit c->activated(index);
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        if (index >= 0 && index < l->count()) l->setCurrentRow(index);
    } else if (auto* v = qobject_cast<QTreeWidget*>(w)) {
        if (index >= 0 && index < v->topLevelItemCount()) v->setCurrentItem(v->topLevelItem(index));
    }
}

std::string Control::ItemText(int index) const {
    QWidget* w = Widget(dialog_, id_);
    if (auto* c = qobject_cast<QComboBox*>(w))
        return index >= 0 && index < c->count() ? c->itemText(index).toStdString() : "";
    if (auto* l = qobject_cast<QListWidget*>(w))
        return index >= 0 && index < l->count() ? l->item(index)->text().toStdString() : "";
    if (qobject_cast<QTreeWidget*>(w)) return ItemText(index, 0);
    return {};
}

}  // namespace ui
