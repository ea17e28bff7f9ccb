// The framework's one exception type: a 32-bit code, a four-character code or an operating-system error.
#pragma once

#include "framework/FourCharCode.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

constexpr int32_t err_NilPointer = FourCC("nilP");
constexpr int32_t err_AssertionFailed = FourCC("asrt");

// Classic file-system codes that the program's own rules refer to. Other errors from the operating
// system (errno values) are passed through unchanged.
constexpr int32_t eofErr = -39;
constexpr int32_t fnfErr = -43;
constexpr int32_t ioErr = -36;

// A file whose content is in no form the program reads (an unknown version, a negative count): damaged.
constexpr int32_t err_UnknownFormat = FourCC("frmt");

class LException : public std::exception {
public:
    explicit LException(int32_t code, std::string detail = {});

    int32_t GetErrorCode() const { return mCode; }
    const std::string& GetDetail() const { return mDetail; }
    const char* what() const noexcept override { return mMessage.c_str(); }

    // "'nilP'" for four-character codes, "end of file (-39)" or "No such file (2)" for system errors.
    static std::string DescribeCode(int32_t code);

    // The framework's boundary: runs the work, and reports on standard error and drops any exception
    // that comes out of it, so that the event loop runs on. Returns false when something was dropped.
    static bool ReportAndDrop(const char* context, const std::function<void()>& work);

private:
    int32_t mCode;
    std::string mDetail;
    std::string mMessage;
};

[[noreturn]] void Throw_(int32_t code, const std::string& detail = {});

template <typename T> inline T* ThrowIfNil_(T* pointer)
{
    if (pointer == nullptr)
        Throw_(err_NilPointer);
    return pointer;
}

inline void ThrowIfOSErr_(int32_t err)
{
    if (err != 0)
        Throw_(err);
}

inline void Assert_(bool condition)
{
    if (!condition)
        Throw_(err_AssertionFailed);
}
