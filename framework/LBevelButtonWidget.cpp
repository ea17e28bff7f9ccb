#include "framework/LBevelButtonWidget.h"

#include "framework/LException.h"

#include <QAction>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QTimer>

#include <algorithm>

namespace {

// A menu taller than the screen scrolls, as pop-up menus do, rather than spreading into columns that may
// run off the screen's edge and cut off the items' texts.
class ScrollingMenuStyle : public QProxyStyle {
public:
    int styleHint(
        StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_Menu_Scrollable)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The menu of a multi-check button stays open when an item is checked, so that several can be chosen in
// one opening; it closes as menus do on Escape or a click elsewhere.
class CheckingMenu : public QMenu {
public:
    bool staysOpen = false;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (TriggerInPlace(actionAt(event->position().toPoint())))
            return;
        QMenu::mouseReleaseEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        bool choose = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
        if (choose && TriggerInPlace(activeAction()))
            return;
        QMenu::keyPressEvent(event);
    }

private:
    bool TriggerInPlace(QAction* action)
    {
        if (!staysOpen || action == nullptr || action->isSeparator() || !action->isEnabled() || action->menu())
            return false;
        action->trigger();
        return true;
    }
};

QString ItemText(const Str255& text)
{
    // Item texts are shown literally: an ampersand would otherwise mark a shortcut letter.
    QString shown = QString::fromUtf8(reinterpret_cast<const char*>(text.data() + 1), text[0]);
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return shown;
}

}

LBevelButtonWidget::LBevelButtonWidget()
    : mMenu(std::make_unique<CheckingMenu>())
{
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setMenu(mMenu.get());
    auto* style = new ScrollingMenuStyle;
    style->setParent(mMenu.get());
    mMenu->setStyle(style);
    // A single-choice menu opens on its current item, scrolled into view and ready for the arrow keys; a
    // menu scrolls only once it is on the screen.
    connect(mMenu.get(), &QMenu::aboutToShow, this,
        [this] { QTimer::singleShot(0, mMenu.get(), [this] { ShowCurrentItem(); }); });
}

LBevelButtonWidget::~LBevelButtonWidget()
{
    Attach(nullptr);
    setMenu(nullptr);
}

int LBevelButtonWidget::FittingWidth() const
{
    QFontMetrics metrics(font());
    int face = metrics.horizontalAdvance(text());
    int widest = face;
    if (mButton != nullptr && mButton->GetMenuBehavior() == LBevelButton::MenuBehavior::SingleChoice) {
        for (QAction* action : mItemActions)
            widest = std::max(widest, metrics.horizontalAdvance(action->text().replace(QLatin1String("&&"), "&")));
    }
    return sizeHint().width() - face + widest;
}

void LBevelButtonWidget::ShowCurrentItem()
{
    if (mButton == nullptr || mButton->GetMenuBehavior() != LBevelButton::MenuBehavior::SingleChoice)
        return;
    int16_t current = mButton->GetCurrentMenuItem();
    if (mMenu->isVisible() && current >= 1 && current <= mItemActions.size())
        mMenu->setActiveAction(mItemActions[current - 1]);
}

void LBevelButtonWidget::Attach(LBevelButton* button)
{
    if (mButton != nullptr)
        mButton->SetChangeHandler({});
    mButton = button;
    if (mButton != nullptr) {
        mButton->SetChangeHandler([this] { FollowButton(); });
        FollowButton();
    }
}

void LBevelButtonWidget::FollowButton()
{
    if (mButton == nullptr)
        return;
    static_cast<CheckingMenu*>(mMenu.get())->staysOpen
        = mButton->GetMenuBehavior() == LBevelButton::MenuBehavior::MultiCheck;
    FollowAllAndNone();
    // Actions are updated in place, and surplus ones deleted later: this may run while an action's own
    // triggered signal is being delivered, and that action must outlive the call.
    int16_t count = mButton->CountMenuItems();
    while (mItemActions.size() > count) {
        QAction* extra = mItemActions.takeLast();
        mMenu->removeAction(extra);
        extra->deleteLater();
    }
    for (auto item = static_cast<int16_t>(mItemActions.size() + 1); item <= count; ++item) {
        QAction* action = mMenu->addAction(QString());
        connect(action, &QAction::triggered, this, [this, item] {
            if (mButton != nullptr)
                LException::ReportAndDrop("pop-up menu", [&] { mButton->UserChoseItem(item); });
        });
        mItemActions.append(action);
    }
    for (int16_t item = 1; item <= count; ++item) {
        Str255 text = mButton->GetMenuItemLabel(item);
        QAction* action = mItemActions[item - 1];
        bool separator = mButton->IsMenuItemSeparator(item);
        action->setSeparator(separator);
        action->setCheckable(!separator);
        action->setText(separator ? QString() : ItemText(text));
        action->setChecked(mButton->IsMenuItemChecked(item));
    }

    if (mButton->GetMenuBehavior() == LBevelButton::MenuBehavior::SingleChoice && mButton->GetCurrentMenuItem() > 0) {
        setText(ItemText(mButton->GetMenuItemLabel(mButton->GetCurrentMenuItem())));
    } else {
        setText(QString::fromStdString(mButton->GetDescriptor()));
    }
}

void LBevelButtonWidget::FollowAllAndNone()
{
    bool offered = mButton->OffersAllAndNone();
    if (offered == !mAllAndNone.isEmpty())
        return;
    if (!offered) {
        for (QAction* action : mAllAndNone) {
            mMenu->removeAction(action);
            action->deleteLater();
        }
        mAllAndNone.clear();
        return;
    }
    // Above the items, apart from them.
    QAction* before = mItemActions.isEmpty() ? nullptr : mItemActions.front();
    for (bool checked : { true, false }) {
        auto* action = new QAction(checked ? QStringLiteral("All") : QStringLiteral("None"), mMenu.get());
        connect(action, &QAction::triggered, this, [this, checked] {
            if (mButton != nullptr)
                LException::ReportAndDrop("pop-up menu", [&] { mButton->UserChoseAll(checked); });
        });
        mMenu->insertAction(before, action);
        mAllAndNone.append(action);
    }
    auto* separator = new QAction(mMenu.get());
    separator->setSeparator(true);
    mMenu->insertAction(before, separator);
    mAllAndNone.append(separator);
}
