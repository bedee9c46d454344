#include "platform/ui/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>

namespace ui {
namespace {

constexpr const char* kDescription =
    "Converts a video into another container: %1.\n"
    "\n"
    "  quorvel-converter [FILE]                    the window, with FILE opened\n"
    "  quorvel-converter --convert INPUT [-o OUTPUT] [--preset NAME] [--format FORMAT]\n"
    "                    [--size SIZE] [--overwrite] [--video copy] [--audio copy]\n"
    "                    [--start T] [--end T | --duration D] [--audio-tracks all|default]\n"
    "                                              converts without a window, with the\n"
    "                                              settings the Options dialog stored, or\n"
    "                                              a preset's with the other options over it\n"
    "  quorvel-converter --convert INPUT INPUT... [-o FOLDER] [--jobs N] ...\n"
    "                                              converts each into FOLDER (made when\n"
    "                                              missing; default: the stored output's\n"
    "                                              folder), named after its source\n"
    "  quorvel-converter --list-compressors [FORMAT]\n"
    "                                              the compressors of a format, * preferred\n"
    "  quorvel-converter --list-presets            the presets, built-in and your own\n"
    "\n"
    "Exit codes of --convert: 0 done, 1 failed or stopped, 2 usage, 3 the output\n"
    "exists (give --overwrite; that file is skipped) or appeared during the run\n"
    "(left as it was, the conversion kept beside it as NAME (2).EXT), 4 the source\n"
    "ended early (the output is kept). With several files the first of 1, 2, 3, 4\n"
    "that any file met (2: a part outside that source), else 0; a failed file never\n"
    "stops the others. Ctrl+C keeps the part converted so far, beside an older\n"
    "output as NAME.partial.EXT, and starts no other file. An output that is a\n"
    "link is written through.\n"
    "\n"
    "--video copy and --audio copy keep the source's stream as it is (no re-encoding)\n"
    "where the format can hold it, else the format's preferred compressor converts it\n"
    "(said at the end). A kept picture is not turned, scaled or tone-mapped: its\n"
    "rotation, colours, language and flags stay as the source has them. WMV always\n"
    "compresses. --start and --end (h:mm:ss.fff, or seconds) convert a part only;\n"
    "converted streams are cut exactly, kept ones start at the key frame at or\n"
    "before the start. With several files each is cut the same way.";

// "25M", "25MB", "25" or "1G" in megabytes (a million bytes each); -1 for anything else.
int MegaBytes(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,6})\\s*(m|mb|g|gb)?\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) return -1;
    const long long value =
        match.captured(1).toLongLong() * (match.captured(2).startsWith(QLatin1Char('g'), Qt::CaseInsensitive) ? 1000 : 1);
    return value <= 1000000 ? static_cast<int>(value) : -1;
}

// "avi, wmv or mp4".
QString NameList(const std::vector<std::string>& names) {
    QString list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) list += i + 1 == names.size() ? QStringLiteral(" or ") : QStringLiteral(", ");
        list += QString::fromStdString(names[i]);
    }
    return list;
}

// File names are bytes, not always UTF-8 ($'bad\xff.mp4', a Latin-1 name). Qt reads
// the arguments as text, so each byte that is no part of a UTF-8 character
// travels through the parser as an unpaired surrogate (U+DC80 to U+DCFF, which
// UTF-8 text never holds) and comes back out as that byte.

// The length of the UTF-8 character that `bytes` starts with; 0 when it is none.
std::size_t CharacterLength(std::string_view bytes) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::size_t length = 1;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (at(0) < 0x80) return 1;
    if (at(0) >= 0xC2 && at(0) <= 0xDF)
        length = 2;
    else if (at(0) >= 0xE0 && at(0) <= 0xEF)
        length = 3;
    else if (at(0) >= 0xF0 && at(0) <= 0xF4)
        length = 4;
    else
        return 0;
    if (at(0) == 0xE0) low = 0xA0;
    if (at(0) == 0xED) high = 0x9F;  // no surrogates
    if (at(0) == 0xF0) low = 0x90;
    if (at(0) == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    if (bytes.size() < length || at(1) < low || at(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((at(i) & 0xC0) != 0x80) return 0;
    return length;
}

QString FromBytes(std::string_view bytes) {
    QString text;
    while (!bytes.empty()) {
        const std::size_t length = CharacterLength(bytes);
        if (length > 0)
            text += QString::fromUtf8(bytes.data(), static_cast<qsizetype>(length));
        else
            text += QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[0])));
        bytes.remove_prefix(length > 0 ? length : 1);
    }
    return text;
}

std::string ToBytes(const QString& text) {
    std::string bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0xDC80 || c > 0xDCFF || (i > 0 && QChar::isHighSurrogate(text[i - 1].unicode())))
            continue;
        bytes += text.mid(run, i - run).toStdString();
        bytes += static_cast<char>(c - 0xDC00);
        run = i + 1;
    }
    return bytes + text.mid(run).toStdString();
}

// The absolute, cleaned form of a file named on the line, in its own bytes.
std::string AbsolutePath(const QString& file) {
    std::string path = ToBytes(file);
    std::error_code ec;  // a folder removed under the shell: the name stays relative
    if (const auto here = std::filesystem::current_path(ec); path.front() != '/' && !ec)
        path = here.string() + "/" + path;
    return ToBytes(QDir::cleanPath(FromBytes(path)));
}

CommandLine Invalid(const QString& text) {
    CommandLine line;
    line.mode = CommandLine::Mode::Invalid;
    line.text = text.toStdString();
    return line;
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv, const std::string& version,
                             const std::vector<std::string>& formatNames) {
    const QString formats = NameList(formatNames);
    auto isFormatName = [&](const std::string& name) {
        return std::find(formatNames.begin(), formatNames.end(), name) != formatNames.end();
    };
    auto unknownFormat = [&](const QString& name) {
        return Invalid(QStringLiteral("Unknown format '%1': use %2.").arg(name, formats));
    };
    // A core application names the program in the help; it needs no display.
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-converter"));
    QCoreApplication::setApplicationVersion(QString::fromStdString(version));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription).arg(formats));
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
                                    QStringLiteral("%1 (default: the output's extension, else "
                                                   "the stored format).")
                                        .arg(formats),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption overwrite(QStringLiteral("overwrite"),
                                       QStringLiteral("Replaces an existing output file (when it "
                                                      "is a link, the file it names)."));
    const QCommandLineOption audioTracks(
        QStringLiteral("audio-tracks"),
        QStringLiteral("all: every sound track of INPUT; default: its default one only "
                       "(default: as the Options dialog stored)."),
        QStringLiteral("all|default"));
    const QCommandLineOption jobs(QStringLiteral("jobs"),
                                  QStringLiteral("Converts N files at once (default 1)."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption list(QStringLiteral("list-compressors"),
                                  QStringLiteral("Lists the compressors of FORMAT (default: the "
                                                 "stored format), the preferred ones marked *."));
    const QCommandLineOption preset(QStringLiteral("preset"),
                                    QStringLiteral("Converts with the preset NAME (see "
                                                   "--list-presets); --format and the output's "
                                                   "extension go over its format."),
                                    QStringLiteral("NAME"));
    const QCommandLineOption size(QStringLiteral("size"),
                                  QStringLiteral("Makes a file of SIZE (25M, 1G; 0 for none) in "
                                                 "MP4, MKV or WebM, encoding the picture twice."),
                                  QStringLiteral("SIZE"));
    const QCommandLineOption presets(QStringLiteral("list-presets"),
                                     QStringLiteral("Lists the presets and what each sets."));
    auto valued = [](const char* name, const char* description, const char* value) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                                  QString::fromLatin1(value));
    };
    const QCommandLineOption video =
        valued("video", "copy: keeps the source's video stream as it is.", "copy");
    const QCommandLineOption audio =
        valued("audio", "copy: keeps the source's audio stream as it is.", "copy");
    const QCommandLineOption start = valued("start", "Converts from T (h:mm:ss.fff) on.", "T");
    const QCommandLineOption end = valued("end", "Converts up to T (h:mm:ss.fff).", "T");
    const QCommandLineOption duration =
        valued("duration", "Converts D (h:mm:ss.fff) from the start.", "D");
    for (const auto* option : {&convert, &output, &format, &preset, &size, &overwrite,
                               &audioTracks, &jobs, &video, &audio, &start, &end, &duration,
                               &list, &presets})
        parser.addOption(*option);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The video to open in the window."),
                                 QStringLiteral("[FILE]"));

    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(FromBytes(argv[i]));
    if (!parser.parse(arguments)) return Invalid(parser.errorText());
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
    if (parser.isSet(format) && !isFormatName(line.format)) return unknownFormat(parser.value(format));
    line.audioTracks = parser.value(audioTracks).toLower().toStdString();
    if (parser.isSet(audioTracks) && line.audioTracks != "all" && line.audioTracks != "default")
        return Invalid(QStringLiteral("Unknown audio tracks '%1': use all or default.")
                           .arg(parser.value(audioTracks)));
    // Options of a conversion; --format also names the list's format.
    const std::array convertOnly{&output, &overwrite, &audioTracks, &jobs,    &video,
                                 &audio,  &start,     &end,         &duration};
    if (parser.isSet(convert) && parser.isSet(list))
        return Invalid(QStringLiteral("--convert and --list-compressors cannot be combined."));
    if ((parser.isSet(preset) || parser.isSet(size)) && !parser.isSet(convert))
        return Invalid(QStringLiteral("--preset and --size belong to --convert."));
    if (parser.isSet(presets)) {
        if (parser.isSet(convert) || parser.isSet(list) || parser.isSet(format) ||
            !positional.isEmpty() ||
            std::any_of(convertOnly.begin(), convertOnly.end(),
                        [&](const QCommandLineOption* o) { return parser.isSet(*o); }))
            return Invalid(QStringLiteral("--list-presets takes nothing else."));
        line.mode = CommandLine::Mode::ListPresets;
        return line;
    }

    if (parser.isSet(list)) {
        for (const auto* option : convertOnly)
            if (parser.isSet(*option))
                return Invalid(
                    QStringLiteral("--%1 belongs to --convert.").arg(option->names().back()));
        if (positional.size() > 1 || (positional.size() == 1 && parser.isSet(format)))
            return Invalid(QStringLiteral("--list-compressors takes one FORMAT."));
        if (positional.size() == 1) {
            line.format = positional.front().toLower().toStdString();
            if (!isFormatName(line.format)) return unknownFormat(positional.front());
        }
        line.mode = CommandLine::Mode::ListCompressors;
        return line;
    }
    if (parser.isSet(convert)) {
        // --convert A B C: the first is the option's value, the others follow it.
        const QStringList inputs = QStringList{parser.value(convert)} + positional;
        if (std::any_of(inputs.begin(), inputs.end(),
                        [](const QString& i) { return i.isEmpty(); }) ||
            (parser.isSet(output) && parser.value(output).isEmpty()))
            return Invalid(QStringLiteral("An empty file name was given."));
        for (const auto* keep : {&video, &audio})
            if (parser.isSet(*keep) && parser.value(*keep) != QStringLiteral("copy"))
                return Invalid(QStringLiteral("--%1 takes 'copy' only.").arg(keep->names().front()));
        if (parser.isSet(end) && parser.isSet(duration))
            return Invalid(QStringLiteral("Give --end or --duration, not both."));
        bool number = false;
        line.jobs = parser.value(jobs).toInt(&number);
        if (!number || line.jobs < 1 || line.jobs > 64)
            return Invalid(QStringLiteral("--jobs takes a number from 1 to 64, not '%1'.")
                               .arg(parser.value(jobs)));
        line.mode = CommandLine::Mode::Convert;
        line.keepVideo = parser.isSet(video);
        line.keepAudio = parser.isSet(audio);
        line.start = parser.value(start).toStdString();
        line.end = parser.value(end).toStdString();
        line.duration = parser.value(duration).toStdString();
        for (const QString& input : inputs) line.inputs.push_back(ToBytes(input));
        line.file = line.inputs.front();
        line.output = ToBytes(parser.value(output));
        line.preset = parser.value(preset).toStdString();
        if (parser.isSet(size) && (line.sizeMB = MegaBytes(parser.value(size))) < 0)
            return Invalid(QStringLiteral("--size takes a whole number of megabytes, as 25M or "
                                          "1G, not '%1'.")
                               .arg(parser.value(size)));
        line.overwrite = parser.isSet(overwrite);
        return line;
    }
    if (parser.isSet(format))
        return Invalid(QStringLiteral("--format belongs to --convert."));
    for (const auto* option : convertOnly)
        if (parser.isSet(*option))
            return Invalid(QStringLiteral("--%1 belongs to --convert.").arg(option->names().back()));
    if (positional.size() > 1) return Invalid(QStringLiteral("The window opens one FILE."));
    if (!positional.isEmpty()) line.file = AbsolutePath(positional.front());
    return line;
}

}  // namespace ui
