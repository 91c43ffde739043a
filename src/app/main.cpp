// The process entry point: hands the wide command line to the driver and
// returns the run's exit value.
#include "app/driver.h"

#include <vector>

#ifdef _WIN32

int wmain(int argc, wchar_t** argv) { return ExitValueFor(RunQuillfen(argc, argv)); }

#else

#include "platform/utf8.h"

#include <new>

int main(int argc, char** argv)
{
    try {
        std::vector<WideString> arguments;
        std::vector<const OLECHAR*> pointers;
        arguments.reserve(static_cast<std::size_t>(argc));
        pointers.reserve(static_cast<std::size_t>(argc) + 1);
        for (int i = 0; i < argc; ++i) arguments.push_back(FromUtf8(argv[i]));
        for (const WideString& argument : arguments) pointers.push_back(argument.c_str());
        return ExitValueFor(RunQuillfen(argc, pointers.data()));
    } catch (const std::bad_alloc&) {
        return ExitValueFor(E_OUTOFMEMORY);
    }
}

#endif
