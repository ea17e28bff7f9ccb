#include "app/CommandLine.h"

#include "metrics/MetricsAddress.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>

namespace {

// The options that Qt's application objects take from the command line themselves; the session manager
// restarts a program with -session, and people start Qt programs with -platform or -display.
constexpr const char* kQtOptionsWithValue[] = { "platform", "platformpluginpath", "platformtheme", "plugin",
    "qmljsdebugger", "qwindowgeometry", "geometry", "qwindowtitle", "title", "qwindowicon", "icon", "session",
    "display", "name", "style", "stylesheet", "visual", "ncols" };
constexpr const char* kQtFlags[] = { "reverse", "widgetcount", "nograb", "dograb", "sync", "cmap", "testability" };

void Print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

}

bool AsksForHeadless(const std::vector<std::string>& arguments)
{
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--")
            return false;
        if (arguments[i] == "--headless" || arguments[i] == "-headless")
            return true;
    }
    return false;
}

CommandLine ReadCommandLine(const std::vector<std::string>& arguments, const std::string& version)
{
    QCommandLineParser parser;
    // Qt's own options are words behind one dash (-platform, -session): so are this program's long options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Kelvara, a desktop temperature monitor: samples every temperature sensor of this\n"
                       "computer every 5 seconds, keeps 250 hours of history and shows it in data windows,\n"
                       "graph windows and the tray. Started without options, it opens its windows (or\n"
                       "brings those of the Kelvara that is running forward)."));
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Shows this help and ends."));
    const QCommandLineOption showVersion(
        { QStringLiteral("v"), QStringLiteral("version") }, QStringLiteral("Shows the version and ends."));
    const QCommandLineOption exportTo(QStringLiteral("export"),
        QStringLiteral("Writes the long-term history of every sensor as CSV files (one per sensor) into <folder> "
                       "and ends, without a window. Works while Kelvara runs."),
        QStringLiteral("folder"));
    const QCommandLineOption headless(QStringLiteral("headless"),
        QStringLiteral("Runs without windows, tray or display (on a server, or as a service): samples and keeps "
                       "the history, warning at the limits, and shares the readings as the metrics options say."));
    const QCommandLineOption metricsListen(QStringLiteral("metrics-listen"),
        QStringLiteral("Serves the readings to Prometheus at http://[ADDRESS:]PORT/metrics (ADDRESS 127.0.0.1 unless "
                       "given; an IPv6 address in brackets, [::1]:9947)."),
        QStringLiteral("[address:]port"));
    const QCommandLineOption metricsTokenFile(QStringLiteral("metrics-token-file"),
        QStringLiteral("Answers only scrapes that present the bearer token on the first line of <file>, which "
                       "only its owner may read."),
        QStringLiteral("file"));
    const QCommandLineOption metricsFile(QStringLiteral("metrics-file"),
        QStringLiteral("Writes the readings for node_exporter's textfile collector to <path> after every sample."),
        QStringLiteral("path"));
    parser.addOption(help);
    parser.addOption(showVersion);
    parser.addOption(exportTo);
    parser.addOption(metricsListen);
    parser.addOption(metricsTokenFile);
    parser.addOption(metricsFile);
    parser.addOption(headless);
    for (const char* name : kQtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : kQtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromLocal8Bit(argument.c_str());
    if (list.isEmpty())
        list << QStringLiteral("kelvara");

    CommandLine result;
    auto refuse = [&](const QString& problem) {
        Print(stderr, QStringLiteral("kelvara: %1\nTry 'kelvara --help' for the options.\n").arg(problem));
        result.action = CommandLine::Action::Exit;
        result.exitCode = kBadCommandLineExitCode;
        return result;
    };
    if (!parser.parse(list))
        return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));

    if (parser.isSet(help)) {
        // Without an application object the parser does not know the program's name.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("kelvara"));
        Print(stdout, text);
        result.action = CommandLine::Action::Exit;
        return result;
    }
    if (parser.isSet(showVersion)) {
        Print(stdout, QStringLiteral("Kelvara %1\n").arg(QString::fromStdString(version)));
        result.action = CommandLine::Action::Exit;
        return result;
    }
    if (parser.isSet(metricsListen)) {
        std::string error;
        std::string text = parser.value(metricsListen).toStdString();
        if (!MetricsAddress::Parse(text, error))
            return refuse(QStringLiteral("--metrics-listen: %1.").arg(QString::fromStdString(error)));
        result.metricsListen = text;
    }
    for (const auto& [option, value] :
        { std::pair(&metricsTokenFile, &result.metricsTokenFile), std::pair(&metricsFile, &result.metricsFile) }) {
        if (!parser.isSet(*option))
            continue;
        QString path = parser.value(*option);
        if (path.isEmpty())
            return refuse(QStringLiteral("--%1 needs a path.").arg(option->names().first()));
        *value = path.toLocal8Bit().toStdString();
    }
    // The program without windows reads the same options (the metrics') from the same parse.
    if (parser.isSet(headless)) {
        result.action = CommandLine::Action::Headless;
        return result;
    }
    if (parser.isSet(exportTo)) {
        QString folder = parser.value(exportTo);
        if (folder.isEmpty())
            return refuse(QStringLiteral("--export needs the folder to write into."));
        result.action = CommandLine::Action::Export;
        result.exportFolder = folder.toLocal8Bit().toStdString();
    }
    return result;
}
