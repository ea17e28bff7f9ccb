#include "metrics/MetricsSharing.h"

#include "metrics/MetricsExposition.h"

MetricsSharing::MetricsSharing(const MetricsReadings& readings, std::string version)
    : mReadings(readings)
    , mVersion(std::move(version))
{
}

MetricsSharing::~MetricsSharing() = default;

bool MetricsSharing::Apply(const MetricsChoices& choices, std::string& error)
{
    mTextfile = choices.file.empty() ? nullptr : std::make_unique<MetricsTextfile>(choices.file);

    bool sameEndpoint = mEndpoint && choices.listen && mApplied.listen
        && choices.listen->ToString() == mApplied.listen->ToString() && choices.tokenFile == mApplied.tokenFile;
    mApplied = choices;
    if (sameEndpoint)
        return true;
    mEndpoint.reset();
    mResponder.reset();
    if (!choices.listen)
        return true;
    std::optional<MetricsToken> token;
    if (!choices.tokenFile.empty()) {
        token = MetricsToken::ReadFile(choices.tokenFile, error);
        if (!token) {
            mApplied.listen.reset();
            return false;
        }
    }
    auto responder = std::make_unique<MetricsResponder>(mReadings, mVersion, std::move(token));
    auto endpoint = std::make_unique<MetricsEndpoint>(*responder);
    if (!endpoint->Listen(*choices.listen, error)) {
        mApplied.listen.reset();
        return false;
    }
    mResponder = std::move(responder);
    mEndpoint = std::move(endpoint);
    return true;
}

void MetricsSharing::SampleRecorded()
{
    if (mTextfile)
        mTextfile->Write(
            MetricsExposition::Write(mReadings.NewestReadings(), mVersion, MetricsExposition::Format::Text004));
}

uint16_t MetricsSharing::GetListeningPort() const
{
    return mEndpoint ? mEndpoint->GetPort() : 0;
}
