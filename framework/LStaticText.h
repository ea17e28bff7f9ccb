// A pane that shows a text in the font, size, style and colour of its text traits: one line, or, when its
// layout says "wrap", a paragraph wrapped at word boundaries from the pane's top. A line too wide for the
// pane ends in "…" (the whole text is its descriptor, and its tool tip).
#pragma once

#include "framework/LPane.h"
#include "framework/UResources.h"

#include <string>

class QLabel;

class LStaticText : public LPane {
public:
    explicit LStaticText(const LPaneEntry& entry);
    LStaticText(const SPaneInfo& info, std::string_view text = {}, ResIDT traitsID = 0);

    std::string GetDescriptor() const override;
    void SetDescriptor(std::string_view text) override;
    // A number, shown as its decimal text.
    void SetValue(int32_t value);
    int32_t GetValue() const { return mValue; }

    ResIDT GetTextTraitsID() const { return mTraitsID; }
    void SetTextTraitsID(ResIDT traitsID);
    const TextTraits& GetTextTraits() const { return mTraits; }

    // The text's colour, over the colour of its traits (the control font style's foreground colour). Shown
    // lighter on a dark background, or darker on a light one, when it would not stand out enough.
    void SetForeColor(const RGBColor& color);
    RGBColor GetForeColor() const { return mTraits.color; }

    // What the pane shows: the text, or as much of it as fits followed by "…".
    std::string GetShownText() const;
    // A tool tip that shows whether the text fits or not (a sensor's device); empty gives back the usual one,
    // the whole text when it does not fit.
    void SetToolTip(std::string_view tip);
    std::string GetToolTip() const;

    void ResizeFrameBy(int16_t dWidth, int16_t dHeight, bool refresh) override;

private:
    QLabel* Label() const;
    void ApplyTraits();
    void ApplyColor();
    void ShowFittingText();

    QString mText;
    QString mToolTip;
    // The text as it was last given.
    std::string mTextBytes;

    bool mWraps = false;
    ResIDT mTraitsID = 0;
    TextTraits mTraits;
    int32_t mValue = 0;
};
