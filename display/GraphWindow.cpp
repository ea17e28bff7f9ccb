#include "display/GraphWindow.h"

#include "display/GraphWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LException.h"
#include "framework/LScroller.h"
#include "framework/LStaticText.h"
#include "framework/UResources.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "util/SensorColors.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>

#include <algorithm>
#include <string>

namespace {

constexpr ResIDT kStringsID = 201;
constexpr int16_t kUntitledStringIndex = 4;
constexpr int kSensorNameSize = 256;

std::string SensorName(TemperatureSensor* sensor)
{
    char name[kSensorNameSize] = "";
    sensor->GetSensorName(name, kSensorNameSize);
    return name;
}

}

GraphWindow::GraphWindow(const LPaneEntry& layout)
    : LWindow(layout)
{
    layout.GetPair("minSize", mMinimumWidth, mMinimumHeight);
}

GraphWindow::~GraphWindow() = default;

void GraphWindow::FinishCreateSelf()
{
    mGraphView = ThrowIfNil_(dynamic_cast<GraphWindowView*>(FindPaneByID(kGraphViewID)));
    mSensorPopup = ThrowIfNil_(dynamic_cast<LBevelButton*>(FindPaneByID(kSensorPopupID)));
    mModePopup = ThrowIfNil_(dynamic_cast<LBevelButton*>(FindPaneByID(kModePopupID)));
    mSensorPopup->AddListener(this);
    mModePopup->SetCurrentMenuItem(1);
    mModePopup->AddListener(this);
    mTimeScalePopup = ThrowIfNil_(dynamic_cast<LBevelButton*>(FindPaneByID(kTimeScalePopupID)));
    mTimeScalePopup->AddListener(this);
    mTimeScalePopup->GetWidget()->setToolTip(QStringLiteral("Time Scale (Ctrl++, Ctrl+-, Ctrl+0)"));
    mGraphView->AddListener(this);
    AddTimeScaleShortcuts();

    // A new graph window plots every sensor.
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i)
        mSensorPopup->AppendMenuItem(MakeStr255(SensorName(ThrowIfNil_((*sensors)[i]))));
    for (int16_t item = 1; item <= mSensorPopup->CountMenuItems(); ++item)
        mSensorPopup->SetMenuItemMark(item, checkMark);
    LabelSensorMenu(mSensorPopup, SensorMaster::Get()->GetSensorNames(), SensorMaster::Get()->GetShownNames());

    mGraphView->SetGraphMode(mModePopup->GetCurrentMenuItem());
    // A new window zooms in on a short history, and out again as the history grows, until the user chooses.
    mGraphView->SetAutomaticTimeScale(true);
    SetupGraph();
    ShowTimeScale();
    Preferences::Get()->AddListener(this);
    SensorMaster::Get()->AddListener(this);
    LWindow::FinishCreateSelf();
}

void GraphWindow::SetupGraph()
{
    mGraphView->ClearSensors();
    HideLegendText();
    SensorArray* sensors = ThrowIfNil_(SensorMaster::Get()->GetSensorArray());

    int32_t plotted = 0;
    std::string onlyName;
    for (int16_t item = 1; item <= mSensorPopup->CountMenuItems(); ++item) {
        if (mSensorPopup->GetMenuItemMark(item) != checkMark)
            continue;
        Str255 itemText;
        mSensorPopup->GetMenuItemText(item, itemText);
        std::string wanted = Str255ToString(itemText);
        for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i) {
            TemperatureSensor* sensor = ThrowIfNil_((*sensors)[i]);
            std::string name = SensorName(sensor);
            if (name != wanted)
                continue;
            mGraphView->AddSensor(sensor);
            ++plotted;
            onlyName = sensor->GetShownName();
            if (plotted <= LPaneEntry::kLastRowWithID)
                ShowLegendText(plotted, *sensor);
            break;
        }
    }

    SetDescriptor(plotted == 1 ? onlyName : UResources::GetIndString(kStringsID, kUntitledStringIndex));
    FitLegend(Preferences::Get()->GetDisplayLegend() ? plotted : 0);
    mGraphView->SetupSelf();
}

void GraphWindow::FitLegend(int32_t entries)
{
    auto* legend = dynamic_cast<LView*>(FindPaneByID(kLegendViewID));
    if (legend == nullptr)
        return;
    int32_t bottom = 0;
    if (entries > 0) {
        // As much room below the last entry as above the first.
        Rect first;
        Rect last;
        FindLegendPane(1)->CalcLocalFrameRect(first);
        FindLegendPane(std::min(entries, LPaneEntry::kLastRowWithID))->CalcLocalFrameRect(last);
        bottom = last.bottom + first.top;
    }
    legend->ResizeImageTo(legend->GetWidth(), std::max<int32_t>(legend->GetHeight(), bottom), true);
}

LStaticText* GraphWindow::FindLegendPane(int32_t entry)
{
    auto* pane = dynamic_cast<LStaticText*>(FindPaneByID(LPaneEntry::RowPaneID("Tx", entry)));
    if (pane == nullptr && entry > kLegendEntries) {
        MakeRowPanes(entry);
        pane = dynamic_cast<LStaticText*>(FindPaneByID(LPaneEntry::RowPaneID("Tx", entry)));
    }
    return ThrowIfNil_(pane);
}

void GraphWindow::HideLegendText()
{
    // The layout's twelve entries, and those made since.
    for (int32_t entry = 1; entry <= LPaneEntry::kLastRowWithID; ++entry) {
        auto* pane = dynamic_cast<LStaticText*>(FindPaneByID(LPaneEntry::RowPaneID("Tx", entry)));
        if (pane == nullptr && entry > kLegendEntries)
            break;
        ThrowIfNil_(pane)->Hide();
    }
}

void GraphWindow::ShowLegendText(int32_t entry, const TemperatureSensor& sensor)
{
    if (!Preferences::Get()->GetDisplayLegend())
        return;
    LStaticText* legend = FindLegendPane(entry);
    legend->SetDescriptor(sensor.GetShownName());
    // A renamed sensor's hardware name and its device; a plain name that fits needs no tool tip.
    std::string tip = sensor.GetNameToolTip();
    legend->SetToolTip(tip == sensor.GetShownName() ? std::string() : tip);
    legend->SetForeColor(GetSensorIndexColor(sensor.GetSensorIndex()));
    legend->Show();
}

void GraphWindow::AddTimeScaleShortcuts()
{
    const struct {
        QList<QKeySequence> keys;
        int direction;
    } steps[] = {
        // The keypad's keys match these too.
        { { QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal) }, 1 },
        { { QKeySequence(Qt::CTRL | Qt::Key_Minus) }, -1 },
        { { QKeySequence(Qt::CTRL | Qt::Key_0) }, 0 },
    };
    for (const auto& step : steps) {
        auto* action = new QAction(GetTopLevel());
        action->setShortcuts(step.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        GetTopLevel()->addAction(action);
        int direction = step.direction;
        QObject::connect(action, &QAction::triggered, GetTopLevel(), [this, direction] {
            LException::ReportAndDrop("changing the time scale", [this, direction] {
                ChangeTimeScale(
                    direction == 0 ? GraphWindowView::kTimeScales.front() : mGraphView->NextTimeScale(direction));
            });
        });
    }
}

void GraphWindow::ShowTimeScale()
{
    const auto& scales = GraphWindowView::kTimeScales;
    auto at = std::find(scales.begin(), scales.end(), mGraphView->GetTimeScale());
    if (at != scales.end())
        mTimeScalePopup->SetCurrentMenuItem(static_cast<int16_t>(at - scales.begin() + 1));
}

void GraphWindow::ChangeTimeScale(int32_t pixelsPerMinute)
{
    auto* scroller = dynamic_cast<LScroller*>(mGraphView->GetSuperView());
    int32_t position = scroller != nullptr ? scroller->GetScrollPosition() : 0;
    int32_t middle = (scroller != nullptr ? scroller->GetWidth() : mGraphView->GetWidth()) / 2;
    int64_t shown = mGraphView->SecondsAgoAtColumn(position + middle);
    mGraphView->SetTimeScale(pixelsPerMinute);
    ShowTimeScale();
    if (scroller != nullptr && position > 0)
        scroller->ScrollTo(std::max(0, mGraphView->ColumnOfSecondsAgo(shown) - middle));
    mGraphView->Refresh();
}

void GraphWindow::GetWindowPrefs(GraphWindowPrefs* prefs)
{
    ThrowIfNil_(prefs);
    Rect bounds;
    GetGlobalBounds(bounds);
    RecordPlaceAndSensors(bounds, mSensorPopup, *prefs);
    prefs->SetDisplayMenuItem(mModePopup->GetCurrentMenuItem());
    prefs->SetPixelsPerMinute(mGraphView->IsTimeScaleAutomatic() ? 0 : mGraphView->GetTimeScale());
}

void GraphWindow::SetWindowPrefs(GraphWindowPrefs* prefs)
{
    ThrowIfNil_(prefs);
    RestoreSensors(mSensorPopup, *prefs);
    mModePopup->SetCurrentMenuItem(prefs->GetDisplayMenuItem());
    mGraphView->SetGraphMode(prefs->GetDisplayMenuItem());
    if (prefs->GetPixelsPerMinute() > 0) {
        mGraphView->SetTimeScale(prefs->GetPixelsPerMinute());
        ShowTimeScale();
    }
    // No larger than the screen: a size recorded by a damaged file or another desktop would otherwise cost
    // gigabytes of image and be saved back at every quit.
    const Rect bounds = BoundedToScreen(prefs->GetWindowRect());
    MoveWindowTo(bounds.left, bounds.top);
    DoSetBounds(bounds);
    SetupGraph();
    mGraphView->Refresh();
}

void GraphWindow::ListenToMessage(MessageT message, void*)
{
    switch (message) {
    case kModePopupID:
        mGraphView->SetGraphMode(mModePopup->GetCurrentMenuItem());
        [[fallthrough]];
    case kSensorPopupID:
    case msg_PrefsChanged:
        SetupGraph();
        Refresh();
        break;
    case kTimeScalePopupID:
        ChangeTimeScale(GraphWindowView::kTimeScales.at(static_cast<size_t>(
            std::clamp<int16_t>(mTimeScalePopup->GetCurrentMenuItem(), 1, GraphWindowView::kTimeScales.size()) - 1)));
        break;
    case msg_TimeScaleChanged:
        ShowTimeScale();
        break;
    case msg_SamplesRecorded:
        mGraphView->ShowNewSamples();
        break;
    case msg_SensorsAdded:
        // New hardware joins the menu; a sensor this window was recorded with comes back into it.
        RenewSensorPopup(mSensorPopup, SensorMaster::Get()->GetSensorNames());
        [[fallthrough]];
    case msg_SensorRenamed:
        LabelSensorMenu(mSensorPopup, SensorMaster::Get()->GetSensorNames(), SensorMaster::Get()->GetShownNames());
        SetupGraph();
        Refresh();
        break;
    default:
        break;
    }
}

void GraphWindow::DoSetBounds(const Rect& bounds)
{
    // A recorded size below the layout's minimum would lay the panes out for a size that the window
    // refuses to take.
    Rect allowed = bounds;
    allowed.right = static_cast<int16_t>(std::clamp<int32_t>(bounds.left + mMinimumWidth, bounds.right, INT16_MAX));
    allowed.bottom = static_cast<int16_t>(std::clamp<int32_t>(bounds.top + mMinimumHeight, bounds.bottom, INT16_MAX));
    LWindow::DoSetBounds(allowed);
    // Qt may report a size before FinishCreateSelf has found the view.
    if (mGraphView != nullptr)
        mGraphView->SetupSelf();
}

void GraphWindow::AttemptClose()
{
    BroadcastWindowClosing();
    LWindow::AttemptClose();
}
