// One pane's entry in a window layout resource: its class, pane ID, frame, bindings and the settings of
// its class, read from the layout data.
#pragma once

#include "framework/FourCharCode.h"

#include <QJsonObject>

#include <cstdint>
#include <string>
#include <vector>

class LView;

// Which edges of a pane follow the edges of its superview when the superview changes size.
struct SBooleanRect {
    bool left = true;
    bool top = true;
    bool right = false;
    bool bottom = false;
};

struct SPaneInfo {
    PaneIDT paneID = 0;
    int32_t left = 0; // in the superview's image
    int32_t top = 0;
    int16_t width = 0;
    int16_t height = 0;
    bool visible = true;
    bool enabled = true;
    SBooleanRect bindings;
};

class LPaneEntry {
public:
    LPaneEntry() = default;
    // row is the row number of a pane that the layout repeats in rows; -1 for a single pane.
    explicit LPaneEntry(QJsonObject object, int32_t row = -1);

    ClassIDT GetClassID() const;
    const SPaneInfo& GetPaneInfo() const { return mInfo; }

    bool Has(const char* key) const;
    std::string GetString(const char* key, const std::string& fallback = {}) const;
    int32_t GetInt(const char* key, int32_t fallback = 0) const;
    bool GetBool(const char* key, bool fallback = false) const;
    std::vector<std::string> GetStrings(const char* key) const;
    // Two-number entries such as [width, height]; false when absent.
    bool GetPair(const char* key, int32_t& first, int32_t& second) const;

    // The panes inside this one, with rows expanded: an entry with "rows": {"first", "count", "step"}
    // stands for one pane per row, with the pane ID made of its "id" prefix and the row number ("%s%02d",
    // first four characters) and its top moved down by step per row.
    std::vector<LPaneEntry> GetSubpanes() const;
    // The entries of row number row of every pane that this one's layout repeats in rows, whether or not the
    // row is among the rows the layout makes at first: rows follow what the window has to show.
    std::vector<LPaneEntry> GetRowEntries(int32_t row) const;
    bool HasSubpanes() const;

    // The pane ID of a prefix and a row number: the first four characters of "%s%02d". With a two-letter
    // prefix, rows 100 to kLastRowWithID write their tens as one letter (row 100 is "A0", 359 "Z9", 360 "a0").
    static PaneIDT RowPaneID(const std::string& prefix, int32_t row);
    static constexpr int32_t kLastRowWithID = 619;

private:
    QJsonObject mObject;
    SPaneInfo mInfo;
};
