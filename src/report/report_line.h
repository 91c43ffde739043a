// The line format of the report: a fixed label, then a value, then the line
// end. Each value is read from the host before its line is started, so a
// failed read never leaves a partial line.
#pragma once

#include "host/host_string.h"

#include <cstddef>

WideString DecimalText(long long value);

// Host text up to its first NUL; a null string shows nothing after the label.
void WriteTextLine(const OLECHAR* label, const CHostString& value);
void WriteNumberLine(const OLECHAR* label, long long value);
void WriteBareLine(const OLECHAR* text);
