// Measuring tile texts in the context's own font, and shortening them to fit a width.
#pragma once

#include <string>
#include <string_view>

class CGContext;

// The text's width in whole pixels in the context's selected font, as QuickDraw's TextWidth gives it.
int TextWidth(const CGContext& context, std::string_view text);

// Leaves text alone when it is at most width pixels wide in the context's selected font; otherwise cuts
// it at a character boundary and appends "…" so that it fits (only the ellipsis, or nothing, when even
// that does not). Returns true when it shortened the text.
bool TruncText(int width, std::string& text, const CGContext& context);
