// Captures what a call writes to the process's standard output and error
// (file descriptors 1 and 2, where the console writer writes) by pointing
// them at temporary files for the length of the call.
#pragma once

#include <functional>
#include <string>

struct CCapturedConsole {
    std::string out;
    std::string err;
};

CCapturedConsole CaptureConsole(const std::function<void()>& body);
