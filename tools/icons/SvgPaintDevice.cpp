#include "SvgPaintDevice.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <sstream>

class SvgPaintEngine : public QPaintEngine {
public:
    SvgPaintEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override { }
    Type type() const override { return QPaintEngine::User; }

    void drawPath(const QPainterPath& path) override
    {
        const QPen& pen = painter()->pen();
        const QBrush& brush = painter()->brush();
        QPainterPath mapped = painter()->transform().map(path);
        mBody << "  <path d=\"" << PathData(mapped) << "\"";
        if (brush.style() == Qt::SolidPattern)
            mBody << " fill=\"" << Colour(brush.color()) << "\"" << Opacity("fill-opacity", brush.color());
        else
            mBody << " fill=\"none\"";
        if (pen.style() != Qt::NoPen) {
            double scale = painter()->transform().m11();
            mBody << " stroke=\"" << Colour(pen.color()) << "\"" << Opacity("stroke-opacity", pen.color())
                  << " stroke-width=\"" << Number(pen.widthF() * scale) << "\" stroke-linecap=\""
                  << (pen.capStyle() == Qt::FlatCap           ? "butt"
                             : pen.capStyle() == Qt::RoundCap ? "round"
                                                              : "square")
                  << "\" stroke-linejoin=\""
                  << (pen.joinStyle() == Qt::RoundJoin          ? "round"
                             : pen.joinStyle() == Qt::BevelJoin ? "bevel"
                                                                : "miter")
                  << "\"";
        }
        mBody << "/>\n";
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        QPainterPath path;
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        path.addPolygon(QPolygonF(QList<QPointF>(points, points + count)));
        if (mode != PolylineMode)
            path.closeSubpath();
        drawPath(path);
    }

    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { ++mLeftOut; }
    void drawTextItem(const QPointF&, const QTextItem&) override { ++mLeftOut; }

    std::string Body() const { return mBody.str(); }
    int LeftOut() const { return mLeftOut; }

private:
    static std::string Number(double value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", value);
        // 12.500 is 12.5, 3.000 is 3: shorter documents, the same drawing.
        std::string number = text;
        number.erase(number.find_last_not_of('0') + 1);
        if (number.back() == '.')
            number.pop_back();
        return number == "-0" ? "0" : number;
    }

    static std::string Colour(const QColor& colour)
    {
        char text[8];
        std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red(), colour.green(), colour.blue());
        return text;
    }

    static std::string Opacity(const char* attribute, const QColor& colour)
    {
        if (colour.alpha() == 255)
            return {};
        return std::string(" ") + attribute + "=\"" + Number(colour.alphaF()) + "\"";
    }

    static std::string PathData(const QPainterPath& path)
    {
        std::string data;
        QPointF start;
        QPointF last;
        int pointsInFigure = 0;
        // A figure that returns to where it began is closed with Z, so that its corner is joined like the
        // others instead of showing two loose ends.
        auto endFigure = [&] {
            if (pointsInFigure > 2 && last == start)
                data += " Z";
        };
        for (int i = 0; i < path.elementCount(); ++i) {
            QPainterPath::Element element = path.elementAt(i);
            std::string point = Number(element.x) + " " + Number(element.y);
            switch (element.type) {
            case QPainterPath::MoveToElement:
                endFigure();
                data += (data.empty() ? "M" : " M") + point;
                start = element;
                pointsInFigure = 0;
                break;
            case QPainterPath::LineToElement:
                data += " L" + point;
                break;
            case QPainterPath::CurveToElement:
                data += " C" + point;
                break;
            case QPainterPath::CurveToDataElement:
                data += " " + point;
                break;
            }
            last = element;
            ++pointsInFigure;
        }
        endFigure();
        return data;
    }

    std::ostringstream mBody;
    int mLeftOut = 0;
};

SvgPaintDevice::SvgPaintDevice(int size)
    : mSize(size)
    , mEngine(std::make_unique<SvgPaintEngine>())
{
}

SvgPaintDevice::~SvgPaintDevice() = default;

QPaintEngine* SvgPaintDevice::paintEngine() const
{
    return mEngine.get();
}

int SvgPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
    case PdmHeight:
        return mSize;
    case PdmWidthMM:
    case PdmHeightMM:
        return mSize * 254 / 960;
    case PdmNumColors:
        return 0x7fffffff;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
    default:
        return 0;
    }
}

std::string SvgPaintDevice::Document() const
{
    std::string size = std::to_string(mSize);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + size
        + "\" height=\"" + size + "\" viewBox=\"0 0 " + size + " " + size + "\">\n" + mEngine->Body() + "</svg>\n";
}

int SvgPaintDevice::LeftOut() const
{
    return mEngine->LeftOut();
}
