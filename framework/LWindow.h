// A top-level window built from a layout resource: its panes are made by class ID and found by pane ID;
// it is a commander between its panes and the application, and carries the application's menu bar.
#pragma once

#include "framework/LCommander.h"
#include "framework/LView.h"
#include "framework/UResources.h"

#include <vector>

class QMainWindow;

constexpr CommandT cmd_Close = 4;

class LWindow : public LView, public LCommander {
public:
    // Builds the window of layoutID and its panes, runs FinishCreate, and shows the window when its layout
    // says so. Throws nilP when the layout or one of its classes cannot be made.
    static LWindow* CreateWindow(ResIDT layoutID, LCommander* superCommander);
    static LWindow* CreateWindow(const LPaneEntry& layout, LCommander* superCommander);
    // Makes the panes of entry (recursively) inside view.
    static void CreatePanes(LView* view, const LPaneEntry& entry);

    // Makes the panes of row number row that the layout repeats in rows and that do not exist yet, in the
    // views where the layout puts them, so that a window can show as many rows as it needs.
    void MakeRowPanes(int32_t row);

    // A document window carries the application's menu bar; a dialog is modal and has none.
    enum class Kind { Document, Dialog };

    // From a layout: "title", "size" [width, height] of the content, "position" [left, top] or
    // "center", "showOnCreate", "resizable", "minSize", "maxSize", and "id", the window's own pane ID.
    explicit LWindow(const LPaneEntry& layout);
    LWindow(const LPaneEntry& layout, Kind kind);
    ~LWindow() override;

    void Show() override;
    void Hide() override;
    // Brings the window to the front (out of the task bar when minimised) and makes it the target of commands.
    void Select();

    // The content's top left corner, in global coordinates. On Wayland the window is left where the
    // compositor puts it, and the place given is what the window reports as its own.
    void MoveWindowTo(int16_t left, int16_t top);
    // The content's size; a window on screen that grew past the screen's edge comes back onto it.
    void ResizeWindowTo(int16_t width, int16_t height);
    // Moves the window, title bar included, onto the screen it overlaps most, if it sticks out of it.
    void KeepOnScreen();
    // A recorded content rectangle bounded by what the desktop can show: no larger than the available area
    // of its screen (title bar and menu bar included), and the layout's size for an inverted or empty one.
    Rect BoundedToScreen(const Rect& recorded) const;
    // The content's rectangle in global coordinates; the user's resizing comes here too.
    virtual void DoSetBounds(const Rect& bounds);
    void GetGlobalBounds(Rect& outBounds) const;

    std::string GetDescriptor() const override;
    void SetDescriptor(std::string_view title) override;

    // Closing as the user asks for it; subclasses announce it first. The default closes.
    virtual void AttemptClose();
    // Deletes the window.
    virtual void DoClose();
    // Hides the window at once and deletes it once the event being handled is over: a window must not
    // be deleted from inside a handler of one of its own panes.
    void DoCloseLater();

    bool ObeyCommand(CommandT command, void* parameter) override;
    void FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name) override;

    QMainWindow* GetTopLevel() const { return mTopLevel; }
    bool IsResizable() const { return mResizable; }

    static const std::vector<LWindow*>& GetWindowList();
    static void DeleteAllWindows();
    // Whether a window other than a dialog is on screen.
    static bool IsDocumentWindowShown();
    // Whether every window on screen has been exposed by the window system, and so drawn.
    static bool AreShownWindowsExposed();
    Kind GetKind() const { return mKind; }

    // A key (a Qt key code) that no pane took; true when the window used it. The default uses none.
    virtual bool HandleKeyPress(int key);

    // Called by the top-level widget.
    void ContentResized();
    void Activated();
    void CloseRequested();

protected:
    void PlaceWidget() override;

private:
    static void MakeRowPanes(LView* view, const LPaneEntry& entry, int32_t row);
    static void NotifyWindowClosed();
    void PlaceOverActiveWindow();
    int ContentOffset() const;
    void ApplyContentSize(int width, int height);

    QMainWindow* mTopLevel;
    LPaneEntry mLayout;
    Kind mKind;
    bool mResizable;
    bool mApplyingBounds = false;
    int16_t mPlaceLeft = 0;
    int16_t mPlaceTop = 0;
};
