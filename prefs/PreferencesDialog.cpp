#include "prefs/PreferencesDialog.h"

#include "framework/LTextEditView.h"

#include "framework/LBevelButton.h"
#include "framework/LColorSwatch.h"
#include "framework/LControl.h"
#include "framework/LEditText.h"
#include "framework/LException.h"
#include "framework/LRadioGroupView.h"
#include "framework/LStaticText.h"
#include "platform/AutostartEntry.h"
#include "platform/Platform.h"
#include "prefs/KelvaraSettings.h"
#include "prefs/Preferences.h"
#include "sensors/SensorMaster.h"
#include "sensors/TemperatureSensor.h"
#include "util/SensorMenus.h"
#include "util/TemperatureUnits.h"

#include <cstdio>
#include <string>

namespace {

// Which of the six tile controls each tile type uses: the sensors, display format and time scale of the
// graph; the sensors and display format of the text; the sensor of the picture.
struct DockControls {
    bool graphSensors, graphFormat, graphTimescale, textSensors, textFormat, pictureSensor;
};
constexpr DockControls kControlsOfType[] = {
    { false, false, false, false, false, false },
    { true, true, true, false, false, false },
    { false, false, false, true, true, false },
    { false, false, false, false, false, true },
};
constexpr uint32_t kTypeCount = sizeof kControlsOfType / sizeof kControlsOfType[0];

template <typename Pane> Pane* FindPaneOf(LView* view, PaneIDT paneID)
{
    auto* pane = dynamic_cast<Pane*>(view->FindPaneByID(paneID));
    if (pane == nullptr)
        Throw_(err_NilPointer, "the preferences dialog has no pane '" + FourCCToText(paneID) + "' of its kind");
    return pane;
}

void SetEnabled(LPane* pane, bool enabled)
{
    if (enabled)
        pane->Enable();
    else
        pane->Disable();
}

}

PreferencesDialog::PreferencesDialog(const LPaneEntry& entry)
    : LDialogBox(entry)
{
}

void PreferencesDialog::FindPanes()
{
    mIconGroup = FindPaneOf<LRadioGroupView>(this, FourCC("ICNV"));
    for (uint32_t type = 0; type < kTypeCount; ++type)
        mIconRadios[type] = FindPaneOf<LControl>(this, kFirstIconRadio + static_cast<PaneIDT>(type));
    mGraphSensors = FindPaneOf<LBevelButton>(this, FourCC("Sen1"));
    mGraphFormat = FindPaneOf<LBevelButton>(this, FourCC("Dsp1"));
    mGraphTimescale = FindPaneOf<LBevelButton>(this, FourCC("Scal"));
    mTextSensors = FindPaneOf<LBevelButton>(this, FourCC("Sen2"));
    mTextFormat = FindPaneOf<LBevelButton>(this, FourCC("Dsp2"));
    mPictureSensor = FindPaneOf<LBevelButton>(this, FourCC("Sens"));
    mLegend = FindPaneOf<LControl>(this, FourCC("SenL"));
    mScale = FindPaneOf<LControl>(this, FourCC("Temp"));
    mVersionCheck = FindPaneOf<LControl>(this, FourCC("Chek"));
    mStartAtLogin = FindPaneOf<LControl>(this, FourCC("Logn"));
    mWarnAtLimits = FindPaneOf<LControl>(this, FourCC("Warn"));
    mShareReadings = FindPaneOf<LControl>(this, FourCC("Prom"));
    mMetricsListen = FindPaneOf<LTextEditView>(this, FourCC("Addr"));
    for (int16_t row = 1; row <= kRowCount; ++row) {
        mNames[row - 1] = FindPaneOf<LEditText>(this, LPaneEntry::RowPaneID("Se", row));
        mSwatches[row - 1] = FindPaneOf<LColorSwatch>(this, LPaneEntry::RowPaneID("Co", row));
    }
}

void PreferencesDialog::FinishCreateSelf()
{
    FindPanes();
    Preferences* prefs = Preferences::Get();

    uint32_t type = prefs->GetDockIconType();
    if (type >= kTypeCount) {
        // The tile shows the application's icon for a type it does not know; so does the dialog.
        std::fprintf(stderr,
            "Kelvara: the preferences hold the unknown tile type %u; the preferences dialog shows the "
            "application icon, and keeps the type unless another is chosen.\n",
            static_cast<unsigned>(type));
        type = 0;
    }
    PaneIDT radio = kFirstIconRadio + static_cast<PaneIDT>(type);
    mIconGroup->SetCurrentRadioID(radio);
    for (LControl* each : mIconRadios)
        each->AddListener(this);
    UpdateDockMenus(radio);

    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    for (ArrayIndexT i = 1; i <= sensors->GetCount(); ++i) {
        char name[256] = "";
        ThrowIfNil_((*sensors)[i])->GetSensorName(name, sizeof name);
        Str255 item = MakeStr255(name);
        for (LBevelButton* menu : { mGraphSensors, mTextSensors, mPictureSensor })
            menu->AppendMenuItem(item);
    }
    // The tile's lists keep the hardware's names; the menus show the names the user gave.
    for (LBevelButton* menu : { mGraphSensors, mTextSensors, mPictureSensor })
        LabelSensorMenu(menu, SensorMaster::Get()->GetSensorNames(), SensorMaster::Get()->GetShownNames());
    SetSensorMenu(mGraphSensors, prefs->GetDockGraphDisplayArray());
    SetSensorMenu(mTextSensors, prefs->GetDockTextDisplayArray());

    mPictureSensor->SetCurrentMenuItem(prefs->GetDockPictSensorIndex());
    mGraphTimescale->SetCurrentMenuItem(prefs->GetDockGraphTimescale());
    mGraphFormat->SetCurrentMenuItem(prefs->GetDockGraphDisplayFormat());
    mTextFormat->SetCurrentMenuItem(prefs->GetDockTextDisplayFormat());

    mLegend->SetValue(prefs->GetDisplayLegend() ? 1 : 0);
    int16_t scale = prefs->GetTemperatureScale();
    if (scale < kScaleCelsius || scale > kScaleKelvin) {
        // Every display shows such a scale's values in degrees Celsius.
        std::fprintf(stderr,
            "Kelvara: the preferences hold the unknown temperature scale %d; the preferences dialog shows "
            "Celsius, and keeps the scale unless another is chosen.\n",
            scale);
        scale = kScaleCelsius;
    }
    mScale->SetValue(scale);
    mVersionCheck->SetValue(prefs->GetVersionCheck() ? 1 : 0);
    // The autostart entry is the setting itself: what the desktop will do at the next login.
    mStartAtLogin->SetValue(AutostartEntry(Platform::Folders().PreferencesFolder()).IsEnabled() ? 1 : 0);
    mWarnAtLimits->SetValue(KelvaraSettings::Get()->GetWarnAtLimits() ? 1 : 0);
    mShareReadings->SetValue(KelvaraSettings::Get()->GetShareReadings() ? 1 : 0);
    mMetricsListen->SetDescriptor(KelvaraSettings::Get()->GetMetricsListen());

    FillSensorRows();
    AddSettings();
    mEdits.RememberShown();
    LDialogBox::FinishCreateSelf();
}

void PreferencesDialog::AddSettings()
{
    Preferences* prefs = Preferences::Get();
    mEdits.Add(
        [this] { return EditedSettings::ControlState { static_cast<int32_t>(mIconGroup->GetCurrentRadioID()) }; },
        [this, prefs] {
            PaneIDT radio = mIconGroup->GetCurrentRadioID();
            if (radio >= kFirstIconRadio && radio <= kLastIconRadio)
                prefs->SetDockIconType(static_cast<uint16_t>((radio & 0xFFFF) - (kFirstIconRadio & 0xFFFF)));
        });

    // A sensor missing at this launch keeps its place in the tile's lists.
    mEdits.AddCheckMarks(
        mGraphSensors, [this, prefs] { GetSensorMenuKeepingAbsent(mGraphSensors, prefs->GetDockGraphDisplayArray()); });
    mEdits.AddCheckMarks(
        mTextSensors, [this, prefs] { GetSensorMenuKeepingAbsent(mTextSensors, prefs->GetDockTextDisplayArray()); });

    mEdits.AddCurrentItem(mPictureSensor, [prefs](int16_t item) { prefs->SetDockPictSensorIndex(item); });
    mEdits.AddCurrentItem(mGraphTimescale, [prefs](int16_t item) { prefs->SetDockGraphTimescale(item); });
    mEdits.AddCurrentItem(mGraphFormat, [prefs](int16_t item) { prefs->SetDockGraphDisplayFormat(item); });
    mEdits.AddCurrentItem(mTextFormat, [prefs](int16_t item) { prefs->SetDockTextDisplayFormat(item); });

    mEdits.AddValue(mLegend, [prefs](int32_t value) { prefs->SetDisplayLegend((value & 0xFF) != 0); });
    mEdits.AddValue(mScale, [prefs](int32_t value) { prefs->SetTemperatureScale(static_cast<int16_t>(value)); });
    mEdits.AddValue(mVersionCheck, [prefs](int32_t value) { prefs->SetVersionCheck((value & 0xFF) != 0); });

    for (int16_t row = 1; row <= mShownRows; ++row) {
        LColorSwatch* swatch = mSwatches[row - 1];
        mEdits.Add(
            [swatch] {
                const RGBColor& color = swatch->GetSwatchColor();
                return EditedSettings::ControlState { color.red, color.green, color.blue };
            },
            [swatch, prefs, row] { prefs->SetSensorColor(row - 1, swatch->GetSwatchColor()); });
    }

    mEdits.AddValue(mStartAtLogin, [](int32_t value) {
        AutostartEntry autostart(Platform::Folders().PreferencesFolder());
        if (value != 0)
            autostart.Enable(AutostartEntry::RunningProgram());
        else
            autostart.Disable();
    });
    mEdits.AddValue(mWarnAtLimits, [](int32_t value) { KelvaraSettings::Get()->SetWarnAtLimits(value != 0); });
    // The check box and the address are stored together; the address as written, a line of it, without the
    // spaces around it. Whether it is an address is told when sharing starts.
    auto listenText = [this] {
        std::string text = mMetricsListen->GetDescriptor();
        text = text.substr(0, text.find('\n'));
        size_t first = text.find_first_not_of(" \t");
        return first == std::string::npos ? std::string()
                                          : text.substr(first, text.find_last_not_of(" \t") + 1 - first);
    };
    mEdits.Add(
        [this, listenText] {
            std::string text = listenText();
            EditedSettings::ControlState state { mShareReadings->GetValue() };
            state.insert(state.end(), text.begin(), text.end());
            return state;
        },
        [this, listenText] {
            std::string text = listenText();
            KelvaraSettings::Get()->SetShareReadings(
                mShareReadings->GetValue() != 0, text.empty() ? kDefaultMetricsListen : text);
        });
}

void PreferencesDialog::OfferVersionCheck(bool offered)
{
    if (offered)
        mVersionCheck->Enable();
    else
        mVersionCheck->Disable();
}

void PreferencesDialog::FillSensorRows()
{
    SensorArray* sensors = SensorMaster::Get()->GetSensorArray();
    // The preferences hold twelve colours, one a row: sensors after the twelfth have no row of their own.
    mShownRows = static_cast<int16_t>(std::min<ArrayIndexT>(sensors->GetCount(), kRowCount));
    for (int16_t row = mShownRows + 1; row <= kRowCount; ++row) {
        mNames[row - 1]->Hide();
        mSwatches[row - 1]->Hide();
    }
    for (int16_t row = 1; row <= mShownRows; ++row) {
        TemperatureSensor* sensor = ThrowIfNil_((*sensors)[row]);
        RGBColor color;
        Preferences::Get()->GetSensorColor(row - 1, color);
        mRowKeys[row - 1] = sensor->GetStableKey();
        mRowNames[row - 1] = sensor->GetShownName();
        mNames[row - 1]->SetDescriptor(sensor->GetShownName());
        // An emptied field gives the sensor its hardware's name again; the field says which.
        mNames[row - 1]->SetPlaceholder(sensor->GetSensorName());
        mNames[row - 1]->Show();
        mSwatches[row - 1]->SetSwatchColor(color);
        mSwatches[row - 1]->SetDescriptor("Colour of " + sensor->GetShownName());
        mSwatches[row - 1]->Show();
    }
}

void PreferencesDialog::UpdateDockMenus(PaneIDT radioID)
{
    if (radioID < kFirstIconRadio || radioID > kLastIconRadio)
        return;
    const DockControls& uses = kControlsOfType[radioID - kFirstIconRadio];
    SetEnabled(mGraphSensors, uses.graphSensors);
    SetEnabled(mGraphFormat, uses.graphFormat);
    SetEnabled(mGraphTimescale, uses.graphTimescale);
    SetEnabled(mTextSensors, uses.textSensors);
    SetEnabled(mTextFormat, uses.textFormat);
    SetEnabled(mPictureSensor, uses.pictureSensor);
}

void PreferencesDialog::GetControls()
{
    mEdits.StoreChanged();
    StoreSensorNames();
    Preferences::Get()->NotifySubscribers();
}

void PreferencesDialog::StoreSensorNames()
{
    SensorMaster* master = SensorMaster::Get();
    for (int16_t row = 1; row <= mShownRows; ++row) {
        std::string typed = mNames[row - 1]->GetDescriptor();
        if (typed == mRowNames[row - 1])
            continue;
        // By key: sensors that came while the dialog was open may have moved the rows' sensors in the list.
        if (TemperatureSensor* sensor = master->FindSensorByKey(mRowKeys[row - 1]))
            master->RenameSensor(*sensor, typed);
    }
}

void PreferencesDialog::ListenToMessage(MessageT message, void* parameter)
{
    // Hidden and on its way out: a second OK or Cancel would act twice.
    if (mClosing)
        return;
    switch (message) {
    case msg_PrefsOK:
        GetControls();
        mClosing = true;
        DoCloseLater();
        break;
    case msg_PrefsCancel:
        mClosing = true;
        DoCloseLater();
        break;
    default:
        if (message >= kFirstIconRadio && message <= kLastIconRadio) {
            // A radio button broadcasts when it goes off as well as on, and the two messages of one click
            // may come in either order: the tile controls follow the button that is on now.
            UpdateDockMenus(mIconGroup->GetCurrentRadioID());
        } else {
            LDialogBox::ListenToMessage(message, parameter);
        }
        break;
    }
}

void PreferencesDialog::AttemptClose()
{
    ListenToMessage(msg_PrefsCancel, nullptr);
}

void PreferencesDialog::FindCommandStatus(CommandT, bool& enabled, bool& usesMark, uint16_t&, Str255&)
{
    enabled = false;
    usesMark = false;
}
