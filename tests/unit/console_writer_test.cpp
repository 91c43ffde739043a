// The console writer: one UTF-8 line with LF per call, written at once. A
// stream whose write fails stays failed and drops later lines, while the
// run, and the other stream, go on. A failed stream is for the rest of the
// process, so those cases run in a child process of their own.
#include "report/console_writer.h"

#include "app/driver.h"
#include "support/console_capture.h"
#include "support/test_host.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct CLineCase {
    const char* name;
    WideString line;
    std::string bytes;
};

class ConsoleWriterTextTest : public ::testing::TestWithParam<CLineCase> {};

TEST_P(ConsoleWriterTextTest, WritesUtf8AndLineFeedThenGoesOn)
{
    const CCapturedConsole console = CaptureConsole([] {
        WriteConsoleLine(ConsoleStream::Output, GetParam().line);
        WriteConsoleLine(ConsoleStream::Output, WideString(OLESTR("next")));
    });
    EXPECT_EQ(console.out, GetParam().bytes + "\nnext\n");
    EXPECT_FALSE(ConsoleStreamFailed(ConsoleStream::Output));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConsoleWriterTextTest,
    ::testing::Values(CLineCase{"Empty", WideString(), ""},
                      CLineCase{"Ascii", WideString(OLESTR("Media Set Index: -4")), "Media Set Index: -4"},
                      CLineCase{"Latin1", WideString(OLESTR("\u00E9\u00FF")), "\xC3\xA9\xC3\xBF"},
                      CLineCase{"AboveLatin1", WideString(OLESTR("\u0100\u65E5")), "\xC4\x80\xE6\x97\xA5"},
                      CLineCase{"SurrogatePair", WideString(OLESTR("\U0001F600")), "\xF0\x9F\x98\x80"},
                      CLineCase{"LoneSurrogate", WideString{u'a', char16_t(0xD800), u'b'}, "a\xEF\xBF\xBD" "b"},
                      // A byte of a file name that was not UTF-8 goes out as it came in.
                      CLineCase{"EscapedByte", WideString{u'a', char16_t(0xDCE9), u'b'}, "a\xE9" "b"}),
    [](const ::testing::TestParamInfo<CLineCase>& info) { return info.param.name; });

TEST(ConsoleWriterTest, StandardErrorLinesGoToDescriptorTwo)
{
    const CCapturedConsole console =
        CaptureConsole([] { WriteConsoleLine(ConsoleStream::Error, WideString(OLESTR("Failed to load media sets"))); });
    EXPECT_EQ(console.out, "");
    EXPECT_EQ(console.err, "Failed to load media sets\n");
}

// Points standard output at a sink that refuses every write.
void BreakStandardOutput(bool closedPipe)
{
    int target = -1;
    if (closedPipe) {
        // As the process entry does: the write fails instead of killing us.
        std::signal(SIGPIPE, SIG_IGN);
        int ends[2];
        if (::pipe(ends) != 0) std::_Exit(90);
        ::close(ends[0]);
        target = ends[1];
    } else {
        target = ::open("/dev/full", O_WRONLY);
    }
    if (target < 0 || ::dup2(target, 1) < 0) std::_Exit(91);
}

void FailedStreamStaysFailedWhileTheOtherWorks(bool closedPipe)
{
    BreakStandardOutput(closedPipe);
    WriteConsoleLine(ConsoleStream::Output, WideString(OLESTR("lost")));
    const bool failed = ConsoleStreamFailed(ConsoleStream::Output);
    WriteConsoleLine(ConsoleStream::Output, WideString(OLESTR("also lost")));
    WriteConsoleLine(ConsoleStream::Error, WideString(OLESTR("error stream still works")));
    std::_Exit(failed && ConsoleStreamFailed(ConsoleStream::Output) && !ConsoleStreamFailed(ConsoleStream::Error)
                   ? 0
                   : 1);
}

TEST(ConsoleWriterDeathTest, FullDeviceLeavesOutputFailedAndErrorWorking)
{
    EXPECT_EXIT(FailedStreamStaysFailedWhileTheOtherWorks(false), ::testing::ExitedWithCode(0),
                "error stream still works");
}

TEST(ConsoleWriterDeathTest, ReaderThatWentAwayDoesNotKillTheRun)
{
    EXPECT_EXIT(FailedStreamStaysFailedWhileTheOtherWorks(true), ::testing::ExitedWithCode(0),
                "error stream still works");
}

// A whole run with its report going nowhere: the keywords are still written
// and the exit value is the run's own.
void RunWithBrokenOutput(const OLECHAR* argument, HRESULT expected)
{
    BreakStandardOutput(false);
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) std::_Exit(92);
    CTestHost host;
    host.AddItem("1");
    host.AddSet(3, WideString(OLESTR("A")));
    host.SetItems("3", {"1"});
    HRESULT hr = E_UNEXPECTED;
    {
        CTestHostRegistration registration(host);
        const OLECHAR* arguments[] = {OLESTR("quillfen"), argument};
        hr = RunQuillfen(2, arguments);
    }
    const bool written = host.Item("1").m_keywords == WideString(OLESTR("{Root}{A}"));
    std::_Exit(hr == expected && written == SUCCEEDED(expected) && host.Ledger().Problems().empty() ? 0 : 1);
}

TEST(ConsoleWriterDeathTest, FailedReportDoesNotStopTheRun)
{
    EXPECT_EXIT(RunWithBrokenOutput(OLESTR("D:\\Archive\\Photos"), S_OK), ::testing::ExitedWithCode(0), "^$");
}

TEST(ConsoleWriterDeathTest, MessagesStillReachStandardErrorWhenTheReportCannot)
{
    EXPECT_EXIT(RunWithBrokenOutput(OLESTR("D:\\Other"), E_FAIL), ::testing::ExitedWithCode(0),
                "Active catalog does not match requested catalog");
}

}  // namespace
