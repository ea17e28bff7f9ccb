// The menu bar that every window carries: the application's commands from the menus resource, enabled
// and named by the commander chain that starts at the window.
#pragma once

class LCommander;
class QMainWindow;
class QMenu;

class UMenuBar {
public:
    static void Install(QMainWindow* window, LCommander* commander);
    // Enables, names and marks a menu's items (their data is the command) by what commander's chain says.
    static void UpdateStatus(QMenu* menu, LCommander* commander);
    // What choosing a menu item does: the command goes to commander's chain, if it is enabled there.
    static void Choose(LCommander* commander, int command);
};
