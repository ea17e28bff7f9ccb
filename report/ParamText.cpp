#include "report/ParamText.h"

std::string ParamText(std::string text, const std::vector<std::string>& params)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        size_t n = i + 1 < text.size() ? static_cast<size_t>(text[i + 1] - '0') : params.size();
        if (text[i] == '^' && n < params.size() && n < 10) {
            result += params[n];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}
