#include "framework/UMenuBar.h"

#include "framework/LCommander.h"
#include "framework/LException.h"
#include "framework/UResources.h"

#include <QAction>
#include <QCoreApplication>
#include <QJsonArray>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

CommandT CommandOf(const QJsonValue& value)
{
    if (value.isString())
        return FourCCFromText(value.toString().toStdString());
    return value.toInt();
}

}

void UMenuBar::UpdateStatus(QMenu* menu, LCommander* commander)
{
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        bool enabled = false;
        bool usesMark = false;
        uint16_t mark = 0;
        Str255 name {};
        LException::ReportAndDrop("menu status",
            [&] { commander->FindCommandStatus(action->data().toInt(), enabled, usesMark, mark, name); });
        action->setEnabled(enabled);
        if (name[0] > 0)
            action->setText(QString::fromStdString(Str255ToString(name)));
        action->setCheckable(usesMark);
        if (usesMark)
            action->setChecked(mark != 0);
    }
}

void UMenuBar::Choose(LCommander* commander, int command)
{
    bool enabled = false;
    bool usesMark = false;
    uint16_t mark = 0;
    Str255 name {};
    LException::ReportAndDrop(
        "menu status", [&] { commander->FindCommandStatus(command, enabled, usesMark, mark, name); });
    if (!enabled)
        return;
    LCommander::SetTarget(commander);
    LCommander::ProcessCommand(command);
}

void UMenuBar::Install(QMainWindow* window, LCommander* commander)
{
    QMenuBar* bar = window->menuBar();
    for (const QJsonValue& menuValue : UResources::GetMenus()) {
        QJsonObject menuObject = menuValue.toObject();
        QMenu* menu = bar->addMenu(menuObject.value("title").toString());
        for (const QJsonValue& itemValue : menuObject.value("items").toArray()) {
            QJsonObject item = itemValue.toObject();
            if (item.value("separator").toBool()) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(item.value("text").toString());
            action->setData(CommandOf(item.value("command")));
            if (item.contains("shortcut"))
                action->setShortcut(QKeySequence(item.value("shortcut").toString()));
            // Chosen commands run once the menu has closed: a command may close the very window whose
            // menu delivered it.
            QPointer<QMainWindow> guard(window);
            QObject::connect(action, &QAction::triggered, [guard, commander, action] {
                int command = action->data().toInt();
                QMetaObject::invokeMethod(
                    qApp,
                    [guard, commander, command] {
                        if (guard)
                            Choose(commander, command);
                    },
                    Qt::QueuedConnection);
            });
        }
        // The menu shows what is enabled when it opens; in between, every item stays enabled so that its
        // shortcut reaches Choose, which asks the commanders again.
        QObject::connect(menu, &QMenu::aboutToShow, [menu, commander] { UpdateStatus(menu, commander); });
        QObject::connect(menu, &QMenu::aboutToHide, [menu] {
            for (QAction* action : menu->actions())
                action->setEnabled(true);
        });
    }
}
