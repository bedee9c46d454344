#pragma once
// Dialog windows built from templates, with controls reached by numeric ID,
// window timers, posted messages and a modal run that keeps delivering both.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Font.h"
#include "platform/ui/Template.h"

namespace ui {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr unsigned WM_USER = 0x400;
inline constexpr int ID_HELP = 57670;  // the framework's help command (F1)

// System-menu commands; the low four bits of a system command are the system's own.
inline constexpr int SC_MOVE = 0xF010;
inline constexpr int SC_MINIMIZE = 0xF020;
inline constexpr int SC_CLOSE = 0xF060;
inline constexpr int SC_RESTORE = 0xF120;

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Dialog base units of a font, as the platform computes them.
struct BaseUnits {
    int x = 0, y = 0;
};
BaseUnits BaseUnitsOf(const std::string& face, int points);
// Rounds as MulDiv does: x * baseX / 4, y * baseY / 8.
PixelRect DialogUnitsToPixels(const DuRect& rect, BaseUnits units);

struct Point {
    int x = 0, y = 0;
};

class Dialog;

// A child control of a dialog, by ID. Cheap to copy; an ID the dialog lacks
// gives a control whose operations do nothing and whose reads are empty.
class Control {
public:
    Control(Dialog* dialog, int id) : dialog_(dialog), id_(id) {}
    int id() const { return id_; }
    bool exists() const;
    ControlKind kind() const;

    void SetText(std::string_view text);
    // `head` then `tail` on one line; when both do not fit the control's width, the
    // middle of `head` gives way to an ellipsis, so that `tail` always shows. The
    // whole text is the control's tooltip.
    void SetElidedText(std::string_view head, std::string_view tail);
    std::string Text() const;
    void Show(bool visible);
    bool IsVisible() const;  // its own visibility flag, whether or not the window is shown
    void Enable(bool enabled);
    bool IsEnabled() const;
    void SetFont(const LogFont& font);
    LogFont GetFont() const;  // the font the control draws with
    int TextWidth() const;    // pixels its text needs on one line in that font
    // Whether the whole text shows in the control's rectangle and font: on one
    // line, or wrapped where the control wraps; true for fields and lists.
    bool ShowsWholeText() const;
    void SetFocus();
    bool HasFocus() const;
    PixelRect Geometry() const;
    void Click();  // as if the user pressed it

    // Progress bar: how much is done, 0 to 100 (values outside are clamped).
    void SetProgress(int percent);
    int Progress() const;  // -1 for any other control

    // Drop-down list, list box and list view entries (a list view's row is its
    // first cell).
    int AddString(std::string_view text);
    void ResetContent();
    int Count() const;
    int SetCurSel(int index);  // -1 or an index out of range clears the selection and gives -1
    int CurSel() const;        // -1: none
    // Picks an entry as the user would, so the dialog hears of the change.
    void Choose(int index);
    // Replaces an edit field's text as the user would type it, so the dialog hears of it.
    void Type(std::string_view text);
    std::string ItemText(int index) const;

    // List view: a column heading `width` dialog units wide, inserted at `index`;
    // the text of a cell (rows up to `row` are made when missing), and back.
    int InsertColumn(int index, std::string_view heading, int width);
    void SetItemText(int row, int column, std::string_view text);
    std::string ItemText(int row, int column) const;
    // Leaves a list view its first `rows` rows.
    void SetRowCount(int rows);

private:
    Dialog* dialog_;
    int id_;
};

class Dialog {
public:
    // Builds the window and its controls from the template; nothing is shown yet.
    Dialog(const DialogTemplate& tmpl, Dialog* owner);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs OnInitDialog, shows the window and runs a nested event loop until
    // EndDialog; an EndDialog during OnInitDialog returns without showing it.
    // Returns the code given to EndDialog.
    int RunModal();
    void EndDialog(int result);
    bool IsRunning() const;

    int templateId() const { return template_.id; }
    Dialog* owner() const { return owner_; }
    Control Item(int id) { return Control(this, id); }
    std::vector<int> ChildIds() const;  // z-order (template order)
    std::vector<int> TabOrder() const;  // the keyboard focus chain of tab-stop controls
    int FocusedId() const;              // 0 when no control has the focus

    void SetCaption(std::string_view caption);
    std::string Caption() const;
    // The window's own font; its controls keep theirs, as with WM_SETFONT. The
    // window and its controls take the size the template has in dialog units of
    // that font (never smaller than in the template's own).
    void SetFont(const LogFont& font);
    LogFont GetFont() const;
    void SetIcon(const std::string& resourcePath);
    // Adds an item to the window's system menu. False when the window manager
    // gives the program no system menu to extend, as on this desktop.
    bool AppendSystemMenuItem(std::string_view text, int command);
    BaseUnits baseUnits() const { return base_; }
    PixelRect ClientRect() const;

    // Window timers by ID; re-setting an ID restarts it.
    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);
    bool HasTimer(int id) const;

    // Posted messages are delivered to OnMessage on the window's thread. The
    // poster may be called from any thread and after the window is gone.
    void PostMessage(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    std::function<void()> Poster(unsigned message, std::uintptr_t wParam = 0,
                                 std::intptr_t lParam = 0);

    // A close request as from the close box: runs OnClose.
    void RequestClose();
    // A system-menu command as a window manager with a system menu would send it.
    void SysCommand(int command);
    bool IsMinimized() const;
    // A key press as the user would make it: "Escape", "Return", "F1", "Ctrl+O".
    void PressKey(std::string_view key);
    // The key ("Ctrl+O", "Ctrl+Return") presses the button, as a click would: a
    // hidden or disabled button does nothing. Enter on the keypad counts as Return.
    void SetShortcut(std::string_view key, int buttonId);
    Point ClientToScreen(Point client) const;
    // A right-button release at a point in client coordinates.
    void RightClick(Point client);
    // Files dropped on the window reach OnDropFiles while drops are accepted.
    void AcceptDrops(bool accept);
    // Drags the local files onto the window and drops them, as the user would; false
    // when the window refuses them.
    bool DropFiles(const std::vector<std::string>& paths);
    // Renders the window as it is into a PNG file.
    bool SaveScreenshot(const std::string& pngPath) const;

    // Implementation access for the layer itself.
    struct Impl;
    Impl* impl() const { return impl_.get(); }

protected:
    virtual bool OnInitDialog() { return true; }
    virtual void OnCommand(int id);      // buttons, menu commands; IDOK/IDCANCEL by default end
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }  // Escape
    virtual void OnClose() { OnCancel(); }            // close box
    // The default handling: Close closes, Minimize and Restore change the window;
    // every other command is left to the window manager.
    virtual void OnSysCommand(int command);
    virtual void OnTimer(int /*id*/) {}
    virtual void OnMessage(unsigned /*message*/, std::uintptr_t /*w*/, std::intptr_t /*l*/) {}
    virtual void OnContextMenu(Point /*screen*/) {}
    virtual void OnDropFiles(const std::vector<std::string>& /*paths*/) {}
    virtual void OnSelectionChange(int /*id*/) {}  // drop-down list or list box
    virtual void OnDoubleClick(int /*id*/) {}      // list box
    virtual void OnEditChange(int /*id*/) {}       // an edit field's text, changed by the user

private:
    friend class Control;
    friend struct Impl;
    void PlaceControls();  // window and controls from the template in base_
    DialogTemplate template_;
    Dialog* owner_;
    BaseUnits base_;
    std::unique_ptr<Impl> impl_;
};

// The running application's name (executable base name): the caption of application boxes.
void SetApplicationName(std::string name);
const std::string& ApplicationName();

}  // namespace ui
