#include "config/yaml_pairs.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/trace.h"
#include "support/test_support.h"

namespace velk {
namespace {

// "Неверный формат файла" in Windows-1251.
const std::string kFormatError =
    "\xCD\xE5\xE2\xE5\xF0\xED\xFB\xE9 \xF4\xEE\xF0\xEC\xE0\xF2 \xF4\xE0\xE9\xEB\xE0";

std::vector<std::string> ValuesOf(const YamlPairs& pairs, const std::string& key) {
    std::vector<std::string> values;
    for (const auto& [k, v] : pairs)
        if (k == key) values.push_back(v);
    return values;
}

std::string Repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

void ExpectFormatError(const std::string& text) {
    try {
        ReadYamlPairsFromText(text);
        ADD_FAILURE() << "no error for: " << text.substr(0, 80);
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), kFormatError);
    }
}

YamlPairs ReadComponent(const std::string& file) {
    return ReadYamlPairs(test::DataFile("components/" + file).string());
}

struct Case {
    const char* what;
    std::string yaml;
    YamlPairs expected;
};

TEST(YamlPairs, FlattensComponentFileSyntax) {
    const Case cases[] = {
        {"a scalar value", "type: software\n", {{"type", "software"}}},
        {"a block sequence gives one pair per item",
         "components:\n  - a\n  - b\n",
         {{"components", "a"}, {"components", "b"}}},
        {"a mapping under -key gets the prefix",
         "-package:\n  title: T\n  version: 1.0\n",
         {{"package:title", "T"}, {"package:version", "1.0"}}},
        {"a mapping under a plain key gets none", "package:\n  title: T\n", {{"title", "T"}}},
        {"the first mapping's end clears the prefix for the second",
         "-package:\n  - name: a\n    title: b\n  - name: c\n    title: d\n",
         {{"package:name", "a"}, {"package:title", "b"}, {"name", "c"}, {"title", "d"}}},
        {"a key without value gives no pair", "logo:\nname: x\n", {{"name", "x"}}},
        {"top-level keys after a prefixed mapping have no prefix",
         "-x:\n  k: 1\n  m: 2\nafter: 3\n",
         {{"x:k", "1"}, {"x:m", "2"}, {"after", "3"}}},
        {"-key with a scalar value stays as written", "-x: scalar\n", {{"-x", "scalar"}}},
        {"no stack of prefixes: an inner block end clears the outer prefix",
         "-outer:\n  -inner:\n    k: v\n  next: w\n",
         {{"outer:k", "v"}, {"next", "w"}}},
        {"an indentless sequence has no block end and keeps the prefix",
         "-package:\n  alias:\n  - A\n  - B\n  title: T\n",
         {{"package:alias", "A"}, {"package:alias", "B"}, {"package:title", "T"}}},
        {"an indented sequence ends with a block end, losing the prefix",
         "-package:\n  alias:\n    - A\n  title: T\n",
         {{"package:alias", "A"}, {"title", "T"}}},
        {"flow collections: items are values, and a flow mapping takes no prefix",
         "alias: [A, B]\n-p: {k: 1}\n",
         {{"alias", "A"}, {"alias", "B"}, {"k", "1"}}},
        {"an alias is no scalar; anchors and tags before values are skipped",
         "a: &x v\nb: *x\nc: !!str 5\n",
         {{"a", "v"}, {"c", "5"}}},
        {"an anchor between KEY and the key scalar turns the key into a value",
         "k: 1\n&a key: v\n",
         {{"k", "1"}, {"k", "key"}, {"k", "v"}}},
        {"quoted and block scalars",
         "empty: \"\"\nesc: \"a\\tb\"\nsq: 'it''s'\ntext: |\n  one\n  two\n",
         {{"empty", ""}, {"esc", "a\tb"}, {"sq", "it's"}, {"text", "one\ntwo\n"}}},
        {"brackets are not balanced by the scanner: an unclosed flow still gives its items",
         "alias: [a, b\n",
         {{"alias", "a"}, {"alias", "b"}}},
        {"directives and several documents",
         "%YAML 1.1\n---\na: 1\n...\n---\nb: 2\n",
         {{"a", "1"}, {"b", "2"}}},
        {"values before any key get the empty key", "- a\n- b\n", {{"", "a"}, {"", "b"}}},
        {"a mapping as a key: its keys are read in turn",
         "? k: v\n: w\n",
         {{"k", "v"}, {"k", "w"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ReadYamlPairsFromText(c.yaml), c.expected);
    }
}

TEST(YamlPairs, RepeatedKeysStayInOrderAndFindValueTakesTheFirst) {
    const auto pairs = ReadYamlPairsFromText("k: 1\nother: x\nk: 2\nk: 3\n");
    EXPECT_EQ(ValuesOf(pairs, "k"), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(pairs[1].first, "other");
    EXPECT_EQ(FindValue(pairs, "k"), "1");
    EXPECT_EQ(FindValue(pairs, "other"), "x");
    // Exact, whole, case-sensitive; a missing key is an empty text, not an error.
    EXPECT_EQ(FindValue(pairs, "K"), "");
    EXPECT_EQ(FindValue(pairs, "othe"), "");
    EXPECT_EQ(FindValue(pairs, "missing"), "");
    EXPECT_EQ(FindValue({}, ""), "");
}

TEST(YamlPairs, ValuesComeInWindows1251KeysAsInTheFile) {
    const auto pairs = ReadYamlPairsFromText("имя: Ключ №1 «ё»\nzh: 中\n");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].first, "имя");
    EXPECT_EQ(pairs[0].second, "\xCA\xEB\xFE\xF7 \xB9\x31 \xAB\xB8\xBB");
    EXPECT_EQ(pairs[1].second, "?");
}

TEST(YamlPairs, ScannerErrorsThrowTheFormatError) {
    const std::string valid = "type: software\nname: x\n-package:\n  name: y\n";
    ExpectFormatError(valid + "  title: a: b\n");    // ": " inside a plain value
    ExpectFormatError(valid + "  title: \"open\n");  // unterminated quote
    ExpectFormatError(valid + "\tbits: all\n");      // tab as indentation
    // The reader rejects bytes that are not YAML text.
    ExpectFormatError(valid + std::string("k: a\0b\n", 7));
    ExpectFormatError(valid + "k: \xC0\xAF\n");  // overlong UTF-8
    ExpectFormatError(valid + "k: \xFF\n");
    ExpectFormatError(valid + "k: \xD0\n");  // truncated sequence at the end
}

TEST(YamlPairs, FilesThatGiveNothing) {
    test::TempDir dir;
    EXPECT_TRUE(ReadYamlPairs((dir.path() / "missing.yaml").string()).empty());
    EXPECT_TRUE(ReadYamlPairs(dir.path().string()).empty());  // a folder
    EXPECT_TRUE(ReadYamlPairs(dir.Write("empty.yaml", "").string()).empty());
    EXPECT_TRUE(
        ReadYamlPairs(dir.Write("comments.yaml", "# one\n\n   # two\r\n").string()).empty());
}

TEST(YamlPairs, FileReadWithBomAndWindowsLineBreaks) {
    test::TempDir dir;
    auto path = dir.Write("crlf.yaml",
                          "\xEF\xBB\xBFtype: registry\r\n-record:\r\n  bits: all\r\n"
                          "  value: |\r\n    one\r\n    two\r\n");
    EXPECT_EQ(
        ReadYamlPairs(path.string()),
        (YamlPairs{{"type", "registry"}, {"record:bits", "all"}, {"record:value", "one\ntwo\n"}}));
}

TEST(YamlPairs, HostileSizesAndDepthsNeitherCrashNorHang) {
    constexpr int kDepth = 10000;
    const std::string big(1 << 20, 'x');
    EXPECT_EQ(ReadYamlPairsFromText("k: " + big + "\n"), (YamlPairs{{"k", big}}));

    // Deep but well-formed nesting reads to its one pair.
    EXPECT_EQ(ReadYamlPairsFromText("k: " + Repeat("[", kDepth) + "v" + Repeat("]", kDepth)),
              (YamlPairs{{"k", "v"}}));
    EXPECT_EQ(ReadYamlPairsFromText(Repeat("{a: ", kDepth) + "v" + Repeat("}", kDepth)),
              (YamlPairs{{"a", "v"}}));
    EXPECT_EQ(ReadYamlPairsFromText(Repeat("- ", kDepth) + "k: v\n"), (YamlPairs{{"k", "v"}}));
    EXPECT_EQ(ReadYamlPairsFromText(Repeat("? ", kDepth) + "k: v\n"), (YamlPairs{{"k", "v"}}));
    // Unclosed nesting is no error either, and gives nothing without a value.
    EXPECT_EQ(ReadYamlPairsFromText("k: " + Repeat("[", kDepth)), YamlPairs{});
    EXPECT_EQ(ReadYamlPairsFromText(Repeat("{a: ", kDepth)), YamlPairs{});
}

TEST(YamlPairs, TracesTokensOnlyWhenEnabled) {
    const std::string yaml = "-p:\n  k: \xD0\x9A\n";
    testing::internal::CaptureStdout();
    ReadYamlPairsFromText(yaml);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    EnableTrace(true);
    testing::internal::CaptureStdout();
    ReadYamlPairsFromText(yaml);
    const std::string out = testing::internal::GetCapturedStdout();
    EnableTrace(false);
    EXPECT_EQ(out,
              "START_TOKEN\nKEY: -p\nSTART_TOKEN\nKEY: p:k\nVALUE: \xCA\nEND_TOKEN\nEND_TOKEN\n");
}

// The component files of tests/data as a configuration author writes them.
struct Expected {
    const char* file;
    const char* key;
    std::vector<std::string> utf8Values;
};

TEST(YamlPairs, ReadsComponentFiles) {
    const Expected expected[] = {
        {"zarnik_csp.yaml", "name", {"Криптопровайдер «Зарник CSP»"}},
        {"zarnik_csp.yaml", "choose_type", {"or"}},
        {"zarnik_csp.yaml", "package:bits", {"x64", "x32"}},
        {"zarnik_csp.yaml", "package:windows", {"Windows 10,Windows 8.1,Windows 7", "all"}},
        {"zarnik_csp.yaml", "package:alias", {"Zarnik CSP", "Зарник CSP (x64)"}},
        {"zarnik_csp.yaml",
         "package:SrcUrl",
         {"http://127.0.0.1:8080/files/zarnik/zarnik-csp-5.0-x64.msi",
          "http://127.0.0.1:8080/files/zarnik/zarnik-csp-5.0-x86.msi"}},
        {"ormeta_sign_plugin.yaml", "package:bits", {"all", "x64"}},
        {"ormeta_sign_plugin.yaml", "package:versionFilter", {"2"}},
        {"ormeta_sign_plugin.yaml",
         "package:CheckRegKey",
         {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Ormeta\\SignPlugin"}},
        {"ormeta_sign_plugin.yaml", "package:DstUrl", {"WIN64\\Temp\\ormeta-sign-plugin.exe"}},
        {"ormeta_sign_plugin.yaml",
         "package:CommandLine",
         {"\"FILENAME\" /S /norestart", "msiexec /i FILENAME /qn"}},
        {"ormeta_sign_plugin.yaml",
         "package:alias",
         {"Ormeta Sign Plugin", "Плагин подписи Ормета (старая версия)", "Ormeta Browser Bridge",
          "Модуль связи Ормета"}},
        {"browser.yaml", "package:minVersion", {"8.0"}},
        {"lotos_torg_sites.yaml",
         "TrustedHost",
         {"https://lotos-torg.example", "http://sign.lotos-torg.example",
          "https://*.lotos-torg.example", "https://lk.lotos-torg.example/"}},
        {"lotos_torg_sites.yaml",
         "CompatibilityModeHost",
         {"http://lotos-torg.example", "zakupki.lotos-torg.example"}},
        {"lotos_torg_sites.yaml",
         "EnabledSettings",
         {"0x00001200-0x00001206 0x00001400 0x00002201"}},
        {"zarnik_registry.yaml", "type", {"registry"}},
        {"zarnik_registry.yaml", "record:bits", {"all", "x64", "x32", "all"}},
        {"zarnik_registry.yaml", "record:name", {"1201", "ReaderName", "", "LogFolder"}},
        {"zarnik_registry.yaml",
         "record:value",
         {"0", "Все считыватели", "03,00,00,00,ff", "%APPDATA%\\Zarnik\\Logs"}},
        {"lotos_torg_certificates.yaml",
         "certificate:name",
         {"Головной удостоверяющий центр «Лотос»", "Подчинённый УЦ «Лотос-Торг»"}},
        {"lotos_torg_certificates.yaml",
         "certificate:stamp",
         {"4f 1a 9c 03 d7 22 8e b5 60 11 fa 3c 77 0d e9 42 b8 15 a6 c1",
          "9e 07 c2 5b 31 f0 4d 88 a3 6e 12 bc 05 d9 7a 64 e1 2f 90 3b"}},
        {"lotos_torg_certificates.yaml", "certificate:store", {"ROOT", "CA"}},
        {"ormeta_license.yaml", "key", {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Ormeta\\SignPlugin"}},
        {"ormeta_license.yaml", "src", {"files/ormeta.lic"}},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(std::string(e.file) + " " + e.key);
        std::vector<std::string> values;
        for (const auto& v : e.utf8Values) values.push_back(Utf8ToCp1251(v));
        EXPECT_EQ(ValuesOf(ReadComponent(e.file), e.key), values);
    }
}

TEST(YamlPairs, PacketFilesKeepThePrefixUpToTheEnd) {
    // Every key after the first packet belongs to a packet; an unprefixed one
    // would be taken for a component setting and its packet would lose it.
    for (const char* file : {"zarnik_csp.yaml", "ormeta_sign_plugin.yaml", "browser.yaml"}) {
        SCOPED_TRACE(file);
        const auto pairs = ReadComponent(file);
        bool inPackets = false;
        for (const auto& [key, value] : pairs) {
            inPackets = inPackets || key.starts_with("package:");
            if (inPackets) {
                EXPECT_TRUE(key.starts_with("package:")) << key;
            }
        }
        EXPECT_TRUE(inPackets);
        EXPECT_EQ(ValuesOf(pairs, "type").size(), 1u);
    }
}

TEST(YamlPairs, AuthorsSyntaxErrorInAFileFailsTheWholeFile) {
    try {
        ReadComponent("broken_title.yaml");
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), kFormatError);
    }
}

}  // namespace
}  // namespace velk
