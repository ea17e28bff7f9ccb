#include "framework/LException.h"

#include <cstdio>
#include <cstring>

LException::LException(int32_t code, std::string detail)
    : mCode(code)
    , mDetail(std::move(detail))
{
    mMessage = "error " + DescribeCode(code);
    if (!mDetail.empty())
        mMessage += ": " + mDetail;
}

std::string LException::DescribeCode(int32_t code)
{
    if (code == err_UnknownFormat)
        return "unknown content";
    std::string text = FourCCToText(code);
    if (!text.empty() && code > 0xFFFF)
        return "'" + text + "'";
    switch (code) {
    case eofErr:
        return "end of file (-39)";
    case fnfErr:
        return "file not found (-43)";
    case ioErr:
        return "I/O error (-36)";
    default:
        break;
    }
    if (code > 0)
        return std::string(std::strerror(code)) + " (" + std::to_string(code) + ")";
    return std::to_string(code);
}

bool LException::ReportAndDrop(const char* context, const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const LException& e) {
        std::fprintf(stderr, "Kelvara: %s: %s\n", context, e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Kelvara: %s: %s\n", context, e.what());
    } catch (...) {
        std::fprintf(stderr, "Kelvara: %s: unknown exception\n", context);
    }
    return false;
}

void Throw_(int32_t code, const std::string& detail)
{
    throw LException(code, detail);
}
