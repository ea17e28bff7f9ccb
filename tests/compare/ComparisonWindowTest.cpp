// The comparison window: the model it opens on, its menu of every entry, and the pixels its view draws.
#include "compare/ComparisonWindow.h"
#include "compare/ComparisonMaster.h"
#include "compare/ComparisonSensor.h"
#include "compare/ComparisonSystem.h"
#include "compare/ComparisonWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LBevelButtonWidget.h"
#include "framework/LException.h"
#include "framework/LScroller.h"
#include "framework/QDPort.h"
#include "framework/URegistrar.h"
#include "tests/support/FixturePlatform.h"

#include <QAction>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

// A column whose graph starts at L has its frame from L + 30 to L + 30 + N x 14 and from y 20 to H - 20, its
// data point k at x L + 37 + (k - 1) x 14, and plots the model's range widened by a degree at each end over
// the rows from H - 20 (lowest) up to 23 (highest).

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
// The plot on the palette's base colour, white, with grid lines a fifth of the way to its black text.
const QRgb kFill = qRgb(255, 255, 255);
const QRgb kGrey = qRgb(204, 204, 204);
const QRgb kBlue = QColor::fromRgba64(0, 16384, 32767).rgb();
const QRgb kGreen = QColor::fromRgba64(16384, 32767, 0).rgb();

// Sensor "A": (10, 60) a tall bar, (30, 31) a short one, (50, 40) a maximum below its minimum; sensor "B":
// (20, 40). Whole degrees Celsius, written in Fahrenheit. The model's scale runs from 9 to 61.
const std::vector<const char*> kTokens { "Test Model", "Test1,1", "1000.0", "A", "50.0", "86.0", "122.0", "DATAEND",
    "140.0", "88.0", "104.0", "DATAEND", "B", "68.0", "DATAEND", "104.0", "DATAEND", "SENSOREND", "Ann", "END" };

int32_t TextWidth(const std::string& text, uint8_t face = QDPort::face_Normal)
{
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    QDPort port(painter);
    port.TextSize(9);
    port.TextFace(face);
    return port.StringWidth(text);
}

class ComparisonWindowTest : public ::testing::Test {
protected:
    ComparisonWindowTest()
    {
        URegistrar::RegisterFrameworkClasses();
        URegistrar::RegisterClass<ComparisonWindow>(FourCC("Comp"));
        URegistrar::RegisterClass<ComparisonWindowView>(FourCC("CViw"));
    }
    ~ComparisonWindowTest() override { LWindow::DeleteAllWindows(); }

    static ComparisonWindow* NewWindow()
    {
        auto* window = dynamic_cast<ComparisonWindow*>(LWindow::CreateWindow(133, nullptr));
        EXPECT_NE(window, nullptr);
        return window;
    }

    static std::string Shown(ComparisonWindow* window)
    {
        char name[ComparisonSystem::kNameSize] = "none";
        if (ComparisonSystem* system = window->GetView()->GetSystem())
            system->GetSystemName(name);
        return name;
    }

    QImage Render(ComparisonSystem* system, int height)
    {
        QJsonObject entry { { "class", "CViw" }, { "id", "Cviw" }, { "frame", QJsonArray { 0, 0, 300, height } } };
        view = std::make_unique<ComparisonWindowView>(LPaneEntry(entry));
        view->SetSystem(system);
        return Draw([&] { view->Draw(*painter); });
    }

    // An image of the view's size with what draw paints on white.
    template <typename Drawing> QImage Draw(Drawing draw)
    {
        QImage image(std::max(1, view->GetImageWidth()), view->GetImageHeight(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter imagePainter(&image);
        painter = &imagePainter;
        draw();
        painter = nullptr;
        return image;
    }

    // The text drawn alone, starting at left on baseline, matches the image over its box, and inks it.
    static void ExpectText(
        const QImage& image, const std::string& text, int left, int baseline, uint8_t face = QDPort::face_Normal)
    {
        QImage alone(image.size(), image.format());
        alone.fill(Qt::white);
        QPainter painter(&alone);
        QDPort port(painter);
        port.TextSize(9);
        port.TextFace(face);
        port.MoveTo(left, baseline);
        port.DrawString(text);
        bool inked = false;
        for (int y = baseline - 9; y <= baseline + 2; ++y) {
            for (int x = left; x < left + port.StringWidth(text); ++x) {
                ASSERT_EQ(image.pixel(x, y), alone.pixel(x, y)) << text << " at " << x << "," << y;
                inked |= alone.pixel(x, y) != kWhite;
            }
        }
        EXPECT_TRUE(inked) << text;
    }

    FixturePlatform platform { "PowerMac7,3" };
    ComparisonSystem system { kTokens.data() };
    std::unique_ptr<ComparisonWindowView> view;
    QPainter* painter = nullptr;
};

}

TEST_F(ComparisonWindowTest, OpensOnTheLastModelWithThisMachinesIdentifier)
{
    const std::tuple<const char*, int16_t, const char*> cases[] = {
        { "PowerMac7,2", 51, "Power Mac G5, Dual 2.0GHz" },
        { "PowerMac7,3", 55, "Power Mac G5, Dual 2.7GHz" },
        { "MacPro1,1", 66, "Mac Pro Quad 3.0GHz" },
        { "", 1, "iBook G3, 300MHz" },
    };
    for (auto [model, item, shown] : cases) {
        SCOPED_TRACE(model);
        FixturePlatform machine(model);
        ComparisonWindow* window = NewWindow();
        EXPECT_EQ(window->GetSystemPopup()->GetCurrentMenuItem(), item);
        EXPECT_EQ(Shown(window), shown);
        EXPECT_EQ(window->GetSystemPopup()->GetButtonWidget()->text().toStdString(), shown);
        EXPECT_EQ(window->GetCreditsText()->GetDescriptor(), item == 66 ? "" : "Kelvara reference data.");
        delete window;
    }
}

TEST_F(ComparisonWindowTest, TheMenuListsEveryEntryAndAChoiceRedrawsAtOnce)
{
    ComparisonWindow* window = NewWindow();
    ComparisonWindow* other = NewWindow();
    LBevelButton* popup = window->GetSystemPopup();

    QList<QAction*> actions = popup->GetButtonWidget()->menu()->actions();
    ASSERT_EQ(actions.size(), 66);

    // A choice shows that model at once, from its first column, in this window only. Names are literal:
    // parentheses and commas mean nothing.
    auto* scroller = dynamic_cast<LScroller*>(window->GetView()->GetSuperView());
    ASSERT_NE(scroller, nullptr);
    popup->UserChoseItem(51);
    QCoreApplication::processEvents();
    scroller->ScrollImageTo(9000);
    EXPECT_EQ(scroller->GetImageOriginH(), -9000);
    actions[47]->trigger();
    EXPECT_EQ(Shown(window), "Power Mac G5, 1.8GHz (OCT 2004)");
    EXPECT_EQ(window->GetCreditsText()->GetDescriptor(), "");
    EXPECT_EQ(scroller->GetImageOriginH(), 0);
    EXPECT_EQ(Shown(other), "Power Mac G5, Dual 2.7GHz");

    // Dividers cannot be chosen.
    popup->UserChoseItem(45);
    EXPECT_EQ(popup->GetCurrentMenuItem(), 48);
    EXPECT_EQ(Shown(window), "Power Mac G5, 1.8GHz (OCT 2004)");
}

TEST_F(ComparisonWindowTest, TheImageHeightFollowsTheWindow)
{
    ComparisonWindow* window = NewWindow();
    ComparisonWindowView* shown = window->GetView();
    for (int16_t height : { 500, 300, 440 }) {
        window->ResizeWindowTo(700, height);
        QCoreApplication::processEvents();
        EXPECT_EQ(shown->GetImageHeight(), shown->GetHeight()) << height;
        // The credits keep their place above the window's bottom edge.
        Rect credits;
        window->GetCreditsText()->CalcPortFrameRect(credits);
        EXPECT_EQ(credits.top, height - 440 + 377) << height;
    }
    EXPECT_GT(shown->GetHeight(), 150) << "the window opens tall enough for the grid";
}

TEST_F(ComparisonWindowTest, ALayoutWithoutOneOfItsPanesFailsToOpen)
{
    const char* layout = R"({ "class": "Comp", "title": "Broken", "panes": [
        { "class": "bevl", "id": "Syst", "frame": [0, 0, 100, 20], "menu": "single" },
        { "class": "CViw", "id": "Cviw", "frame": [0, 20, 100, 100] } ] })";
    try {
        LWindow::CreateWindow(LPaneEntry(QJsonDocument::fromJson(layout).object()), nullptr);
        ADD_FAILURE() << "no exception";
    } catch (const LException& failure) {
        EXPECT_EQ(failure.GetErrorCode(), err_NilPointer);
    }
    EXPECT_TRUE(LWindow::GetWindowList().empty());
}

TEST_F(ComparisonWindowTest, FramesGridAndLabelsFollowTheHeight)
{
    // Labels in the default scale, Fahrenheit: 9 C is 48 F and 61 C 141 F; the quarters of 93 degrees.
    for (int height : { 150, 151 }) {
        SCOPED_TRACE(height);
        QImage image = Render(&system, height);
        const int bottom = height - 20;
        // The grid across the frame of "A" (3 points, graph 82 wide, at x 0), ending at its right edge.
        const int h = bottom - 20;
        for (int y : { 20 + h / 4, 20 + h / 2, 20 + h * 75 / 100 }) {
            EXPECT_EQ(image.pixel(31, y), height > 150 ? kGrey : kFill) << y;
            EXPECT_EQ(image.pixel(71, y), kBlack) << y;
        }
        ExpectText(image, "141\302\260F", 30 - TextWidth("141\302\260F"), 29);
        ExpectText(image, "48\302\260F", 30 - TextWidth("48\302\260F"), height - 22);
        if (height > 150) {
            ExpectText(image, "117\302\260F", 30 - TextWidth("117\302\260F"), (height - 40) / 4 + 25);
            ExpectText(image, "94\302\260F", 30 - TextWidth("94\302\260F"), (height - 40) / 2 + 25);
            ExpectText(image, "71\302\260F", 30 - TextWidth("71\302\260F"), (height - 40) * 75 / 100 + 25);
        } else {
            for (int y = 32; y < bottom - 12; ++y)
                for (int x = 0; x < 30; ++x)
                    ASSERT_EQ(image.pixel(x, y), kWhite) << x << "," << y;
        }
    }
}

TEST_F(ComparisonWindowTest, MeasurementsAreBarsOrSquaresWithNumberedTicks)
{
    QImage image = Render(&system, 151);
    // Plot height 108 over the range 52: (10, 60) lies 1 and 105 pixels above the bottom (131).
    const std::tuple<const char*, int, int, QRgb> pixels[] = {
        { "stem", 37, 80, kBlack },
        { "lower triangle's tip", 37, 126, kBlue },
        { "lower triangle's base", 33, 130, kBlue },
        { "upper triangle's tip", 37, 30, kGreen },
        { "upper triangle's base", 41, 26, kGreen },
        { "no stem beyond the tips", 37, 24, kFill },
        // (30, 31): 43 and 45 pixels up, too close: a 6x6 square at the minimum, x 48..53, y 85..90.
        { "square's corner", 48, 85, kGreen },
        { "square's corner", 53, 90, kGreen },
        { "square's inside", 50, 87, kFill },
        { "no stem above a square", 51, 70, kFill },
        // (50, 40): maximum below the minimum: the square at the minimum, 84 up: x 62..67, y 44..49.
        { "inverted square's corner", 62, 44, kGreen },
        // Ticks under every point, numbers under odd ones only.
        { "tick 2", 51, 133, kBlack },
        { "tick 3", 65, 133, kBlack },
        // The divider after "A" (82 wide) at 82 + 10, from 5 to H - 5.
        { "divider's top", 92, 5, kGrey },
        { "divider's bottom", 92, 146, kGrey },
        { "above the divider", 92, 4, kWhite },
        { "below the divider", 92, 147, kWhite },
        // "B" starts at 102: its frame at 132..146 and one bar (20, 40): 22 and 63 pixels up.
        { "B's frame", 132, 20, kBlack },
        { "B's lower tip", 139, 131 - 22 - 4, kBlue },
        { "B's upper tip", 139, 131 - 63 + 4, kGreen },
    };
    for (auto [what, x, y, colour] : pixels)
        EXPECT_EQ(image.pixel(x, y), colour) << what << " at " << x << "," << y;
    ExpectText(image, "1", 37 - TextWidth("1") / 2, 146);
    ExpectText(image, "3", 65 - TextWidth("3") / 2, 146);
    for (int y = 137; y < 149; ++y)
        for (int x = 47; x < 56; ++x)
            ASSERT_EQ(image.pixel(x, y), kWhite) << "no number 2, at " << x << "," << y;
    ExpectText(image, "A", (82 - TextWidth("A", QDPort::face_Bold)) / 2, 14, QDPort::face_Bold);
    ExpectText(image, "B", 102 + (54 - TextWidth("B", QDPort::face_Bold)) / 2, 14, QDPort::face_Bold);
}

TEST_F(ComparisonWindowTest, TheImageIsAsWideAsTheColumnsAndDividers)
{
    ComparisonSystemArray* entries = ComparisonMaster::Get()->GetSystemArray();
    auto widthOfEntry = [&](int16_t entry) {
        Render((*entries)[entry], 200);
        return view->GetImageWidth();
    };
    // One point per sensor: the bold names are wider than the 54-pixel graphs and set the width.
    int32_t quad = 10 * 20;
    for (const char* name : { "DRIVE BAY", "MLB INLET AMB", "BACKSIDE", "KODIAK DIODE", "TUNNEL", "TUNNEL HEATSINK",
             "gpu-diode", "CPU A0 DIODE TEMP", "CPU A1 DIODE TEMP", "CPU B0 DIODE TEMP", "CPU B1 DIODE TEMP" })
        quad += std::max(54, TextWidth(name, QDPort::face_Bold));
    EXPECT_EQ(widthOfEntry(56), quad);
    EXPECT_EQ(widthOfEntry(4), 0) << "a divider has no columns";
}

TEST_F(ComparisonWindowTest, SensorStatsAndTheSameSystemQuestion)
{
    Render(&system, 151);
    const ComparisonSensor* a = (*system.GetSensorArray())[1];
    QImage stats = Draw([&] {
        QDPort port(*painter);
        QDPort* previous = QDPort::SetPort(&port);
        view->DrawSensorStats(5, a);
        QDPort::SetPort(previous);
    });
    // "A" reads from 10 C (50 F) to 60 C (140 F).
    ExpectText(stats, "Max Temp: 140\302\260F", 5, 40);
    ExpectText(stats, "Min Temp: 50\302\260F", 5, 55);

    // This machine is a "PowerMac7,3": entries 52 and 55 are its model, whatever the speed; entry 51 is
    // not. A machine whose identifier cannot be read has the dividers' empty one, yet a divider has no speed.
    ComparisonSystemArray* entries = ComparisonMaster::Get()->GetSystemArray();
    const std::tuple<bool, int16_t, bool> cases[]
        = { { true, 55, true }, { true, 52, true }, { true, 51, false }, { false, 45, false }, { false, 55, false } };
    for (auto [readable, entry, same] : cases) {
        platform.Registry().SetIterable(readable);
        view->SetSystem((*entries)[entry]);
        EXPECT_EQ(view->WeAreTheSameSystem(), same) << entry;
    }
}

TEST_F(ComparisonWindowTest, AColumnWiderThanAWindowRepeatsItsName)
{
    // "Wide": 60 points, a graph 880 wide with its frame from 30 to 870; "Fits": 50 points, at 900.
    std::vector<const char*> tokens { "Wide Model", "Test1,1", "1000.0" };
    for (auto [name, points] : { std::pair { "Wide", 60 }, std::pair { "Fits", 50 } }) {
        tokens.push_back(name);
        for (int end = 0; end < 2; ++end) {
            tokens.insert(tokens.end(), points, end == 0 ? "80.0" : "120.0");
            tokens.push_back("DATAEND");
        }
    }
    tokens.insert(tokens.end(), { "SENSOREND", "END" });
    ComparisonSystem wide(tokens.data());
    QImage image = Render(&wide, 200);
    const int wideName = TextWidth("Wide", QDPort::face_Bold);
    ExpectText(image, "Wide", (880 - wideName) / 2, 14, QDPort::face_Bold);
    ExpectText(image, "Wide", 30, 14, QDPort::face_Bold);
    ExpectText(image, "Wide", 730, 14, QDPort::face_Bold);
    const int fitsLeft = 900 + (740 - TextWidth("Fits", QDPort::face_Bold)) / 2;
    ExpectText(image, "Fits", fitsLeft, 14, QDPort::face_Bold);
    for (int y = 4; y < 18; ++y)
        for (int x = 900; x < fitsLeft - 2; ++x)
            ASSERT_EQ(image.pixel(x, y), kWhite) << "a graph of 50 points names itself once, at " << x << "," << y;
}
