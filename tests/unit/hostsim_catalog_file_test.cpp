// The catalog file of the host stand-in: what makes a file unusable, the
// defaults of everything a file leaves out, and saving back changed keyword
// lists without disturbing anything else.
#include "hostsim_test_support.h"

#include "model/catalog_file.h"
#include "model/set_hierarchy.h"
#include "platform/utf8.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

std::unique_ptr<CCatalogFile> OpenOrFail(const std::filesystem::path& file)
{
    std::unique_ptr<CCatalogFile> catalog;
    std::string problem;
    EXPECT_EQ(CCatalogFile::Open(file, catalog, problem), S_OK) << problem;
    return catalog;
}

WideString Wide(const char* text) { return FromUtf8(text); }

struct CBadFileCase {
    const char* name;
    const char* text;
    const char* problem;  // a part of what the host says is wrong
};

class CatalogFileRejectionTest : public ::testing::TestWithParam<CBadFileCase> {};

TEST_P(CatalogFileRejectionTest, SaysWhatIsWrongAndFailsAsInvalidData)
{
    CTestFolder folder;
    std::unique_ptr<CCatalogFile> catalog;
    std::string problem;
    EXPECT_EQ(CCatalogFile::Open(folder.Write("bad.json", GetParam().text), catalog, problem),
              HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
    EXPECT_EQ(catalog, nullptr);
    EXPECT_NE(problem.find(GetParam().problem), std::string::npos) << problem;
}

INSTANTIATE_TEST_SUITE_P(
    BrokenRules, CatalogFileRejectionTest,
    ::testing::Values(
        CBadFileCase{"NotJson", "{\"sets\": [", "not valid JSON"},
        // A number no double can hold, even under a key the host does not know.
        CBadFileCase{"NumberTooLarge", R"({"x": 1e400})", "number overflow"},
        CBadFileCase{"NestedTooDeep", R"({"x": [[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]})",
                     "nested more than 64 deep"},
        CBadFileCase{"NotAnObject", "[1, 2]", "must hold a JSON object"},
        CBadFileCase{"ApplicationNameNumber", R"({"application": {"name": 5}})", "application.name: must be a string or null"},
        CBadFileCase{"CatalogIndexText", R"({"catalog": {"index": "1"}})", "catalog.index: must be an integer"},
        CBadFileCase{"CatalogIndexTooLarge", R"({"catalog": {"index": 2147483648}})", "catalog.index: must be an integer"},
        CBadFileCase{"SetsNotAList", R"({"sets": {}})", "sets: must be a list"},
        CBadFileCase{"SetWithoutIndex", R"({"sets": [{"name": "A"}]})", "sets[0].index: is required"},
        CBadFileCase{"SharedIndexWithoutIds", R"({"sets": [{"index": 3}, {"index": 3}]})",
                     "sets[1]: the id \"3\" is already the id of sets[0]"},
        CBadFileCase{"UnknownParent", R"({"sets": [{"index": 3}, {"index": 4, "parent": 9}]})",
                     "sets[1].parent: no set has the id \"9\""},
        // An id is shown escaped, so the problem stays one line.
        CBadFileCase{"UnknownParentWithLineBreak", R"({"sets": [{"index": 3, "parent": "a\nb"}]})",
                     R"(sets[0].parent: no set has the id "a\nb")"},
        CBadFileCase{"SharedIdWithNul", R"({"sets": [{"index": 3, "id": "a\u0000"}, {"index": 4, "id": "a\u0000"}]})",
                     R"(sets[1]: the id "a\u0000" is already the id of sets[0])"},
        CBadFileCase{"ParentNotAnId", R"({"sets": [{"index": 3, "parent": true}]})", "sets[0].parent: must be null"},
        CBadFileCase{"SkippedOutOfRange", R"({"sets": [{"index": 3, "skipped": 40000}]})", "sets[0].skipped"},
        CBadFileCase{"HiddenNotAFlag", R"({"sets": [{"index": 3, "hidden": "yes"}]})", "sets[0].hidden: must be true or false"},
        CBadFileCase{"SetNamesUnknownItem", R"({"items": [{"id": 1}], "sets": [{"index": 3, "items": [1, 7]}]})",
                     "sets[0].items[1]: no item has the id 7"},
        CBadFileCase{"ItemIdTextIsNotNumber", R"({"items": [{"id": 2}], "sets": [{"index": 3, "items": ["2"]}]})",
                     "no item has the id \"2\""},
        CBadFileCase{"ItemWithoutId", R"({"items": [{"keywords": "a"}]})", "items[0].id: is required"},
        CBadFileCase{"DuplicateItemId", R"({"items": [{"id": "x"}, {"id": "x"}]})", "items[1].id: the id \"x\" is used"},
        CBadFileCase{"FaultUnknownCall", R"({"faults": [{"call": "IHostMediaSets::Items", "hr": "0x80004005"}]})",
                     "faults[0].call: the host has no operation \"IHostMediaSets::Items\""},
        CBadFileCase{"FaultWithoutAction", R"({"faults": [{"call": "IHostCatalog::Name"}]})", "needs either"},
        CBadFileCase{"FaultSucceeding", R"({"faults": [{"call": "IHostCatalog::Name", "hr": "0x00000001"}]})",
                     "faults[0].hr: must be a failing HRESULT"},
        CBadFileCase{"NullCount", R"({"faults": [{"call": "IHostMediaSets::Count", "null": true}]})",
                     "IHostMediaSets::Count has no result that could be null"},
        CBadFileCase{"NullPut", R"j({"faults": [{"call": "IHostAnnotations::Keywords(put)", "null": true}]})j",
                     "has no result that could be null"},
        CBadFileCase{"NthZero", R"({"faults": [{"call": "CreateInstance", "nth": 0, "hr": "0x80004005"}]})",
                     "faults[0].nth: must be an integer of 1 or more"},
        CBadFileCase{"SameCallTwice", R"({"faults": [{"call": "CreateInstance", "hr": "0x80004005"},
                                                    {"call": "CreateInstance", "nth": 1, "null": true}]})",
                     "another fault already takes call 1 of CreateInstance"},
        CBadFileCase{"ExitFalse", R"({"faults": [{"call": "IHostCatalog::Name", "exit": false}]})",
                     "faults[0].exit: must be true"},
        CBadFileCase{"ExitNotAFlag", R"({"faults": [{"call": "IHostCatalog::Name", "exit": 1}]})",
                     "faults[0].exit: must be true"},
        CBadFileCase{"ExitAndHr", R"({"faults": [{"call": "IHostCatalog::Name", "exit": true, "hr": "0x80004005"}]})",
                     "only one of them"},
        CBadFileCase{"ExitAndNull", R"({"faults": [{"call": "IHostCatalog::Name", "exit": true, "null": true}]})",
                     "only one of them"},
        CBadFileCase{"ExitOnACallAlreadyFaulted", R"j({"faults": [
                         {"call": "IHostAnnotations::Keywords(put)", "nth": 3, "hr": "0x80004005"},
                         {"call": "IHostAnnotations::Keywords(put)", "nth": 3, "exit": true}]})j",
                     "another fault already takes call 3 of IHostAnnotations::Keywords(put)"}),
    [](const ::testing::TestParamInfo<CBadFileCase>& info) { return std::string(info.param.name); });

struct CFaultFormCase {
    const char* name;
    const char* fault;
    CFaultRule rule;
};

class FaultFormTest : public ::testing::TestWithParam<CFaultFormCase> {};

TEST_P(FaultFormTest, ReadsIntoOneRule)
{
    CTestFolder folder;
    const auto catalog = OpenOrFail(folder.Write("c.json", std::string(R"({"faults": [)") + GetParam().fault + "]}"));
    ASSERT_EQ(catalog->Content().m_faults.size(), 1u);
    const CFaultRule& got = catalog->Content().m_faults[0];
    const CFaultRule& want = GetParam().rule;
    EXPECT_EQ(got.m_operation, want.m_operation);
    EXPECT_EQ(got.m_nth, want.m_nth);
    EXPECT_EQ(got.m_returnsNull, want.m_returnsNull);
    EXPECT_EQ(got.m_endsHost, want.m_endsHost);
    EXPECT_EQ(got.m_hresult, want.m_hresult);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, FaultFormTest,
    ::testing::Values(
        CFaultFormCase{"HrText", R"({"call": "IHostMediaSets::Item", "nth": 2, "hr": "0x80010108"})",
                       {"IHostMediaSets::Item", 2, false, false, static_cast<HRESULT>(0x80010108u), {}}},
        CFaultFormCase{"HrNumber", R"({"call": "IHostMediaSet::Name", "hr": 2147942414})",
                       {"IHostMediaSet::Name", 1, false, false, E_OUTOFMEMORY, {}}},
        CFaultFormCase{"Null", R"({"call": "IHostMediaItem::Annotations", "null": true})",
                       {"IHostMediaItem::Annotations", 1, true, false, S_OK, {}}},
        CFaultFormCase{"ExitAtThePut", R"j({"call": "IHostAnnotations::Keywords(put)", "nth": 3, "exit": true})j",
                       {"IHostAnnotations::Keywords(put)", 3, false, true, S_OK, {}}},
        CFaultFormCase{"ExitOnAnOperationWithoutResult", R"({"call": "IHostMediaSets::Count", "exit": true})",
                       {"IHostMediaSets::Count", 1, false, true, S_OK, {}}},
        CFaultFormCase{"ExitAtCreation", R"({"call": "CreateInstance", "exit": true})",
                       {"CreateInstance", 1, false, true, S_OK, {}}}),
    [](const ::testing::TestParamInfo<CFaultFormCase>& info) { return std::string(info.param.name); });

TEST(CatalogFileTest, MissingFileIsFileNotFound)
{
    CTestFolder folder;
    std::unique_ptr<CCatalogFile> catalog;
    std::string problem;
    EXPECT_EQ(CCatalogFile::Open(folder.Path() / "absent.json", catalog, problem),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(problem, "no such file");
}

TEST(CatalogFileTest, EmptyObjectGivesTheHostsDefaults)
{
    CTestFolder folder;
    const auto catalog = OpenOrFail(folder.Write("Summer 2019.json", "{}"));
    const CCatalogContent& content = catalog->Content();
    EXPECT_EQ(content.m_application.m_name, Wide("Lumora"));
    EXPECT_EQ(content.m_application.m_version, Wide("3.1"));
    EXPECT_EQ(content.m_application.m_path, Wide("C:\\Apps\\Lumora"));
    EXPECT_EQ(content.m_catalog.m_index, 1);
    EXPECT_EQ(content.m_catalog.m_name, Wide("Summer 2019")) << "the file name without its extension";
    EXPECT_EQ(content.m_catalog.m_path, Wide((folder.Path() / "Summer 2019.json").c_str()));
    EXPECT_TRUE(content.m_sets.empty());
    EXPECT_TRUE(content.m_items.empty());
}

TEST(CatalogFileTest, RelativePathIsMadeAbsoluteButNotTidied)
{
    CTestFolder folder;
    const std::filesystem::path file = folder.Write("c.json", "{}");
    // Through "<folder>/../<folder name>/c.json", relative to the current folder.
    const std::filesystem::path roundabout =
        std::filesystem::relative(folder.Path().parent_path()) / ".." / folder.Path().parent_path().filename() /
        folder.Path().filename() / "c.json";
    const auto catalog = OpenOrFail(roundabout);
    EXPECT_EQ(catalog->Content().m_catalog.m_path, Wide((std::filesystem::current_path() / roundabout).c_str()));
}

TEST(CatalogFileTest, NullsInTheFileStayNull)
{
    CTestFolder folder;
    const auto catalog = OpenOrFail(folder.Write("c.json", R"({
        "application": {"name": null, "version": "", "path": null},
        "catalog": {"name": null, "path": null, "index": -7},
        "sets": [{"index": 1, "name": null, "items": null}],
        "items": [{"id": 1, "keywords": null}]})"));
    const CCatalogContent& content = catalog->Content();
    EXPECT_FALSE(content.m_application.m_name);
    EXPECT_EQ(content.m_application.m_version, WideString());
    EXPECT_FALSE(content.m_catalog.m_name);
    EXPECT_FALSE(content.m_catalog.m_path) << "a present null path is reported as null, not as the file's path";
    EXPECT_EQ(content.m_catalog.m_index, -7);
    EXPECT_FALSE(content.m_sets[0].m_name);
    EXPECT_FALSE(content.m_sets[0].m_hasItemList);
    EXPECT_FALSE(content.m_items[0].m_keywords);
}

TEST(CatalogFileTest, SetDefaultsAndLinks)
{
    CTestFolder folder;
    const auto catalog = OpenOrFail(folder.Write("c.json", R"({
        "items": [{"id": 1}, {"id": "one"}],
        "sets": [
          {"index": 5, "parent": "top", "items": [1, "one", 1]},
          {"index": -2, "id": "top", "skipped": true, "hidden": true},
          {"index": 9, "parent": 5, "level": 42, "skipped": 7},
          {"index": 5, "id": "again", "skipped": false}
        ]})"));
    const std::vector<CMediaSetRecord>& sets = catalog->Content().m_sets;
    ASSERT_EQ(sets.size(), 4u);
    EXPECT_EQ(sets[0].m_id, "5") << "the id defaults to the index";
    EXPECT_EQ(sets[0].m_name, WideString());
    EXPECT_EQ(sets[0].m_parent, std::optional<std::size_t>(1));
    EXPECT_EQ(sets[0].m_level, 2);
    EXPECT_EQ(sets[0].m_items, (std::vector<std::size_t>{0, 1, 0})) << "repeats are kept, ids match by JSON value";
    EXPECT_EQ(sets[1].m_level, 1);
    EXPECT_EQ(sets[1].m_skipped, VARIANT_TRUE);
    EXPECT_EQ(sets[2].m_parent, std::optional<std::size_t>(0)) << "an integer parent names the id \"5\"";
    EXPECT_EQ(sets[2].m_level, 42) << "a level in the file wins";
    EXPECT_EQ(sets[2].m_skipped, 7);
    EXPECT_EQ(sets[3].m_skipped, VARIANT_FALSE);
    EXPECT_TRUE(sets[3].m_items.empty());
    EXPECT_TRUE(sets[3].m_hasItemList);
    EXPECT_EQ(catalog->Content().m_listedSets, (std::vector<std::size_t>{0, 2, 3})) << "hidden sets are not listed";
}

TEST(CatalogFileTest, SetsOnOrBelowAParentCycleHaveLevelZero)
{
    CTestFolder folder;
    const auto catalog = OpenOrFail(folder.Write("c.json", R"({"sets": [
        {"index": 1, "parent": 2}, {"index": 2, "parent": 1},
        {"index": 3, "parent": 1},
        {"index": 4, "parent": 4},
        {"index": 5}, {"index": 6, "parent": 5}]})"));
    std::vector<LONG> levels;
    for (const CMediaSetRecord& set : catalog->Content().m_sets) levels.push_back(set.m_level);
    EXPECT_EQ(levels, (std::vector<LONG>{0, 0, 0, 0, 1, 2}));
}

TEST(SetHierarchyTest, DeepChainsNeedNoRecursion)
{
    constexpr std::size_t kDepth = 200000;
    std::vector<std::optional<std::size_t>> parents(kDepth);
    // Listed deepest first, so every climb meets unknown sets.
    for (std::size_t i = 0; i + 1 < kDepth; ++i) parents[i] = i + 1;
    const std::vector<LONG> levels = DefaultSetLevels(parents);
    EXPECT_EQ(levels.front(), static_cast<LONG>(kDepth));
    EXPECT_EQ(levels.back(), 1);
}

constexpr const char* kRoundTripCatalog = R"({
  "zeta": {"kept": [1, 2.5, null]},
  "application": {"name": "Lumora", "build": 77},
  "items": [
    {"note": "first", "id": 1, "keywords": "beach\u0000hidden;sun"},
    {"id": "b", "keywords": null, "extra": {"x": true}},
    {"id": 3}
  ],
  "sets": [{"index": 1, "items": [1, "b", 3], "colour": "red"}],
  "faults": []
})";

TEST(CatalogFileTest, EmbeddedNulsAreReadInFull)
{
    CTestFolder folder;
    const auto catalog = OpenOrFail(folder.Write("c.json", kRoundTripCatalog));
    const WideString expected = WideString(OLESTR("beach")) + OLECHAR(0) + OLESTR("hidden;sun");
    EXPECT_EQ(catalog->Content().m_items[0].m_keywords, expected);
}

TEST(CatalogFileTest, SavingKeepsEverythingButTheChangedLists)
{
    CTestFolder folder;
    const std::filesystem::path file = folder.Write("c.json", kRoundTripCatalog);
    const auto catalog = OpenOrFail(file);
    const WideString withNul = WideString(OLESTR("x")) + OLECHAR(0) + OLESTR("y");
    EXPECT_EQ(catalog->SetKeywords(1, withNul), KeywordChange::Changed);
    EXPECT_EQ(catalog->SetKeywords(2, OLESTR("{Root}{\u00C9t\u00E9}")), KeywordChange::Changed);
    std::string problem;
    ASSERT_TRUE(catalog->Save(problem)) << problem;
    EXPECT_FALSE(catalog->IsChanged());

    nlohmann::ordered_json expected = nlohmann::ordered_json::parse(kRoundTripCatalog);
    expected["items"][1]["keywords"] = std::string("x\0y", 3);
    expected["items"][2]["keywords"] = "{Root}{\xC3\x89t\xC3\xA9}";
    const nlohmann::ordered_json saved = nlohmann::ordered_json::parse(ReadFileText(file));
    EXPECT_EQ(saved.dump(), expected.dump()) << "key order, unknown keys and other lists as read";

    const auto reread = OpenOrFail(file);
    EXPECT_EQ(reread->Content().m_items[1].m_keywords, withNul);
    EXPECT_EQ(reread->Content().m_items[0].m_keywords, catalog->Content().m_items[0].m_keywords);
}

TEST(CatalogFileTest, StoringTheSameListIsNoChange)
{
    CTestFolder folder;
    const auto catalog = OpenOrFail(folder.Write("c.json", kRoundTripCatalog));
    EXPECT_EQ(catalog->SetKeywords(1, WideString()), KeywordChange::Unchanged) << "null and empty are one text";
    EXPECT_EQ(catalog->SetKeywords(2, WideString()), KeywordChange::Unchanged) << "an absent list is empty";
    EXPECT_EQ(catalog->SetKeywords(0, *catalog->Content().m_items[0].m_keywords), KeywordChange::Unchanged);
    EXPECT_FALSE(catalog->IsChanged());
}

TEST(CatalogFileTest, TextUtf8CannotHoldIsRefusedUntouched)
{
    CTestFolder folder;
    const auto catalog = OpenOrFail(folder.Write("c.json", kRoundTripCatalog));
    for (const WideString& bad : {WideString(1, OLECHAR(0xD800)), WideString(OLESTR("a")) + OLECHAR(0xDC00),
                                  WideString(1, OLECHAR(0xD83D)) + OLESTR("x")}) {
        EXPECT_EQ(catalog->SetKeywords(1, bad), KeywordChange::NotStorable);
    }
    EXPECT_FALSE(catalog->Content().m_items[1].m_keywords);
    EXPECT_FALSE(catalog->IsChanged());
    const WideString pair = WideString(OLESTR("\U0001F600"));
    EXPECT_EQ(catalog->SetKeywords(1, pair), KeywordChange::Changed) << "a surrogate pair is fine";
}

TEST(CatalogFileTest, SaveReplacesTheFileAtomicallyAndKeepsItsPermissions)
{
    CTestFolder folder;
    const std::filesystem::path file = folder.Write("c.json", kRoundTripCatalog);
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    const auto catalog = OpenOrFail(file);
    catalog->SetKeywords(2, OLESTR("new"));
    std::string problem;
    ASSERT_TRUE(catalog->Save(problem)) << problem;

    struct stat after {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "a new file renamed over the old, not rewritten in place";
    EXPECT_EQ(after.st_mode & 0777, 0600u);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"c.json"})) << "no temporary file left behind";
}

TEST(CatalogFileTest, SavingThroughALinkReplacesTheLinkedFile)
{
    CTestFolder folder;
    const std::filesystem::path real = folder.Write("real.json", kRoundTripCatalog);
    const std::filesystem::path link = folder.Path() / "link.json";
    std::filesystem::create_symlink(real, link);
    const auto catalog = OpenOrFail(link);
    catalog->SetKeywords(2, OLESTR("new"));
    std::string problem;
    ASSERT_TRUE(catalog->Save(problem)) << problem;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_NE(ReadFileText(real).find("\"new\""), std::string::npos);
}

TEST(CatalogFileTest, AFailedSaveKeepsTheChangeForALaterTry)
{
    CTestFolder folder;
    const std::filesystem::path sub = folder.Path() / "sub";
    std::filesystem::create_directory(sub);
    const std::filesystem::path file = sub / "c.json";
    std::ofstream(file) << kRoundTripCatalog;
    const auto catalog = OpenOrFail(file);
    catalog->SetKeywords(2, OLESTR("new"));
    std::filesystem::remove_all(sub);
    std::string problem;
    EXPECT_FALSE(catalog->Save(problem));
    EXPECT_NE(problem.find("cannot create"), std::string::npos) << problem;
    EXPECT_TRUE(catalog->IsChanged());
}

// A catalog whose saved text spans many of the save's buffers, with keyword
// lists of every short length and one longer than a buffer, so that the
// serializer's writes meet the buffer's end at many offsets.
std::string LargeCatalog(std::size_t items, std::size_t longList)
{
    std::string text = R"({"catalog": {"name": "Gro\u00DFe \"Sammlung\"\t\u001f", "index": -7},
  "numbers": [0, -1, 18446744073709551615, 0.1, 1e300, -2.5e-8, {}, []],
  "items": [)";
    for (std::size_t i = 1; i <= items; ++i) {
        const std::string keywords = i == items / 2 ? std::string(longList, 'k') : std::string(i % 97, 'a' + i % 26);
        text += (i > 1 ? "," : "") + std::string("\n    {\"id\": ") + std::to_string(i) + ", \"keywords\": \"" +
                keywords + (i % 5 == 0 ? "\\u0000\\u00e9\\ud83d\\ude00" : "") + "\"}";
    }
    return text + "],\n  \"sets\": [{\"index\": 1, \"items\": [1, 2]}]}";
}

struct CSavedTextCase {
    const char* name;
    std::string text;
    std::size_t changedItem;
};

class CatalogFileSavedTextTest : public ::testing::TestWithParam<CSavedTextCase> {};

// The end-to-end scenarios compare whole catalog files, so the saved text
// must stay the library's own two-space layout with a final newline, byte for
// byte, however the text falls across the writes.
TEST_P(CatalogFileSavedTextTest, IsTheDocumentWithTwoSpaceIndentation)
{
    CTestFolder folder;
    const std::filesystem::path file = folder.Write("c.json", GetParam().text);
    const auto catalog = OpenOrFail(file);
    ASSERT_EQ(catalog->SetKeywords(GetParam().changedItem, OLESTR("{Root}{\u00C9t\u00E9}")), KeywordChange::Changed);
    std::string problem;
    ASSERT_TRUE(catalog->Save(problem)) << problem;

    nlohmann::ordered_json expected = nlohmann::ordered_json::parse(GetParam().text);
    expected["items"][GetParam().changedItem]["keywords"] = "{Root}{\xC3\x89t\xC3\xA9}";
    const std::string saved = ReadFileText(file);
    ASSERT_EQ(saved.size(), expected.dump(2).size() + 1);
    EXPECT_TRUE(saved == expected.dump(2) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Catalogs, CatalogFileSavedTextTest,
    ::testing::Values(CSavedTextCase{"small", kRoundTripCatalog, 2},
                      CSavedTextCase{"many_buffers", LargeCatalog(6000, 70000), 0}),
    [](const ::testing::TestParamInfo<CSavedTextCase>& info) { return std::string(info.param.name); });

// Writes of every size against stdio's buffer of 64 KiB: whatever fills it,
// leaves it one short, or passes it by goes out once and in order.
TEST(ReplaceFileTest, TheStreamPassesOnEveryByteInOrder)
{
    CTestFolder folder;
    const std::filesystem::path file = folder.Write("c.json", "old");
    const std::vector<std::size_t> sizes = {1, 65534, 1, 0, 65536, 3, 65535, 2, 200000, 65536, 65537, 7};
    std::string expected;
    for (std::size_t i = 0; i < sizes.size(); ++i) expected += std::string(sizes[i], static_cast<char>('a' + i));
    std::string problem;
    const bool saved = ReplaceFileAtomically(
        file,
        [&](std::ostream& stream) {
            std::size_t at = 0;
            for (const std::size_t size : sizes) {
                if (size == 1)
                    stream.put(expected[at]);
                else
                    stream.write(expected.data() + at, static_cast<std::streamsize>(size));
                at += size;
            }
        },
        problem);
    ASSERT_TRUE(saved) << problem;
    const std::string written = ReadFileText(file);
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected);
}

// Lowers the largest file this process may write, as a full disk would stop
// a save halfway; the writes past it then fail with EFBIG instead of raising
// SIGXFSZ.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t bytes)
    {
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~CFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_signal);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;
    bool IsSet() const { return m_set; }

private:
    rlimit m_saved{};
    void (*m_signal)(int) = SIG_DFL;
    bool m_set = false;
};

TEST(CatalogFileTest, AWriteThatFailsHalfwayLeavesTheCatalogAsItWas)
{
    CTestFolder folder;
    const std::string original = LargeCatalog(6000, 10);
    const std::filesystem::path file = folder.Write("c.json", original);
    const auto catalog = OpenOrFail(file);
    catalog->SetKeywords(1, OLESTR("new"));
    std::string problem;
    {
        const CFileSizeLimit limit(100000);  // more than one buffer, less than the catalog
        ASSERT_TRUE(limit.IsSet());
        EXPECT_FALSE(catalog->Save(problem));
    }
    EXPECT_NE(problem.find("cannot write"), std::string::npos) << problem;
    EXPECT_NE(problem.find(std::strerror(EFBIG)), std::string::npos) << problem;
    EXPECT_TRUE(ReadFileText(file) == original) << "the catalog is byte for byte as it was";
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"c.json"})) << "the half-written file is gone";
    EXPECT_TRUE(catalog->IsChanged());

    ASSERT_TRUE(catalog->Save(problem)) << problem;
    EXPECT_EQ(OpenOrFail(file)->Content().m_items[1].m_keywords, WideString(OLESTR("new")));
}

// Whatever stops the text halfway, after some of it has reached the
// temporary file, is passed on with the catalog as it was.
struct CStoppedWriterCase {
    const char* name;
    void (*write)(std::ostream& stream);
    const char* what;  // a part of the message of what it throws
};

class ReplaceFileStoppedWriterTest : public ::testing::TestWithParam<CStoppedWriterCase> {};

TEST_P(ReplaceFileStoppedWriterTest, LeavesTheOriginalAndNoTemporaryFile)
{
    CTestFolder folder;
    const std::filesystem::path file = folder.Write("c.json", kRoundTripCatalog);
    std::string problem;
    std::string thrown;
    try {
        ReplaceFileAtomically(file, GetParam().write, problem);
    } catch (const std::exception& error) {
        thrown = error.what();
    }
    EXPECT_NE(thrown.find(GetParam().what), std::string::npos) << thrown;
    EXPECT_TRUE(ReadFileText(file) == kRoundTripCatalog);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"c.json"}));
}

INSTANTIATE_TEST_SUITE_P(
    Writers, ReplaceFileStoppedWriterTest,
    ::testing::Values(
        CStoppedWriterCase{"a_string_that_is_not_utf8",
                           [](std::ostream& stream) {
                               JsonDocument document = JsonDocument::array();
                               document.push_back(std::string(200000, 'x'));
                               document.push_back(std::string("caf\xE9"));
                               WriteCatalogText(document, stream);
                           },
                           "type_error.316"},
        CStoppedWriterCase{"memory_running_out",
                           [](std::ostream& stream) {
                               const std::string text(200000, ' ');
                               stream.write(text.data(), static_cast<std::streamsize>(text.size()));
                               throw std::bad_alloc();
                           },
                           "bad_alloc"}),
    [](const ::testing::TestParamInfo<CStoppedWriterCase>& info) { return std::string(info.param.name); });

}  // namespace
