#include "display/TextFitting.h"

#include "framework/CGContext.h"

#include <cmath>
#include <vector>

namespace {

constexpr std::string_view kEllipsis = "…";

bool IsContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

bool Fits(const CGContext& context, std::string_view text, int width)
{
    return context.GetTextWidth(text) <= width;
}

}

int TextWidth(const CGContext& context, std::string_view text)
{
    return static_cast<int>(std::lround(context.GetTextWidth(text)));
}

bool TruncText(int width, std::string& text, const CGContext& context)
{
    if (Fits(context, text, width))
        return false;
    // The prefixes that end on a character boundary, shortest first. Their widths grow with their length,
    // so the longest one that fits with the ellipsis is found by halving.
    std::vector<size_t> cuts;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuationByte(text[i]))
            cuts.push_back(i);
    }
    std::string best;
    size_t low = 0;
    size_t high = cuts.size();
    while (low < high) {
        size_t middle = (low + high) / 2;
        std::string candidate = text.substr(0, cuts[middle]);
        candidate += kEllipsis;
        if (Fits(context, candidate, width)) {
            best = std::move(candidate);
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    text = std::move(best);
    return true;
}
