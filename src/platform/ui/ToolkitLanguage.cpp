#include "platform/ui/ToolkitLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace ui {

bool UseToolkitLanguage(const std::string& posixLocale) {
    static std::unique_ptr<QTranslator> installed;
    if (!QCoreApplication::instance()) return false;
    if (installed) QCoreApplication::removeTranslator(installed.get());
    installed.reset();
    const QLocale locale =
        posixLocale.empty() ? QLocale(QLocale::English) : QLocale(QString::fromStdString(posixLocale));
    // Dates and numbers in the choosers follow the language too.
    QLocale::setDefault(locale);
    if (posixLocale.empty()) return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

}  // namespace ui
