// A paint device that writes what is painted on it as an SVG document: every filled or stroked path
// becomes one <path> element with its colour, opacity and line width. Enough for drawings made of
// paths, such as the application icon; anything else painted on it is reported and left out.
#pragma once

#include <QPaintDevice>

#include <memory>
#include <string>

class SvgPaintEngine;

class SvgPaintDevice : public QPaintDevice {
public:
    // A drawing area of size x size units, the SVG's view box.
    explicit SvgPaintDevice(int size);
    ~SvgPaintDevice() override;

    QPaintEngine* paintEngine() const override;
    // The whole document, once the painter has ended.
    std::string Document() const;
    // How many things were painted that an SVG path cannot stand for.
    int LeftOut() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int mSize;
    std::unique_ptr<SvgPaintEngine> mEngine;
};
