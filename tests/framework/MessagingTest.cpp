#include "framework/LBroadcaster.h"
#include "framework/LCommander.h"
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

class Handler : public LCommander {
public:
    Handler(LCommander* super, CommandT handles)
        : LCommander(super)
        , mHandles(handles)
    {
    }
    bool ObeyCommand(CommandT command, void* parameter) override
    {
        if (command == mHandles) {
            ++obeyed;
            return true;
        }
        if (command == FourCC("boom"))
            Throw_(err_NilPointer);
        return LCommander::ObeyCommand(command, parameter);
    }
    int obeyed = 0;

private:
    CommandT mHandles;
};

}

TEST(Messaging, ListenersHearInOrderOnceAndNotWhenMuted)
{
    std::vector<std::string> log;
    LBroadcaster broadcaster;
    Recorder a(log, "a");
    Recorder b(log, "b");
    broadcaster.AddListener(&b);
    broadcaster.AddListener(&a);
    broadcaster.AddListener(&b);
    broadcaster.BroadcastMessage(FourCC("PCha"));
    EXPECT_EQ(log, std::vector<std::string>({ "b:PCha", "a:PCha" }));
    b.StopListening();
    log.clear();
    broadcaster.BroadcastMessage(FourCC("DatR"));
    EXPECT_EQ(log, std::vector<std::string>({ "a:DatR" }));
}

TEST(Messaging, EitherSideMayGoFirst)
{
    std::vector<std::string> log;
    auto listener = std::make_unique<Recorder>(log, "a");
    {
        LBroadcaster broadcaster;
        broadcaster.AddListener(listener.get());
        auto second = std::make_unique<Recorder>(log, "b");
        broadcaster.AddListener(second.get());
        second.reset();
        broadcaster.BroadcastMessage(FourCC("GrfR"));
    }
    EXPECT_EQ(log, std::vector<std::string>({ "a:GrfR" }));
    listener.reset(); // its broadcaster is gone already: nothing to unlink
}

TEST(Messaging, CommandsClimbTheChainAndExceptionsStopAtTheBoundary)
{
    Handler application(nullptr, FourCC("RawD"));
    Handler window(&application, 2);
    LCommander::SetTarget(&window);
    EXPECT_TRUE(LCommander::ProcessCommand(2));
    EXPECT_TRUE(LCommander::ProcessCommand(FourCC("RawD")));
    EXPECT_FALSE(LCommander::ProcessCommand(FourCC("Nope")));
    EXPECT_EQ(window.obeyed, 1);
    EXPECT_EQ(application.obeyed, 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LCommander::ProcessCommand(FourCC("boom")));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("'nilP'"), std::string::npos);
    LCommander::SetTarget(nullptr);
}

TEST(Messaging, FourCharCodes)
{
    EXPECT_EQ(FourCC("nilP"), 0x6E696C50);
    EXPECT_EQ(FourCCFromText("Tc03"), FourCC("Tc03"));
    EXPECT_EQ(FourCCFromText("Na"), 0x4E610000);
    EXPECT_EQ(LException::DescribeCode(eofErr), "end of file (-39)");
}
