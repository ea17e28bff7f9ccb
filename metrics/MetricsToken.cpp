#include "metrics/MetricsToken.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A token is a line; a longer file is not a token file.
constexpr size_t kMostTokenFileBytes = 4096;

}

std::optional<MetricsToken> MetricsToken::ReadFile(const std::string& path, std::string& error)
{
    auto fail = [&](const std::string& why) {
        error = "the token file \"" + path + "\" " + why;
        return std::nullopt;
    };
    int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(std::string("cannot be opened: ") + std::strerror(errno));
    struct stat status { };
    std::string content;
    bool ok = ::fstat(fd, &status) == 0;
    if (ok && S_ISREG(status.st_mode) && (status.st_mode & (S_IRGRP | S_IROTH)) == 0) {
        char buffer[kMostTokenFileBytes + 1];
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        ok = got >= 0 && static_cast<size_t>(got) <= kMostTokenFileBytes;
        if (ok)
            content.assign(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    if (!ok)
        return fail("cannot be read, or is longer than 4096 bytes");
    if (!S_ISREG(status.st_mode))
        return fail("is not a regular file");
    if ((status.st_mode & (S_IRGRP | S_IROTH)) != 0)
        return fail("may be read by its group or by others; make it yours alone (chmod 600)");
    std::string token = content.substr(0, content.find('\n'));
    size_t end = token.find_last_not_of(" \t\r\f\v");
    token.resize(end == std::string::npos ? 0 : end + 1);
    if (token.empty())
        return fail("holds no token on its first line");
    return MetricsToken(token);
}

bool MetricsToken::Admits(std::string_view authorization) const
{
    constexpr std::string_view kScheme = "Bearer ";
    std::string_view presented = authorization.size() >= kScheme.size() ? authorization.substr(kScheme.size()) : "";
    unsigned difference = authorization.substr(0, kScheme.size()) == kScheme ? 0 : 1;
    difference |= presented.size() == mToken.size() ? 0 : 1;
    // Every byte of the token is compared, against the presented byte or against itself past its end.
    for (size_t i = 0; i < mToken.size(); ++i) {
        unsigned char theirs = i < presented.size() ? static_cast<unsigned char>(presented[i]) : 0;
        difference |= static_cast<unsigned char>(mToken[i]) ^ theirs;
    }
    return difference == 0;
}
