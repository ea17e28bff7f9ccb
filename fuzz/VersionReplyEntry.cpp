#include "fuzz/FuzzEntries.h"
#include "report/MacPADReply.h"

#include <string_view>

int FuzzVersionReply(const uint8_t* data, size_t size)
{
    constexpr const char* kOurVersion = "1.0.0";
    std::string_view reply(reinterpret_cast<const char*>(data), size);
    std::optional<std::string> notes;
    std::optional<std::string> version;
    int whole = MacPADReadReply(reply, kOurVersion, notes, version);
    FuzzCheck(whole == kMacPADUpToDate || whole == kMacPADNotProductInformation || whole == kMacPADValueMissing
            || whole == kMacPADNewVersion,
        "a reply gives one of the reading's codes");
    bool found = whole == kMacPADUpToDate || whole == kMacPADNewVersion;
    FuzzCheck(found ? version.has_value() : whole == kMacPADValueMissing || !version.has_value(),
        "a version is reported where one was found");
    FuzzCheck(notes.has_value() == (whole == kMacPADNewVersion), "release notes come with a new version alone");

    // The same reply arriving in pieces, as the network delivers it, gives the same verdict.
    size_t piece = size == 0 ? 1 : data[0] % 97 + 1;
    MacPADReply received;
    for (size_t at = 0; at < size && received.Take(reply.substr(at, piece)); at += piece) { }
    FuzzCheck(received.GetBody().size() <= MacPADReply::kBodyLimit, "the body is kept to its limit");
    std::optional<std::string> pieceNotes;
    std::optional<std::string> pieceVersion;
    int inPieces = MacPADReadBody(received.GetBody(), kOurVersion, pieceNotes, pieceVersion);
    FuzzCheck(inPieces == whole && pieceNotes == notes && pieceVersion == version, "whole or in pieces, one verdict");
    return 0;
}
