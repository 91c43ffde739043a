#include "platform/utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// The lone surrogates that stand for the undecodable bytes 0x80-0xFF.
constexpr char32_t kEscapeFirst = 0xDC80;
constexpr char32_t kEscapeLast = 0xDCFF;

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(WideString& out, char32_t c)
{
    if (c < 0x10000) {
        out += static_cast<OLECHAR>(c);
    } else {
        c -= 0x10000;
        out += static_cast<OLECHAR>(0xD800 + (c >> 10));
        out += static_cast<OLECHAR>(0xDC00 + (c & 0x3FF));
    }
}

enum class Undecodable { Replace, Escape };

std::string Encode(const OLECHAR* text, std::size_t length, Undecodable lone)
{
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        char32_t c = static_cast<char16_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length) {
            const char32_t low = static_cast<char16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (lone == Undecodable::Escape && c >= kEscapeFirst && c <= kEscapeLast) {
            out += static_cast<char>(c - 0xDC00);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) c = kReplacement;
        AppendUtf8(out, c);
    }
    return out;
}

WideString Decode(std::string_view text, Undecodable invalid, bool* valid)
{
    WideString out;
    out.reserve(text.size());
    bool allValid = true;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, c = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, c = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, c = lead & 0x07, minimum = 0x10000;
        } else {
            extra = -1;
        }
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) ok = false;
            else c = (c << 6) | (next & 0x3F);
        }
        if (ok && (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
        if (!ok) {
            allValid = false;
            AppendUtf16(out, invalid == Undecodable::Escape ? kEscapeFirst + (lead & 0x7F) : kReplacement);
            ++i;
            continue;
        }
        AppendUtf16(out, c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    if (valid) *valid = allValid;
    return out;
}

}  // namespace

std::string ToUtf8(const OLECHAR* text, std::size_t length) { return Encode(text, length, Undecodable::Replace); }

WideString FromUtf8(std::string_view text, bool* valid) { return Decode(text, Undecodable::Replace, valid); }

WideString FromNativeBytes(std::string_view bytes) { return Decode(bytes, Undecodable::Escape, nullptr); }

std::string ToNativeBytes(const OLECHAR* text, std::size_t length)
{
    return Encode(text, length, Undecodable::Escape);
}
