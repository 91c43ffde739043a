// The console writer: takes UTF-16 lines and writes each one, whole and
// flushed, before the next host call is made. A stream that fails once stays
// failed and drops every later line, while the run goes on.
#pragma once

#include "platform/com.h"

enum class ConsoleStream { Output, Error };

// Throws std::bad_alloc when the line cannot be converted for lack of memory.
void WriteConsoleLine(ConsoleStream stream, const WideString& line);

// True once a write to the stream has failed.
bool ConsoleStreamFailed(ConsoleStream stream) noexcept;
