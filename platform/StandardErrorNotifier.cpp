#include "platform/StandardErrorNotifier.h"

#include <cstdio>

void StandardErrorNotifier::Notify(const std::string& title, const std::string& text)
{
    std::fprintf(stderr, "Kelvara: %s. %s\n", title.c_str(), text.c_str());
    std::fflush(stderr);
}
