#include "Utf16Console.h"

#include <algorithm>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace ruva::tool {

namespace {

constexpr std::size_t Chunk = 8192; // converted once that much is waiting
constexpr wchar_t Replacement = 0xFFFD;

void Append(std::wstring& wide, char32_t code) {
    if (code < 0x10000) {
        wide += static_cast<wchar_t>(code);
    } else {
        code -= 0x10000;
        wide += static_cast<wchar_t>(0xD800 + (code >> 10));
        wide += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    }
}

// Writes all of `text` to a console; consoles before Windows 8 refuse long writes, so at most Chunk
// units at a time, and never half a surrogate pair.
bool WriteToConsole(HANDLE console, std::wstring_view text) {
    while (!text.empty()) {
        std::size_t size = std::min(text.size(), Chunk);
        if (size < text.size() && IS_HIGH_SURROGATE(text[size - 1]))
            --size;
        DWORD written = 0;
        if (!::WriteConsoleW(console, text.data(), static_cast<DWORD>(size), &written, nullptr) ||
            written == 0)
            return false;
        text.remove_prefix(std::min<std::size_t>(written, text.size()));
    }
    return true;
}

} // namespace

Utf16Writer::~Utf16Writer() {
    Convert(true);
}

Utf16Writer::int_type Utf16Writer::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return traits_type::not_eof(ch);
    pending_ += traits_type::to_char_type(ch);
    return pending_.size() < Chunk || Convert(false) ? ch : traits_type::eof();
}

std::streamsize Utf16Writer::xsputn(const char* text, std::streamsize size) {
    pending_.append(text, static_cast<std::size_t>(size));
    return pending_.size() < Chunk || Convert(false) ? size : 0;
}

int Utf16Writer::sync() {
    return Convert(false) ? 0 : -1;
}

// Converts what is pending up to a sequence that is still incomplete at its end (all of it when
// `final`), and hands it to the sink.
bool Utf16Writer::Convert(bool final) {
    std::wstring wide;
    const std::size_t size = pending_.size();
    std::size_t at = 0;
    while (at < size) {
        const auto lead = static_cast<unsigned char>(pending_[at]);
        // The sequence's length and the range of its second byte, which rules out overlong forms,
        // surrogates and codes past U+10FFFF.
        std::size_t length = 1;
        unsigned char low = 0x80, high = 0xBF;
        char32_t code = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else if (lead >= 0x80) {
            length = 0; // a byte that starts nothing
        }
        std::size_t got = 1;
        for (; got < length && at + got < size; ++got) {
            const auto next = static_cast<unsigned char>(pending_[at + got]);
            if (next < low || next > high)
                break;
            code = (code << 6) | (next & 0x3F);
            low = 0x80;
            high = 0xBF;
        }
        if (got == length) {
            Append(wide, code);
        } else if (length != 0 && at + got == size && !final) {
            break; // the rest comes with the next write
        } else {
            wide += Replacement;
        }
        at += got;
    }
    pending_.erase(0, at);
    return wide.empty() || sink_(wide);
}

Utf16Console::Utf16Console(std::ostream& stream, unsigned long which) : stream_(stream) {
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode))
        return; // a file, a pipe, or nothing
    writer_ = std::make_unique<Utf16Writer>(
        [handle](std::wstring_view text) { return WriteToConsole(handle, text); });
    stream_.flush();
    previous_ = stream_.rdbuf(writer_.get());
}

Utf16Console::~Utf16Console() {
    if (writer_)
        stream_.rdbuf(previous_);
}

} // namespace ruva::tool
