#include "report/report_line.h"

#include "report/console_writer.h"

#include <charconv>

WideString DecimalText(long long value)
{
    // Plain decimal, no grouping, width or fill: the same in every locale.
    char digits[24];  // the 20 characters of the longest, -9223372036854775808, fit
    char* const end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return WideString(digits, end);
}

void WriteTextLine(const OLECHAR* label, const CHostString& value)
{
    WriteConsoleLine(ConsoleStream::Output, WideString(label) + value.UpToNul());
}

void WriteNumberLine(const OLECHAR* label, long long value)
{
    WriteConsoleLine(ConsoleStream::Output, WideString(label) + DecimalText(value));
}

void WriteBareLine(const OLECHAR* text) { WriteConsoleLine(ConsoleStream::Output, WideString(text)); }
