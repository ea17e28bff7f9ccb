#include "framework/LWindow.h"

#include "framework/LApplication.h"
#include "framework/LException.h"
#include "framework/UMenuBar.h"
#include "framework/URegistrar.h"
#include "framework/UScreenPlacement.h"
#include "framework/UWindowSystem.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cstdint>

namespace {

std::vector<LWindow*>& WindowList()
{
    static std::vector<LWindow*> windows;
    return windows;
}

// The Qt window: it tells its LWindow of resizing, activation and the user's wish to close.
class WindowFrame : public QMainWindow {
public:
    explicit WindowFrame(LWindow* window)
        : mWindow(window)
    {
        setAttribute(Qt::WA_DeleteOnClose, false);
    }
    void Detach() { mWindow = nullptr; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (mWindow != nullptr && watched == centralWidget() && event->type() == QEvent::Resize)
            LException::ReportAndDrop("resizing a window", [this] { mWindow->ContentResized(); });
        return QMainWindow::eventFilter(watched, event);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        // Keys that no pane took come to the window.
        bool handled = false;
        if (mWindow != nullptr)
            LException::ReportAndDrop("a key", [&] { handled = mWindow->HandleKeyPress(event->key()); });
        if (!handled)
            QMainWindow::keyPressEvent(event);
    }

    void changeEvent(QEvent* event) override
    {
        if (mWindow != nullptr && event->type() == QEvent::ActivationChange && isActiveWindow())
            mWindow->Activated();
        QMainWindow::changeEvent(event);
    }

    void closeEvent(QCloseEvent* event) override
    {
        // The window is deleted only after this event: a widget must not be deleted inside its own handler.
        event->ignore();
        QPointer<WindowFrame> frame(this);
        QMetaObject::invokeMethod(
            qApp,
            [frame] {
                if (frame && frame->mWindow != nullptr)
                    frame->mWindow->CloseRequested();
            },
            Qt::QueuedConnection);
    }

private:
    LWindow* mWindow;
};

// The window's own pane ID, from the layout's "id"; its frame follows from its size.
SPaneInfo WindowPaneInfo(const LPaneEntry& layout)
{
    SPaneInfo info;
    info.paneID = layout.GetPaneInfo().paneID;
    return info;
}

// New windows without a place of their own cascade down and to the right.
constexpr int kCascadeStep = 24;
// The height of a title bar, until the desktop has decorated the window and its own is known.
constexpr int kAssumedTitleBarHeight = 30;

}

LWindow* LWindow::CreateWindow(ResIDT layoutID, LCommander* superCommander)
{
    return CreateWindow(UResources::GetLayout(layoutID), superCommander);
}

LWindow* LWindow::CreateWindow(const LPaneEntry& layout, LCommander* superCommander)
{
    LPane* object = URegistrar::CreateObject(layout);
    auto* window = dynamic_cast<LWindow*>(object);
    if (window == nullptr) {
        delete object;
        Throw_(err_NilPointer, "the layout does not name a window class");
    }
    try {
        window->SetSuperCommander(superCommander);
        CreatePanes(window, layout);
        window->FinishCreate();
    } catch (...) {
        delete window;
        throw;
    }
    if (layout.GetBool("showOnCreate", true))
        window->Show();
    return window;
}

void LWindow::CreatePanes(LView* view, const LPaneEntry& entry)
{
    for (const LPaneEntry& paneEntry : entry.GetSubpanes()) {
        LPane* pane = URegistrar::CreateObject(paneEntry);
        view->AddSubPane(pane);
        if (auto* subview = dynamic_cast<LView*>(pane))
            CreatePanes(subview, paneEntry);
    }
}

void LWindow::MakeRowPanes(int32_t row)
{
    MakeRowPanes(this, mLayout, row);
}

void LWindow::MakeRowPanes(LView* view, const LPaneEntry& entry, int32_t row)
{
    for (const LPaneEntry& rowEntry : entry.GetRowEntries(row)) {
        if (view->FindPaneByID(rowEntry.GetPaneInfo().paneID) != nullptr)
            continue;
        LPane* pane = URegistrar::CreateObject(rowEntry);
        view->AddSubPane(pane);
        pane->FinishCreate();
    }
    for (const LPaneEntry& paneEntry : entry.GetSubpanes()) {
        if (!paneEntry.HasSubpanes())
            continue;
        if (auto* subview = dynamic_cast<LView*>(view->FindPaneByID(paneEntry.GetPaneInfo().paneID)))
            MakeRowPanes(subview, paneEntry, row);
    }
}

LWindow::LWindow(const LPaneEntry& layout)
    : LWindow(layout, Kind::Document)
{
}

LWindow::LWindow(const LPaneEntry& layout, Kind kind)
    : LView(WindowPaneInfo(layout))
    , mTopLevel(new WindowFrame(this))
    , mLayout(layout)
    , mKind(kind)
    , mResizable(layout.GetBool("resizable", false))
{
    mTopLevel->setCentralWidget(GetWidget());
    GetWidget()->setVisible(true);
    GetWidget()->setAutoFillBackground(true);
    GetWidget()->installEventFilter(mTopLevel);
    if (kind == Kind::Dialog) {
        // A dialog is shown as one by the desktop, keeps the user's attention and has no menu bar of its own.
        mTopLevel->setWindowFlags(
            Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        mTopLevel->setWindowModality(Qt::ApplicationModal);
    } else {
        UMenuBar::Install(mTopLevel, this);
    }
    SetDescriptor(layout.GetString("title", "Kelvara"));

    int32_t width = 200;
    int32_t height = 100;
    layout.GetPair("size", width, height);
    int32_t minWidth = 0;
    int32_t minHeight = 0;
    if (layout.GetPair("minSize", minWidth, minHeight))
        GetWidget()->setMinimumSize(minWidth, minHeight);
    ApplyContentSize(width, height);
    LView::ResizeFrameTo(static_cast<int16_t>(width), static_cast<int16_t>(height), false);

    int32_t left = 80;
    int32_t top = 80;
    int32_t cascade = static_cast<int32_t>(WindowList().size() % 8) * kCascadeStep;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (layout.GetString("position") == "center" && primary != nullptr) {
        // Across the middle of the screen, a little above its centre, as desktops place dialogs.
        QRect screen = primary->availableGeometry();
        left = screen.left() + std::max(0, (screen.width() - width) / 2);
        top = screen.top() + std::max(0, (screen.height() - height) / 3);
        cascade = 0;
    } else {
        layout.GetPair("position", left, top);
    }
    WindowList().push_back(this);
    MoveWindowTo(static_cast<int16_t>(left + cascade), static_cast<int16_t>(top + cascade));
}

LWindow::~LWindow()
{
    std::erase(WindowList(), this);
    static_cast<WindowFrame*>(mTopLevel)->Detach();
    // The panes first, then the Qt window that holds their widgets.
    while (!mSubPanes.empty())
        mSubPanes.pop_back();
    delete mTopLevel;
}

const std::vector<LWindow*>& LWindow::GetWindowList()
{
    return WindowList();
}

void LWindow::DeleteAllWindows()
{
    while (!WindowList().empty())
        delete WindowList().back();
}

int LWindow::ContentOffset() const
{
    QWidget* menu = mTopLevel->menuWidget();
    if (menu == nullptr)
        return 0;
    if (auto* bar = qobject_cast<QMenuBar*>(menu); bar != nullptr && bar->isNativeMenuBar())
        return 0;
    return menu->sizeHint().height();
}

void LWindow::ApplyContentSize(int width, int height)
{
    int offset = ContentOffset();
    if (mResizable) {
        mTopLevel->resize(width, height + offset);
    } else {
        mTopLevel->setFixedSize(width, height + offset);
    }
    // Qt lays the window out when it is shown; until then the content follows at once.
    if (!mTopLevel->isVisible())
        GetWidget()->resize(width, height);
}

void LWindow::Show()
{
    // A window about to appear comes onto a screen: its recorded place may be on a monitor that is gone,
    // and new windows cascade down and to the right without end.
    if (!mTopLevel->isVisible()) {
        if (mKind == Kind::Dialog)
            PlaceOverActiveWindow();
        KeepOnScreen();
    }
    mInfo.visible = true;
    mTopLevel->show();
}

void LWindow::PlaceOverActiveWindow()
{
    // A dialog belongs to the window the user was working in: it stays above it, centred over it.
    QWidget* active = QApplication::activeWindow();
    if (active == nullptr || active == mTopLevel)
        return;
    mTopLevel->winId();
    if (QWindow* handle = mTopLevel->windowHandle())
        handle->setTransientParent(active->windowHandle());
    QRect over = active->geometry();
    QRect own = mTopLevel->geometry();
    Rect bounds;
    GetGlobalBounds(bounds);
    int dh = over.center().x() - own.center().x();
    int dv = over.center().y() - own.center().y();
    MoveWindowTo(static_cast<int16_t>(bounds.left + dh), static_cast<int16_t>(bounds.top + dv));
}

void LWindow::KeepOnScreen()
{
    // Where the compositor places the window, it is on screen.
    if (UWindowSystem::IsWayland())
        return;
    std::vector<Rect> areas = UScreenPlacement::AvailableScreenAreas();
    if (areas.empty())
        return;
    // The outer frame: before the desktop has decorated the window, room for a title bar is assumed.
    QRect content = mTopLevel->geometry();
    QRect frame = mTopLevel->frameGeometry();
    int titleBar = frame.top() < content.top() ? content.top() - frame.top() : kAssumedTitleBarHeight;
    int top = content.top() - titleBar;
    int left = content.left();
    int bottom = content.top() + content.height();
    int right = content.left() + content.width();
    // A window that reaches past the 16 bits of a rectangle is looked at from just inside them: what
    // counts is where it ends up.
    int dh = std::min(0, INT16_MAX - right) + std::max(0, INT16_MIN - left);
    int dv = std::min(0, INT16_MAX - bottom) + std::max(0, INT16_MIN - top);
    Rect outer { static_cast<int16_t>(top + dv), static_cast<int16_t>(left + dh), static_cast<int16_t>(bottom + dv),
        static_cast<int16_t>(right + dh) };
    Rect placed = UScreenPlacement::PlaceOnScreen(outer, areas);
    if (placed.left == left && placed.top == top)
        return;
    Rect bounds;
    GetGlobalBounds(bounds);
    MoveWindowTo(
        static_cast<int16_t>(bounds.left + placed.left - left), static_cast<int16_t>(bounds.top + placed.top - top));
}

Rect LWindow::BoundedToScreen(const Rect& recorded) const
{
    int32_t width = 200;
    int32_t height = 100;
    mLayout.GetPair("size", width, height);
    return UScreenPlacement::BoundSize(
        recorded, UScreenPlacement::AvailableScreenAreas(), width, height, kAssumedTitleBarHeight + ContentOffset());
}

void LWindow::Hide()
{
    mInfo.visible = false;
    mTopLevel->hide();
}

void LWindow::Select()
{
    // A window the user minimised comes back too: it is what they look for.
    if (mTopLevel->windowState() & Qt::WindowMinimized)
        mTopLevel->setWindowState(mTopLevel->windowState() & ~Qt::WindowMinimized);
    Show();
    mTopLevel->raise();
    mTopLevel->activateWindow();
    SetTarget(this);
}

void LWindow::MoveWindowTo(int16_t left, int16_t top)
{
    mPlaceLeft = left;
    mPlaceTop = top;
    // A Wayland compositor places windows itself and reports no place: the window keeps the place it was
    // given (the one recorded on X11, say), so that it is recorded unchanged.
    if (UWindowSystem::IsWayland())
        return;
    QRect geometry = mTopLevel->geometry();
    mTopLevel->setGeometry(left, top - ContentOffset(), geometry.width(), geometry.height());
}

void LWindow::ResizeWindowTo(int16_t width, int16_t height)
{
    Rect bounds;
    GetGlobalBounds(bounds);
    // A window so far right or down that its new size would pass the 16 bits of a rectangle starts that
    // much earlier instead; a wrapped edge would give it no size at all.
    bounds.left = static_cast<int16_t>(std::min<int>(bounds.left, INT16_MAX - width));
    bounds.top = static_cast<int16_t>(std::min<int>(bounds.top, INT16_MAX - height));
    bounds.right = static_cast<int16_t>(bounds.left + width);
    bounds.bottom = static_cast<int16_t>(bounds.top + height);
    DoSetBounds(bounds);
    // A window that grew past the screen's edge (more rows, more columns) comes back onto it.
    if (mTopLevel->isVisible())
        KeepOnScreen();
}

void LWindow::PlaceWidget()
{
    // The Qt window lays out its content below the menu bar.
}

void LWindow::DoSetBounds(const Rect& bounds)
{
    // Qt keeps a window at least as large as its minimum size, so the panes are laid out for that too.
    QSize minimum = GetWidget()->minimumSize();
    int width = std::max(minimum.width(), bounds.right - bounds.left);
    int height = std::max(minimum.height(), bounds.bottom - bounds.top);
    mApplyingBounds = true;
    ApplyContentSize(width, height);
    MoveWindowTo(bounds.left, bounds.top);
    LView::ResizeFrameTo(static_cast<int16_t>(width), static_cast<int16_t>(height), true);
    mApplyingBounds = false;
}

void LWindow::GetGlobalBounds(Rect& outBounds) const
{
    // Every edge is kept to the 16 bits of a rectangle: a window near the end of that range would otherwise
    // be recorded with its right edge wrapped round to the far left.
    auto edge = [](int value) { return static_cast<int16_t>(std::clamp(value, INT16_MIN, INT16_MAX)); };
    QRect geometry = mTopLevel->geometry();
    int left = geometry.left();
    int top = geometry.top() + ContentOffset();
    if (UWindowSystem::IsWayland()) {
        left = mPlaceLeft;
        top = mPlaceTop;
    }
    outBounds.left = edge(left);
    outBounds.top = edge(top);
    outBounds.right = edge(left + mInfo.width);
    outBounds.bottom = edge(top + mInfo.height);
}

void LWindow::ContentResized()
{
    QSize size = GetWidget()->size();
    if (size.width() == mInfo.width && size.height() == mInfo.height)
        return;
    if (mApplyingBounds) {
        LView::ResizeFrameTo(static_cast<int16_t>(size.width()), static_cast<int16_t>(size.height()), true);
        return;
    }
    // The user resized the window.
    Rect bounds;
    GetGlobalBounds(bounds);
    bounds.right = static_cast<int16_t>(bounds.left + size.width());
    bounds.bottom = static_cast<int16_t>(bounds.top + size.height());
    DoSetBounds(bounds);
}

void LWindow::Activated()
{
    SetTarget(this);
}

void LWindow::CloseRequested()
{
    LException::ReportAndDrop("closing a window", [this] { AttemptClose(); });
    NotifyWindowClosed();
}

void LWindow::NotifyWindowClosed()
{
    // The application may have rules for the last window; the window itself may be gone by now.
    if (LApplication* application = LApplication::GetApplication())
        LException::ReportAndDrop("a window closed", [application] { application->WindowClosed(); });
}

bool LWindow::IsDocumentWindowShown()
{
    return std::any_of(WindowList().begin(), WindowList().end(),
        [](LWindow* window) { return window->mKind == Kind::Document && window->mTopLevel->isVisible(); });
}

bool LWindow::AreShownWindowsExposed()
{
    return std::all_of(WindowList().begin(), WindowList().end(), [](LWindow* window) {
        QWindow* handle = window->mTopLevel->windowHandle();
        return !window->mTopLevel->isVisible() || (handle != nullptr && handle->isExposed());
    });
}

std::string LWindow::GetDescriptor() const
{
    return mTopLevel->windowTitle().toStdString();
}

void LWindow::SetDescriptor(std::string_view title)
{
    mTopLevel->setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

void LWindow::AttemptClose()
{
    DoClose();
}

void LWindow::DoClose()
{
    delete this;
}

void LWindow::DoCloseLater()
{
    Hide();
    QPointer<QMainWindow> frame(mTopLevel);
    QMetaObject::invokeMethod(
        qApp,
        [frame, this] {
            if (frame)
                DoClose();
        },
        Qt::QueuedConnection);
}

bool LWindow::HandleKeyPress(int)
{
    return false;
}

bool LWindow::ObeyCommand(CommandT command, void* parameter)
{
    if (command == cmd_Close) {
        AttemptClose();
        NotifyWindowClosed();
        return true;
    }
    return LCommander::ObeyCommand(command, parameter);
}

void LWindow::FindCommandStatus(CommandT command, bool& enabled, bool& usesMark, uint16_t& mark, Str255& name)
{
    if (command == cmd_Close) {
        enabled = true;
        usesMark = false;
        return;
    }
    LCommander::FindCommandStatus(command, enabled, usesMark, mark, name);
}
