#include "display/DataWindow.h"

#include "display/DataWindowGraph.h"
#include "display/DataWindowView.h"
#include "framework/LBevelButton.h"
#include "framework/LException.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"

#include <cstring>

namespace {

constexpr MessageT msg_SensorPopup = FourCC("Show");
constexpr MessageT msg_ColumnPopup = FourCC("Disp");
constexpr MessageT msg_GraphModePopup = FourCC("GraB");

// A new window shows current temperature, change, minimum, maximum and percent of range.
constexpr int16_t kDefaultColumns[] = { 1, 2, 5, 6, 7 };

// The mask has room for items 1 to 31.
constexpr int16_t kLastMaskItem = 31;

bool IsSensorNamed(TemperatureSensor* sensor, const Str255& text)
{
    char name[256] = "";
    sensor->GetSensorName(name, 256);
    size_t length = std::strlen(name);
    return length == text[0] && std::memcmp(name, text.data() + 1, length) == 0;
}

}

DataWindow::DataWindow(const LPaneEntry& entry)
    : LWindow(entry)
{
}

DataWindow::~DataWindow()
{
    // The rows put their panes back while the panes still exist.
    LException::ReportAndDrop("closing a data window", [this] { DeleteSensorDisplay(); });
}

LBevelButton* DataWindow::FindPopup(const char (&paneID)[5])
{
    return ThrowIfNil_(dynamic_cast<LBevelButton*>(FindPaneByID(FourCC(paneID))));
}

void DataWindow::FinishCreateSelf()
{
    SensorArray* sensors = ThrowIfNil_(SensorMaster::Get()->GetSensorArray());

    mSensorPopup = FindPopup("Show");
    mColumnPopup = FindPopup("Disp");
    mGraphModePopup = FindPopup("GraB");
    mGraph = ThrowIfNil_(dynamic_cast<DataWindowGraph*>(FindPaneByID(FourCC("GraV"))));
    mSensorPopup->AddListener(this);
    mColumnPopup->AddListener(this);
    mGraphModePopup->SetCurrentMenuItem(1);
    mGraphModePopup->AddListener(this);

    for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i) {
        char name[256] = "";
        ThrowIfNil_((*sensors)[i])->GetSensorName(name, 256);
        mSensorPopup->AppendMenuItem(MakeStr255(name));
    }
    for (int16_t item = 1; item <= mSensorPopup->CountMenuItems(); ++item)
        mSensorPopup->SetMenuItemMark(item, checkMark);
    for (int16_t item : kDefaultColumns)
        mColumnPopup->SetMenuItemMark(item, checkMark);

    mRowViews.RemoveAllItems();
    Preferences::Get()->AddListener(this);
    SensorMaster::Get()->AddListener(this);

    LWindow::FinishCreateSelf();
    // A sensor that cannot be shown must not keep the window from opening with the rows built so far.
    LException::ReportAndDrop("showing the sensors", [this] { CreateSensorDisplay(); });
}

void DataWindow::CreateSensorDisplay()
{
    mGraph->Clear();
    DeleteSensorDisplay();

    SensorArray* sensors = ThrowIfNil_(SensorMaster::Get()->GetSensorArray());
    ArrayIndexT sensorCount = sensors->GetCount();
    int16_t itemCount = mSensorPopup->CountMenuItems();
    uint32_t mask = GetCurrentSensorDisplayMask();

    auto* header = new DataWindowView(this, 0, nullptr, mask);
    mRowViews.AddItem(header);
    int16_t width = header->GetWidth();
    int16_t height = kHeaderHeight;
    int32_t row = 1;

    // Rows are named by number up to a limit that no desktop comes near.
    for (int16_t item = 1; item <= itemCount && row <= LPaneEntry::kLastRowWithID; ++item) {
        if (!mSensorPopup->IsMenuItemChecked(item))
            continue;
        Str255 text;
        mSensorPopup->GetMenuItemText(item, text);
        // Items are matched by name, so a name shared by two sensors always finds the first of them.
        for (ArrayIndexT i = 1; i <= sensorCount; ++i) {
            TemperatureSensor* sensor = ThrowIfNil_((*sensors)[i]);
            if (!IsSensorNamed(sensor, text))
                continue;
            // The layout makes the first rows' panes; a machine with more sensors gets more.
            MakeRowPanes(row);
            mRowViews.AddItem(new DataWindowView(this, row, sensor, mask));
            ++row;
            height = static_cast<int16_t>(height + kRowHeight);
            mGraph->AddSensor(sensor);
            break;
        }
    }

    ResizeWindowTo(width, height);
}

void DataWindow::DeleteSensorDisplay()
{
    while (!mRowViews.IsEmpty()) {
        DataWindowView* view = ThrowIfNil_(mRowViews[1]);
        mRowViews.RemoveItemsAt(1, 1);
        delete view;
    }
}

uint32_t DataWindow::GetCurrentSensorDisplayMask() const
{
    uint32_t mask = 0;
    int16_t itemCount = mColumnPopup->CountMenuItems();
    for (int16_t item = 1; item <= itemCount && item <= kLastMaskItem; ++item) {
        if (mColumnPopup->GetMenuItemMark(item) == checkMark)
            mask |= 1u << item;
    }
    return mask;
}

void DataWindow::ListenToMessage(MessageT message, void*)
{
    switch (message) {
    case msg_SensorPopup:
    case msg_ColumnPopup:
        CreateSensorDisplay();
        break;
    case msg_GraphModePopup:
        mGraph->SetGraphMode(mGraphModePopup->GetCurrentMenuItem());
        Refresh();
        break;
    case msg_SamplesRecorded:
        // The readings change only with a sample: the rows follow each one.
        UpdateRows();
        break;
    case msg_PrefsChanged:
        // The rows show the new scale at once, not at the next sample.
        UpdateRows();
        Refresh();
        break;
    case msg_SensorsAdded:
        // New hardware joins the menu; a sensor this window was recorded with comes back into it.
        RenewSensorPopup(mSensorPopup, SensorMaster::Get()->GetSensorNames());
        CreateSensorDisplay();
        break;
    default:
        break;
    }
}

void DataWindow::UpdateRows()
{
    for (ArrayIndexT i = 1; i <= mRowViews.GetCount(); ++i)
        ThrowIfNil_(mRowViews[i])->UpdateDisplay();
}

void DataWindow::AttemptClose()
{
    BroadcastWindowClosing();
    LWindow::AttemptClose();
}

void DataWindow::GetWindowPrefs(DataWindowPrefs* prefs)
{
    ThrowIfNil_(prefs);
    Rect bounds;
    GetGlobalBounds(bounds);
    RecordPlaceAndSensors(bounds, mSensorPopup, *prefs);
    prefs->SetSensorDisplayMask(GetCurrentSensorDisplayMask());
    prefs->SetGraphMenuItem(static_cast<uint8_t>(mGraphModePopup->GetCurrentMenuItem()));
}

void DataWindow::SetWindowPrefs(DataWindowPrefs* prefs)
{
    ThrowIfNil_(prefs);
    // Only the place: the rows decide the size.
    MoveWindowTo(prefs->GetWindowRect().left, prefs->GetWindowRect().top);
    RestoreSensors(mSensorPopup, *prefs);
    uint32_t mask = prefs->GetSensorDisplayMask();
    for (int16_t item = 1; item <= mColumnPopup->CountMenuItems(); ++item) {
        bool checked = item <= kLastMaskItem && (mask & (1u << item)) != 0;
        mColumnPopup->SetMenuItemMark(item, checked ? checkMark : noMark);
    }
    mGraphModePopup->SetCurrentMenuItem(prefs->GetGraphMenuItem());
    mGraph->SetGraphMode(prefs->GetGraphMenuItem());
    CreateSensorDisplay();
}
