// A pane of text over several lines, wrapped at its width and scrolled up and down when it is longer than
// the pane: credits, notes, explanations. Read-only unless its layout makes it editable; the user can
// select and copy either way.
#pragma once

#include "framework/LView.h"
#include "framework/UResources.h"

#include <string>
#include <string_view>

class QPlainTextEdit;

class LTextEditView : public LView {
public:
    // From a layout: "text", "traits" (font, size, face and colour of a text traits record), "readOnly"
    // (true when absent), "wrap" (true when absent: lines break at the pane's width).
    explicit LTextEditView(const LPaneEntry& entry);
    LTextEditView(const SPaneInfo& info, std::string_view text = {}, ResIDT traitsID = 0);

    // The whole text, UTF-8.
    std::string GetDescriptor() const override;
    void SetDescriptor(std::string_view text) override;

    ResIDT GetTextTraitsID() const { return mTraitsID; }
    void SetTextTraitsID(ResIDT traitsID);

    bool IsReadOnly() const;
    void SetReadOnly(bool readOnly);
    bool IsWrapping() const;
    void SetWrapping(bool wrap);

private:
    QPlainTextEdit* Editor() const;

    ResIDT mTraitsID = 0;
};
