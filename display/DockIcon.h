// The application's live tile: a small history graph or the current values of chosen sensors, redrawn
// with every sample (every 5 seconds), or the application's own icon, as the Dock settings choose. It has no
// timer of its own: a tile redrawn between two samples would show the same, and waking the program for it
// costs more than the drawing.
#pragma once

#include "framework/LArray.h"
#include "framework/LListener.h"

#include <cstdint>
#include <string>

class CGContext;
class TemperatureSensor;

// The texts around the graph tile's axes.
struct DockGraphLabels {
    std::string bottom;
    std::string top;
    std::string timescale;
};

class DockIcon : public LListener {
public:
    // Icon types of the Dock settings; any other shows the application's own icon.
    static constexpr uint32_t kGraphIcon = 1;
    static constexpr uint32_t kTextIcon = 2;
    static constexpr int kTileSize = 128;
    // The graph tile's points per sensor: one a pixel from just right of the vertical axis to the edge.
    static constexpr int32_t kMaxGraphPoints = 92;

    // The instance; the first call builds the sensor list from the settings.
    static DockIcon* Get();
    // For tests: deletes the instance, so that the next Get starts afresh.
    static void DeleteInstanceForTesting();

    ~DockIcon() override;

    // Rebuilds the sensor list from the Dock settings of the current icon type.
    void UpdateIconSettings();
    // Appends the sensor (not owned) and makes sure the tile follows the samples.
    void AddSensor(TemperatureSensor* sensor);
    // Empties the list and stops the updates; a null entry throws nilP.
    void ClearSensors();

    // Draws the tile for the current icon type; any other type restores the application's icon and
    // stops following the samples. The tray's picture and tool tip follow.
    void UpdateIcon();
    // The tray's picture: the hottest sensor the tile shows (a Text tile: one at a time, taking turns), in
    // whole degrees of the chosen scale, in the limit colour when any sensor is at or above its limit; and
    // the tool tip's line for each sensor the tile shows.
    void UpdateTray();
    void DrawText();
    void DrawTextPrimitive(
        CGContext* context, int16_t baseline, int16_t sensorIndex, const char* name, const char* value);
    void DrawGraph(bool shortTerm);

    // A sample (Smpl) redraws a tile that follows the samples; settings changed (PCha) or sensors added
    // rebuild the list and redraw. Other messages are ignored.
    void ListenToMessage(MessageT message, void* parameter) override;
    // Whether the next sample redraws the tile: a Graph or Text tile does, the application's icon does not.
    bool FollowsSamples() const { return mFollowsSamples; }

    // Graph format 1 labels the axis with the temperatures lo and hi (whole degrees Celsius) in the
    // chosen scale, any other with "0%" and "100%".
    static DockGraphLabels MakeGraphLabels(int16_t format, int32_t lo, int32_t hi, bool shortTerm);

    const TArray<TemperatureSensor*>& GetSensors() const { return mSensors; }
    int16_t GetRotationIndex() const { return mRotationIndex; }

private:
    DockIcon();
    // The tile's context with the background drawn, for a drawing that description tells apart from the
    // tile's current one; null when the tile already shows it or cannot be drawn on.
    static CGContext* BeginTileDrawing(const std::string& description);

    int16_t mRotationIndex = 1;
    ArrayIndexT mTrayRotationIndex = 0;
    TArray<TemperatureSensor*> mSensors;

    static DockIcon* sInstance;
    bool mShownReadings = false;
    bool mFollowsSamples = false;
};
