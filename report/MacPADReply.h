// The product-information server's reply as the version check reads it: the header is skipped as the
// bytes arrive, and only the first 20479 bytes of the body are kept, so a reply of any length costs the
// same memory. Reading the body for the published version is a pure function of its bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The result codes of the version check.
enum MacPADResult : int {
    kMacPADUpToDate = 0, // the published version text equals ours
    kMacPADBadRequest = 1, // no version text, no URL, or a URL the check cannot use
    kMacPADNetworkFailure = 2, // no socket, no connection, the request not sent, or no answer in time
    kMacPADNotProductInformation = 3, // the body does not mention "padVersion"
    kMacPADValueMissing = 4, // no version value, or (when the versions differ) no release notes
    kMacPADNewVersion = 5, // a different version is published
    kMacPADOutOfMemory = 6,
};

class MacPADReply {
public:
    // The body buffer holds 20480 bytes with the terminating NUL.
    static constexpr size_t kBodyLimit = 20479;

    // Takes the next bytes of the reply. The header ends after its first line of at most 2 bytes, the line
    // feed included ("\r\n" or "\n"); a longer line counts whole, however long. Returns false once the body
    // is complete, when nothing more needs to be received.
    bool Take(std::string_view bytes);
    bool IsComplete() const { return mBody.size() >= kBodyLimit; }
    bool HasReceivedAnything() const { return mReceivedAnything; }
    const std::string& GetBody() const { return mBody; }

private:
    bool mInHeader = true;
    size_t mLineLength = 0;
    bool mReceivedAnything = false;
    std::string mBody;
};

// Reads a product-information body (text up to its first NUL byte): the value of the key productVersion,
// compared byte for byte with currentVersion, and when they differ that of productReleaseNotes. A value
// runs from the '>' that follows its key to the next "</string>". Returns 0, 3, 4, 5 or 6; the values
// found are stored in the out-parameters, which are emptied first.
int MacPADReadBody(std::string_view body, const char* currentVersion, std::optional<std::string>& releaseNotes,
    std::optional<std::string>& publishedVersion);

// A whole reply, header and all, read as the check reads what it receives.
int MacPADReadReply(std::string_view reply, const char* currentVersion, std::optional<std::string>& releaseNotes,
    std::optional<std::string>& publishedVersion);
