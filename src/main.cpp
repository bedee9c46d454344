// Process entry: the command line first, which needs no display; then either a
// headless mode or the Qt application with the converter's window.
#include <QApplication>
#include <QIcon>

#include <cstdio>

#include "ProgramInfo.h"
#include "app/ConverterApp.h"
#include "cli/CompressorList.h"
#include "cli/ExitCode.h"
#include "cli/HeadlessConversion.h"
#include "cli/PresetList.h"
#include "engine/OutputFormat.h"
#include "platform/shell/Shell.h"
#include "platform/ui/CommandLine.h"
#include "platform/ui/Dialog.h"
#include "resources/Resources.h"

int main(int argc, char** argv) {
    const ui::CommandLine line =
        ui::ParseCommandLine(argc, argv, program::kVersion, engine::FormatNames());
    // The registry profile is named after the program, in every mode.
    const std::string name = shell::ExecutableBaseName();
    ui::SetApplicationName(name.empty() ? "quorvel-converter" : name);

    using Mode = ui::CommandLine::Mode;
    switch (line.mode) {
        case Mode::Help:
        case Mode::Version:
            std::fputs(line.text.c_str(), stdout);
            return cli::kDone;
        case Mode::Invalid:
            std::fprintf(stderr, "quorvel-converter: %s\nTry 'quorvel-converter --help'.\n",
                         line.text.c_str());
            return cli::kUsage;
        case Mode::ListCompressors:
            return cli::ListCompressors(line.format);
        case Mode::ListPresets:
            return cli::ListPresets();
        case Mode::Convert:
            return cli::Convert({line.inputs, line.output, line.format, line.overwrite,
                                 line.keepVideo, line.keepAudio, line.start, line.end,
                                 line.duration, line.audioTracks, shell::StandardErrorIsTerminal(),
                                 line.jobs, line.preset, line.sizeMB});
        case Mode::Window:
            break;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromStdString(ui::ApplicationName()));
    QApplication::setApplicationVersion(QString::fromUtf8(program::kVersion));
    QApplication::setDesktopFileName(QString::fromUtf8(program::kApplicationId));
    QApplication::setWindowIcon(QIcon(resources::kIconResource));
    app::ConverterApp().InitInstance(line.file);
    return 0;
}
