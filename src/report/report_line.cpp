#include "report/report_line.h"

#include "report/console_writer.h"

WideString DecimalText(long long value)
{
    // Plain decimal, no grouping, width or fill: the same in every locale.
    OLECHAR digits[24];
    std::size_t count = 0;
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[count++] = static_cast<OLECHAR>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    WideString text;
    if (value < 0) text += static_cast<OLECHAR>(u'-');
    while (count > 0) text += digits[--count];
    return text;
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
