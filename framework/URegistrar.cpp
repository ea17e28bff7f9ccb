#include "framework/URegistrar.h"

#include "framework/LBevelButton.h"
#include "framework/LColorSwatch.h"
#include "framework/LDialogBox.h"
#include "framework/LEditText.h"
#include "framework/LException.h"
#include "framework/LPopupButton.h"
#include "framework/LPushButton.h"
#include "framework/LRadioGroupView.h"
#include "framework/LScroller.h"
#include "framework/LStaticText.h"
#include "framework/LStdCheckBox.h"
#include "framework/LStdRadioButton.h"
#include "framework/LTextEditView.h"
#include "framework/LWindow.h"

#include <map>

namespace {

std::map<ClassIDT, URegistrar::Creator>& Classes()
{
    static std::map<ClassIDT, URegistrar::Creator> classes;
    return classes;
}

class PlainView : public LView {
public:
    explicit PlainView(const LPaneEntry& entry)
        : LView(entry.GetPaneInfo())
    {
    }
};

}

void URegistrar::RegisterClass(ClassIDT classID, Creator creator)
{
    Classes()[classID] = std::move(creator);
}

void URegistrar::RegisterFrameworkClasses()
{
    RegisterWindowClasses();
    RegisterStandardControls();
}

void URegistrar::RegisterWindowClasses()
{
    RegisterClass<LDialogBox>(FourCC("dlog"));
    RegisterClass<LWindow>(FourCC("wind"));
    RegisterClass<PlainView>(FourCC("view"));
    RegisterClass<LScroller>(FourCC("scrl"));
    RegisterClass<LTextEditView>(FourCC("txtv"));
}

void URegistrar::RegisterStandardControls()
{
    RegisterClass<LStaticText>(FourCC("stxt"));
    RegisterClass<LEditText>(FourCC("etxt"));
    RegisterClass<LBevelButton>(FourCC("bevl"));
    RegisterClass<LPushButton>(FourCC("push"));
    RegisterClass<LRadioGroupView>(FourCC("rgrp"));
    RegisterClass<LStdRadioButton>(FourCC("radb"));
    RegisterClass<LStdCheckBox>(FourCC("chbx"));
    RegisterClass<LPopupButton>(FourCC("popb"));
    RegisterClass<LColorSwatch>(FourCC("cswt"));
}

LPane* URegistrar::CreateObject(const LPaneEntry& entry)
{
    auto found = Classes().find(entry.GetClassID());
    if (found == Classes().end())
        Throw_(err_NilPointer, "no class is registered for the class ID '" + entry.GetString("class") + "'");
    return ThrowIfNil_(found->second(entry));
}
