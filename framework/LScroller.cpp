#include "framework/LScroller.h"

#include <QKeyEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

// The scroll area that the user moves with the wheel and the keys: along its one direction, whichever way
// the wheel turns, and Home and End to the image's ends.
class ScrollArea : public QScrollArea {
public:
    explicit ScrollArea(bool vertical)
        : mVertical(vertical)
    {
        setFocusPolicy(Qt::WheelFocus);
    }

protected:
    void wheelEvent(QWheelEvent* event) override
    {
        QPoint pixels = event->pixelDelta();
        QPoint angle = event->angleDelta();
        // Wheels turn vertically; a horizontal strip follows them as it follows a touchpad's sideways swipe.
        int delta = 0;
        if (!pixels.isNull())
            delta = std::abs(pixels.x()) > std::abs(pixels.y()) ? pixels.x() : pixels.y();
        else
            delta = (std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y()) * Bar()->singleStep() / 40;
        if (delta == 0) {
            event->ignore();
            return;
        }
        Bar()->setValue(Bar()->value() - delta);
        event->accept();
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        QScrollBar* bar = Bar();
        switch (event->key()) {
        case Qt::Key_Home:
            bar->setValue(bar->minimum());
            break;
        case Qt::Key_End:
            bar->setValue(bar->maximum());
            break;
        case Qt::Key_PageUp:
            bar->setValue(bar->value() - bar->pageStep());
            break;
        case Qt::Key_PageDown:
            bar->setValue(bar->value() + bar->pageStep());
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            bar->setValue(bar->value() - bar->singleStep());
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            bar->setValue(bar->value() + bar->singleStep());
            break;
        default:
            QScrollArea::keyPressEvent(event);
            return;
        }
        event->accept();
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        // A click in the image gives it the keys.
        setFocus(Qt::MouseFocusReason);
        QScrollArea::mousePressEvent(event);
    }

private:
    QScrollBar* Bar() const { return mVertical ? verticalScrollBar() : horizontalScrollBar(); }

    bool mVertical;
};

}

LScroller::LScroller(const LPaneEntry& entry)
    : LScroller(entry.GetPaneInfo(), entry.GetString("scroll") == "vertical", entry.GetBool("barRoom", true))
{
}

LScroller::LScroller(const SPaneInfo& info, bool vertical, bool keepsBarRoom)
    : LView(info, new ScrollArea(vertical))
    , mVertical(vertical)
    , mKeepsBarRoom(keepsBarRoom)
{
    QScrollArea* area = Area();
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(false);
    if (mVertical) {
        // Only where there is more to see; the view keeps room for the bar so that nothing moves when it comes.
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    } else {
        // Always there, so that the visible height never changes under the scrolled view.
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

QScrollArea* LScroller::Area() const
{
    return static_cast<QScrollArea*>(GetWidget());
}

QWidget* LScroller::GetContentWidget() const
{
    return Area()->viewport();
}

LView* LScroller::GetScrolledView() const
{
    return mSubPanes.empty() ? nullptr : dynamic_cast<LView*>(mSubPanes.front().get());
}

int32_t LScroller::GetImageOriginH() const
{
    return mVertical ? 0 : -Area()->horizontalScrollBar()->value();
}

int32_t LScroller::GetImageOriginV() const
{
    return mVertical ? -Area()->verticalScrollBar()->value() : 0;
}

int32_t LScroller::GetScrollPosition() const
{
    return (mVertical ? Area()->verticalScrollBar() : Area()->horizontalScrollBar())->value();
}

int32_t LScroller::GetScrollRange() const
{
    return (mVertical ? Area()->verticalScrollBar() : Area()->horizontalScrollBar())->maximum();
}

void LScroller::ScrollTo(int32_t position)
{
    (mVertical ? Area()->verticalScrollBar() : Area()->horizontalScrollBar())->setValue(position);
}

int32_t LScroller::GetBarWidth() const
{
    return mVertical ? Area()->verticalScrollBar()->sizeHint().width()
                     : Area()->horizontalScrollBar()->sizeHint().height();
}

void LScroller::FinishCreateSelf()
{
    FitScrolledView();
}

void LScroller::ResizeFrameBy(int16_t dWidth, int16_t dHeight, bool refresh)
{
    LPane::ResizeFrameBy(dWidth, dHeight, refresh);
    FitScrolledView();
}

void LScroller::FitScrolledView()
{
    LView* view = GetScrolledView();
    if (view == nullptr)
        return;
    QScrollArea* area = Area();
    if (area->widget() != view->GetWidget())
        area->setWidget(view->GetWidget());
    int16_t width = mInfo.width;
    int16_t height = mInfo.height;
    if (mVertical && mKeepsBarRoom)
        width = static_cast<int16_t>(std::max(0, width - GetBarWidth()));
    else
        height = static_cast<int16_t>(std::max(0, height - GetBarWidth()));
    if (view->GetWidth() != width || view->GetHeight() != height)
        view->ResizeFrameTo(width, height, true);
    ImageChanged();
}

void LScroller::ImageChanged()
{
    LView* view = GetScrolledView();
    if (view == nullptr || !view->GetWidget())
        return;
    view->GetWidget()->resize(std::max(view->GetImageWidth(), static_cast<int32_t>(view->GetWidth())),
        std::max(view->GetImageHeight(), static_cast<int32_t>(view->GetHeight())));
}

void LScroller::ScrollImageTo(int32_t h)
{
    Area()->horizontalScrollBar()->setValue(h);
}
