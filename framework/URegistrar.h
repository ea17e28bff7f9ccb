// The classes that layouts may name, by class ID: the framework's own and those the program registers.
#pragma once

#include "framework/LPaneEntry.h"

#include <functional>

class LPane;

class URegistrar {
public:
    using Creator = std::function<LPane*(const LPaneEntry& entry)>;

    static void RegisterClass(ClassIDT classID, Creator creator);
    template <typename T> static void RegisterClass(ClassIDT classID)
    {
        RegisterClass(classID, [](const LPaneEntry& entry) -> LPane* { return new T(entry); });
    }

    // The framework's classes: the window classes, then the standard controls.
    static void RegisterFrameworkClasses();
    // Dialogs, windows, views, scrollers and text views.
    static void RegisterWindowClasses();
    // Static texts, bevel and push buttons, radio groups and buttons, check boxes, pop-up menus and colour
    // swatches.
    static void RegisterStandardControls();

    // A new pane of the entry's class; throws nilP for a class ID that nobody registered.
    static LPane* CreateObject(const LPaneEntry& entry);
};
