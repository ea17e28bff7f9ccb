#include "framework/LPane.h"

#include "framework/LException.h"
#include "framework/LView.h"
#include "framework/LWindow.h"
#include "framework/QDPort.h"

#include <QHelpEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QToolTip>

#include <cmath>

namespace {

// Beyond this many separately exposed rectangles, their bounding rectangle is drawn once.
constexpr int kMostSeparateParts = 4;
// How far left or up an offscreen part may start to begin on a whole device pixel (4 at 125 %).
constexpr int kMostPixelsBackToAlign = 8;

// The drawing surface of a pane that draws itself.
class PaneWidget : public QWidget {
public:
    explicit PaneWidget(LPane* pane)
        : mPane(pane)
    {
        // A tool tip that follows the pointer needs its moves.
        setMouseTracking(true);
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) {
            ShowToolTip(static_cast<QHelpEvent*>(event)->pos(), static_cast<QHelpEvent*>(event)->globalPos());
            return true;
        }
        if (event->type() == QEvent::MouseMove && QToolTip::isVisible()) {
            auto* move = static_cast<QMouseEvent*>(event);
            ShowToolTip(move->position().toPoint(), move->globalPosition().toPoint());
        }
        return QWidget::event(event);
    }

    void ShowToolTip(const QPoint& at, const QPoint& globalAt)
    {
        std::string tip;
        LException::ReportAndDrop("a tool tip", [&] { tip = mPane->GetToolTipAtWidgetPoint(at); });
        if (tip.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(globalAt, QString::fromStdString(tip), this);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        LException::ReportAndDrop("drawing", [&] { mPane->Paint(painter, event->region()); });
    }

private:
    LPane* mPane;
};

}

LPane::LPane(const SPaneInfo& info, QWidget* widget)
    : mInfo(info)
    , mWidget(widget != nullptr ? widget : new PaneWidget(this))
{
    mWidget->setVisible(false);
    PlaceWidget();
}

LPane::~LPane()
{
    delete mWidget.data();
}

LWindow* LPane::GetWindow() const
{
    for (const LPane* pane = this; pane != nullptr; pane = pane->mSuperView) {
        if (auto* window = dynamic_cast<const LWindow*>(pane))
            return const_cast<LWindow*>(window);
    }
    return nullptr;
}

void LPane::CalcLocalFrameRect(Rect& outRect) const
{
    outRect.left = static_cast<int16_t>(mInfo.left);
    outRect.top = static_cast<int16_t>(mInfo.top);
    outRect.right = static_cast<int16_t>(mInfo.left + mInfo.width);
    outRect.bottom = static_cast<int16_t>(mInfo.top + mInfo.height);
}

void LPane::CalcPortFrameRect(Rect& outRect) const
{
    CalcLocalFrameRect(outRect);
    int32_t h = 0;
    int32_t v = 0;
    for (const LView* view = mSuperView; view != nullptr && view->GetSuperView() != nullptr;
         view = view->GetSuperView()) {
        // A scrolled image starts left of (above) its scroller's frame by as much as it is scrolled.
        h += view->mInfo.left + view->GetImageOriginH();
        v += view->mInfo.top + view->GetImageOriginV();
    }
    outRect.left = static_cast<int16_t>(outRect.left + h);
    outRect.right = static_cast<int16_t>(outRect.right + h);
    outRect.top = static_cast<int16_t>(outRect.top + v);
    outRect.bottom = static_cast<int16_t>(outRect.bottom + v);
}

void LPane::PlaceWidget()
{
    if (mWidget)
        mWidget->setGeometry(mInfo.left, mInfo.top, mInfo.width, mInfo.height);
}

void LPane::MoveBy(int32_t dh, int32_t dv, bool refresh)
{
    mInfo.left += dh;
    mInfo.top += dv;
    PlaceWidget();
    if (refresh)
        Refresh();
}

void LPane::PlaceInSuperImageAt(int32_t h, int32_t v, bool refresh)
{
    MoveBy(h - mInfo.left, v - mInfo.top, refresh);
}

void LPane::ResizeFrameBy(int16_t dWidth, int16_t dHeight, bool refresh)
{
    mInfo.width = static_cast<int16_t>(std::max(0, mInfo.width + dWidth));
    mInfo.height = static_cast<int16_t>(std::max(0, mInfo.height + dHeight));
    PlaceWidget();
    if (refresh)
        Refresh();
}

void LPane::ResizeFrameTo(int16_t width, int16_t height, bool refresh)
{
    ResizeFrameBy(static_cast<int16_t>(width - mInfo.width), static_cast<int16_t>(height - mInfo.height), refresh);
}

void LPane::AdaptToSuperFrameSize(int32_t dWidth, int32_t dHeight, bool refresh)
{
    const SBooleanRect& bind = mInfo.bindings;
    int32_t moveH = 0;
    int32_t moveV = 0;
    int32_t growH = 0;
    int32_t growV = 0;
    if (bind.right) {
        if (bind.left)
            growH = dWidth;
        else
            moveH = dWidth;
    }
    if (bind.bottom) {
        if (bind.top)
            growV = dHeight;
        else
            moveV = dHeight;
    }
    if (growH != 0 || growV != 0)
        ResizeFrameBy(static_cast<int16_t>(growH), static_cast<int16_t>(growV), refresh);
    if (moveH != 0 || moveV != 0)
        MoveBy(moveH, moveV, refresh);
}

void LPane::Show()
{
    mInfo.visible = true;
    if (mWidget)
        mWidget->setVisible(true);
}

void LPane::Hide()
{
    mInfo.visible = false;
    if (mWidget)
        mWidget->setVisible(false);
}

void LPane::Enable()
{
    mInfo.enabled = true;
    if (mWidget)
        mWidget->setEnabled(true);
}

void LPane::Disable()
{
    mInfo.enabled = false;
    if (mWidget)
        mWidget->setEnabled(false);
}

void LPane::Refresh()
{
    if (mWidget)
        mWidget->update();
}

void LPane::SetDrawsOffscreen(bool offscreen)
{
    mDrawsOffscreen = offscreen;
}

void LPane::Paint(QPainter& painter, const QRect& exposed)
{
    Paint(painter, QRegion(exposed));
}

void LPane::Paint(QPainter& painter, const QRegion& exposed)
{
    if (!mDrawsOffscreen || !mWidget) {
        Draw(painter);
        return;
    }
    // A scroll exposes a strip and a new minute a column or two: each part is drawn alone, unless there
    // are so many that one drawing of all of them costs less.
    QRegion parts = exposed & QRegion(mWidget->rect());
    if (parts.rectCount() > kMostSeparateParts)
        parts = parts.boundingRect();
    qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    for (const QRect& part : parts)
        PaintOffscreen(painter, part, ratio);
}

void LPane::PaintOffscreen(QPainter& painter, const QRect& part, qreal ratio)
{
    // The image has as many pixels as the screen shows for the part (twice as many each way at 200 %), so
    // that lines and text are as sharp as the rest of the window. It starts on a whole device pixel where
    // the ratio allows, so that its pixels are exactly those of a drawing of the whole pane.
    int left = part.left();
    int top = part.top();
    auto onWholePixel = [ratio](int& edge) {
        for (int back = 0; back < kMostPixelsBackToAlign; ++back) {
            if (std::floor((edge - back) * ratio) == (edge - back) * ratio) {
                edge -= back;
                return;
            }
        }
    };
    onWholePixel(left);
    onWholePixel(top);
    QSize pixels(static_cast<int>(std::ceil((part.right() + 1) * ratio - left * ratio)),
        static_cast<int>(std::ceil((part.bottom() + 1) * ratio - top * ratio)));
    if (pixels.isEmpty())
        return;
    QImage image(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(mWidget->palette().color(QPalette::Window));
    {
        QPainter imagePainter(&image);
        imagePainter.translate(-left, -top);
        Draw(imagePainter);
    }
    painter.drawImage(QPointF(left, top), image);
}

std::string LPane::GetToolTipAtWidgetPoint(const QPoint& at)
{
    int32_t h = 0;
    int32_t v = 0;
    GetDrawingOrigin(h, v);
    return GetToolTipAt(h + at.x(), v + at.y());
}

void LPane::GetDrawingOrigin(int32_t& h, int32_t& v) const
{
    h = mInfo.left;
    v = mInfo.top;
}

void LPane::Draw(QPainter& painter)
{
    painter.save();
    int32_t h = 0;
    int32_t v = 0;
    GetDrawingOrigin(h, v);
    painter.translate(-h, -v);
    QDPort port(painter);
    QDPort* previous = QDPort::SetPort(&port);
    try {
        DrawSelf();
    } catch (...) {
        QDPort::SetPort(previous);
        painter.restore();
        throw;
    }
    QDPort::SetPort(previous);
    painter.restore();
}

QImage LPane::RenderImage(qreal devicePixelRatio)
{
    QSize size(std::max<int>(1, mWidget ? mWidget->width() : mInfo.width),
        std::max<int>(1, mWidget ? mWidget->height() : mInfo.height));
    QImage image((QSizeF(size) * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    Draw(painter);
    return image;
}

LPane* LPane::FindPaneByID(PaneIDT paneID)
{
    return paneID == mInfo.paneID ? this : nullptr;
}

void LPane::FinishCreate()
{
    FinishCreateSelf();
}
