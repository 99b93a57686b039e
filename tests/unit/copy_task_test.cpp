#include "tasks/copy_task.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "engine/install_plan.h"
#include "fakes/fake_platform.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "support/recording_page.h"
#include "support/test_support.h"
#include "tasks/task_factory.h"

namespace velk {
namespace {

using test::ErrorOf;
using test::RecordingPage;

constexpr char kProgramKey[] = "SOFTWARE\\Ormeta\\SignPlugin";
constexpr char kDataFolder[] = "C:\\velk_data";
constexpr char kProgramFolder[] = "C:\\Program Files\\Ormeta";

class CopyTaskTest : public ::testing::TestWithParam<bool> {
  protected:
    CopyTaskTest() : fakes_(Is64BitSystem()) {
        fakes_.run.dataFolder = kDataFolder;
        fakes_.files.AddFolder(std::string(kDataFolder) + "\\files\\sub");
        fakes_.files.AddFile(std::string(kDataFolder) + "\\files\\ormeta.lic", "licence");
        fakes_.files.AddFile(std::string(kDataFolder) + "\\files\\sub\\deep.lic", "deep");
        fakes_.files.AddFolder(std::string(kProgramFolder) + "\\sub");
        Load(
            "type: copyfile\n"
            "key: HKEY_LOCAL_MACHINE\\SOFTWARE\\Ormeta\\SignPlugin\n"
            "dst: InstallDir\n"
            "src: files/ormeta.lic\n");
    }

    bool Is64BitSystem() const { return GetParam(); }

    void Load(const std::string& text) {
        task_ = std::make_unique<CopyTask>(fakes_.platform, fakes_.run);
        task_->Load(ReadYamlPairsFromText(text));
    }

    // Writes the program's folder value, in the view a 64-bit program sees.
    void RecordFolder(const std::string& folder, std::uint32_t type = kRegSz,
                      std::uint32_t view = kKeyWow64_64Key) {
        const RegKey key =
            RegKey::Create(fakes_.registry, kHkeyLocalMachine, kProgramKey, kKeyAllAccess | view);
        ASSERT_TRUE(key);
        ASSERT_EQ(key.Set("InstallDir", type, folder + std::string(1, '\0')), 0);
    }

    std::string Execute() {
        return ErrorOf([&] { task_->Execute({}, page_, cancel_); });
    }
    std::optional<std::string> Copied(const std::string& name = "ormeta.lic") const {
        return fakes_.files.Content(std::string(kProgramFolder) + "/" + name);
    }

    FakePlatform fakes_;
    std::unique_ptr<CopyTask> task_;
    RecordingPage page_;
    std::atomic<bool> cancel_{false};
};

TEST_P(CopyTaskTest, ReadsItsSettingsFromTheComponentFile) {
    EXPECT_FALSE(task_->IsListed());
    EXPECT_EQ(task_->location->root, kHkeyLocalMachine);
    EXPECT_EQ(task_->location->subkey, kProgramKey);
    EXPECT_EQ(task_->location->name, "InstallDir");
    EXPECT_EQ(task_->dst, "InstallDir");
    EXPECT_EQ(task_->src, "files/ormeta.lic");

    Load("key: HKEY_CURRENT_USER\\A\\B\nkey: HKEY_USERS\\C\\D\ndst: x\ndst: y\nsrc: s\nsrc: t\n");
    EXPECT_EQ(task_->location->root, kHkeyUsers);
    EXPECT_EQ(task_->location->subkey, "C\\D");
    EXPECT_EQ(task_->location->name, "y");
    EXPECT_EQ(task_->src, "t");

    Load("key: SOFTWARE\ndst: x\n");
    EXPECT_EQ(task_->location->root, 0u);
    EXPECT_EQ(task_->location->subkey, "SOFTWARE");
    Load("key: hkey_local_machine\\SOFTWARE\n");
    EXPECT_EQ(task_->location->root, 0u);
}

TEST_P(CopyTaskTest, CopyComponentsBecomeUnlistedCopyTasks) {
    const auto task = LoadComponentTask(test::DataFile("components/ormeta_license.yaml").string(),
                                        fakes_.platform, fakes_.run);
    const auto* copyTask = dynamic_cast<const CopyTask*>(task.get());
    ASSERT_NE(copyTask, nullptr);
    EXPECT_EQ(task->kind, TaskKind::CopyFile);
    EXPECT_FALSE(task->IsListed());
    EXPECT_EQ(copyTask->src, "files/ormeta.lic");
}

TEST(CopiedFileNameTest, KeepsWhatFollowsTheFirstSlash) {
    const struct {
        const char* src;
        const char* name;
    } cases[] = {
        {"files/ormeta.lic", "ormeta.lic"},
        {"ormeta.lic", "ormeta.lic"},
        {"a/b/c", "b/c"},
        {"files/", ""},
        {"/x", "x"},
        {"files\\ormeta.lic", "files\\ormeta.lic"},
    };
    for (const auto& c : cases) EXPECT_EQ(CopiedFileName(c.src), c.name) << c.src;
}

TEST_P(CopyTaskTest, IsPresentWhenTheFileIsInTheProgramsFolder) {
    task_->Detect();
    EXPECT_EQ(task_->status, TaskStatus::NotInstalled);  // no folder recorded

    RecordFolder(kProgramFolder);
    task_->Detect();
    EXPECT_EQ(task_->status, TaskStatus::NotInstalled);
    EXPECT_EQ(task_->targetFolder, kProgramFolder);

    fakes_.files.AddFile(std::string(kProgramFolder) + "\\ormeta.lic", "older");
    task_->Detect();
    EXPECT_EQ(task_->status, TaskStatus::Installed);
}

TEST_P(CopyTaskTest, ReadsTheFolderFromTheViewOfTheMachine) {
    // Only the 32-bit view names a folder. A 64-bit machine must not take
    // it; a 32-bit one has no other view.
    RecordFolder(kProgramFolder, kRegSz, kKeyWow64_32Key);
    fakes_.files.AddFile(std::string(kProgramFolder) + "\\ormeta.lic", "older");
    task_->Detect();
    EXPECT_EQ(task_->status, Is64BitSystem() ? TaskStatus::NotInstalled : TaskStatus::Installed);
    EXPECT_EQ(task_->targetFolder, Is64BitSystem() ? "" : kProgramFolder);
}

TEST_P(CopyTaskTest, OnlyAStringValueNamesTheFolder) {
    RecordFolder(kProgramFolder);
    task_->Detect();
    ASSERT_EQ(task_->targetFolder, kProgramFolder);

    // A later value that cannot be used keeps the folder read before.
    RecordFolder("C:\\Elsewhere", kRegExpandSz);
    task_->Detect();
    EXPECT_EQ(task_->targetFolder, kProgramFolder);
    RecordFolder(std::string(10000, 'x'));
    task_->Detect();
    EXPECT_EQ(task_->targetFolder, kProgramFolder);

    Load("key: HKEY_LOCAL_MACHINE\\SOFTWARE\\Ormeta\\SignPlugin\ndst: InstallDir\nsrc: f/l\n");
    RecordFolder("C:\\Elsewhere", kRegExpandSz);
    task_->Detect();
    EXPECT_EQ(task_->targetFolder, "");
    EXPECT_EQ(task_->status, TaskStatus::NotInstalled);
}

TEST_P(CopyTaskTest, CopiesTheFileReadOnlyAndReportsTheStep) {
    RecordFolder(kProgramFolder);
    EXPECT_EQ(Execute(), "");
    EXPECT_EQ(Copied(), "licence");
    EXPECT_EQ(fakes_.files.Attributes(std::string(kProgramFolder) + "\\ormeta.lic"),
              kFileAttributeReadOnly);
    EXPECT_EQ(task_->status, TaskStatus::Installed);

    ASSERT_EQ(page_.entries.size(), 2u);
    EXPECT_EQ(page_.entries[0].message, test::Step::InstallBegins);
    EXPECT_EQ(Cp1251ToUtf8(page_.entries[0].text), "Копирование файла files/ormeta.lic");
    EXPECT_EQ(page_.entries[1].message, test::Step::TaskFinished);
    EXPECT_EQ(page_.entries[1].lParam, reinterpret_cast<std::intptr_t>(task_.get()));

    task_->Detect();
    EXPECT_EQ(task_->status, TaskStatus::Installed);
}

TEST_P(CopyTaskTest, OverwritesAnOlderCopyButNotAReadOnlyOne) {
    RecordFolder(kProgramFolder);
    const std::string destination = std::string(kProgramFolder) + "\\ormeta.lic";
    fakes_.files.AddFile(destination, "older");
    EXPECT_EQ(Execute(), "");
    EXPECT_EQ(Copied(), "licence");

    // The copy made it read-only: the next copy is refused with the system's code.
    task_->status = TaskStatus::NotInstalled;
    EXPECT_EQ(Execute(), "Ошибка при копировании файла files/ormeta.lic: 5");
    EXPECT_EQ(task_->status, TaskStatus::NotInstalled);
}

TEST_P(CopyTaskTest, FailedCopiesNameTheSystemsCode) {
    const struct {
        const char* src;
        const char* folder;
        const char* error;
    } cases[] = {
        {"files/missing.lic", kProgramFolder, "Ошибка при копировании файла files/missing.lic: 2"},
        {"none/ormeta.lic", kProgramFolder, "Ошибка при копировании файла none/ormeta.lic: 3"},
        {"files/ormeta.lic", "C:\\Not installed",
         "Ошибка при копировании файла files/ormeta.lic: 3"},
        {"files/sub", kProgramFolder, "Ошибка при копировании файла files/sub: 5"},
    };
    for (const auto& c : cases) {
        Load(std::string("key: HKEY_LOCAL_MACHINE\\SOFTWARE\\Ormeta\\SignPlugin\n"
                         "dst: InstallDir\nsrc: ") +
             c.src + "\n");
        RecordFolder(c.folder);
        EXPECT_EQ(Execute(), c.error) << c.src;
        EXPECT_EQ(task_->status, TaskStatus::NotInstalled);
    }
}

TEST_P(CopyTaskTest, KeepsTheFoldersBelowTheFirstOne) {
    Load(
        "key: HKEY_LOCAL_MACHINE\\SOFTWARE\\Ormeta\\SignPlugin\n"
        "dst: InstallDir\nsrc: files/sub/deep.lic\n");
    RecordFolder(kProgramFolder);
    task_->Detect();
    EXPECT_EQ(task_->status, TaskStatus::NotInstalled);
    EXPECT_EQ(Execute(), "");
    EXPECT_EQ(Copied("sub/deep.lic"), "deep");
    task_->Detect();
    EXPECT_EQ(task_->status, TaskStatus::Installed);
}

TEST_P(CopyTaskTest, WithoutAKnownFolderNothingIsCopiedAndTheTaskIsDone) {
    task_->Detect();
    EXPECT_EQ(task_->status, TaskStatus::NotInstalled);
    EXPECT_EQ(Execute(), "");
    EXPECT_EQ(task_->status, TaskStatus::Installed);
    EXPECT_EQ(Copied(), std::nullopt);
    EXPECT_EQ(page_.entries.size(), 2u);
}

TEST_P(CopyTaskTest, AnUnknownBitnessIsAnError) {
    fakes_.system.wow64Fails = true;
    EXPECT_EQ(ErrorOf([&] { task_->Detect(); }), "Ошибка определения версии Windows");
    EXPECT_EQ(Execute(), "Ошибка определения версии Windows");
    EXPECT_EQ(fakes_.registry.OpenHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Systems, CopyTaskTest, ::testing::Bool(),
                         [](const auto& test) { return test.param ? "x64" : "x32"; });

}  // namespace
}  // namespace velk
