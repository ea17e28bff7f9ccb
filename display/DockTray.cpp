#include "display/DockTray.h"

#include "framework/LCommander.h"
#include "framework/UMenuBar.h"

#include <QAction>
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
    mMenu->addSeparator();
    AddCommand("Preferences…", cmd_Preferences);
    mMenu->addSeparator();
    AddCommand("Quit Kelvara", cmd_Quit);
    mIcon->setToolTip(QStringLiteral("Kelvara"));
    mIcon->setContextMenu(mMenu.get());
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
