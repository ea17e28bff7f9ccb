#include "display/GraphWindow.h"

#include "display/GraphWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LException.h"
#include "framework/LStaticText.h"
#include "framework/UResources.h"
#include "prefs/GraphWindowPrefs.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "util/SensorColors.h"

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

    // A new graph window plots every sensor.
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i)
        mSensorPopup->AppendMenuItem(MakeStr255(SensorName(ThrowIfNil_((*sensors)[i]))));
    for (int16_t item = 1; item <= mSensorPopup->CountMenuItems(); ++item)
        mSensorPopup->SetMenuItemMark(item, checkMark);

    mGraphView->SetGraphMode(mModePopup->GetCurrentMenuItem());
    SetupGraph();
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
            onlyName = name;
            if (plotted <= LPaneEntry::kLastRowWithID)
                ShowLegendText(plotted, name.c_str(), sensor->GetSensorIndex());
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

void GraphWindow::ShowLegendText(int32_t entry, const char* name, int32_t sensorIndex)
{
    if (!Preferences::Get()->GetDisplayLegend())
        return;
    LStaticText* legend = FindLegendPane(entry);
    legend->SetDescriptor(name);
    legend->SetForeColor(GetSensorIndexColor(sensorIndex));
    legend->Show();
}

void GraphWindow::GetWindowPrefs(GraphWindowPrefs* prefs)
{
    ThrowIfNil_(prefs);
    Rect bounds;
    GetGlobalBounds(bounds);
    RecordPlaceAndSensors(bounds, mSensorPopup, *prefs);
    prefs->SetDisplayMenuItem(mModePopup->GetCurrentMenuItem());
}

void GraphWindow::SetWindowPrefs(GraphWindowPrefs* prefs)
{
    ThrowIfNil_(prefs);
    RestoreSensors(mSensorPopup, *prefs);
    mModePopup->SetCurrentMenuItem(prefs->GetDisplayMenuItem());
    mGraphView->SetGraphMode(prefs->GetDisplayMenuItem());
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
    case msg_SensorsAdded:
        // New hardware joins the menu; a sensor this window was recorded with comes back into it.
        RenewSensorPopup(mSensorPopup, SensorMaster::Get()->GetSensorNames());
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
