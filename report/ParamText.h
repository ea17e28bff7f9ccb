// Texts with parameters: "^0", "^1" and so on in a resource text stand for values known only at run time.
#pragma once

#include <string>
#include <vector>

// text with every "^n" replaced by params[n]; a "^n" without a parameter stays as it is.
std::string ParamText(std::string text, const std::vector<std::string>& params);
