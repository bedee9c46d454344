#include "app/ConverterApp.h"

#include "app/MainWindow.h"
#include "app/Profile.h"
#include "i18n/LanguagePack.h"

namespace app {

bool ConverterApp::InitInstance(const std::string& startFile) {
    SetRegistryKey("QuorvelStudio");
    const std::string language = Profile().GetString("Option", "CurrentLanguage", "english");
    i18n::LanguagePack::Instance().InitializeLanguages(i18n::FindBaseFolder(), language);

    MainWindow window;
    window.startFile = startFile;
    window.RunModal();
    return false;
}

}  // namespace app
