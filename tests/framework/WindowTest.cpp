#include "framework/LBevelButton.h"
#include "framework/LDialogBox.h"
#include "framework/LException.h"
#include "framework/LScroller.h"
#include "framework/LStaticText.h"
#include "framework/LTextEditView.h"
#include "framework/LWindow.h"
#include "framework/URegistrar.h"
#include "framework/UScreenPlacement.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>

namespace {

LPaneEntry Entry(const char* json)
{
    QJsonParseError error {};
    QJsonDocument document = QJsonDocument::fromJson(QByteArray(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return LPaneEntry(document.object());
}

const char* kTableLayout = R"({
    "class": "wind", "title": "Table", "size": [300, 120], "position": [200, 150], "showOnCreate": false,
    "resizable": true,
    "panes": [
        { "class": "bevl", "id": "Show", "frame": [4, 4, 80, 22], "menu": "multi", "title": "Sensors" },
        { "class": "bevl", "id": "GraB", "frame": [90, 4, 80, 22], "menu": "single", "items": ["Range", "Percent"] },
        { "class": "stxt", "id": "Na00", "frame": [4, 30, 100, 15], "text": "Sensor", "traits": 128 },
        { "class": "stxt", "id": "Na", "rows": { "first": 1, "count": 3, "step": 15 },
          "frame": [4, 48, 100, 15], "visible": false },
        { "class": "view", "id": "Strp", "frame": [110, 4, 186, 40], "bind": "ltr" },
        { "class": "scrl", "id": "Scrl", "frame": [0, 60, 300, 60], "bind": "ltrb",
          "panes": [ { "class": "view", "id": "Imag", "frame": [0, 0, 300, 40] } ] }
    ]
})";

class Windows : public ::testing::Test {
protected:
    Windows() { URegistrar::RegisterFrameworkClasses(); }
    ~Windows() override { LWindow::DeleteAllWindows(); }
};

}

TEST_F(Windows, PanesAreMadeByClassAndFoundByID)
{
    LWindow* window = LWindow::CreateWindow(Entry(kTableLayout), nullptr);
    EXPECT_FALSE(window->GetTopLevel()->isVisible()); // the layout keeps it hidden
    EXPECT_EQ(window->GetDescriptor(), "Table");
    auto* header = dynamic_cast<LStaticText*>(window->FindPaneByID(FourCC("Na00")));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetDescriptor(), "Sensor");
    EXPECT_TRUE(header->GetTextTraits().bold);
    auto* mode = dynamic_cast<LBevelButton*>(window->FindPaneByID(FourCC("GraB")));
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->GetCurrentMenuItem(), 1);
    EXPECT_EQ(mode->CountMenuItems(), 2);
    EXPECT_EQ(window->FindPaneByID(FourCC("Na04")), nullptr);

    // Repeated rows get "%s%02d" IDs and move down by the step; rows beyond the layout's are made when asked
    // for, each with its own ID: past 99 the tens take a letter.
    for (auto [row, id] : std::initializer_list<std::pair<int32_t, const char*>> { { 3, "Na03" }, { 4, "Na04" },
             { 99, "Na99" }, { 100, "NaA0" }, { 359, "NaZ9" }, { 360, "Naa0" }, { 619, "Naz9" } }) {
        EXPECT_EQ(LPaneEntry::RowPaneID("Na", row), FourCCFromText(id));
        window->MakeRowPanes(row);
        auto* made = dynamic_cast<LStaticText*>(window->FindPaneByID(FourCCFromText(id)));
        ASSERT_NE(made, nullptr) << id;
        Rect frame;
        made->CalcPortFrameRect(frame);
        EXPECT_EQ(frame,
            (Rect { static_cast<int16_t>(48 + 15 * (row - 1)), 4, static_cast<int16_t>(63 + 15 * (row - 1)), 104 }))
            << id;
        EXPECT_FALSE(made->IsVisible()) << id;
    }

    // A pane inside a scroller: its port frame counts the scroller's place.
    Rect frame;
    window->FindPaneByID(FourCC("Imag"))->CalcPortFrameRect(frame);
    EXPECT_EQ(frame.top, 60);
}

TEST_F(Windows, UnknownClassesAndLayoutsFailLoudly)
{
    auto expectNilP = [](auto&& build) {
        try {
            build();
            ADD_FAILURE() << "no exception";
        } catch (const LException& e) {
            EXPECT_EQ(e.GetErrorCode(), err_NilPointer);
        }
    };
    expectNilP([] { LWindow::CreateWindow(Entry(R"({"class": "wind", "panes": [{"class": "Nope"}]})"), nullptr); });
    expectNilP([] { LWindow::CreateWindow(Entry(R"({"class": "stxt"})"), nullptr); });
    expectNilP([] { LWindow::CreateWindow(9999, nullptr); });
    EXPECT_TRUE(LWindow::GetWindowList().empty()) << "a window that failed to build is not left behind";
}

TEST_F(Windows, BoundsRoundTripAndBoundPanesFollowTheProgramAndTheUser)
{
    struct Recording : LWindow {
        using LWindow::LWindow;
        void DoSetBounds(const Rect& bounds) override
        {
            LWindow::DoSetBounds(bounds);
            ++calls;
        }
        int calls = 0;
    };
    URegistrar::RegisterClass<Recording>(FourCC("Rcrd"));
    std::string layout = kTableLayout;
    layout.replace(layout.find("wind"), 4, "Rcrd");
    auto* window = dynamic_cast<Recording*>(LWindow::CreateWindow(Entry(layout.c_str()), nullptr));
    ASSERT_NE(window, nullptr);
    window->Show();
    auto* scroller = dynamic_cast<LScroller*>(window->FindPaneByID(FourCC("Scrl")));
    ASSERT_NE(scroller, nullptr);
    Rect bounds;
    window->GetGlobalBounds(bounds);
    EXPECT_EQ(bounds, (Rect { 150, 200, 270, 500 }));
    window->MoveWindowTo(40, 60);
    window->ResizeWindowTo(400, 200);
    QCoreApplication::processEvents();
    window->GetGlobalBounds(bounds);
    EXPECT_EQ(bounds, (Rect { 60, 40, 260, 440 }));
    EXPECT_EQ(window->GetWidget()->size(), QSize(400, 200));
    // The user's resizing reaches DoSetBounds too.
    int calls = window->calls;
    window->GetTopLevel()->resize(window->GetTopLevel()->width() + 50, window->GetTopLevel()->height());
    QCoreApplication::processEvents();
    EXPECT_GT(window->calls, calls);
    // "ltr" stretches across; "ltrb" stretches both ways; unbound panes stay.
    EXPECT_EQ(window->GetWidth(), 450);
    EXPECT_EQ(window->FindPaneByID(FourCC("Strp"))->GetWidth(), 336);
    EXPECT_EQ(scroller->GetWidth(), 450);
    EXPECT_EQ(scroller->GetHeight(), 140);
    EXPECT_EQ(scroller->GetScrolledView()->GetWidth(), 450);
    EXPECT_EQ(window->FindPaneByID(FourCC("Na00"))->GetWidth(), 100);

    // A scrolled image larger than its frame makes the widget as large as the image.
    scroller->GetScrolledView()->ResizeImageTo(1500, scroller->GetScrolledView()->GetHeight(), false);
    EXPECT_EQ(scroller->GetScrolledView()->GetWidget()->width(), 1500);
}

TEST_F(Windows, CommandsClimbFromTheWindowExceptionsStopAtTheBoundaryAndCloseDeletesIt)
{
    struct Application : LCommander {
        bool ObeyCommand(CommandT command, void*) override
        {
            if (command == FourCC("boom"))
                Throw_(err_NilPointer);
            return command == FourCC("RawD") && ++obeyed;
        }
        void FindCommandStatus(CommandT command, bool& enabled, bool&, uint16_t&, Str255&) override
        {
            enabled = command == FourCC("RawD");
        }
        int obeyed = 0;
    } application;
    LWindow* window = LWindow::CreateWindow(Entry(kTableLayout), &application);

    QMenuBar* bar = window->GetTopLevel()->menuBar();
    QAction* newData = nullptr;
    QAction* close = nullptr;
    for (QAction* menu : bar->actions()) {
        for (QAction* item : menu->menu()->actions()) {
            if (item->data().toInt() == FourCC("RawD"))
                newData = item;
            if (item->data().toInt() == cmd_Close)
                close = item;
        }
    }
    ASSERT_NE(newData, nullptr);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(newData->shortcut(), QKeySequence("Ctrl+D"));
    EXPECT_EQ(close->shortcut(), QKeySequence("Ctrl+W"));

    newData->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(application.obeyed, 1);
    // A command nobody obeys, and one that throws: the exception stops at the boundary and is reported.
    LCommander::SetTarget(window);
    EXPECT_FALSE(LCommander::ProcessCommand(FourCC("Nope")));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LCommander::ProcessCommand(FourCC("boom")));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("'nilP'"), std::string::npos);
    LCommander::SetTarget(nullptr);

    close->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(LWindow::GetWindowList().empty());
}

TEST_F(Windows, DialogReportsTheButtonHitByClickOrKey)
{
    const char* withCancel = R"({
        "class": "dlog", "size": [200, 80],
        "panes": [ { "class": "push", "id": "okay", "frame": [110, 40, 80, 24], "title": "OK", "message": 900,
                     "default": true },
                   { "class": "push", "id": "cncl", "frame": [20, 40, 80, 24], "title": "Cancel", "message": 901 },
                   { "class": "chbx", "id": "Chek", "frame": [20, 10, 80, 24], "title": "Check" } ]
    })";
    const char* noButtons = R"({ "class": "dlog", "size": [200, 80] })";
    const char* escapeStops = R"({ "class": "dlog", "size": [200, 80], "escapeMessage": "Stop" })";
    const char* escapeIgnored = R"({ "class": "dlog", "size": [200, 80], "escapeMessage": 0 })";
    auto press = [](int key) {
        return [key](LDialogBox* dialog) {
            // From the focused control, which passes the key on, or to the window itself.
            LPane* focused = dialog->FindPaneByID(FourCC("Chek"));
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(focused != nullptr ? focused->GetWidget() : dialog->GetTopLevel(), &event);
        };
    };
    const struct {
        const char* name;
        const char* layout;
        std::function<void(LDialogBox*)> act;
        MessageT expected;
    } cases[] = {
        { "OK clicked", withCancel,
            [](LDialogBox* d) { static_cast<QAbstractButton*>(d->FindPaneByID(FourCC("okay"))->GetWidget())->click(); },
            msg_OK },
        { "Return clicks the default button", withCancel, press(Qt::Key_Return), msg_OK },
        { "Enter clicks the default button", withCancel, press(Qt::Key_Enter), msg_OK },
        { "Escape clicks the cancel button", withCancel, press(Qt::Key_Escape), msg_Cancel },
        { "another key does nothing", withCancel, press(Qt::Key_A), 0 },
        { "closing the window is Cancel", withCancel, [](LDialogBox* d) { d->GetTopLevel()->close(); }, msg_Cancel },
        { "Escape without a cancel button is Cancel", noButtons, press(Qt::Key_Escape), msg_Cancel },
        { "Escape is what the layout says", escapeStops, press(Qt::Key_Escape), FourCC("Stop") },
        { "Escape can mean nothing", escapeIgnored, press(Qt::Key_Escape), 0 },
    };
    for (const auto& each : cases) {
        auto* dialog = dynamic_cast<LDialogBox*>(LWindow::CreateWindow(Entry(each.layout), nullptr));
        ASSERT_NE(dialog, nullptr) << each.name;
        // A modal dialog window, without a menu bar.
        EXPECT_EQ(dialog->GetTopLevel()->menuWidget(), nullptr);
        EXPECT_EQ(dialog->GetTopLevel()->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(dialog->GetTopLevel()->windowType(), Qt::Dialog);
        each.act(dialog);
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog->DoDialog(), each.expected) << each.name;
        delete dialog;
    }
    // Document windows carry the menu bar.
    LWindow* window = LWindow::CreateWindow(Entry(kTableLayout), nullptr);
    EXPECT_NE(window->GetTopLevel()->menuWidget(), nullptr);
    EXPECT_EQ(window->GetTopLevel()->windowType(), Qt::Window);
}

TEST_F(Windows, TextViewsWrapAtTheirWidthAndAreReadOnlyUnlessTheLayoutSaysSo)
{
    LWindow* window = LWindow::CreateWindow(Entry(R"({
        "class": "wind", "size": [300, 200],
        "panes": [ { "class": "txtv", "id": "Wrap", "frame": [0, 0, 140, 90], "traits": 133, "bind": "lrb",
                     "text": "Anna Example, Bob Example, Carla Example, example.org and the users of the forum." },
                   { "class": "txtv", "id": "Line", "frame": [150, 0, 140, 90], "readOnly": false, "wrap": false } ]
    })"),
        nullptr);
    auto* wrapping = dynamic_cast<LTextEditView*>(window->FindPaneByID(FourCC("Wrap")));
    auto* editable = dynamic_cast<LTextEditView*>(window->FindPaneByID(FourCC("Line")));
    ASSERT_NE(wrapping, nullptr);
    ASSERT_NE(editable, nullptr);
    EXPECT_EQ(wrapping->GetDescriptor().substr(0, 13), "Anna Example,");
    EXPECT_TRUE(wrapping->IsReadOnly());
    EXPECT_FALSE(editable->IsReadOnly());
    editable->SetDescriptor(wrapping->GetDescriptor());
    EXPECT_EQ(editable->GetDescriptor(), wrapping->GetDescriptor());
    QCoreApplication::processEvents();

    // The lowest inked row of the text: the wrapped text runs over several lines, the other stays on its
    // first (and scrolls sideways).
    auto lowestInk = [](LPane* pane) {
        QImage image = static_cast<QAbstractScrollArea*>(pane->GetWidget())->viewport()->grab().toImage();
        int lowest = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 96)
                    lowest = y;
        return lowest;
    };
    int lineHeight = QFontMetrics(wrapping->GetWidget()->font()).lineSpacing();
    EXPECT_GT(lowestInk(wrapping), 2 * lineHeight);
    EXPECT_GT(lowestInk(editable), 0);
    EXPECT_LT(lowestInk(editable), lineHeight + 2);
}

TEST(ScreenPlacement, WindowsComeOntoTheScreenTheyOverlapMost)
{
    // A 1920 x 1080 screen with a 40-pixel panel at the bottom, and a 1280 x 1024 one to its right.
    const std::vector<Rect> screens { { 0, 0, 1040, 1920 }, { 0, 1920, 1024, 3200 } };
    const struct {
        const char* what;
        Rect window;
        Rect placed;
    } cases[] = {
        { "on the screen: stays", { 100, 100, 500, 700 }, { 100, 100, 500, 700 } },
        { "past the right edge", { 100, 1500, 500, 2000 }, { 100, 1420, 500, 1920 } },
        { "into the panel", { 900, 100, 1100, 700 }, { 840, 100, 1040, 700 } },
        { "above and left of the screen", { -50, -80, 350, 520 }, { 0, 0, 400, 600 } },
        { "mostly on the second screen", { 100, 1800, 500, 2400 }, { 100, 1920, 500, 2520 } },
        { "on a monitor that is gone", { 2000, 5000, 2400, 5600 }, { 640, 1320, 1040, 1920 } },
        { "taller than the screen: its top stays on it", { 500, 100, 1700, 700 }, { 0, 100, 1200, 700 } },
    };
    for (const auto& row : cases)
        EXPECT_EQ(UScreenPlacement::PlaceOnScreen(row.window, screens), row.placed) << row.what;
    EXPECT_EQ(UScreenPlacement::PlaceOnScreen(cases[1].window, {}), cases[1].window) << "no screen known";
}

// On the test platform's one small screen: ten new windows in a row, and one recorded on a monitor that is
// gone, each appears whole on the screen, title bar included.
TEST_F(Windows, NewAndRestoredWindowsAppearOnTheScreen)
{
    std::vector<Rect> areas = UScreenPlacement::AvailableScreenAreas();
    ASSERT_FALSE(areas.empty());
    const Rect& screen = areas.front();
    auto expectOnScreen = [&](LWindow* window, const std::string& what) {
        Rect bounds;
        window->GetGlobalBounds(bounds);
        int top = window->GetTopLevel()->geometry().top();
        EXPECT_GE(top - 30, screen.top) << what;
        EXPECT_GE(bounds.left, screen.left) << what;
        EXPECT_LE(bounds.bottom, screen.bottom) << what;
        EXPECT_LE(bounds.right, screen.right) << what;
    };
    const char* layout = R"({ "class": "wind", "size": [500, 300], "position": [200, 150], "showOnCreate": false })";
    for (int n = 1; n <= 10; ++n) {
        LWindow* window = LWindow::CreateWindow(Entry(layout), nullptr);
        window->Select();
        expectOnScreen(window, "new window " + std::to_string(n));
    }
    LWindow* restored = LWindow::CreateWindow(Entry(layout), nullptr);
    restored->MoveWindowTo(3000, 2000);
    restored->Show();
    expectOnScreen(restored, "restored window");
}

// A text too wide for its pane ends in "…" instead of being cut in the middle of a letter; the whole text
// stays the pane's descriptor and its tool tip, and a wider pane shows more of it.
TEST(StaticText, TextsTooWideForThePaneEndInAnEllipsis)
{
    SPaneInfo frame;
    frame.width = 80;
    frame.height = 15;
    LStaticText text(frame, "", 1293);
    QFontMetrics metrics(text.GetWidget()->font());
    const struct {
        const char* text;
        int16_t width;
        bool whole;
    } cases[] = {
        { "CPU", 80, true },
        { "nct6798 PCH_CHIP_CPU_MAX_TEMP", 80, false },
        { "nct6798 PCH_CHIP_CPU_MAX_TEMP", 400, true },
        { "amdgpu junction \u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0", 90, false },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.text);
        text.ResizeFrameTo(row.width, 15, false);
        text.SetDescriptor(row.text);
        QString shown = QString::fromStdString(text.GetShownText());
        EXPECT_EQ(text.GetDescriptor(), row.text);
        EXPECT_LE(metrics.horizontalAdvance(shown), row.width);
        if (row.whole) {
            EXPECT_EQ(shown.toStdString(), row.text);
            EXPECT_TRUE(text.GetWidget()->toolTip().isEmpty());
        } else {
            ASSERT_TRUE(shown.endsWith(QChar(0x2026)));
            EXPECT_TRUE(QString::fromUtf8(row.text).startsWith(shown.chopped(1)));
            EXPECT_EQ(text.GetWidget()->toolTip().toStdString(), row.text);
        }
    }
}

// A long image is reached with the wheel (which way it turns, a touchpad's swipe too) and the keys: Home and
// End to its ends, Page Up and Down by what the scroller shows, the arrows by a step.
TEST_F(Windows, TheWheelAndTheKeysScrollTheImage)
{
    LWindow* window = LWindow::CreateWindow(Entry(kTableLayout), nullptr);
    auto* scroller = dynamic_cast<LScroller*>(window->FindPaneByID(FourCC("Scrl")));
    scroller->GetScrolledView()->ResizeImageTo(3000, scroller->GetScrolledView()->GetHeight(), false);
    window->Show();
    QCoreApplication::processEvents();
    const int32_t end = scroller->GetScrollRange();
    const int32_t page = scroller->GetWidth();
    ASSERT_EQ(end, 3000 - page);
    QWidget* area = scroller->GetWidget();
    auto key = [&](int code) {
        QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
        QCoreApplication::sendEvent(area, &event);
        return scroller->GetScrollPosition();
    };
    auto wheel = [&](QPoint pixels, QPoint angle) {
        QWheelEvent event(
            QPointF(10, 10), QPointF(10, 10), pixels, angle, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        // To the scroller's viewport, where the image passes the desktop's wheel events on.
        QCoreApplication::sendEvent(scroller->GetContentWidget(), &event);
        return scroller->GetScrollPosition();
    };
    EXPECT_EQ(key(Qt::Key_End), end);
    EXPECT_EQ(key(Qt::Key_Home), 0);
    EXPECT_EQ(key(Qt::Key_PageDown), page);
    EXPECT_EQ(key(Qt::Key_Right), page + 20);
    EXPECT_EQ(key(Qt::Key_Up), page);
    EXPECT_EQ(key(Qt::Key_PageUp), 0);
    EXPECT_EQ(key(Qt::Key_Down), 20);
    EXPECT_EQ(key(Qt::Key_Left), 0);
    EXPECT_EQ(wheel({}, { 0, -120 }), 60) << "turned towards the user: on along the image";
    EXPECT_EQ(wheel({}, { 0, 120 }), 0);
    EXPECT_EQ(wheel({ -45, 0 }, { -90, 0 }), 45) << "a touchpad's swipe, by its pixels";
}
