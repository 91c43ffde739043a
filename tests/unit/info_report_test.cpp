// The application and catalog blocks of the report: every value read from
// the host when its line is written, a failed read ending the block without a
// partial line, and the text written as UTF-8 exactly as the host gave it up
// to its first NUL.
#include "app/application.h"
#include "app/catalog.h"

#include "support/console_capture.h"
#include "support/test_host_fixture.h"

#include <gtest/gtest.h>

namespace {

class InfoReportTest : public CHostTest {
protected:
    // An application and catalog as a run has them once attached.
    void Attach(CApplication& application, CCatalog& catalog)
    {
        RegisterHost();
        ASSERT_EQ(application.Open(), S_OK);
        ASSERT_EQ(catalog.Open(application.Get()), S_OK);
        m_host.ClearCalls();
    }
};

TEST_F(InfoReportTest, ApplicationBlockIsThreeLinesReadInOrder)
{
    CApplication application;
    CCatalog catalog;
    Attach(application, catalog);
    HRESULT hr = E_FAIL;
    const CCapturedConsole console = CaptureConsole([&] { hr = application.PrintInfo(); });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(console.out, "Application Name: Lumora\nApplication Version: 3.1\nApplication Path: C:\\Apps\\Lumora\n");
    EXPECT_EQ(console.err, "");
    EXPECT_EQ(m_host.Calls(), (std::vector<std::string>{"app IHostApplication::Name", "app IHostApplication::Version",
                                                        "app IHostApplication::Path"}));
}

TEST_F(InfoReportTest, CatalogBlockIsThreeLinesReadInOrder)
{
    CApplication application;
    CCatalog catalog;
    Attach(application, catalog);
    HRESULT hr = E_FAIL;
    const CCapturedConsole console = CaptureConsole([&] { hr = catalog.PrintInfo(); });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(console.out, "Catalog Index: 1\nCatalog Name: Photos\nCatalog Path: D:\\Archive\\Photos\n");
    EXPECT_EQ(m_host.Calls(), (std::vector<std::string>{"catalog IHostCatalog::Index", "catalog IHostCatalog::Name",
                                                        "catalog IHostCatalog::Path"}));
}

TEST_F(InfoReportTest, EmptyReferencesAreRefusedAndWriteNothing)
{
    CApplication application;
    CCatalog catalog;
    HRESULT applicationResult = S_OK;
    HRESULT catalogResult = S_OK;
    const CCapturedConsole console = CaptureConsole([&] {
        applicationResult = application.PrintInfo();
        catalogResult = catalog.PrintInfo();
    });
    EXPECT_EQ(applicationResult, E_INVALIDARG);
    EXPECT_EQ(catalogResult, E_INVALIDARG);
    EXPECT_EQ(console.out, "");
    EXPECT_TRUE(m_host.Events().empty());
}

struct CFailedReadCase {
    const char* name;
    const char* label;
    const char* operation;
    const char* written;
};

class InfoReportFailedReadTest : public InfoReportTest, public ::testing::WithParamInterface<CFailedReadCase> {};

TEST_P(InfoReportFailedReadTest, LinesBeforeStayAndTheFailedLineIsNotStarted)
{
    CApplication application;
    CCatalog catalog;
    Attach(application, catalog);
    const HRESULT failure = static_cast<HRESULT>(0x80010108u);
    m_host.FailCall(GetParam().operation, failure, 1, GetParam().label);
    HRESULT hr = S_OK;
    const CCapturedConsole console = CaptureConsole([&] {
        hr = std::string(GetParam().label) == "app" ? application.PrintInfo() : catalog.PrintInfo();
    });
    EXPECT_EQ(hr, failure);
    EXPECT_EQ(console.out, GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, InfoReportFailedReadTest,
    ::testing::Values(CFailedReadCase{"ApplicationName", "app", "IHostApplication::Name", ""},
                      CFailedReadCase{"ApplicationVersion", "app", "IHostApplication::Version",
                                      "Application Name: Lumora\n"},
                      CFailedReadCase{"ApplicationPath", "app", "IHostApplication::Path",
                                      "Application Name: Lumora\nApplication Version: 3.1\n"},
                      CFailedReadCase{"CatalogIndex", "catalog", "IHostCatalog::Index", ""},
                      CFailedReadCase{"CatalogName", "catalog", "IHostCatalog::Name", "Catalog Index: 1\n"},
                      CFailedReadCase{"CatalogPath", "catalog", "IHostCatalog::Path",
                                      "Catalog Index: 1\nCatalog Name: Photos\n"}),
    [](const ::testing::TestParamInfo<CFailedReadCase>& info) { return info.param.name; });

struct CValueCase {
    const char* name;
    OptionalText text;
    const char* line;
};

class InfoReportTextTest : public InfoReportTest, public ::testing::WithParamInterface<CValueCase> {};

TEST_P(InfoReportTextTest, HostTextIsWrittenAsReceivedUpToItsFirstNul)
{
    m_host.Application().m_name = GetParam().text;
    CApplication application;
    CCatalog catalog;
    Attach(application, catalog);
    const CCapturedConsole console = CaptureConsole([&] { (void)application.PrintInfo(); });
    const std::string expected =
        std::string(GetParam().line) + "\nApplication Version: 3.1\nApplication Path: C:\\Apps\\Lumora\n";
    EXPECT_EQ(console.out, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, InfoReportTextTest,
    ::testing::Values(
        CValueCase{"Empty", WideString(), "Application Name: "},
        CValueCase{"Null", std::nullopt, "Application Name: "},
        CValueCase{"EmbeddedNul", WideString(OLESTR("Lum\0ora"), 7), "Application Name: Lum"},
        CValueCase{"SpacesKept", WideString(OLESTR("  Lumora  ")), "Application Name:   Lumora  "},
        CValueCase{"Latin1", WideString(OLESTR("\u00C9t\u00E9")), "Application Name: \xC3\x89t\xC3\xA9"},
        CValueCase{"AboveLatin1", WideString(OLESTR("\u65E5\u672C")), "Application Name: \xE6\x97\xA5\xE6\x9C\xAC"},
        CValueCase{"SurrogatePair", WideString(OLESTR("\U0001F600")), "Application Name: \xF0\x9F\x98\x80"}),
    [](const ::testing::TestParamInfo<CValueCase>& info) { return info.param.name; });

struct CIndexCase {
    const char* name;
    LONG index;
    const char* line;
};

class InfoReportIndexTest : public InfoReportTest, public ::testing::WithParamInterface<CIndexCase> {};

TEST_P(InfoReportIndexTest, CatalogIndexIsPlainSignedDecimal)
{
    m_host.Catalog().m_index = GetParam().index;
    CApplication application;
    CCatalog catalog;
    Attach(application, catalog);
    const CCapturedConsole console = CaptureConsole([&] { (void)catalog.PrintInfo(); });
    EXPECT_EQ(console.out.substr(0, console.out.find('\n')), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Numbers, InfoReportIndexTest,
                         ::testing::Values(CIndexCase{"Zero", 0, "Catalog Index: 0"},
                                           CIndexCase{"Negative", -4, "Catalog Index: -4"},
                                           CIndexCase{"NoGrouping", 1234567, "Catalog Index: 1234567"},
                                           CIndexCase{"Largest", 2147483647, "Catalog Index: 2147483647"},
                                           CIndexCase{"Smallest", static_cast<LONG>(-2147483647 - 1),
                                                      "Catalog Index: -2147483648"}),
                         [](const ::testing::TestParamInfo<CIndexCase>& info) { return info.param.name; });

}  // namespace
