#include "display/DataWindow.h"

#include "display/DataWindowGraph.h"
#include "display/DataWindowView.h"
#include "display/SensorNameEditor.h"
#include "framework/LBevelButton.h"
#include "framework/LBevelButtonWidget.h"
#include "framework/LException.h"
#include "framework/LScroller.h"
#include "framework/LStaticText.h"
#include "prefs/DataWindowPrefs.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"

#include <QWidget>

#include <algorithm>
#include <cstring>

namespace {

constexpr MessageT msg_SensorPopup = FourCC("Show");
constexpr MessageT msg_ColumnPopup = FourCC("Disp");
constexpr MessageT msg_GraphModePopup = FourCC("GraB");

// A new window shows current temperature, change, minimum, maximum and percent of range.
constexpr int16_t kDefaultColumns[] = { 1, 2, 5, 6, 7 };

// Between the pop-ups, and around the strip graph.
constexpr int32_t kControlGap = 4;
constexpr int32_t kGraphGap = 6;

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
    mHeader = ThrowIfNil_(dynamic_cast<LView*>(FindPaneByID(FourCC("Head"))));
    mRowScroller = ThrowIfNil_(dynamic_cast<LScroller*>(FindPaneByID(FourCC("RScr"))));
    mRows = ThrowIfNil_(dynamic_cast<LView*>(FindPaneByID(FourCC("Rows"))));
    mPopupLayoutWidths = { mSensorPopup->GetWidth(), mColumnPopup->GetWidth(), mGraphModePopup->GetWidth() };
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
    LabelSensorMenu(mSensorPopup, SensorMaster::Get()->GetSensorNames(), SensorMaster::Get()->GetShownNames());
    for (int16_t item : kDefaultColumns)
        mColumnPopup->SetMenuItemMark(item, checkMark);

    mRowViews.RemoveAllItems();
    mNameEditor = std::make_unique<SensorNameEditor>(
        mRows->GetContentWidget(),
        [this](QWidget* rows, const QPoint& at) {
            // A row is the band of its name pane across the window.
            for (ArrayIndexT i = 2; i <= mRowViews.GetCount(); ++i) {
                DataWindowView* view = mRowViews[i];
                QWidget* name = view->GetNamePane()->GetWidget();
                QPoint inName = name->mapFromGlobal(rows->mapToGlobal(at));
                if (inName.y() >= 0 && inName.y() < name->height())
                    return SensorNameEditor::Row { view->GetSensor(), view->GetNamePane() };
            }
            return SensorNameEditor::Row {};
        },
        [](const std::string& key, const std::string& typed) {
            if (TemperatureSensor* sensor = SensorMaster::Get()->FindSensorByKey(key))
                SensorMaster::Get()->RenameSensor(*sensor, typed);
        });
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
            mGraph->AddSensor(sensor);
            break;
        }
    }

    mRowCount = row - 1;
    mColumnsWidth = header->GetWidth();
    mRows->ResizeImageTo(mRows->GetWidth(), RowsHeight(), true);

    // Today's size for these rows, where the screen has room for it. A window at its smallest follows its rows
    // as they come and go; one the user made larger keeps its size, as far as the rows allow.
    Rect wanted;
    GetGlobalBounds(wanted);
    wanted.right = static_cast<int16_t>(std::min<int32_t>(wanted.left + mColumnsWidth, INT16_MAX));
    wanted.bottom = static_cast<int16_t>(std::min<int32_t>(wanted.top + kHeaderHeight + RowsHeight(), INT16_MAX));
    Rect least = BoundedToScreen(wanted);
    int32_t width = GetWidth() == mMinimumWidth || mMinimumWidth == 0 ? 0 : GetWidth();
    int32_t height = GetHeight() == mMinimumHeight || mMinimumHeight == 0 ? 0 : GetHeight();
    mMinimumWidth = least.right - least.left;
    mMinimumHeight = least.bottom - least.top;
    ResizeWindowTo(
        static_cast<int16_t>(std::max(width, mMinimumWidth)), static_cast<int16_t>(std::max(height, mMinimumHeight)));
}

int32_t DataWindow::RowsHeight() const
{
    return kRowHeight * mRowCount;
}

int32_t DataWindow::GraphHeightFor(int32_t windowHeight) const
{
    int32_t fullRows = kHeaderHeight + RowsHeight();
    if (windowHeight <= std::max(fullRows, mMinimumHeight))
        return kGraphHeight;
    return std::max({ static_cast<int32_t>(kGraphHeight), windowHeight / 3, windowHeight - fullRows + kGraphHeight });
}

bool DataWindow::RowsScrollAt(int32_t windowHeight) const
{
    return windowHeight - (kHeaderHeight - kGraphHeight) - GraphHeightFor(windowHeight) < RowsHeight();
}

void DataWindow::DoSetBounds(const Rect& bounds)
{
    // A scroll bar beside the rows gets its own room, so that it covers no column.
    if (mRowScroller != nullptr && mMinimumWidth > 0) {
        int32_t height = std::max<int32_t>(bounds.bottom - bounds.top, mMinimumHeight);
        int32_t bar = RowsScrollAt(height) ? mRowScroller->GetBarWidth() : 0;
        GetWidget()->setMinimumSize(mMinimumWidth + bar, mMinimumHeight);
    }
    LWindow::DoSetBounds(bounds);
    if (mRowScroller != nullptr)
        LayOutPanes();
}

void DataWindow::LayOutPanes()
{
    // The pop-ups side by side, each at least wide enough for its face in the desktop's font, then the graph
    // across the rest of the width.
    Rect frame;
    mSensorPopup->CalcLocalFrameRect(frame);
    int32_t right = frame.left - kControlGap;
    LBevelButton* popups[] = { mSensorPopup, mColumnPopup, mGraphModePopup };
    for (size_t i = 0; i < std::size(popups); ++i) {
        auto width
            = static_cast<int16_t>(std::max(mPopupLayoutWidths[i], popups[i]->GetButtonWidget()->FittingWidth()));
        popups[i]->PlaceInSuperImageAt(right + kControlGap, frame.top, true);
        popups[i]->ResizeFrameTo(width, static_cast<int16_t>(frame.bottom - frame.top), true);
        right += kControlGap + width;
    }
    int32_t graphHeight = GraphHeightFor(GetHeight());
    mGraph->PlaceInSuperImageAt(right + kGraphGap, kGraphTop, true);
    mGraph->ResizeFrameTo(static_cast<int16_t>(std::max(0, GetWidth() - kGraphGap - (right + kGraphGap))),
        static_cast<int16_t>(graphHeight), true);
    // Below the graph, the header row and then the rows, as far apart as at the window's smallest.
    int32_t rowsTop = graphHeight + (kHeaderHeight - kGraphHeight);
    mHeader->PlaceInSuperImageAt(0, rowsTop - mHeader->GetHeight(), true);
    mRowScroller->PlaceInSuperImageAt(0, rowsTop, true);
    mRowScroller->ResizeFrameTo(GetWidth(), static_cast<int16_t>(std::max(0, GetHeight() - rowsTop)), true);
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
        // The readings change only with a sample: the rows and the graph follow each one.
        UpdateRows();
        mGraph->ShowNewSamples();
        break;
    case msg_PrefsChanged:
        // The rows show the new scale at once, not at the next sample.
        UpdateRows();
        Refresh();
        break;
    case msg_SensorsAdded:
        // New hardware joins the menu; a sensor this window was recorded with comes back into it.
        RenewSensorPopup(mSensorPopup, SensorMaster::Get()->GetSensorNames());
        LabelSensorMenu(mSensorPopup, SensorMaster::Get()->GetSensorNames(), SensorMaster::Get()->GetShownNames());
        CreateSensorDisplay();
        break;
    case msg_SensorRenamed:
        LabelSensorMenu(mSensorPopup, SensorMaster::Get()->GetSensorNames(), SensorMaster::Get()->GetShownNames());
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
    RestoreSensors(mSensorPopup, *prefs);
    uint32_t mask = prefs->GetSensorDisplayMask();
    for (int16_t item = 1; item <= mColumnPopup->CountMenuItems(); ++item) {
        bool checked = item <= kLastMaskItem && (mask & (1u << item)) != 0;
        mColumnPopup->SetMenuItemMark(item, checked ? checkMark : noMark);
    }
    mGraphModePopup->SetCurrentMenuItem(prefs->GetGraphMenuItem());
    mGraph->SetGraphMode(prefs->GetGraphMenuItem());
    // The place, then the size, no smaller than the rows need: a record written before windows could be
    // resized holds exactly that.
    MoveWindowTo(prefs->GetWindowRect().left, prefs->GetWindowRect().top);
    CreateSensorDisplay();
    Rect bounds = BoundedToScreen(prefs->GetWindowRect());
    bounds.right = static_cast<int16_t>(std::max<int32_t>(bounds.right, bounds.left + mMinimumWidth));
    bounds.bottom = static_cast<int16_t>(std::max<int32_t>(bounds.bottom, bounds.top + mMinimumHeight));
    MoveWindowTo(bounds.left, bounds.top);
    DoSetBounds(bounds);
}
