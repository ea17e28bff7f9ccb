#include "framework/LBroadcaster.h"
#include "framework/LException.h"
#include "framework/LListener.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Recorder : public LListener {
public:
    Recorder(std::vector<std::string>& log, std::string name)
        : mLog(log)
        , mName(std::move(name))
    {
    }
    void ListenToMessage(MessageT message, void*) override { mLog.push_back(mName + ":" + FourCCToText(message)); }

private:
    std::vector<std::string>& mLog;
    std::string mName;
};

}

// Once each, in the order added, not after StopListening; either side may go first.
TEST(Messaging, ListenersHearInOrderOnceWhileTheyListen)
{
    std::vector<std::string> log;
    auto a = std::make_unique<Recorder>(log, "a");
    {
        LBroadcaster broadcaster;
        Recorder b(log, "b");
        auto gone = std::make_unique<Recorder>(log, "c");
        for (LListener* listener : std::initializer_list<LListener*> { &b, a.get(), &b, gone.get() })
            broadcaster.AddListener(listener);
        gone.reset();
        broadcaster.BroadcastMessage(FourCC("PCha"));
        b.StopListening();
        broadcaster.BroadcastMessage(FourCC("DatR"));
    }
    EXPECT_EQ(log, std::vector<std::string>({ "b:PCha", "a:PCha", "a:DatR" }));
    a.reset(); // its broadcaster is gone already: nothing to unlink
}

TEST(Messaging, FourCharCodes)
{
    EXPECT_EQ(FourCC("nilP"), 0x6E696C50);
    EXPECT_EQ(FourCCFromText("Tc03"), FourCC("Tc03"));
    EXPECT_EQ(FourCCFromText("Na"), 0x4E610000);
    EXPECT_EQ(LException::DescribeCode(eofErr), "end of file (-39)");
}
