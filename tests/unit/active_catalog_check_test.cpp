// Quillfen refuses to work on any catalog but the one the user named. The
// comparison folds only A-Z onto a-z, never depends on a locale, and does no
// path normalisation at all.
#include "app/active_catalog_check.h"
#include "host/counted_ref.h"

#include "support/test_host_fixture.h"

#include <gtest/gtest.h>

namespace {

struct CPathCase {
    const char* name;
    OptionalText hostPath;
    WideString argument;
    HRESULT expected;
};

class ActiveCatalogCheckTest : public CHostTest, public ::testing::WithParamInterface<CPathCase> {};

TEST_P(ActiveCatalogCheckTest, ComparesTheHostsPathWithTheArgument)
{
    m_host.Catalog().m_path = GetParam().hostPath;
    CCountedRef<IHostCatalog> catalog;
    catalog.Attach(m_host.ObtainCatalog());
    EXPECT_EQ(CheckActiveCatalog(catalog.Get(), GetParam().argument), GetParam().expected);
    EXPECT_EQ(m_host.Calls(), std::vector<std::string>{"catalog IHostCatalog::Path"});
}

WideString Text(const OLECHAR* text) { return WideString(text); }

INSTANTIATE_TEST_SUITE_P(
    Paths, ActiveCatalogCheckTest,
    ::testing::Values(
        CPathCase{"Identical", Text(OLESTR("D:\\Archive\\Photos.lcat")), Text(OLESTR("D:\\Archive\\Photos.lcat")),
                  S_OK},
        CPathCase{"AsciiCaseOnly", Text(OLESTR("D:\\Archive\\Photos.lcat")),
                  Text(OLESTR("d:\\ARCHIVE\\photos.LCAT")), S_OK},
        CPathCase{"EveryAsciiLetter", Text(OLESTR("ABCDEFGHIJKLMNOPQRSTUVWXYZ")),
                  Text(OLESTR("abcdefghijklmnopqrstuvwxyz")), S_OK},
        // The neighbours of A-Z and a-z in ASCII are not letters.
        CPathCase{"AtSignIsNotBacktick", Text(OLESTR("@")), Text(OLESTR("`")), S_FALSE},
        CPathCase{"BracketIsNotBrace", Text(OLESTR("[x]")), Text(OLESTR("{x}")), S_FALSE},
        CPathCase{"AccentedCapitalIsNotFolded", Text(OLESTR("D:\\\u00C9t\u00E9")), Text(OLESTR("D:\\\u00E9t\u00E9")),
                  S_FALSE},
        CPathCase{"GreekCapitalIsNotFolded", Text(OLESTR("\u0391")), Text(OLESTR("\u03B1")), S_FALSE},
        CPathCase{"NonAsciiEqual", Text(OLESTR("D:\\\u65E5\u672C\\\u00E9t\u00E9")),
                  Text(OLESTR("d:\\\u65E5\u672C\\\u00E9t\u00E9")), S_OK},
        CPathCase{"TrailingSeparator", Text(OLESTR("D:\\Archive")), Text(OLESTR("D:\\Archive\\")), S_FALSE},
        CPathCase{"OtherSeparator", Text(OLESTR("D:\\Archive")), Text(OLESTR("D:/Archive")), S_FALSE},
        CPathCase{"RelativeArgument", Text(OLESTR("D:\\Archive\\Photos")), Text(OLESTR("Photos")), S_FALSE},
        CPathCase{"ArgumentLonger", Text(OLESTR("D:\\A")), Text(OLESTR("D:\\AB")), S_FALSE},
        CPathCase{"ArgumentShorter", Text(OLESTR("D:\\AB")), Text(OLESTR("D:\\A")), S_FALSE},
        // The host's path ends at its first NUL, as every reader sees it.
        CPathCase{"HostPathCutAtNul", WideString(OLESTR("D:\\A\0junk"), 9), Text(OLESTR("D:\\a")), S_OK},
        CPathCase{"HostPathWithNulAgainstWholeText", WideString(OLESTR("D:\\A\0junk"), 9),
                  WideString(OLESTR("D:\\A\0junk"), 9), S_FALSE},
        CPathCase{"NullPathIsEmpty", std::nullopt, WideString(), S_OK},
        CPathCase{"NullPathAgainstPath", std::nullopt, Text(OLESTR("D:\\A")), S_FALSE}),
    [](const ::testing::TestParamInfo<CPathCase>& info) { return info.param.name; });

TEST_F(CHostTest, ActiveCatalogCheckRaisesTheHostFailureWhileReadingThePath)
{
    const HRESULT failure = static_cast<HRESULT>(0x800706BEu);
    m_host.FailCall("IHostCatalog::Path", failure);
    CCountedRef<IHostCatalog> catalog;
    catalog.Attach(m_host.ObtainCatalog());
    try {
        CheckActiveCatalog(catalog.Get(), WideString(OLESTR("D:\\Archive\\Photos")));
        FAIL() << "no host-call error raised";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), failure);
    }
}

}  // namespace
