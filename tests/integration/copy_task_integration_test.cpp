// The copy task over the real registry and file system.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <stdexcept>
#include <string>

#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "support/recording_page.h"
#include "support/test_support.h"
#include "support/win32_cleanup.h"
#include "tasks/copy_task.h"

namespace velk {
namespace {

using test::ReadFile;

class CopyTaskIntegrationTest : public ::testing::Test {
  protected:
    CopyTaskIntegrationTest() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        key_ = "SOFTWARE\\velk-copy-test-" + std::to_string(stamp);
        fakes_.run.dataFolder = data_.path().string();
        data_.Write("files/licence.lic", "licence");
        task_.Load(ReadYamlPairsFromText("type: copyfile\nkey: HKEY_LOCAL_MACHINE\\" + key_ +
                                         "\ndst: InstallDir\nsrc: files/licence.lic\n"));
    }
    ~CopyTaskIntegrationTest() override {
        test::RemoveRegistryTree(kHkeyLocalMachine, key_);
        test::ClearReadOnly(program_.path().string());
    }

    bool Is64BitSystem() const { return test::WineArch() == "win64"; }

    void RecordFolder(std::uint32_t view) {
        const RegKey key = RegKey::Create(registry_, kHkeyLocalMachine, key_, kKeyAllAccess | view);
        ASSERT_TRUE(key);
        const std::string folder = program_.path().string();
        ASSERT_EQ(key.Set("InstallDir", kRegSz, folder + std::string(1, '\0')), 0);
    }

    std::string Execute() {
        return test::ErrorOf([&] { task_.Execute({}, page_, cancel_); });
    }

    std::filesystem::path Copy() const { return program_.path() / "licence.lic"; }
    bool CopyIsReadOnly() const {
        const DWORD attributes = ::GetFileAttributesA(Copy().string().c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    }

    test::TempDir data_, program_;
    std::string key_;
    FakePlatform fakes_;
    Win32Registry registry_;
    Win32SystemInfo system_;
    Win32Files files_;
    Platform platform_{
        registry_, system_,      fakes_.internet,     fakes_.processes, fakes_.com,
        fakes_.ui, fakes_.zones, fakes_.certificates, files_,           fakes_.privateFiles};
    CopyTask task_{platform_, fakes_.run};
    test::RecordingPage page_;
    std::atomic<bool> cancel_{false};
};

TEST_F(CopyTaskIntegrationTest, CopiesIntoTheFolderThatTheRegistryNames) {
    RecordFolder(kKeyWow64_64Key);
    task_.Detect();
    EXPECT_EQ(task_.status, TaskStatus::NotInstalled);

    EXPECT_EQ(Execute(), "");
    EXPECT_EQ(task_.status, TaskStatus::Installed);
    EXPECT_EQ(ReadFile(Copy()), "licence");
    EXPECT_TRUE(CopyIsReadOnly());
    task_.status = TaskStatus::NotInstalled;
    task_.Detect();
    EXPECT_EQ(task_.status, TaskStatus::Installed);
}

TEST_F(CopyTaskIntegrationTest, ASecondCopyOntoTheReadOnlyCopyIsRefused) {
    if (!test::ReadOnlyIsEnforced(program_.path().string())) {
        GTEST_SKIP() << "read-only files can be written here (Wine run as root)";
    }
    RecordFolder(kKeyWow64_64Key);
    ASSERT_EQ(Execute(), "");
    ASSERT_TRUE(CopyIsReadOnly());
    data_.Write("files/licence.lic", "newer");
    EXPECT_EQ(Execute(), "Ошибка при копировании файла files/licence.lic: 5");
    EXPECT_EQ(ReadFile(Copy()), "licence");
}

TEST_F(CopyTaskIntegrationTest, AFolderOnlyInThe32BitViewCountsOnlyOnA32BitSystem) {
    RecordFolder(kKeyWow64_32Key);
    task_.Detect();
    EXPECT_EQ(task_.targetFolder, Is64BitSystem() ? "" : program_.path().string());

    EXPECT_EQ(Execute(), "");
    EXPECT_EQ(task_.status, TaskStatus::Installed);
    EXPECT_EQ(std::filesystem::exists(Copy()), !Is64BitSystem());
}

}  // namespace
}  // namespace velk
