#include "platform/ui/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace ui {
namespace {

constexpr const char* kDescription =
    "Converts a video to AVI, WMV, MKV, ASF, WebM or MP4.\n"
    "\n"
    "  quorvel-converter [FILE]                    the window, with FILE opened\n"
    "  quorvel-converter --convert INPUT [-o OUTPUT] [--format FORMAT] [--overwrite]\n"
    "                                              converts without a window, with the\n"
    "                                              settings the Options dialog stored\n"
    "  quorvel-converter --list-compressors [FORMAT]\n"
    "                                              the compressors of a format, * preferred\n"
    "\n"
    "Exit codes of --convert: 0 done, 1 failed or stopped, 2 usage, 3 the output\n"
    "exists (give --overwrite) or appeared during the run (left as it was, the\n"
    "conversion kept beside it as NAME (2).EXT), 4 the source ended early (the\n"
    "output is kept). Ctrl+C keeps the part converted so far, beside an older\n"
    "output as NAME.partial.EXT. An output that is a link is written through.";

bool IsFormatName(const std::string& name) {
    return std::any_of(std::begin(kFormatNames), std::end(kFormatNames),
                       [&](const char* known) { return name == known; });
}

// File names back in the bytes the system gave, whatever their encoding.
std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

CommandLine Invalid(const QString& text) {
    CommandLine line;
    line.mode = CommandLine::Mode::Invalid;
    line.text = text.toStdString();
    return line;
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv, const std::string& version) {
    // A core application names the program in the help and reads the
    // arguments in the locale's encoding; it needs no display.
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-converter"));
    QCoreApplication::setApplicationVersion(QString::fromStdString(version));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption convert(QStringLiteral("convert"),
                                     QStringLiteral("Converts INPUT without a window."),
                                     QStringLiteral("INPUT"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The file to write (default: the output "
                                                   "file of the Options dialog)."),
                                    QStringLiteral("OUTPUT"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("avi, wmv, mkv, asf, webm or mp4 (default: the "
                                                   "output's extension, else the stored format)."),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption overwrite(QStringLiteral("overwrite"),
                                       QStringLiteral("Replaces an existing output file (when it "
                                                      "is a link, the file it names)."));
    const QCommandLineOption list(QStringLiteral("list-compressors"),
                                  QStringLiteral("Lists the compressors of FORMAT (default: the "
                                                 "stored format), the preferred ones marked *."));
    for (const auto* option : {&convert, &output, &format, &overwrite, &list})
        parser.addOption(*option);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The video to open in the window."),
                                 QStringLiteral("[FILE]"));

    if (!parser.parse(QCoreApplication::arguments())) return Invalid(parser.errorText());
    CommandLine line;
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        line.mode = CommandLine::Mode::Help;
        line.text = parser.helpText().toStdString();
        return line;
    }
    if (parser.isSet(versionOption)) {
        line.mode = CommandLine::Mode::Version;
        line.text = "quorvel-converter " + version + "\n";
        return line;
    }

    const QStringList positional = parser.positionalArguments();
    line.format = parser.value(format).toLower().toStdString();
    if (parser.isSet(format) && !IsFormatName(line.format))
        return Invalid(QStringLiteral("Unknown format '%1': use avi, wmv, mkv, asf, webm or mp4.")
                           .arg(parser.value(format)));
    if (parser.isSet(convert) && parser.isSet(list))
        return Invalid(QStringLiteral("--convert and --list-compressors cannot be combined."));

    if (parser.isSet(list)) {
        if (parser.isSet(output) || parser.isSet(overwrite))
            return Invalid(QStringLiteral("--output and --overwrite belong to --convert."));
        if (positional.size() > 1 || (positional.size() == 1 && parser.isSet(format)))
            return Invalid(QStringLiteral("--list-compressors takes one FORMAT."));
        if (positional.size() == 1) {
            line.format = positional.front().toLower().toStdString();
            if (!IsFormatName(line.format))
                return Invalid(QStringLiteral("Unknown format '%1': use avi, wmv, mkv, asf, webm or mp4.")
                                   .arg(positional.front()));
        }
        line.mode = CommandLine::Mode::ListCompressors;
        return line;
    }
    if (parser.isSet(convert)) {
        if (!positional.isEmpty())
            return Invalid(QStringLiteral("Unexpected argument '%1' after --convert INPUT.")
                               .arg(positional.front()));
        if (parser.value(convert).isEmpty() ||
            (parser.isSet(output) && parser.value(output).isEmpty()))
            return Invalid(QStringLiteral("An empty file name was given."));
        line.mode = CommandLine::Mode::Convert;
        line.file = LocalPath(parser.value(convert));
        line.output = LocalPath(parser.value(output));
        line.overwrite = parser.isSet(overwrite);
        return line;
    }
    if (parser.isSet(output) || parser.isSet(format) || parser.isSet(overwrite))
        return Invalid(QStringLiteral("--output, --format and --overwrite belong to --convert."));
    if (positional.size() > 1) return Invalid(QStringLiteral("The window opens one FILE."));
    if (!positional.isEmpty())
        line.file = LocalPath(QDir::cleanPath(QFileInfo(positional.front()).absoluteFilePath()));
    return line;
}

}  // namespace ui
