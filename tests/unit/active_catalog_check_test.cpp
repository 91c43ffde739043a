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
    bool expected;
};

class ActiveCatalogCheckTest : public CHostTest, public ::testing::WithParamInterface<CPathCase> {};

TEST_P(ActiveCatalogCheckTest, ComparesTheHostsPathWithTheArgument)
{
    m_host.Catalog().m_path = GetParam().hostPath;
    CCountedRef<IHostCatalog> catalog;
    *catalog.Put() = m_host.ObtainCatalog();
    EXPECT_EQ(CheckActiveCatalog(catalog.Get(), GetParam().argument), GetParam().expected);
    EXPECT_EQ(m_host.Calls(), std::vector<std::string>{"catalog IHostCatalog::Path"});
}

WideString Text(const OLECHAR* text) { return WideString(text); }

INSTANTIATE_TEST_SUITE_P(
    Paths, ActiveCatalogCheckTest,
    ::testing::Values(
        CPathCase{"Identical", Text(OLESTR("D:\\Archive\\Photos.lcat")), Text(OLESTR("D:\\Archive\\Photos.lcat")),
                  true},
        CPathCase{"AsciiCaseOnly", Text(OLESTR("D:\\Archive\\Photos.lcat")),
                  Text(OLESTR("d:\\ARCHIVE\\photos.LCAT")), true},
        CPathCase{"EveryAsciiLetter", Text(OLESTR("ABCDEFGHIJKLMNOPQRSTUVWXYZ")),
                  Text(OLESTR("abcdefghijklmnopqrstuvwxyz")), true},
        // The neighbours of A-Z and a-z in ASCII are not letters.
        CPathCase{"AtSignIsNotBacktick", Text(OLESTR("@")), Text(OLESTR("`")), false},
        CPathCase{"BracketIsNotBrace", Text(OLESTR("[x]")), Text(OLESTR("{x}")), false},
        CPathCase{"AccentedCapitalIsNotFolded", Text(OLESTR("D:\\\u00C9t\u00E9")), Text(OLESTR("D:\\\u00E9t\u00E9")),
                  false},
        CPathCase{"GreekCapitalIsNotFolded", Text(OLESTR("\u0391")), Text(OLESTR("\u03B1")), false},
        CPathCase{"NonAsciiEqual", Text(OLESTR("D:\\\u65E5\u672C\\\u00E9t\u00E9")),
                  Text(OLESTR("d:\\\u65E5\u672C\\\u00E9t\u00E9")), true},
        CPathCase{"TrailingSeparator", Text(OLESTR("D:\\Archive")), Text(OLESTR("D:\\Archive\\")), false},
        CPathCase{"OtherSeparator", Text(OLESTR("D:\\Archive")), Text(OLESTR("D:/Archive")), false},
        CPathCase{"RelativeArgument", Text(OLESTR("D:\\Archive\\Photos")), Text(OLESTR("Photos")), false},
        CPathCase{"ArgumentLonger", Text(OLESTR("D:\\A")), Text(OLESTR("D:\\AB")), false},
        CPathCase{"ArgumentShorter", Text(OLESTR("D:\\AB")), Text(OLESTR("D:\\A")), false},
        // The host's path ends at its first NUL, as every reader sees it.
        CPathCase{"HostPathCutAtNul", WideString(OLESTR("D:\\A\0junk"), 9), Text(OLESTR("D:\\a")), true},
        CPathCase{"HostPathWithNulAgainstWholeText", WideString(OLESTR("D:\\A\0junk"), 9),
                  WideString(OLESTR("D:\\A\0junk"), 9), false},
        CPathCase{"NullPathIsEmpty", std::nullopt, WideString(), true},
        CPathCase{"NullPathAgainstPath", std::nullopt, Text(OLESTR("D:\\A")), false}),
    [](const ::testing::TestParamInfo<CPathCase>& info) { return info.param.name; });

TEST_F(CHostTest, ActiveCatalogCheckRaisesTheHostFailureWhileReadingThePath)
{
    const HRESULT failure = static_cast<HRESULT>(0x800706BEu);
    m_host.FailCall("IHostCatalog::Path", failure);
    CCountedRef<IHostCatalog> catalog;
    *catalog.Put() = m_host.ObtainCatalog();
    try {
        CheckActiveCatalog(catalog.Get(), WideString(OLESTR("D:\\Archive\\Photos")));
        FAIL() << "no host-call error raised";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), failure);
    }
}

}  // namespace
