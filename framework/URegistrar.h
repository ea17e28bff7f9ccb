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

    // The framework's classes: windows, dialogs, views, scrollers, static texts, text views, bevel and push
    // buttons.
    static void RegisterFrameworkClasses();

    // A new pane of the entry's class; throws nilP for a class ID that nobody registered.
    static LPane* CreateObject(const LPaneEntry& entry);
};
