#include "config/provider_list.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/trace.h"
#include "support/test_support.h"

namespace velk {
namespace {

using Components = std::vector<std::string>;

// A provider as the tests write it: the name in UTF-8.
struct Expected {
    std::string utf8Name;
    Components components;
};

std::vector<Expected> Described(const ProviderList& list) {
    std::vector<Expected> result;
    for (const auto& provider : list) {
        result.push_back({Cp1251ToUtf8(provider->name), provider->components});
    }
    return result;
}

bool operator==(const Expected& a, const Expected& b) {
    return a.utf8Name == b.utf8Name && a.components == b.components;
}

void PrintTo(const Expected& e, std::ostream* os) {
    *os << "{" << e.utf8Name << ":";
    for (const auto& c : e.components) *os << " " << c;
    *os << "}";
}

ProviderList Chosen(std::vector<Components> componentLists) {
    ProviderList list;
    for (auto& components : componentLists) {
        list.push_back(std::make_shared<Provider>(Provider{"p", std::move(components)}));
    }
    return list;
}

void ExpectFormatError(const std::string& text) {
    try {
        ReadProviderListFromText(text);
        ADD_FAILURE() << "no error for: " << text;
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(Cp1251ToUtf8(error.what()), "Неверный формат файла");
    }
}

struct Case {
    const char* what;
    std::string yaml;
    std::vector<Expected> expected;
};

TEST(ProviderList, ReadsKeywordsAndValuesOfTheEventStream) {
    const Case cases[] = {
        {"components as one blank-separated string",
         "- provider:\n    name: P\n    components: a b  c\n",
         {{"P", {"a", "b", "c"}}}},
        {"components as a flow sequence",
         "- provider:\n    name: P\n    components: [a, b, c]\n",
         {{"P", {"a", "b", "c"}}}},
        {"components as a block sequence whose items hold several names",
         "- provider:\n    name: P\n    components:\n      - a\n      - b c\n",
         {{"P", {"a", "b", "c"}}}},
        {"tabs and line breaks inside a value separate names too",
         "- provider:\n    components: \"a\\tb\\nc\\r\\nd\"\n",
         {{"", {"a", "b", "c", "d"}}}},
        {"a second name replaces the first",
         "- provider:\n    name: first\n    name: second\n",
         {{"second", {}}}},
        {"nothing is required", "- provider:\n- provider: {}\n", {{"", {}}, {"", {}}}},
        {"duplicate components stay, two providers of one name both stay",
         "- provider: {name: P, components: a a}\n- provider: {name: P, components: a}\n",
         {{"P", {"a", "a"}}, {"P", {"a"}}}},
        {"a key after components is a component, a key after name is the name",
         "- provider:\n    components: a\n    version: 2\n"
         "- provider:\n    name: N\n    title: T\n",
         {{"", {"a", "version", "2"}}, {"T", {}}}},
        {"a value spelled like a keyword acts as one",
         "- provider:\n    name: name\n    components: [a, provider, b]\n",
         {{"", {"a"}}, {"", {}}}},
        {"nesting is not looked at: a flat sequence of scalars works alike",
         "[provider, name, P, components, a, b]\n",
         {{"P", {"a", "b"}}}},
        {"anchors, tags and aliases are skipped",
         "- provider:\n    name: !!str &n P\n    components: [*n, a]\n",
         {{"P", {"a"}}}},
        {"keywords and values before the first provider go nowhere",
         "name: lost\ncomponents: x y\nlist:\n- provider:\n    components: a\n",
         {{"", {"a"}}}},
        {"a name after components switches back to the name",
         "- provider:\n    components: a\n    name: N\n    components: b\n",
         {{"N", {"a", "b"}}}},
        {"keywords compare exactly", "- Provider:\n    name: N\n- 'provider '\n- PROVIDER\n", {}},
        {"several documents are one list",
         "provider: {name: A}\n---\nprovider: {name: B}\n",
         {{"A", {}}, {"B", {}}}},
        {"an empty text", "", {}},
        {"only comments", "# nothing\n\n# here\n", {}},
        {"an empty scalar adds no component", "- provider:\n    components: ''\n", {{"", {}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Described(ReadProviderListFromText(c.yaml)), c.expected);
    }
}

TEST(ProviderList, NamesComeInWindows1251ComponentsAsInTheFile) {
    const auto list = ReadProviderListFromText(
        "- provider:\n    name: Площадка «Ё» ✓\n    components: компонент b\n");
    ASSERT_EQ(list.size(), 1u);
    // A character Windows-1251 lacks becomes '?'.
    EXPECT_EQ(list[0]->name, "\xCF\xEB\xEE\xF9\xE0\xE4\xEA\xE0 \xAB\xA8\xBB ?");
    EXPECT_EQ(list[0]->components, (Components{"компонент", "b"}));
}

TEST(ProviderList, MalformedYamlThrowsTheFormatError) {
    const std::string valid = "- provider:\n    name: P\n    components: a\n";
    ExpectFormatError(valid + "- provider:\n    name: [open\n");
    ExpectFormatError(valid + "- provider:\n    name: \"open\n");
    ExpectFormatError(valid + "   components: b\n");  // wrong indentation
    ExpectFormatError(valid + "- provider:\n\tname: Q\n");
    ExpectFormatError(valid + "- provider: {name: a: b}\n");
    ExpectFormatError("provider: a\n- b\n");
    ExpectFormatError(valid + "- name: \xFF\n");
}

TEST(ProviderList, ReadsFiles) {
    const auto list = ReadProviderList(test::DataFile("providers/providers.yaml").string());
    EXPECT_EQ(
        Described(list),
        (std::vector<Expected>{
            {"Электронная площадка «Лотос-Торг»",
             {"browser", "zarnik_csp", "zarnik_registry", "lotos_torg_certificates",
              "lotos_torg_sites"}},
            {"Ормета: подпись документов", {"browser", "ormeta_sign_plugin", "ormeta_license"}},
            {"Госзакупки региона", {"zarnik_csp", "zarnik_registry", "ormeta_sign_plugin"}},
        }));
    EXPECT_EQ(Described(ReadProviderList(test::DataFile("providers/crlf.yaml").string())),
              (std::vector<Expected>{{"Lotos", {"a", "b"}}}));
    try {
        ReadProviderList(test::DataFile("providers/broken.yaml").string());
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(Cp1251ToUtf8(error.what()), "Неверный формат файла");
    }
}

TEST(ProviderList, FilesThatGiveNoProviders) {
    test::TempDir dir;
    EXPECT_TRUE(ReadProviderList((dir.path() / "providers.yaml").string()).empty());
    EXPECT_TRUE(ReadProviderList(dir.path().string()).empty());  // a folder
    EXPECT_TRUE(ReadProviderList(dir.Write("empty.yaml", "").string()).empty());
    EXPECT_TRUE(
        ReadProviderList(dir.Write("none.yaml", "name: x\ncomponents: a\n").string()).empty());
}

TEST(ProviderList, TracesEveryScalarOnlyWhenEnabled) {
    const std::string yaml = "- provider:\n    name: \xD0\x9F\n    components: [a]\n";
    testing::internal::CaptureStdout();
    ReadProviderListFromText(yaml);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    EnableTrace(true);
    testing::internal::CaptureStdout();
    ReadProviderListFromText(yaml);
    const std::string out = testing::internal::GetCapturedStdout();
    EnableTrace(false);
    EXPECT_EQ(out,
              "value = provider\nvalue = name\nvalue = \xD0\x9F\nvalue = components\nvalue = a\n");
}

TEST(ProviderList, MergeKeepsTheFirstOccurrenceOfEachComponent) {
    const struct {
        const char* what;
        std::vector<Components> chosen;
        Components expected;
    } cases[] = {
        {"nothing chosen", {}, {}},
        {"one provider loses its own repeats", {{"a", "b", "a"}}, {"a", "b"}},
        {"a shared component stays at its first place",
         {{"a", "b"}, {"c", "b", "d"}},
         {"a", "b", "c", "d"}},
        {"providers in the order given", {{"c"}, {"a", "c"}}, {"c", "a"}},
        {"comparison is exact", {{"a", "A", "a "}, {"A"}}, {"a", "A", "a "}},
        {"an empty provider adds nothing", {{}, {"a"}, {}}, {"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Provider merged = MergeProviders(Chosen(c.chosen));
        EXPECT_EQ(merged.name, "Name");
        EXPECT_EQ(merged.components, c.expected);
    }
}

TEST(ProviderList, DescribesAProviderLineByLine) {
    EXPECT_EQ(DescribeProvider(Provider{"\xCB\xEE\xF2\xEE\xF1", {"a", "b"}}),
              "name: \xCB\xEE\xF2\xEE\xF1\ncomponent: a\ncomponent: b\n");
    EXPECT_EQ(DescribeProvider(Provider{}), "name: \n");
}

}  // namespace
}  // namespace velk
