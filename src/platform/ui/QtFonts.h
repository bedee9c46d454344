#pragma once
// Mapping between the platform's font description and Qt fonts (layer-internal).
#include <QFont>
#include <string>

#include "platform/ui/Font.h"

namespace ui {

// A face this desktop has: the requested one, or the desktop's sans-serif.
QString AvailableFamily(const std::string& face);
QFont ToQFont(const LogFont& font);
LogFont FromQFont(const QFont& font);
QFont TemplateFont(const std::string& face, int points);

}  // namespace ui
