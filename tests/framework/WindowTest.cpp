#include "framework/LDialogBox.h"
#include "framework/LException.h"
#include "framework/LScroller.h"
#include "framework/LStaticText.h"
#include "framework/LTextEditView.h"
#include "framework/LWindow.h"
#include "framework/UColorContrast.h"
#include "framework/URegistrar.h"
#include "framework/UScreenPlacement.h"
#include "framework/UWindowSystem.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QMainWindow>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

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
    LWindow* Table() { return LWindow::CreateWindow(Entry(kTableLayout), &commands); }

    struct Application : LCommander {
        bool ObeyCommand(CommandT command, void*) override
        {
            if (command == FourCC("boom"))
                Throw_(err_NilPointer);
            return command == FourCC("RawD") && ++obeyed;
        }
        int obeyed = 0;
    } commands;
};

}

// Panes are made by class and found by ID; a command climbs from the window to the application, and one that
// throws stops at the boundary, reported; unknown classes and layouts fail loudly.
TEST_F(Windows, PanesAreMadeByClassCommandsClimbAndUnknownClassesFailLoudly)
{
    LWindow* window = Table();
    EXPECT_FALSE(window->GetTopLevel()->isVisible()); // the layout keeps it hidden
    auto* header = dynamic_cast<LStaticText*>(window->FindPaneByID(FourCC("Na00")));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetDescriptor(), "Sensor");
    EXPECT_TRUE(header->GetTextTraits().bold);
    EXPECT_EQ(window->FindPaneByID(FourCC("Na04")), nullptr);

    // Rows beyond the layout's are made when asked for, a step lower each; past 99 the tens take a letter.
    for (auto [row, id] : std::initializer_list<std::pair<int16_t, const char*>> { { 3, "Na03" }, { 4, "Na04" },
             { 99, "Na99" }, { 100, "NaA0" }, { 359, "NaZ9" }, { 360, "Naa0" }, { 619, "Naz9" } }) {
        SCOPED_TRACE(id);
        window->MakeRowPanes(row);
        LPane* made = window->FindPaneByID(FourCCFromText(id));
        ASSERT_NE(dynamic_cast<LStaticText*>(made), nullptr);
        Rect frame;
        made->CalcPortFrameRect(frame);
        EXPECT_EQ(frame, (Rect { int16_t(33 + 15 * row), 4, int16_t(48 + 15 * row), 104 }));
        EXPECT_FALSE(made->IsVisible());
    }
    // A pane inside a scroller: its port frame counts the scroller's place.
    Rect frame;
    window->FindPaneByID(FourCC("Imag"))->CalcPortFrameRect(frame);
    EXPECT_EQ(frame.top, 60);

    LCommander::SetTarget(window);
    EXPECT_TRUE(LCommander::ProcessCommand(FourCC("RawD")));
    EXPECT_EQ(commands.obeyed, 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LCommander::ProcessCommand(FourCC("boom")));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("'nilP'"), std::string::npos);
    LCommander::ProcessCommand(cmd_Close);
    QCoreApplication::processEvents();
    EXPECT_TRUE(LWindow::GetWindowList().empty());
    LCommander::SetTarget(nullptr);

    const std::function<void()> builds[] = {
        [] { LWindow::CreateWindow(Entry(R"({"class": "wind", "panes": [{"class": "Nope"}]})"), nullptr); },
        [] { LWindow::CreateWindow(Entry(R"({"class": "stxt"})"), nullptr); },
        [] { LWindow::CreateWindow(9999, nullptr); },
    };
    for (const auto& build : builds) {
        try {
            build();
            ADD_FAILURE() << "built";
        } catch (const LException& e) {
            EXPECT_EQ(e.GetErrorCode(), err_NilPointer);
        }
    }
}

TEST_F(Windows, BoundsComeFromTheLayoutBoundPanesFollowTheUserAndTheImageScrolls)
{
    LWindow* window = Table();
    window->Show();
    auto* scroller = dynamic_cast<LScroller*>(window->FindPaneByID(FourCC("Scrl")));
    Rect bounds;
    window->GetGlobalBounds(bounds);
    EXPECT_EQ(bounds, (Rect { 150, 200, 270, 500 }));
    window->ResizeWindowTo(400, 200);
    QCoreApplication::processEvents();
    // The user widens it: "ltr" stretches across, "ltrb" both ways, unbound panes stay.
    window->GetTopLevel()->resize(window->GetTopLevel()->width() + 50, window->GetTopLevel()->height());
    QCoreApplication::processEvents();
    EXPECT_EQ(window->GetWidth(), 450);
    EXPECT_EQ(window->FindPaneByID(FourCC("Strp"))->GetWidth(), 336);
    EXPECT_EQ(scroller->GetWidth(), 450);
    EXPECT_EQ(scroller->GetHeight(), 140);
    EXPECT_EQ(scroller->GetScrolledView()->GetWidth(), 450);
    EXPECT_EQ(window->FindPaneByID(FourCC("Na00"))->GetWidth(), 100);
    // A scrolled image larger than its frame makes the widget as large as the image.
    scroller->GetScrolledView()->ResizeImageTo(3000, scroller->GetScrolledView()->GetHeight(), false);
    EXPECT_EQ(scroller->GetScrolledView()->GetWidget()->width(), 3000);

    // It is reached with the wheel (a touchpad's swipe too) and the keys: Home and End to its ends, Page Up and
    // Down by what the scroller shows, the arrows by a step.
    QCoreApplication::processEvents();
    const int32_t end = scroller->GetScrollRange();
    const int32_t page = scroller->GetWidth();
    ASSERT_EQ(end, 3000 - page);
    const std::pair<int, int32_t> keys[]
        = { { Qt::Key_End, end }, { Qt::Key_Home, 0 }, { Qt::Key_PageDown, page }, { Qt::Key_Right, page + 20 },
              { Qt::Key_Up, page }, { Qt::Key_PageUp, 0 }, { Qt::Key_Down, 20 }, { Qt::Key_Left, 0 } };
    for (auto [code, position] : keys) {
        QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
        QCoreApplication::sendEvent(scroller->GetWidget(), &event);
        EXPECT_EQ(scroller->GetScrollPosition(), position) << "key " << code;
    }
    // To the scroller's viewport, where the image passes the desktop's wheel events on.
    auto wheel = [&](QPoint pixels, QPoint angle) {
        QWheelEvent event(
            QPointF(10, 10), QPointF(10, 10), pixels, angle, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(scroller->GetContentWidget(), &event);
        return scroller->GetScrollPosition();
    };
    EXPECT_EQ(wheel({}, { 0, -120 }), 60) << "turned towards the user: on along the image";
    EXPECT_EQ(wheel({}, { 0, 120 }), 0);
    EXPECT_EQ(wheel({ -45, 0 }, { -120, 0 }), 45) << "a touchpad's swipe, by its pixels";
}

// Clicks, Return, Escape and closing are seen on the preferences dialog; here the keys that dialog lacks.
TEST_F(Windows, DialogKeysFollowTheButtonsAndTheLayout)
{
    const char* buttons = R"({
        "class": "dlog", "size": [200, 80],
        "panes": [ { "class": "push", "id": "okay", "frame": [110, 40, 80, 24], "title": "OK", "message": 900,
                     "default": true },
                   { "class": "push", "id": "cncl", "frame": [20, 40, 80, 24], "title": "Cancel", "message": 901 },
                   { "class": "chbx", "id": "Chek", "frame": [20, 10, 80, 24], "title": "Check" } ]
    })";
    const char* none = R"({ "class": "dlog", "size": [200, 80] })";
    const struct {
        const char* name;
        const char* layout;
        int key;
        MessageT expected;
    } cases[] = {
        { "Enter clicks the default button", buttons, Qt::Key_Enter, msg_OK },
        { "another key does nothing", buttons, Qt::Key_A, 0 },
        { "Escape without a cancel button is Cancel", none, Qt::Key_Escape, msg_Cancel },
        { "Escape is what the layout says", R"({ "class": "dlog", "escapeMessage": "Stop" })", Qt::Key_Escape,
            FourCC("Stop") },
        { "Escape can mean nothing", R"({ "class": "dlog", "escapeMessage": 0 })", Qt::Key_Escape, 0 },
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        auto* dialog = dynamic_cast<LDialogBox*>(LWindow::CreateWindow(Entry(each.layout), nullptr));
        ASSERT_NE(dialog, nullptr);
        // From the focused control, which passes the key on, or to the window itself.
        LPane* focused = dialog->FindPaneByID(FourCC("Chek"));
        QKeyEvent event(QEvent::KeyPress, each.key, Qt::NoModifier);
        QCoreApplication::sendEvent(focused != nullptr ? focused->GetWidget() : dialog->GetTopLevel(), &event);
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog->DoDialog(), each.expected);
        delete dialog;
    }
    // A modal dialog window without a menu bar; document windows carry one.
    QMainWindow* dialog = LWindow::CreateWindow(Entry(none), nullptr)->GetTopLevel();
    EXPECT_EQ(dialog->menuWidget(), nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(dialog->windowType(), Qt::Dialog);
    EXPECT_NE(Table()->GetTopLevel()->menuWidget(), nullptr);
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
    EXPECT_TRUE(wrapping->IsReadOnly());
    EXPECT_FALSE(editable->IsReadOnly());
    editable->SetDescriptor(wrapping->GetDescriptor());
    QCoreApplication::processEvents();
    // The lowest inked row: the wrapped text runs over several lines, the other stays on its first.
    auto lowestInk = [](LPane* pane) {
        QImage image = static_cast<QAbstractScrollArea*>(pane->GetWidget())->viewport()->grab().toImage();
        int lowest = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                lowest = qGray(image.pixel(x, y)) < 96 ? y : lowest;
        return lowest;
    };
    int lineHeight = QFontMetrics(wrapping->GetWidget()->font()).lineSpacing();
    EXPECT_GT(lowestInk(wrapping), 2 * lineHeight);
    EXPECT_GT(lowestInk(editable), 0);
    EXPECT_LT(lowestInk(editable), lineHeight + 2);
}

// Windows come onto the screen they overlap most. Ten new windows in a row, and one moved far off, each appear
// whole on the screen, title bar included. A Wayland compositor places windows itself: a place given (one
// recorded on X11) is neither applied nor changed, and comes back as the window's own, also after the user
// resized it; sizes apply as anywhere.
TEST_F(Windows, NewAndRestoredWindowsComeOntoTheScreenUnlessWaylandPlacesThem)
{
    // A 1920 x 1080 screen with a 40-pixel panel at the bottom, and a 1280 x 1024 one to its right.
    const std::vector<Rect> screens { { 0, 0, 1040, 1920 }, { 0, 1920, 1024, 3200 } };
    const struct {
        const char* what;
        Rect window, placed;
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

    std::vector<Rect> areas = UScreenPlacement::AvailableScreenAreas();
    ASSERT_FALSE(areas.empty());
    const Rect& screen = areas.front();
    for (int n = 1; n <= 11; ++n) {
        SCOPED_TRACE(n);
        LWindow* window = LWindow::CreateWindow(
            Entry(R"({ "class": "wind", "size": [500, 300], "position": [200, 150], "showOnCreate": false })"),
            nullptr);
        if (n == 11)
            window->MoveWindowTo(3000, 2000);
        window->Select();
        Rect bounds;
        window->GetGlobalBounds(bounds);
        EXPECT_GE(window->GetTopLevel()->geometry().top() - 30, screen.top);
        EXPECT_TRUE(bounds.left >= screen.left && bounds.bottom <= screen.bottom && bounds.right <= screen.right);
    }

    UWindowSystem::SetWaylandForTesting(true);
    LWindow* window = Table();
    window->MoveWindowTo(3000, 2000);
    window->ResizeWindowTo(400, 200);
    window->Select();
    window->GetTopLevel()->resize(window->GetTopLevel()->width() + 30, window->GetTopLevel()->height());
    QCoreApplication::processEvents();
    Rect bounds;
    window->GetGlobalBounds(bounds);
    UWindowSystem::SetWaylandForTesting(std::nullopt);
    EXPECT_LT(window->GetTopLevel()->geometry().left(), 1000) << "the place was not applied";
    EXPECT_EQ(bounds, (Rect { 2000, 3000, 2200, 3430 }));
}

// A text too wide for its pane ends in "…", not cut mid-letter; the whole text stays its descriptor and tool tip.
// Text without a colour of its own takes the palette's, light or dark, also when the palette changes while it is
// shown; a fixed colour (a change's, a sensor's in a legend) that would not stand out from the window is lightened
// on a dark one and left as it is where it does.
TEST(StaticText, TooWideEndsInAnEllipsisAndColoursStayLegible)
{
    SPaneInfo frame;
    frame.width = 120;
    frame.height = 20;
    LStaticText text(frame, "", 1293);
    QFontMetrics metrics(text.GetWidget()->font());
    const std::tuple<const char*, int16_t, bool> cases[] = {
        { "CPU", 80, true },
        { "nct6798 PCH_CHIP_CPU_MAX_TEMP", 80, false },
        { "nct6798 PCH_CHIP_CPU_MAX_TEMP", 400, true },
        { "amdgpu junction \u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0\u00B0", 90, false },
    };
    for (const auto& [whole, width, fits] : cases) {
        SCOPED_TRACE(whole);
        text.ResizeFrameTo(width, 15, false);
        text.SetDescriptor(whole);
        QString shown = QString::fromStdString(text.GetShownText());
        EXPECT_EQ(text.GetDescriptor(), whole);
        EXPECT_LE(metrics.horizontalAdvance(shown), width);
        EXPECT_EQ(text.GetWidget()->toolTip().toStdString(), fits ? "" : whole);
        if (fits)
            EXPECT_EQ(shown.toStdString(), whole);
        else
            EXPECT_TRUE(shown.endsWith(QChar(0x2026)) && QString::fromUtf8(whole).startsWith(shown.chopped(1)));
    }

    const QPalette original = QApplication::palette();
    LStaticText plain(frame, "Welcome", 130);
    LStaticText change(frame, "-3", 136); // a bold dark blue
    LStaticText legend(frame, "nct6799 AUXTIN3");
    legend.SetForeColor(RGBColor { 0, 0, 32767 }); // navy
    // The pixel of the text that stands out most from the window.
    auto ink = [](LStaticText& text) {
        QImage image = text.GetWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        RGBColor window = UColorContrast::FromQColor(text.GetWidget()->palette().color(QPalette::Window));
        RGBColor best = window;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                RGBColor pixel = UColorContrast::FromQColor(QColor(image.pixel(x, y)));
                if (UColorContrast::ContrastRatio(pixel, window) > UColorContrast::ContrastRatio(best, window))
                    best = pixel;
            }
        }
        return std::pair { best, UColorContrast::ContrastRatio(best, window) };
    };
    for (bool dark : { false, true }) {
        SCOPED_TRACE(dark ? "dark" : "light");
        QPalette palette = original;
        palette.setColor(QPalette::Window, dark ? QColor(0x22, 0x20, 0x20) : QColor(0xef, 0xef, 0xef));
        palette.setColor(QPalette::WindowText, dark ? QColor(0xf0, 0xf0, 0xf0) : QColor(0x10, 0x10, 0x10));
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
        EXPECT_EQ(ink(plain).first, UColorContrast::FromQColor(palette.color(QPalette::WindowText)));
        for (LStaticText* fixed : { &change, &legend }) {
            auto [colour, contrast] = ink(*fixed);
            EXPECT_GE(contrast, 3.0) << fixed->GetDescriptor();
            EXPECT_EQ(
                UColorContrast::ToQColor(colour).rgb() == UColorContrast::ToQColor(fixed->GetForeColor()).rgb(), !dark)
                << fixed->GetDescriptor();
        }
    }
    QApplication::setPalette(original);
}
