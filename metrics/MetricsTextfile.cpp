#include "metrics/MetricsTextfile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

MetricsTextfile::MetricsTextfile(std::string path)
    : mPath(std::move(path))
{
}

bool MetricsTextfile::Write(std::string_view contents)
{
    size_t slash = mPath.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : mPath.substr(0, slash == 0 ? 1 : slash);
    std::string base = slash == std::string::npos ? mPath : mPath.substr(slash + 1);
    std::string temporary = folder + "/." + base + ".XXXXXX";
    std::string problem;
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        problem = "cannot be written: no temporary file can be made in \"" + folder + "\": " + std::strerror(errno);
    } else {
        size_t written = 0;
        while (written < contents.size()) {
            ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            written += static_cast<size_t>(n);
        }
        if (written < contents.size())
            problem = std::string("cannot be written: ") + std::strerror(errno);
        else if (::fchmod(fd, 0644) != 0)
            problem = std::string("cannot be made readable by others: ") + std::strerror(errno);
        if (::close(fd) != 0 && problem.empty())
            problem = std::string("cannot be written: ") + std::strerror(errno);
        if (problem.empty() && ::rename(temporary.c_str(), mPath.c_str()) != 0)
            problem = std::string("cannot take the place of the old one: ") + std::strerror(errno);
        if (!problem.empty())
            ::unlink(temporary.c_str());
    }
    if (!problem.empty() && problem != mLastProblem)
        std::fprintf(stderr, "Kelvara: the metrics file \"%s\" %s\n", mPath.c_str(), problem.c_str());
    else if (problem.empty() && !mLastProblem.empty())
        std::fprintf(stderr, "Kelvara: the metrics file \"%s\" is written again\n", mPath.c_str());
    mLastProblem = problem;
    return problem.empty();
}
