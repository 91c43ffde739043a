// The host's own console lines (the ready line and its complaints): UTF-16
// on a console, UTF-8 with CR LF when redirected, each line flushed, so a
// script that waits for the ready line sees it at once.
#pragma once

#include "platform/com.h"

enum class HostStream { Output, Error };

void WriteHostLine(HostStream stream, const WideString& line) noexcept;

// "lumora-host: <what> (0x8007000E)" on standard error.
void ReportHostFailure(const wchar_t* what, HRESULT hr) noexcept;

// An HRESULT as users look it up: 0x and eight hexadecimal digits.
WideString HresultText(HRESULT hr);
