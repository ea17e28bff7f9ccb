// What the tests of the reporting dialogs share: the program's classes, beeps and alerts heard instead of
// sounded or shown, and the panes of the one window open.
#pragma once

#include "app/Kelvara.h"
#include "framework/LPushButton.h"
#include "framework/LWindow.h"
#include "framework/UModalAlerts.h"
#include "framework/USound.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>

#include <gtest/gtest.h>

class ReportDialogTest : public ::testing::Test {
protected:
    ReportDialogTest()
    {
        Kelvara::RegisterClasses();
        USound::SetBeepHandler([this](int16_t) { ++beeps; });
        UModalAlerts::SetHandler([](ResIDT, const AlertText&) {});
    }
    ~ReportDialogTest() override
    {
        UModalAlerts::SetHandler({});
        USound::SetBeepHandler({});
        LWindow::DeleteAllWindows();
    }

    static LWindow* OnlyWindow()
    {
        EXPECT_EQ(LWindow::GetWindowList().size(), 1u);
        return LWindow::GetWindowList().empty() ? nullptr : LWindow::GetWindowList().front();
    }
    template <typename T = LPane> static T* Pane(LWindow* window, const char* paneID)
    {
        auto* pane = dynamic_cast<T*>(window->FindPaneByID(FourCCFromText(paneID)));
        EXPECT_NE(pane, nullptr) << paneID;
        return pane;
    }
    static std::string Text(LWindow* window, const char* paneID) { return Pane(window, paneID)->GetDescriptor(); }
    static void Click(LWindow* window, const char* paneID)
    {
        Pane<LPushButton>(window, paneID)->SimulateHotSpotClick();
    }
    static void PressKey(LWindow* window, int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(window->GetTopLevel(), &event);
    }
    static bool Shown(LWindow* window) { return window->GetTopLevel()->isVisible(); }
    // A dialog that closes itself goes once the click has been handled.
    static void LetClicksFinish() { QCoreApplication::processEvents(); }

    int beeps = 0;
};
