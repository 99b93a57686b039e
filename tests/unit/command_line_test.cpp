#include "app/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/run_log.h"
#include "app/site_selection.h"
#include "fakes/fake_private_files.h"
#include "platform/codepage.h"
#include "support/test_support.h"

namespace velk {
namespace {

TEST(CommandLine, RunsWithoutPagesAndTheirMistakes) {
    const CommandLine quiet = ParseCommandLine(
        {"-QUIET", "/Sites=1;\"Портал\"", "/LOG=C:\\Logs\\v.log", "/forceRestart", "/Trace"});
    EXPECT_EQ(quiet.mode, RunMode::Quiet);
    EXPECT_EQ(quiet.sites, "1;\"Портал\"");
    EXPECT_EQ(quiet.logPath, "C:\\Logs\\v.log");
    EXPECT_TRUE(quiet.forceRestart);
    EXPECT_TRUE(quiet.trace);
    EXPECT_EQ(quiet.error, "");

    EXPECT_EQ(ParseCommandLine({"/list", "/local", "/config-url=http://h/c.zip"}).error, "");
    EXPECT_EQ(ParseCommandLine({"/quiet", "/sites=1", "/?"}).mode, RunMode::Help);
    EXPECT_EQ(ParseCommandLine({"-help"}).mode, RunMode::Help);

    const struct {
        std::vector<std::string> arguments;
        std::string error;
    } mistakes[] = {
        {{"/quiet"}, "не указаны сайты: нужен ключ /sites=СПИСОК"},
        {{"/check", "/sites="}, "у ключа /sites= нет значения"},
        {{"/quiet=1", "/sites=1"}, "ключ /quiet=1 не принимает значения"},
        {{"/quiet", "/check", "/sites=1"}, "ключ /check нельзя сочетать с другим режимом работы"},
        {{"/quiet", "/sites=1", "/norestart", "/forcerestart"},
         "ключи /norestart и /forcerestart исключают друг друга"},
        {{"/check", "/sites=1", "/bogus"}, "неизвестный ключ /bogus"},
        {{"/list", "/LOCAL"}, "неизвестный ключ /LOCAL"},
        {{"/list", "stray"}, "неизвестный ключ stray"},
    };
    for (const auto& mistake : mistakes) {
        EXPECT_EQ(ParseCommandLine(mistake.arguments).error, mistake.error)
            << mistake.arguments.front();
    }

    // The run with pages goes on without what it does not know.
    const CommandLine pages = ParseCommandLine({"/bogus", "/local", "stray"});
    EXPECT_EQ(pages.mode, RunMode::Pages);
    EXPECT_TRUE(pages.local);
    EXPECT_EQ(pages.ignored, (std::vector<std::string>{"/bogus", "stray"}));
}

TEST(SiteSelection, NumbersNamesAndAll) {
    ProviderList providers;
    for (const char* name : {"Площадка", "Портал закупок", "2"}) {
        providers.push_back(std::make_shared<Provider>(Provider{Utf8ToCp1251(name), {}}));
    }
    const auto names = [](const SiteSelection& selection) {
        std::vector<std::string> chosen;
        for (const auto& site : selection.sites) chosen.push_back(Cp1251ToUtf8(site->name));
        return chosen;
    };
    EXPECT_EQ(names(SelectSites("all", providers)).size(), 3u);
    EXPECT_EQ(names(SelectSites("2;\"Площадка\";Портал закупок;1", providers)),
              (std::vector<std::string>{"Портал закупок", "Площадка"}));
    EXPECT_EQ(names(SelectSites("\"2\"", providers)), std::vector<std::string>{"2"})
        << "a quoted item is a name";
    for (const char* wrong : {"0", "4", "99999999999999999999", "площадка", "1;", ";1", "ALL"}) {
        const SiteSelection selection = SelectSites(wrong, providers);
        EXPECT_TRUE(selection.sites.empty()) << wrong;
        EXPECT_NE(selection.error, "") << wrong;
    }
    EXPECT_EQ(SelectSites("1;4", providers).error,
              "в конфигурации нет сайта 4 (сайтов в ней 3, /list их показывает)");
}

TEST(RunLog, IsMadeAnewNeverThroughWhatWasPlantedThere) {
    test::TempDir temp;
    FakePrivateFiles files;
    const auto planted = temp.Write("planted.log", "planted");
    const auto target = temp.Write("target.txt", "keep me");
    std::vector<std::filesystem::path> paths = {planted};
#ifndef _WIN32  // Wine makes no symbolic links; they are checked natively
    paths.push_back(temp.path() / "link.log");
    std::filesystem::create_symlink(target, paths.back());
#endif
    for (const auto& path : paths) {
        RunLog log(files, path.string(), [] { return std::string("12:00"); });
        log.Line("строка");
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "12:00 строка\r\n");
        EXPECT_FALSE(std::filesystem::is_symlink(path));
    }
    std::ifstream kept(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");

    EXPECT_THROW(RunLog(files, (temp.path() / "missing" / "v.log").string(), [] { return ""; }),
                 std::runtime_error);
    EXPECT_EQ(DefaultLogPath("T/", 0).substr(0, 7), "T/velk-");
}

}  // namespace
}  // namespace velk
