#include "headless/HeadlessCommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kBadCommandLineExitCode = 2;

void Print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

}

HeadlessCommandLine ReadHeadlessCommandLine(const std::vector<std::string>& arguments, const std::string& version)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Kelvara without windows, for machines without a desktop: samples every temperature\n"
                       "sensor every 5 seconds and keeps the same history files as the desktop Kelvara,\n"
                       "warning at the limits on standard error. It needs no display. A desktop Kelvara\n"
                       "launched while it runs takes the sampling over; SIGTERM ends it, saving everything."));
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Shows this help and ends."));
    const QCommandLineOption showVersion(
        { QStringLiteral("v"), QStringLiteral("version") }, QStringLiteral("Shows the version and ends."));
    const QCommandLineOption headless(
        QStringLiteral("headless"), QStringLiteral("Runs without windows (what this program always does)."));
    parser.addOption(help);
    parser.addOption(showVersion);
    parser.addOption(headless);

    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromLocal8Bit(argument.c_str());
    if (list.isEmpty())
        list << QStringLiteral("kelvara");

    HeadlessCommandLine result;
    auto end = [&](int exitCode) {
        result.run = false;
        result.exitCode = exitCode;
        return result;
    };
    auto refuse = [&](const QString& problem) {
        Print(stderr, QStringLiteral("kelvara: %1\nTry 'kelvara --headless --help' for the options.\n").arg(problem));
        return end(kBadCommandLineExitCode);
    };
    if (!parser.parse(list))
        return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("kelvara --headless"));
        Print(stdout, text);
        return end(0);
    }
    if (parser.isSet(showVersion)) {
        Print(stdout, QStringLiteral("Kelvara %1\n").arg(QString::fromStdString(version)));
        return end(0);
    }
    return result;
}
