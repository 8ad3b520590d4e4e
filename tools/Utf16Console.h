#pragma once
// Windows: a standard stream that is a console takes the program's UTF-8 text as UTF-16
// (WriteConsoleW), so that names outside the console's code page show as they are. Files and pipes
// keep getting UTF-8.

#include <functional>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace ruva::tool {

// Hands the UTF-8 text written to it on as UTF-16, in whole characters: a sequence split between two
// writes waits for its rest, and what is no UTF-8 becomes U+FFFD (one per maximal invalid part), as
// does a sequence left incomplete at the end. The sink returns false when it could not write.
class Utf16Writer : public std::streambuf {
public:
    using Sink = std::function<bool(std::wstring_view)>;
    explicit Utf16Writer(Sink sink) : sink_(std::move(sink)) {}
    ~Utf16Writer() override;

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int sync() override;

private:
    bool Convert(bool final);

    Sink sink_;
    std::string pending_;
};

// While it lives, `stream` writes through a Utf16Writer to the console, when the standard handle
// `which` (STD_OUTPUT_HANDLE, STD_ERROR_HANDLE) is one; otherwise it leaves the stream alone.
class Utf16Console {
public:
    Utf16Console(std::ostream& stream, unsigned long which);
    ~Utf16Console();
    Utf16Console(const Utf16Console&) = delete;
    Utf16Console& operator=(const Utf16Console&) = delete;

private:
    std::ostream& stream_;
    std::unique_ptr<Utf16Writer> writer_;
    std::streambuf* previous_ = nullptr;
};

} // namespace ruva::tool
