// The windowed programs' command line: see CommandLine.h.

#include "platform/CommandLine.h"

#include <QCommandLineParser>
#include <cstdio>

namespace platform {

namespace {
// Qt's own options, which the application object takes out of the line; the first group
// takes a value.
const char* const kQtWithValue[] = {"-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-style",
                                    "-stylesheet", "-session", "-display", "-geometry", "-qwindowgeometry",
                                    "-title", "-qwindowtitle", "-name", "-qwindowicon", "-icon", "-qmljsdebugger",
                                    "-fn", "-bg", "-fg", "-btn", "-visual", "-ncols"};
const char* const kQtAlone[] = {"-reverse", "-widgetcount", "-sync", "-nograb", "-dograb", "-cmap"};

QStringList withoutQtOptions(const QStringList& args)
{
    QStringList out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        const QString bare = a.startsWith(QLatin1String("--")) ? a.mid(1) : a;
        bool qt = false;
        for (const char* o : kQtWithValue)
            if (bare == QLatin1String(o)) { qt = true; ++i; break; }
            else if (bare.startsWith(QLatin1String(o) + QLatin1Char('='))) { qt = true; break; }
        for (const char* o : kQtAlone)
            if (bare == QLatin1String(o)) qt = true;
        if (i > 0 && !qt) out << a;
        else if (i == 0) out << a;
    }
    return out;
}
}  // namespace

CommandLine parseCommandLine(const QStringList& args, const QString& program, const QString& version,
                             const QString& description)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."));
    const QCommandLineOption ver({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(ver);
    parser.addPositionalArgument(QStringLiteral("database"),
                                 QStringLiteral("A database folder or a PostgreSQL URI (postgresql://user@host/dbname) "
                                                "to open for this run instead of the configured one."),
                                 QStringLiteral("[FOLDER|URI]"));
    // The help text names the program as it was called: a man page made from it names the
    // installed program, not the build folder.
    QStringList line = withoutQtOptions(args);
    if (line.isEmpty()) line << program;
    line[0] = program;

    CommandLine result;
    QString usage = parser.helpText();
    // Without an application object Qt names no program in the usage line.
    const qsizetype options = usage.indexOf(QLatin1String(" [options]"));
    if (usage.startsWith(QLatin1String("Usage: ")) && options > 0)
        usage = QStringLiteral("Usage: ") + program + usage.mid(options);
    if (!parser.parse(line)) {
        result.action = CommandLine::Action::Refuse;
        result.text = parser.errorText() + QLatin1Char('\n') + usage;
        return result;
    }
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::Help;
        result.text = usage;
        return result;
    }
    if (parser.isSet(ver)) {
        result.action = CommandLine::Action::Version;
        result.text = program + QLatin1Char(' ') + version + QLatin1Char('\n');
        return result;
    }
    const QStringList rest = parser.positionalArguments();
    if (rest.size() > 1) {
        result.action = CommandLine::Action::Refuse;
        result.text = QStringLiteral("Only one database can be named: %1\n").arg(rest.join(QLatin1Char(' '))) + usage;
        return result;
    }
    if (!rest.isEmpty()) result.database = rest.first();
    return result;
}

int finishCommandLine(const CommandLine& line)
{
    const QByteArray text = line.text.toLocal8Bit();
    std::fputs(text.constData(), line.action == CommandLine::Action::Refuse ? stderr : stdout);
    return line.action == CommandLine::Action::Refuse ? 2 : 0;
}

}  // namespace platform
