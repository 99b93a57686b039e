#include "app/unattended_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "app/exit_code.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/shutdown.h"
#include "platform/system_errors.h"
#include "support/test_support.h"

namespace velk {
namespace {

struct CountingShutdown : Shutdown {
    bool RestartComputer() override {
        ++restarts;
        return true;
    }
    int restarts = 0;
};

constexpr char kToolKey[] = "SOFTWARE\\Velk Quiet Tool";

// Two sites over a configuration laid out by hand: one needs a value under
// HKEY_CURRENT_USER, the other a program whose installer asks for a restart.
class UnattendedRunTest : public ::testing::Test {
  protected:
    UnattendedRunTest() {
        fake_.run.localMode = true;
        fake_.run.dataFolder = folder_.path().string();
        folder_.Write("providers.yaml",
                      "- provider:\n    name: Площадка\n    components: settings\n"
                      "- provider:\n    name: Портал\n    components: tool settings\n");
        folder_.Write("settings.yaml",
                      "type: registry\nname: Настройки\n-record:\n    bits: all\n"
                      "    key: HKEY_CURRENT_USER\\Software\\Velk Test\n    type: REG_SZ\n"
                      "    name: Mode\n    value: quiet\n");
        WriteTool("setup /q");
        // The installer records itself where the packet's check looks.
        fake_.processes.programs["setup"] = [this](const std::string&) {
            RegKey::Create(fake_.registry, kHkeyLocalMachine, kToolKey, kKeyAllAccess)
                .Set("Version", kRegSz, std::string("1\0", 2));
            return ProcessRun{ProcessOutcome::kExited, toolExitCode_};
        };
    }

    void WriteTool(const std::string& commandLine) {
        folder_.Write("tool.yaml",
                      "type: software\nname: Программа\n-package:\n    name: Tool\n"
                      "    bits: all\n    CommandLine: " +
                          commandLine + "\n    CheckRegKey: HKEY_LOCAL_MACHINE\\" + kToolKey +
                          "\n    CheckRegParam: Version\n");
    }

    int Run(RunMode mode, const std::string& sites, bool forceRestart = false) {
        CommandLine line;
        line.mode = mode;
        line.sites = sites;
        line.forceRestart = forceRestart;
        console_.clear();
        RunReport report([this](std::string_view text) { console_.emplace_back(text); },
                         [this](std::string_view text) { log_.emplace_back(text); }, asSystem_);
        return RunUnattended(line, fake_.platform, fake_.run, report, shutdown_, interrupted_);
    }

    bool Printed(const std::string& text) const {
        return std::find(console_.begin(), console_.end(), text) != console_.end();
    }
    bool Logged(const std::string& start) const {
        return std::any_of(log_.begin(), log_.end(),
                           [&](const std::string& line) { return line.starts_with(start); });
    }
    bool Installed() {
        return static_cast<bool>(
            RegKey::Open(fake_.registry, kHkeyCurrentUser, "Software\\Velk Test", kKeyRead));
    }

    test::TempDir folder_;
    FakePlatform fake_;
    CountingShutdown shutdown_;
    std::atomic<bool> interrupted_{false};
    std::uint32_t toolExitCode_ = 3010;
    bool asSystem_ = false;
    std::vector<std::string> console_;
    std::vector<std::string> log_;
};

TEST_F(UnattendedRunTest, ListAndCheckChangeNothingAndQuietInstallsWhatIsMissing) {
    EXPECT_EQ(Run(RunMode::List, ""), kExitDone);
    EXPECT_TRUE(Printed("1. Площадка: settings"));
    EXPECT_TRUE(Printed("2. Портал: tool, settings"));

    EXPECT_EQ(Run(RunMode::Check, "all"), kExitSomethingMissing);
    EXPECT_TRUE(Printed("Портал | Программа | не установлено"));
    EXPECT_FALSE(Installed());
    EXPECT_TRUE(fake_.processes.commandLines.empty());

    EXPECT_EQ(Run(RunMode::Quiet, "1;\"Портал\""), kExitRestartRequired);
    EXPECT_TRUE(Installed());
    EXPECT_EQ(fake_.processes.commandLines, std::vector<std::string>{"setup /q"});
    EXPECT_TRUE(Printed("Портал | Программа | установлено"));
    EXPECT_TRUE(Printed("Для завершения установки требуется перезагрузка"));
    EXPECT_EQ(shutdown_.restarts, 0) << "/norestart is the default";
    EXPECT_TRUE(Logged("Запуск: setup /q"));
    EXPECT_TRUE(Logged("Код завершения программы: 3010"));
    EXPECT_TRUE(Logged("Записано в реестр: HKEY_CURRENT_USER\\Software\\Velk Test\\Mode = quiet"));

    EXPECT_EQ(Run(RunMode::Check, "2"), kExitDone);
}

TEST_F(UnattendedRunTest, ARestartIsStartedOnlyWhenAsked) {
    EXPECT_EQ(Run(RunMode::Quiet, "all", true), kExitRestartStarted);
    EXPECT_EQ(shutdown_.restarts, 1);
}

TEST_F(UnattendedRunTest, EachFailureHasItsOwnCode) {
    EXPECT_EQ(Run(RunMode::Quiet, "3"), kExitBadCommandLine);
    EXPECT_EQ(Run(RunMode::Quiet, "Площадка;Нет такой"), kExitBadCommandLine);
    EXPECT_FALSE(Installed()) << "an unknown site changes nothing";

    interrupted_ = true;
    EXPECT_EQ(Run(RunMode::Quiet, "1"), kExitCancelled);
    EXPECT_FALSE(Installed());
    interrupted_ = false;

    WriteTool("missing.exe");
    EXPECT_EQ(Run(RunMode::Quiet, "2"), kExitInstallFailed);
    EXPECT_TRUE(
        Logged("Программа не запущена или не дождались её завершения, код ошибки "
               "системы: 2"));

    WriteTool("setup /q");
    toolExitCode_ = 1603;
    EXPECT_EQ(Run(RunMode::Quiet, "2"), kExitInstallFailed);
    EXPECT_TRUE(Logged("Код завершения программы: 1603"));
    EXPECT_TRUE(Printed(
        "Ошибка в процессе установки: Программа вернула значение отличное от нуля. Код ошибки: "
        "1603"));

    folder_.Write("tool.yaml", "type: software\nname: \"open\n");
    EXPECT_EQ(Run(RunMode::Check, "2"), kExitConfigurationUnreadable);
    std::filesystem::remove(folder_.path() / "providers.yaml");
    EXPECT_EQ(Run(RunMode::List, ""), kExitConfigurationUnreadable);
}

TEST_F(UnattendedRunTest, WhatLandsInSystemsOwnProfileIsMarked) {
    asSystem_ = true;
    EXPECT_EQ(Run(RunMode::Quiet, "1"), kExitDone);
    EXPECT_TRUE(Printed("Площадка | Настройки | установлено (только профиль SYSTEM)"));
    EXPECT_TRUE(
        Printed("Записано в реестр: HKEY_CURRENT_USER\\Software\\Velk Test\\Mode = quiet "
                "(только профиль SYSTEM)"));
}

}  // namespace
}  // namespace velk
