#include "app/ConverterApp.h"

#include "app/MainWindow.h"
#include "i18n/LanguagePack.h"
#include "settings/Keys.h"
#include "settings/Profile.h"

namespace app {

bool ConverterApp::InitInstance(const std::string& startFile) {
    settings::SetRegistryKey("QuorvelStudio");
    const std::string language = settings::Profile().GetString(
        settings::kOptionSection, settings::kCurrentLanguageValue, "english");
    i18n::LanguagePack::Instance().InitializeLanguages(i18n::FindBaseFolder(), language);

    MainWindow window;
    window.startFile = startFile;
    window.RunModal();
    return false;
}

}  // namespace app
