#include "platform/ui/QtFonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace ui {

QString AvailableFamily(const std::string& face) {
    const QString family = QString::fromStdString(face);
    if (!family.isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive))
        return family;
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

bool CanCreateFont(const LogFont& font) {
    constexpr std::int32_t kMaxPixels = 2048;  // beyond this the toolkit cannot rasterise glyphs
    const auto inRange = [](std::int32_t v) { return v >= -kMaxPixels && v <= kMaxPixels; };
    return inRange(font.height) && inRange(font.width) && font.weight >= 0 &&
           font.weight <= 1000 && font.faceName.size() <= kMaxFaceNameBytes;
}

LogFont DesktopFont() {
    LogFont font;
    font.height = -11;
    if (!QGuiApplication::instance()) return font;
    font = FromQFont(QGuiApplication::font());
    font.charSet = 1;  // the platform's "default character set"
    return font;
}

QFont ToQFont(const LogFont& font) {
    QFont f(AvailableFamily(font.faceName));
    if (font.height < 0)
        f.setPixelSize(-font.height);
    else if (font.height > 0)  // cell height: about a fifth is internal leading
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(font.height * 0.8))));
    if (font.weight > 0) f.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
    f.setItalic(font.italic != 0);
    f.setUnderline(font.underline != 0);
    f.setStrikeOut(font.strikeOut != 0);
    return f;
}

LogFont FromQFont(const QFont& f) {
    LogFont font;
    const QFontInfo info(f);
    font.height = -info.pixelSize();
    font.weight = static_cast<int>(f.weight());
    font.italic = f.italic() ? 1 : 0;
    font.underline = f.underline() ? 1 : 0;
    font.strikeOut = f.strikeOut() ? 1 : 0;
    font.faceName = f.family().toStdString();
    return font;
}

QFont TemplateFont(const std::string& face, int points) {
    QFont f(AvailableFamily(face));
    f.setPointSize(points);
    return f;
}

}  // namespace ui
