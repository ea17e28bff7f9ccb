#include "display/DockTray.h"

#include "framework/LCommander.h"

#include <QAction>
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
}

DockTray::~DockTray() = default;

void DockTray::AddCommand(const char* title, CommandT command)
{
    QAction* action = mMenu->addAction(QString::fromUtf8(title));
    QObject::connect(action, &QAction::triggered, action, [command] { LCommander::ProcessCommand(command); });
}

void DockTray::SetIcon(const QIcon& icon)
{
    mIcon->setIcon(icon);
    if (!mIcon->isVisible())
        mIcon->show();
}
