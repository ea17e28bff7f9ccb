#include "platform/AutostartEntry.h"

#include "framework/LException.h"
#include "framework/LFileStream.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kEntryFolder = "autostart";
constexpr const char* kEntryName = "kelvara.desktop";

// One argument of an Exec line: quoted when it holds a character the rules reserve, with the quote, the
// backquote, the dollar and the backslash escaped inside the quotes and % doubled; then, as for every
// string value, each backslash doubled.
std::string ExecArgument(const std::string& argument)
{
    bool quote = argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
    std::string quoted;
    for (char c : argument) {
        if (c == '%')
            quoted += "%%";
        else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            quoted += std::string("\\") + c;
        else
            quoted += c;
    }
    if (quote)
        quoted = "\"" + quoted + "\"";
    std::string value;
    for (char c : quoted) {
        if (c == '\\')
            value += "\\\\";
        else if (c == '\n')
            value += "\\n";
        else
            value += c;
    }
    return value;
}

}

AutostartEntry::AutostartEntry(std::string configurationFolder)
    : mConfigurationFolder(std::move(configurationFolder))
{
}

std::string AutostartEntry::GetPath() const
{
    return mConfigurationFolder + "/" + kEntryFolder + "/" + kEntryName;
}

bool AutostartEntry::IsEnabled() const
{
    QFile file(QString::fromStdString(GetPath()));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        QByteArray line = file.readLine().trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        auto isKey = [&](const char* key, const char* value) {
            int equals = line.indexOf('=');
            return equals > 0 && line.left(equals).trimmed() == key
                && line.mid(equals + 1).trimmed().toLower() == value;
        };
        if (isKey("Hidden", "true") || isKey("X-GNOME-Autostart-enabled", "false"))
            return false;
    }
    return true;
}

std::string AutostartEntry::MakeEntryText(const std::string& program)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kelvara\n"
           "GenericName=Temperature Monitor\n"
           "Comment=Keeps the history of every temperature sensor from the moment you log in\n"
           "Exec="
        + ExecArgument(program)
        + "\n"
          "Icon=kelvara\n"
          "Terminal=false\n"
          "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartEntry::Enable(const std::string& program) const
{
    std::string folder = mConfigurationFolder + "/" + kEntryFolder;
    try {
        if (mConfigurationFolder.empty() || mConfigurationFolder[0] != '/')
            Throw_(fnfErr, "there is no configuration folder");
        if (program.empty())
            Throw_(fnfErr, "the running program's path is not known");
        for (const std::string& each : { mConfigurationFolder, folder }) {
            if (::mkdir(each.c_str(), 0700) != 0 && errno != EEXIST)
                Throw_(static_cast<int32_t>(errno), "cannot make " + each);
        }
        LFileStream stream;
        std::string text = MakeEntryText(program);
        stream.WriteBlock(text.data(), text.size());
        stream.Commit(GetPath());
    } catch (const LException& e) {
        std::fprintf(stderr, "Kelvara: cannot write the autostart entry \"%s\" (%s); Kelvara will not start at login\n",
            GetPath().c_str(), e.what());
        return false;
    }
    return true;
}

bool AutostartEntry::Disable() const
{
    if (::unlink(GetPath().c_str()) == 0 || errno == ENOENT)
        return true;
    std::fprintf(stderr, "Kelvara: cannot remove the autostart entry \"%s\" (%s); Kelvara still starts at login\n",
        GetPath().c_str(), std::strerror(errno));
    return false;
}

std::string AutostartEntry::RunningProgram()
{
    char path[4096];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    return std::string(path, static_cast<size_t>(length));
}
