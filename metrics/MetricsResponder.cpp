#include "metrics/MetricsResponder.h"

#include "metrics/MetricsExposition.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr const char* kPlainText = "text/plain; charset=utf-8";

std::string Response(std::string_view status, std::string_view contentType, std::string_view body,
    std::string_view extraHeaders = {}, bool withBody = true)
{
    std::string out;
    out.reserve(160 + body.size());
    out += "HTTP/1.1 ";
    out += status;
    out += "\r\nContent-Type: ";
    out += contentType;
    out += "\r\nContent-Length: ";
    out += std::to_string(body.size());
    out += "\r\nConnection: close\r\n";
    out += extraHeaders;
    out += "\r\n";
    if (withBody)
        out += body;
    return out;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

struct Request {
    std::string_view method;
    std::string_view path;
    std::string_view accept;
    std::string_view authorization;
};

std::optional<Request> Parse(std::string_view head)
{
    Request request;
    size_t lineEnd = head.find('\n');
    std::string_view line = Trim(head.substr(0, lineEnd));
    size_t space = line.find(' ');
    size_t secondSpace = space == std::string_view::npos ? space : line.find(' ', space + 1);
    if (secondSpace == std::string_view::npos || !line.substr(secondSpace + 1).starts_with("HTTP/"))
        return std::nullopt;
    request.method = line.substr(0, space);
    std::string_view target = line.substr(space + 1, secondSpace - space - 1);
    request.path = target.substr(0, target.find('?'));
    while (lineEnd != std::string_view::npos) {
        size_t start = lineEnd + 1;
        lineEnd = head.find('\n', start);
        std::string_view header = head.substr(start, lineEnd == std::string_view::npos ? lineEnd : lineEnd - start);
        size_t colon = header.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view name = header.substr(0, colon);
        if (SameName(name, "Accept"))
            request.accept = Trim(header.substr(colon + 1));
        else if (SameName(name, "Authorization"))
            request.authorization = Trim(header.substr(colon + 1));
    }
    return request;
}

}

MetricsResponder::MetricsResponder(
    const MetricsReadings& readings, std::string version, std::optional<MetricsToken> token)
    : mReadings(readings)
    , mVersion(std::move(version))
    , mToken(std::move(token))
{
}

std::string MetricsResponder::Respond(std::string_view head) const
{
    std::optional<Request> request = Parse(head);
    if (!request)
        return Response("400 Bad Request", kPlainText, "Bad Request\n");
    // A HEAD request is answered with the headers of a GET, without the body.
    bool isHead = request->method == "HEAD";
    if (mToken && !mToken->Admits(request->authorization)) {
        return Response("401 Unauthorized", kPlainText, "Unauthorized\n",
            "WWW-Authenticate: Bearer realm=\"kelvara\"\r\n", !isHead);
    }
    if (request->method != "GET" && !isHead)
        return Response("405 Method Not Allowed", kPlainText, "Method Not Allowed\n", "Allow: GET, HEAD\r\n");
    if (request->path != "/metrics")
        return Response("404 Not Found", kPlainText, "Not Found\n", {}, !isHead);
    MetricsExposition::Format format = MetricsExposition::Negotiate(request->accept);
    std::string body = MetricsExposition::Write(mReadings.NewestReadings(), mVersion, format);
    return Response("200 OK", MetricsExposition::ContentType(format), body, {}, !isHead);
}

std::string MetricsResponder::HeadTooLarge()
{
    return Response("431 Request Header Fields Too Large", kPlainText, "Request Header Fields Too Large\n");
}
