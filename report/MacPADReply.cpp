#include "report/MacPADReply.h"

#include <algorithm>
#include <new>

bool MacPADReply::Take(std::string_view bytes)
{
    if (!bytes.empty())
        mReceivedAnything = true;
    while (mInHeader && !bytes.empty()) {
        // Only the length of the current header line is kept, never its bytes.
        size_t lineFeed = bytes.find('\n');
        if (lineFeed == std::string_view::npos) {
            mLineLength += bytes.size();
            return true;
        }
        mLineLength += lineFeed + 1;
        bytes.remove_prefix(lineFeed + 1);
        if (mLineLength <= 2)
            mInHeader = false;
        mLineLength = 0;
    }
    if (!mInHeader)
        mBody.append(bytes.substr(0, kBodyLimit - std::min(kBodyLimit, mBody.size())));
    return !IsComplete();
}

namespace {

// The text from the '>' after key up to the next "</string>"; none when the key, the '>' or the end is
// missing.
std::optional<std::string_view> ValueOfKey(std::string_view body, std::string_view key)
{
    size_t keyAt = body.find(key);
    if (keyAt == std::string_view::npos)
        return std::nullopt;
    size_t tagEnd = body.find('>', keyAt + key.size());
    if (tagEnd == std::string_view::npos)
        return std::nullopt;
    size_t valueEnd = body.find("</string>", tagEnd + 1);
    if (valueEnd == std::string_view::npos)
        return std::nullopt;
    return body.substr(tagEnd + 1, valueEnd - tagEnd - 1);
}

}

int MacPADReadBody(std::string_view body, const char* currentVersion, std::optional<std::string>& releaseNotes,
    std::optional<std::string>& publishedVersion)
{
    releaseNotes.reset();
    publishedVersion.reset();
    try {
        // The body is text: a NUL byte ends it.
        body = body.substr(0, body.find('\0'));
        if (body.find("padVersion") == std::string_view::npos)
            return kMacPADNotProductInformation;
        std::optional<std::string_view> version = ValueOfKey(body, "<key>productVersion</key>");
        if (!version)
            return kMacPADValueMissing;
        publishedVersion.emplace(*version);
        // Any difference counts, an older published version and a trailing blank included.
        if (currentVersion != nullptr && *publishedVersion == currentVersion)
            return kMacPADUpToDate;
        std::optional<std::string_view> notes = ValueOfKey(body, "<key>productReleaseNotes</key>");
        if (!notes)
            return kMacPADValueMissing;
        releaseNotes.emplace(*notes);
        return kMacPADNewVersion;
    } catch (const std::bad_alloc&) {
        return kMacPADOutOfMemory;
    }
}

int MacPADReadReply(std::string_view reply, const char* currentVersion, std::optional<std::string>& releaseNotes,
    std::optional<std::string>& publishedVersion)
{
    try {
        MacPADReply received;
        received.Take(reply);
        return MacPADReadBody(received.GetBody(), currentVersion, releaseNotes, publishedVersion);
    } catch (const std::bad_alloc&) {
        releaseNotes.reset();
        publishedVersion.reset();
        return kMacPADOutOfMemory;
    }
}
