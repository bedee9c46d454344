// Process entry: the Qt application object, then the converter.
#include <QApplication>
#include <QIcon>

#include "app/ConverterApp.h"
#include "platform/shell/Shell.h"
#include "platform/ui/Dialog.h"
#include "resources/Resources.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::string name = shell::ExecutableBaseName();
    ui::SetApplicationName(name.empty() ? "quorvel-converter" : name);
    QApplication::setApplicationName(QString::fromStdString(ui::ApplicationName()));
    QApplication::setWindowIcon(QIcon(resources::kIconResource));
    app::ConverterApp().InitInstance();
    return 0;
}
