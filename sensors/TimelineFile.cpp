#include "sensors/TimelineFile.h"

#include "framework/DamagedFile.h"
#include "framework/LException.h"
#include "framework/LFileStream.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr std::string_view kHeader = "Kelvara Timeline 1";
// Some 3000 years either side of 1970: any clock's time, and far from where adding minutes could overflow.
constexpr int64_t kFarthestTime = 100'000'000'000;

bool IsPlain(unsigned char byte)
{
    return byte > ' ' && byte < 0x7f && byte != '%';
}

std::string EncodeKey(const std::string& key)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char byte : key) {
        if (IsPlain(byte)) {
            encoded += static_cast<char>(byte);
        } else {
            encoded += '%';
            encoded += digits[byte >> 4];
            encoded += digits[byte & 15];
        }
    }
    return encoded;
}

std::optional<std::string> DecodeKey(std::string_view text)
{
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string key;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            key += text[i];
            continue;
        }
        int high = i + 1 < text.size() ? hex(text[i + 1]) : -1;
        int low = i + 2 < text.size() ? hex(text[i + 2]) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        key += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return key;
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    size_t from = 0;
    while (true) {
        size_t at = text.find(separator, from);
        parts.push_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
        if (at == std::string_view::npos)
            return parts;
        from = at + 1;
    }
}

template <typename Number> std::optional<Number> ParseNumber(std::string_view text)
{
    Number value {};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

}

std::string TimelineFile::Format(const Timelines& timelines)
{
    std::string text(kHeader);
    text += '\n';
    for (const auto& [key, timeline] : timelines) {
        if (timeline.Count() == 0)
            continue;
        text += EncodeKey(key);
        for (const SampleTimeline::Stretch& stretch : timeline.Stretches())
            text += ' ' + std::to_string(stretch.start) + ' ' + std::to_string(stretch.count);
        text += '\n';
    }
    return text;
}

std::optional<TimelineFile::Timelines> TimelineFile::Parse(std::string_view text, std::string& problem)
{
    std::vector<std::string_view> lines = Split(text, '\n');
    if (lines.empty() || lines.front() != kHeader) {
        problem = "it does not begin with \"" + std::string(kHeader) + "\"";
        return std::nullopt;
    }
    // The text ends with its last line's newline.
    if (!lines.back().empty()) {
        problem = "its last line is cut short";
        return std::nullopt;
    }
    Timelines timelines;
    for (size_t number = 1; number + 1 < lines.size(); ++number) {
        std::string where = "line " + std::to_string(number + 1);
        std::vector<std::string_view> fields = Split(lines[number], ' ');
        std::optional<std::string> key = DecodeKey(fields.front());
        if (!key || key->empty() || fields.size() < 3 || fields.size() % 2 == 0) {
            problem = where + " is no sensor's timeline";
            return std::nullopt;
        }
        std::vector<SampleTimeline::Stretch> stretches;
        int64_t total = 0;
        for (size_t i = 1; i < fields.size(); i += 2) {
            std::optional<int64_t> start = ParseNumber<int64_t>(fields[i]);
            std::optional<int32_t> count = ParseNumber<int32_t>(fields[i + 1]);
            if (!start || !count || *count < 1 || *start > kFarthestTime || *start < -kFarthestTime) {
                problem = where + " holds a stretch that is no time and count";
                return std::nullopt;
            }
            total += *count;
            stretches.push_back({ *start, *count });
        }
        if (total > SampleTimeline::kCapacity) {
            problem = where + " dates more samples than a history holds";
            return std::nullopt;
        }
        if (!timelines.emplace(*key, SampleTimeline(std::move(stretches))).second) {
            problem = where + " names a sensor a second time";
            return std::nullopt;
        }
    }
    return timelines;
}

TimelineFile::Loaded TimelineFile::Load(const std::string& folder, bool setAside)
{
    Loaded loaded;
    const std::string path = PathIn(folder);
    std::string problem;
    LFileStream stream;
    try {
        // What a save cut short left behind; the file itself is whole.
        if (setAside)
            LFileStream::RemoveLeftoverTemporaries(path);
        stream.OpenForReading(path, kMostFileBytes);
        const std::vector<uint8_t>& bytes = stream.GetBytesHeld();
        std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (std::optional<Timelines> timelines = Parse(text, problem)) {
            loaded.timelines = std::move(*timelines);
            return loaded;
        }
        problem = "is damaged (" + problem + ")";
    } catch (const LException& e) {
        if (e.GetErrorCode() == fnfErr)
            return loaded;
        problem = LFileStream::DescribeReadFailure(e);
    }
    if (!setAside) {
        std::fprintf(stderr, "Kelvara: the timeline \"%s\" %s; the samples are dated a minute apart\n", path.c_str(),
            problem.c_str());
        return loaded;
    }
    std::string keptAs = SetAsideDamagedFile(path);
    if (!keptAs.empty()) {
        std::fprintf(stderr,
            "Kelvara: the timeline \"%s\" %s; the samples are dated a minute apart, and the file is kept as \"%s\"\n",
            path.c_str(), problem.c_str(), keptAs.c_str());
        return loaded;
    }
    int error = errno;
    loaded.writable = false;
    std::fprintf(stderr,
        "Kelvara: the timeline \"%s\" %s and cannot be set aside (%s); the samples are dated a minute apart, and "
        "the file is left as it is and not written while Kelvara runs\n",
        path.c_str(), problem.c_str(), std::strerror(error));
    return loaded;
}
