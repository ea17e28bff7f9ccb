#include "platform/URLLauncher.h"

#include "platform/Platform.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include <cstdio>

namespace {

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_' || c == '~';
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

void AppendEncoded(std::string& out, unsigned char c)
{
    static const char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[c >> 4];
    out += digits[c & 15];
}

// Everything but the unreserved characters (and those of keep): for the parts of a mailto: URL, whose
// texts may hold any byte.
void AppendField(std::string& out, std::string_view text, std::string_view keep = {})
{
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte) || keep.find(c) != std::string_view::npos)
            out += c;
        else
            AppendEncoded(out, byte);
    }
}

// Only what may not stand in a URL at all: for a URL that is already one, such as a web page's.
void AppendURL(std::string& out, std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        bool stray = byte == '%' && (i + 2 >= text.size() || !IsHexDigit(text[i + 1]) || !IsHexDigit(text[i + 2]));
        if (byte <= ' ' || byte >= 0x7F || std::string_view("\"<>\\^`{|}").find(text[i]) != std::string_view::npos
            || stray)
            AppendEncoded(out, byte);
        else
            out += text[i];
    }
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// One name=value field of a mailto: URL.
void AppendMailField(std::string& out, std::string_view field)
{
    size_t equals = field.find('=');
    AppendField(out, field.substr(0, equals));
    if (equals != std::string_view::npos) {
        out += '=';
        AppendField(out, field.substr(equals + 1));
    }
}

}

std::string URLLauncher::EncodeForHandOff(std::string_view text)
{
    std::string out;
    constexpr std::string_view mailto = "mailto:";
    if (!StartsWithNoCase(text, mailto)) {
        AppendURL(out, text);
        return out;
    }
    out.append(text.substr(0, mailto.size()));
    text.remove_prefix(mailto.size());
    size_t question = text.find('?');
    AppendField(out, text.substr(0, question), "@");
    if (question == std::string_view::npos)
        return out;
    out += '?';
    std::string_view fields = text.substr(question + 1);
    bool first = true;
    while (true) {
        if (!first)
            out += '&';
        first = false;
        if (StartsWithNoCase(fields, "body=")) {
            AppendMailField(out, fields);
            return out;
        }
        size_t ampersand = fields.find('&');
        AppendMailField(out, fields.substr(0, ampersand));
        if (ampersand == std::string_view::npos)
            return out;
        fields.remove_prefix(ampersand + 1);
    }
}

bool LinuxURLLauncher::HasHandlerFor(const std::string& scheme)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
        { QStringLiteral("query"), QStringLiteral("default"),
            QStringLiteral("x-scheme-handler/") + QString::fromStdString(scheme) });
    if (!query.waitForStarted(3000)) {
        std::fprintf(stderr, "Kelvara: cannot ask xdg-mime for the program that opens %s: URLs (%s)\n", scheme.c_str(),
            query.errorString().toLocal8Bit().constData());
        return false;
    }
    if (!query.waitForFinished(3000)) {
        std::fprintf(stderr, "Kelvara: xdg-mime did not answer which program opens %s: URLs\n", scheme.c_str());
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0
        && !query.readAllStandardOutput().trimmed().isEmpty();
}

bool LinuxURLLauncher::LaunchURL(const std::string& text)
{
    QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(EncodeForHandOff(text)), QUrl::StrictMode);
    if (!url.isValid()) {
        std::fprintf(stderr, "Kelvara: cannot hand over the URL: %s\n", url.errorString().toLocal8Bit().constData());
        return false;
    }
    return QDesktopServices::openUrl(url);
}

// Made here rather than with the other services: handing a URL to the desktop takes Qt Gui, which a
// program without windows never loads, and it never asks for a launcher.
URLLauncher& Platform::Launcher()
{
    if (!Services().launcher)
        Services().launcher = std::make_unique<LinuxURLLauncher>();
    return *Services().launcher;
}
