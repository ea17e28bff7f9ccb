#include "display/DockTray.h"

#include "framework/LApplication.h"
#include "framework/LCommander.h"
#include "framework/LException.h"
#include "framework/UMenuBar.h"
#include "framework/UWindowSystem.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

DockTray::DockTray()
    : mMenu(std::make_unique<QMenu>())
    , mIcon(std::make_unique<QSystemTrayIcon>())
{
    AddCommand("New Data Window", cmd_NewDataWindow);
    AddCommand("New Graph Window", cmd_NewGraphWindow);
    AddCommand("Compare Machines…", cmd_CompareMachines);
    mMenu->addSeparator();
    AddCommand("Preferences…", cmd_Preferences);
    AddCommand("Check for New Version…", cmd_CheckForNewVersion);
    AddCommand("About Kelvara", cmd_About);
    mMenu->addSeparator();
    AddCommand("Quit Kelvara", cmd_Quit);
    mIcon->setToolTip(QStringLiteral("Kelvara"));
    mIcon->setContextMenu(mMenu.get());
    QObject::connect(
        mIcon.get(), &QSystemTrayIcon::activated, mIcon.get(), [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                Clicked();
        });
    // Like the windows' menus: the menu shows what is enabled when it opens, and a choice is checked
    // again when it is carried out, once the menu has closed.
    QMenu* menu = mMenu.get();
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        if (LCommander* target = LCommander::GetTarget())
            UMenuBar::UpdateStatus(menu, target);
    });
}

DockTray::~DockTray() = default;

void DockTray::AddCommand(const char* title, CommandT command)
{
    QAction* action = mMenu->addAction(QString::fromUtf8(title));
    action->setData(command);
    QObject::connect(action, &QAction::triggered, action, [command] {
        QMetaObject::invokeMethod(
            qApp,
            [command] {
                if (LCommander* target = LCommander::GetTarget())
                    UMenuBar::Choose(target, command);
            },
            Qt::QueuedConnection);
    });
}

void DockTray::SetIcon(const QIcon& icon)
{
    mIcon->setIcon(icon);
    if (!mIcon->isVisible())
        mIcon->show();
}

void DockTray::SetToolTip(const std::string& text)
{
    mIcon->setToolTip(QString::fromStdString(text));
}

void DockTray::ShowMessage(const std::string& title, const std::string& text)
{
    mIcon->showMessage(QString::fromStdString(title), QString::fromStdString(text), QSystemTrayIcon::Warning);
}

void DockTray::Clicked()
{
    // After the click has been handled: the application may open a window.
    QMetaObject::invokeMethod(
        qApp,
        [] {
            if (LApplication* application = LApplication::GetApplication())
                LException::ReportAndDrop(
                    "the tray icon", [application] { application->ObeyCommand(cmd_ReopenApplication, nullptr); });
        },
        Qt::QueuedConnection);
}

namespace {

std::optional<bool>& AvailableOverride()
{
    static std::optional<bool> available;
    return available;
}

bool& HostRegistered()
{
    static bool registered = false;
    return registered;
}

}

bool DockTray::IsAvailable()
{
    if (AvailableOverride())
        return *AvailableOverride();
    if (WaitsForHost())
        return false;
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr
        && QSystemTrayIcon::isSystemTrayAvailable();
}

void DockTray::SetAvailableForTesting(std::optional<bool> available)
{
    AvailableOverride() = available;
}

bool DockTray::WaitsForHost()
{
    return UWindowSystem::IsWayland() && !HostRegistered();
}

void DockTray::NoteHostRegistered()
{
    HostRegistered() = true;
}
