// The interface font: one per language, stored under the language's name.
#include <algorithm>

#include "i18n/LanguagePack.h"
#include "platform/ui/Choosers.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"
#include "resources/Resources.h"
#include "settings/Profile.h"

namespace i18n {
namespace {

// The face name field holds 31 bytes; a longer name is cut there, never
// inside a UTF-8 character.
std::string FitFaceName(std::string face) {
    if (face.size() <= ui::kMaxFaceNameBytes) return face;
    std::size_t end = ui::kMaxFaceNameBytes;
    while (end > 0 && (static_cast<unsigned char>(face[end]) & 0xC0) == 0x80) --end;
    face.resize(end);
    return face;
}

std::uint8_t Low8(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

// The font section is anyone's to edit: a size no window can be laid out with (a
// 2048-pixel font) is brought within what a screen can show. 0 keeps the face's own.
int SaneSize(int pixels) {
    constexpr int kMin = 6, kMax = 72;
    if (pixels == 0) return 0;
    return pixels < 0 ? std::clamp(pixels, -kMax, -kMin) : std::clamp(pixels, kMin, kMax);
}

}  // namespace

ui::LogFont LanguagePack::StoredInterfaceFont() const {
    const registry::AppProfile profile = settings::Profile();
    const std::string& section = currentLanguage_;
    // Until a font is chosen for the language, the desktop's face and size: a
    // person who set a large desktop font gets large windows.
    const ui::LogFont desktop = ui::DesktopFont();
    ui::LogFont font;
    font.height = profile.GetInt(section, "lfHeight", desktop.height);
    font.width = profile.GetInt(section, "lfWidth", 0);
    font.escapement = profile.GetInt(section, "lfEscapement", 0);
    font.orientation = profile.GetInt(section, "lfOrientation", 0);
    font.weight = profile.GetInt(section, "lfWeight", 400);
    font.italic = Low8(profile.GetInt(section, "lfItalic", 0));
    font.underline = Low8(profile.GetInt(section, "lfUnderline", 0));
    font.strikeOut = Low8(profile.GetInt(section, "lfStrikeOut", 0));
    font.charSet = Low8(profile.GetInt(section, "lfCharSet", 1));
    font.outPrecision = Low8(profile.GetInt(section, "lfOutPrecision", 0));
    font.clipPrecision = Low8(profile.GetInt(section, "lfClipPrecision", 0));
    font.pitchAndFamily = Low8(profile.GetInt(section, "lfPitchAndFamily", 0));
    font.quality = 0;  // never stored: always the default quality
    font.faceName = FitFaceName(profile.GetString(section, "lfFaceName", desktop.faceName));
    return font;
}

int LanguagePack::LoadInterfaceFont() {
    const ui::LogFont description = StoredInterfaceFont();
    interfaceFont_.reset();
    if (!ui::CanCreateFont(description)) {
        ui::MessageBox(nullptr, "Failed to create font", "Error", ui::MB_OK);
        return 0;
    }
    interfaceFont_ = description;
    interfaceFont_->height = SaneSize(description.height);
    interfaceFont_->width = SaneSize(description.width);
    return 1;
}

int LanguagePack::SaveInterfaceFont(const ui::LogFont& font) {
    registry::AppProfile profile = settings::Profile();
    const std::string& section = currentLanguage_;
    profile.WriteInt(section, "lfHeight", font.height);
    profile.WriteInt(section, "lfWidth", font.width);
    profile.WriteInt(section, "lfEscapement", font.escapement);
    profile.WriteInt(section, "lfOrientation", font.orientation);
    profile.WriteInt(section, "lfWeight", font.weight);
    profile.WriteInt(section, "lfItalic", font.italic);
    profile.WriteInt(section, "lfUnderline", font.underline);
    profile.WriteInt(section, "lfStrikeOut", font.strikeOut);
    profile.WriteInt(section, "lfCharSet", font.charSet);
    profile.WriteInt(section, "lfOutPrecision", font.outPrecision);
    profile.WriteInt(section, "lfClipPrecision", font.clipPrecision);
    profile.WriteInt(section, "lfPitchAndFamily", font.pitchAndFamily);
    profile.WriteString(section, "lfFaceName", font.faceName);
    return 1;
}

void LanguagePack::ChooseInterfaceFont(ui::Dialog& mainWindow) {
    // Without a font (no language file, or a failed creation) the chooser
    // starts from the language's stored values.
    const ui::LogFont initial = interfaceFont_.value_or(StoredInterfaceFont());
    std::optional<ui::LogFont> chosen = ui::ChooseFont(&mainWindow, initial);
    if (!chosen) return;
    chosen->faceName = FitFaceName(chosen->faceName);
    // A font that cannot be made leaves the current one, and nothing is stored.
    if (!ui::CanCreateFont(*chosen)) return;
    interfaceFont_ = *chosen;
    SaveInterfaceFont(*interfaceFont_);
    ApplyToDialog(mainWindow, resources::IDD_MAIN);
}

}  // namespace i18n
