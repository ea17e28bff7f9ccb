// The window in which the user edits the settings: how the live tile shows temperatures, the temperature
// scale, the graph legends, the version check, the start at login, the notifications at the limits and
// the first sensors' colours and names. OK stores what the user changed and tells every display; Cancel leaves
// everything as it was. The file is written at quit.
#pragma once

#include "framework/LDialogBox.h"
#include "prefs/EditedSettings.h"

#include <array>
#include <cstdint>
#include <string>

class LBevelButton;
class LColorSwatch;
class LControl;
class LEditText;
class LRadioGroupView;
class LStaticText;
class LTextEditView;

// Messages of the dialog's OK and Cancel buttons.
constexpr MessageT msg_PrefsOK = FourCC("PRok");
constexpr MessageT msg_PrefsCancel = FourCC("PRca");

class PreferencesDialog : public LDialogBox {
public:
    static constexpr ResIDT kLayoutID = 131;
    // Rows of sensor names and colour swatches: one per colour the preferences hold. Later sensors keep
    // the colours they share with the first twelve.
    static constexpr int16_t kRowCount = 12;
    // The radio buttons of the tile types 0 (application icon), 1 (graph), 2 (text) and 3 (picture).
    static constexpr PaneIDT kFirstIconRadio = FourCC("ICN1");
    static constexpr PaneIDT kLastIconRadio = FourCC("ICN4");

    explicit PreferencesDialog(const LPaneEntry& entry);

    // While the dialog is in front, no menu command is available.
    void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name) override;
    // OK, Cancel and the tile type's radio buttons; everything else goes to the dialog box.
    void ListenToMessage(MessageT message, void* parameter) override;
    // Closing the window is Cancel.
    void AttemptClose() override;

    // Stores the settings whose controls the user changed, then tells the displays. A setting the user
    // left alone keeps its stored value, also one that its control could not show (an unknown tile type,
    // a menu item out of the menu's range): the control's stand-in for it is never written back.
    void GetControls();
    // Enables the tile controls of the type whose radio button is radioID and disables the others; any
    // other ID changes nothing.
    void UpdateDockMenus(PaneIDT radioID);
    // A build whose update address reaches nobody offers no version check: its check box stays as the
    // preferences have it, disabled.
    void OfferVersionCheck(bool offered);

protected:
    // Finds the panes and fills them from the preferences; a pane missing from the layout throws nilP.
    void FinishCreateSelf() override;

private:
    void FindPanes();
    // Every setting the dialog edits, with its control; a new control is added here.
    void AddSettings();
    void FillSensorRows();
    // Gives the sensors of the rows whose name the user changed their new names.
    void StoreSensorNames();

    LRadioGroupView* mIconGroup = nullptr;
    std::array<LControl*, 4> mIconRadios {};
    LBevelButton* mGraphSensors = nullptr;
    LBevelButton* mGraphFormat = nullptr;
    LBevelButton* mGraphTimescale = nullptr;
    LBevelButton* mTextSensors = nullptr;
    LBevelButton* mTextFormat = nullptr;
    LBevelButton* mPictureSensor = nullptr;
    LControl* mLegend = nullptr;
    LControl* mScale = nullptr;
    LControl* mVersionCheck = nullptr;
    // Kept outside the preferences file: the autostart entry, and the notification setting.
    LControl* mStartAtLogin = nullptr;
    LControl* mWarnAtLimits = nullptr;
    LControl* mShareReadings = nullptr;
    LTextEditView* mMetricsListen = nullptr;
    // The first rows' sensor names, which the user may change: the key of each row's sensor and the name it
    // showed when the dialog opened, so that only names the user changed are stored.
    std::array<LEditText*, kRowCount> mNames {};
    std::array<std::string, kRowCount> mRowKeys {};
    std::array<std::string, kRowCount> mRowNames {};
    std::array<LColorSwatch*, kRowCount> mSwatches {};
    // The rows that show a sensor: the sensor count, at most kRowCount.
    int16_t mShownRows = 0;
    EditedSettings mEdits;
    bool mClosing = false;
};
