// velk-lint's command and its --pin; the checks themselves are run over the
// broken configurations of tests/data/lint by ctest (velk_lint.*).
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "lint/lint_command.h"
#include "platform/digest.h"
#include "support/test_support.h"
#include "support/test_zip.h"

namespace velk {
namespace {

constexpr char kSites[] = "- provider:\n    name: Сайт\n    components: tool\n";

struct LintRun {
    int status;
    std::string out;
};

LintRun Lint(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunLint(arguments, out, err);
    return {status, out.str() + err.str()};
}

TEST(LintCommand, ExitCodesForCleanBrokenAndUnreadableInputAndSarif) {
    const test::TempDir temp;
    temp.Write("clean/providers.yaml", kSites);
    temp.Write("clean/tool.yaml", "type: registry\nname: Настройки\n");
    const LintRun clean = Lint({(temp.path() / "clean").string()});
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_EQ(clean.out, "velk-lint: ошибок: 0, предупреждений: 0\n");

    const auto archive = temp.path() / "broken.zip";
    test::WriteZip(archive, {{"providers.yaml", kSites}, {"tool.yaml", "type: registry\n\"\n"}});
    const auto sarif = temp.path() / "broken.sarif";
    const LintRun broken = Lint({"--sarif", sarif.string(), archive.string()});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out.substr(0, broken.out.find(':', 10)), "tool.yaml:3");
    const std::string log = test::ReadFile(sarif);
    EXPECT_NE(log.find("\"version\":\"2.1.0\""), std::string::npos);
    EXPECT_NE(log.find("\"ruleId\":\"yaml-syntax\""), std::string::npos);
    EXPECT_NE(log.find("\"uri\":\"tool.yaml\"},\"region\":{\"startLine\":3"), std::string::npos);

    const auto notZip = temp.Write("not.zip", "no archive");
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {(temp.path() / "missing").string()},
                                               {notZip.string()},
                                               {"--pin", temp.path().string(), notZip.string()},
                                               {"--sarif"}}) {
        EXPECT_EQ(Lint(arguments).status, 2) << testing::PrintToString(arguments);
    }
}

TEST(LintPin, WritesAndCorrectsKeysKeepingEveryOtherByte) {
    const test::TempDir temp;
    temp.Write("copies/setup.msi", "installer");
    temp.Write("copies/root.cer", "certificate");
    const std::string installer = DigestHex(DigestKind::Sha256, "installer");
    const std::string certificate = DigestHex(DigestKind::Sha256, "certificate");
    temp.Write("config/providers.yaml", "- provider:\n    name: Сайт\n    components: tool ca\n");
    // CR LF lines, comments, a packet without a copy and a stale pin.
    temp.Write("config/tool.yaml",
               "type: software\r\nname: Программа # комментарий\r\n-package:\r\n"
               "    name: Один\r\n    SrcUrl: https://example.invalid/dl/setup.msi?x=1\r\n"
               "    bits: all\r\n-package:\r\n    name: Два\r\n"
               "    SrcUrl: https://example.invalid/other.msi\r\n");
    temp.Write(
        "config/ca.yaml",
        "type: certificate\n-certificate:\n  name: CA\n  SrcUrl: http://example.invalid/root.cer\n"
        "  Sha256: \"0123\"  # old\n  stamp: 00\n");
    const std::string config = (temp.path() / "config").string();
    const std::string copies = (temp.path() / "copies").string();

    const LintRun pinned = Lint({"--pin", copies, config});
    EXPECT_EQ(pinned.out.substr(0, pinned.out.find('\n')),
              "velk-lint: записано ключей Sha256: 1, исправлено: 1");
    EXPECT_EQ(test::ReadFile(temp.path() / "config/tool.yaml"),
              "type: software\r\nname: Программа # комментарий\r\n-package:\r\n"
              "    name: Один\r\n    SrcUrl: https://example.invalid/dl/setup.msi?x=1\r\n"
              "    Sha256: " +
                  installer +
                  "\r\n"
                  "    bits: all\r\n-package:\r\n    name: Два\r\n"
                  "    SrcUrl: https://example.invalid/other.msi\r\n");
    EXPECT_EQ(
        test::ReadFile(temp.path() / "config/ca.yaml"),
        "type: certificate\n-certificate:\n  name: CA\n  SrcUrl: http://example.invalid/root.cer\n"
        "  Sha256: " +
            certificate + "  # old\n  stamp: 00\n");

    const LintRun again = Lint({"--pin", copies, config});
    EXPECT_EQ(again.out.substr(0, again.out.find('\n')),
              "velk-lint: записано ключей Sha256: 0, исправлено: 0");
}

TEST(LintPreview, EachMachineGetsThePacketsThatFitIt) {
    const test::TempDir temp;
    temp.Write("providers.yaml", kSites);
    temp.Write("tool.yaml",
               "type: software\nname: Программа\n-package:\n    name: Старая\n    version: 1\n"
               "    bits: x32\n    windows: Windows 7,Windows XP\n-package:\n    name: Новая\n"
               "    version: 2\n    bits: all\n    windows: Windows 10\n");
    const auto page = temp.path() / "preview.html";
    const LintRun text = Lint({"--preview", temp.path().string()});
    EXPECT_EQ(text.status, 0);
    for (const char* expected :
         {"  Windows 10, x64\n    tool: Новая 2\n", "  Windows 7, x64\n    tool: —\n",
          "  Windows 7, x32\n    tool: Старая 1\n", "  Windows XP, x32\n    tool: Старая 1\n"}) {
        EXPECT_NE(text.out.find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(Lint({"--html", page.string(), temp.path().string()}).status, 0);
    EXPECT_NE(test::ReadFile(page).find("<td>Windows 7</td><td>x32</td><td>Старая 1</td>"),
              std::string::npos);
}

}  // namespace
}  // namespace velk
