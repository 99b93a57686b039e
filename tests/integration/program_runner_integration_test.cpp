#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>

#include "engine/program_runner.h"
#include "platform/codepage.h"
#include "platform/win32/win32_processes.h"
#include "support/test_support.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

std::string WindowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Reads a string value from the 32-bit view, where the 32-bit installer
// writes; empty when the key or value is missing.
std::string ReadMachineText(const std::string& key, const std::string& value) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                        &handle) != ERROR_SUCCESS) {
        return {};
    }
    char data[256] = {};
    DWORD size = sizeof(data) - 1;
    const LONG status = ::RegQueryValueExA(handle, value.c_str(), nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(handle);
    return status == ERROR_SUCCESS ? std::string(data) : std::string();
}

class ProgramRunnerIntegrationTest : public ::testing::Test {
  protected:
    bool Run(const std::string& commandLine, const std::string& dstUrl) {
        context_ = JobContext{};
        context_.rebootRequired = &rebootRequired_;
        return RunPacketCommand(processes_, commandLine, dstUrl, context_);
    }
    std::string Message() const { return Cp1251ToUtf8(context_.message); }

    Win32Processes processes_;
    JobContext context_;
    std::atomic<bool> rebootRequired_{false};
};

std::string Marker() {
    return ReadMachineText("Software\\" VELK_RUNNER_MSI_KEY, VELK_RUNNER_MSI_VALUE);
}

std::string UninstallEntryName() {
    return ReadMachineText(
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{" VELK_RUNNER_MSI_CODE "}",
        "DisplayName");
}

TEST_F(ProgramRunnerIntegrationTest, InstallsAndRemovesARealPackageFromAPathWithBlanks) {
    const std::string productCode = "{" VELK_RUNNER_MSI_CODE "}";
    Run("msiexec /x FILENAME /qn", productCode);  // left over from an aborted run
    ASSERT_EQ(Marker(), "");

    const test::TempDir dir;
    const fs::path folder = dir.path() / "downloaded packages";
    fs::create_directory(folder);
    const fs::path package = folder / "test package.msi";
    fs::copy_file(VELK_RUNNER_MSI, package);

    ASSERT_TRUE(Run("msiexec /i \"FILENAME\" /qn", WindowsPath(package.string()))) << Message();
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(Marker(), VELK_RUNNER_MSI_DATA);
    EXPECT_EQ(UninstallEntryName(), VELK_RUNNER_MSI_NAME);
    EXPECT_FALSE(rebootRequired_);

    ASSERT_TRUE(Run("msiexec /x FILENAME /qn", productCode)) << Message();
    EXPECT_EQ(Marker(), "");
    EXPECT_EQ(UninstallEntryName(), "");
}

TEST_F(ProgramRunnerIntegrationTest, JudgesRealExitCodesAndKeepsARestartRequest) {
    struct Step {
        const char* exitArgument;
        bool succeeds;
        const char* message;
        bool rebootAfter;
    };
    const Step steps[] = {
        {"0", true, "", false},
        {"1603", false, "Программа вернула значение отличное от нуля. Код ошибки: 1603", false},
        {"3010", true, "", true},
        {"0", true, "", true},
        {"-1073741819", false,
         "Программа вернула значение отличное от нуля. Код ошибки: 3221225477", true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.exitArgument);
        EXPECT_EQ(Run("cmd /c exit FILENAME", step.exitArgument), step.succeeds);
        EXPECT_EQ(Message(), step.message);
        EXPECT_EQ(rebootRequired_.load(), step.rebootAfter);
    }
    EXPECT_FALSE(Run("FILENAME /qn", "C:\\velk no such folder\\setup.exe"));
    EXPECT_EQ(Message(), "Ошибка при запуске программы");
}

}  // namespace
}  // namespace velk
