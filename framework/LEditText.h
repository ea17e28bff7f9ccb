// A one-line field the user types into: a name, a label. Its text, in the font of its text traits, is the
// pane's descriptor; a placeholder shows in the empty field.
#pragma once

#include "framework/LPane.h"
#include "framework/UResources.h"

#include <string>
#include <string_view>

class QLineEdit;

class LEditText : public LPane {
public:
    // From a layout: "text", "traits" and "placeholder".
    explicit LEditText(const LPaneEntry& entry);
    LEditText(const SPaneInfo& info, std::string_view text = {}, ResIDT traitsID = 0);

    // The text, UTF-8.
    std::string GetDescriptor() const override;
    void SetDescriptor(std::string_view text) override;
    // What the empty field shows, in grey.
    void SetPlaceholder(std::string_view text);
    // At most this many bytes of UTF-8 can be typed.
    void SetMaxBytes(int bytes);

    QLineEdit* GetLineEdit() const;

private:
    void SetTextTraitsID(ResIDT traitsID);
};
