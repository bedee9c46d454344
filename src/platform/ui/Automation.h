#pragma once
// Test automation: answers message boxes, choosers and menus, and records
// what was shown, so that every dialog flow runs headless. Only tests install it.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Choosers.h"
#include "platform/ui/Font.h"
#include "platform/ui/PropertyFrame.h"

namespace ui {

class Dialog;
class Menu;
struct Point;

struct MessageBoxRecord {
    int ownerId = 0;  // template ID of the owner dialog, 0 when unowned
    std::string text;
    std::string caption;
    unsigned type = 0;
};

struct FileChooserRecord {
    bool save = false;
    int ownerId = 0;
    FileChooserRequest request;
};

class Automation {
public:
    virtual ~Automation() = default;
    virtual int AnswerMessageBox(const MessageBoxRecord& box) = 0;
    virtual std::optional<std::string> AnswerFileChooser(const FileChooserRecord& chooser) = 0;
    virtual std::optional<LogFont> AnswerFontChooser(const LogFont& initial) = 0;
    virtual int AnswerPopupMenu(const Menu& menu) = 0;
    // The option values to apply (name -> value), or nothing for Cancel.
    virtual std::optional<std::map<std::string, std::string>> AnswerPropertyFrame(
        const std::string& caption, const std::vector<FramePage>& pages) = 0;
    // Called once a modal dialog is initialised and shown, from inside its modal run.
    virtual void DialogShown(Dialog& dialog) = 0;
};

void InstallAutomation(Automation* automation);
Automation* CurrentAutomation();

// Scripted answers, taken in order, and a record of everything shown.
// Unscripted boxes answer with their default button (OK, Yes, or No where it is
// the default), as Enter would; unscripted
// choosers and menus are cancelled.
class ScriptedAutomation : public Automation {
public:
    ScriptedAutomation();
    ~ScriptedAutomation() override;

    std::deque<int> boxAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<std::optional<LogFont>> fontAnswers;
    std::deque<int> menuAnswers;
    std::deque<std::optional<std::map<std::string, std::string>>> frameAnswers;
    std::function<void(Dialog&)> onDialogShown;
    std::function<void(const MessageBoxRecord&)> onMessageBox;

    std::vector<MessageBoxRecord> boxes;
    std::vector<FileChooserRecord> choosers;
    std::vector<LogFont> fontRequests;
    std::vector<std::vector<std::string>> menusShown;  // item texts of each top level shown
    std::vector<int> dialogsShown;                     // template IDs
    std::vector<std::pair<std::string, std::vector<FramePage>>> framesShown;

    int AnswerMessageBox(const MessageBoxRecord& box) override;
    std::optional<std::string> AnswerFileChooser(const FileChooserRecord& chooser) override;
    std::optional<LogFont> AnswerFontChooser(const LogFont& initial) override;
    int AnswerPopupMenu(const Menu& menu) override;
    std::optional<std::map<std::string, std::string>> AnswerPropertyFrame(
        const std::string& caption, const std::vector<FramePage>& pages) override;
    void DialogShown(Dialog& dialog) override;

private:
    Automation* previous_;
};

}  // namespace ui
