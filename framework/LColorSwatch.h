// A colour swatch: a button filled with its colour. A click lets the user pick another colour in the
// desktop's colour chooser; a new colour is broadcast as the pane ID with a pointer to the RGBColor.
#pragma once

#include "framework/LBroadcaster.h"
#include "framework/LPane.h"
#include "framework/QuickDrawTypes.h"

#include <functional>
#include <string>
#include <string_view>

class LColorSwatch : public LPane, public LBroadcaster {
public:
    // Asks the user for a colour, starting from color, with title above the chooser; false when the user
    // cancelled.
    using Chooser = std::function<bool(RGBColor& color, const std::string& title, QWidget* parent)>;

    // From a layout: "title", the title of the colour chooser. The colour starts black.
    explicit LColorSwatch(const LPaneEntry& entry);

    const RGBColor& GetSwatchColor() const { return mColor; }
    // Shows the colour; not broadcast, as it is not the user's choice.
    void SetSwatchColor(const RGBColor& color);

    // The title of the colour chooser, also the swatch's tool tip.
    std::string GetDescriptor() const override { return mTitle; }
    void SetDescriptor(std::string_view title) override;

    // What a click does: the chooser, then the new colour shown and broadcast. Ignored while disabled.
    void UserClicked();

    // Replaces the desktop's chooser (for tests); an empty chooser restores it.
    static void SetChooser(Chooser chooser);

private:
    RGBColor mColor;
    std::string mTitle;
};
