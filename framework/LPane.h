// A pane: a rectangle of a window with an ID, placed in its superview's image, drawn by DrawSelf through
// the current port. Every pane has a Qt widget behind it.
#pragma once

#include "framework/LPaneEntry.h"
#include "framework/QuickDrawTypes.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <string>
#include <string_view>

class LView;
class LWindow;
class QPainter;
class QRegion;

class LPane {
public:
    // The pane takes the widget (a plain drawing surface when null).
    LPane(const SPaneInfo& info, QWidget* widget = nullptr);
    virtual ~LPane();

    LPane(const LPane&) = delete;
    LPane& operator=(const LPane&) = delete;

    PaneIDT GetPaneID() const { return mInfo.paneID; }
    void SetPaneID(PaneIDT paneID) { mInfo.paneID = paneID; }
    LView* GetSuperView() const { return mSuperView; }
    LWindow* GetWindow() const;
    QWidget* GetWidget() const { return mWidget; }

    // The frame in the superview's image coordinates.
    void CalcLocalFrameRect(Rect& outRect) const;
    // The frame in the window's content coordinates.
    void CalcPortFrameRect(Rect& outRect) const;
    int16_t GetWidth() const { return mInfo.width; }
    int16_t GetHeight() const { return mInfo.height; }

    virtual void MoveBy(int32_t dh, int32_t dv, bool refresh);
    void PlaceInSuperImageAt(int32_t h, int32_t v, bool refresh);
    virtual void ResizeFrameBy(int16_t dWidth, int16_t dHeight, bool refresh);
    void ResizeFrameTo(int16_t width, int16_t height, bool refresh);
    // Follows a change of the superview's size by the pane's bindings.
    virtual void AdaptToSuperFrameSize(int32_t dWidth, int32_t dHeight, bool refresh);

    virtual void Show();
    virtual void Hide();
    bool IsVisible() const { return mInfo.visible; }
    void Enable();
    void Disable();
    bool IsEnabled() const { return mInfo.enabled; }

    // Asks for a redraw at the next update.
    virtual void Refresh();
    // Draws the pane's own content into painter, which is at the widget's origin.
    void Draw(QPainter& painter);
    // What the widget's paint does: Draw, or, offscreen, the exposed part drawn into an image and copied.
    void Paint(QPainter& painter, const QRect& exposed);
    void Paint(QPainter& painter, const QRegion& exposed);
    // A pane whose drawing is thousands of small fills draws into an image, pixel by pixel, and only the
    // part that is exposed: the image is never larger than what the screen shows of the pane, however
    // large the pane (a scrolled view's whole image) is.
    void SetDrawsOffscreen(bool offscreen);
    // The pane's drawing alone, into an image of its frame size at the device pixel ratio (2: twice as
    // many pixels each way, as on a screen at 200 %).
    QImage RenderImage(qreal devicePixelRatio = 1.0);

    virtual LPane* FindPaneByID(PaneIDT paneID);
    virtual void FinishCreate();

    // What hovering at (h, v) of the pane's drawing shows as a tool tip (rich text allowed); empty for none.
    // It follows the pointer while it moves over the pane.
    virtual std::string GetToolTipAt(int32_t, int32_t) { return {}; }
    // The same for a point of the pane's widget.
    std::string GetToolTipAtWidgetPoint(const QPoint& at);

    virtual std::string GetDescriptor() const { return {}; }
    virtual void SetDescriptor(std::string_view) { }

protected:
    friend class LView;
    virtual void FinishCreateSelf() { }
    // Draws in the superview's image coordinates, into the current port.
    virtual void DrawSelf() { }
    // Where drawing starts: a view draws in its own image coordinates, a pane in its frame's.
    virtual void GetDrawingOrigin(int32_t& h, int32_t& v) const;
    virtual void PlaceWidget();

    SPaneInfo mInfo;
    LView* mSuperView = nullptr;
    QPointer<QWidget> mWidget;
    bool mDrawsOffscreen = false;

private:
    void PaintOffscreen(QPainter& painter, const QRect& part, qreal ratio);
};
