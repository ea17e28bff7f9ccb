#include "platform/BusctlNotifier.h"

#include <QObject>
#include <QProcess>
#include <QStringList>

#include <cstdio>

std::vector<std::string> BusctlNotifier::Arguments(const std::string& title, const std::string& text)
{
    // Notify(app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout); the hints let the
    // desktop show it under Kelvara's name and icon, at normal urgency.
    // "--" ends busctl's options: the timeout -1 (the desktop's choice), or a text that starts with a dash, is
    // an argument of the call.
    return { "--user", "--timeout=5", "call", "--", "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
        "org.freedesktop.Notifications", "Notify", "susssasa{sv}i", "Kelvara", "0", "kelvara", title, text, "0", "2",
        "desktop-entry", "s", "kelvara", "urgency", "y", "1", "-1" };
}

void BusctlNotifier::Notify(const std::string& title, const std::string& text)
{
    QStringList arguments;
    for (const std::string& argument : Arguments(title, text))
        arguments << QString::fromStdString(argument);
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedOutputChannel);
    QObject::connect(
        process, &QProcess::finished, process, [process, title](int exitCode, QProcess::ExitStatus status) {
            if (status != QProcess::NormalExit || exitCode != 0) {
                std::fprintf(stderr, "Kelvara: no desktop notification for \"%s\" (busctl ended with status %d).\n",
                    title.c_str(), exitCode);
            }
            process->deleteLater();
        });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, title](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        std::fprintf(stderr, "Kelvara: no desktop notification for \"%s\" (busctl cannot be started: %s).\n",
            title.c_str(), qPrintable(process->errorString()));
        process->deleteLater();
    });
    process->start(QStringLiteral("busctl"), arguments);
}
