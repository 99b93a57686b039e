#include "tasks/copy_task.h"

#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "config/machine.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"

namespace velk {
namespace {

constexpr std::uint32_t kFolderValueCapacity = 10000;

}  // namespace

std::string CopiedFileName(const std::string& src) {
    const auto slash = src.find('/');
    return slash == std::string::npos ? src : src.substr(slash + 1);
}

void CopyTask::Load(YamlPairs pairs) {
    for (const auto& [key, value] : pairs) {
        if (key == "key") {
            // Without a backslash the whole text is both; no root has such a
            // name, so every read fails.
            auto split =
                SplitRegistryLocation(value).value_or(RegistryLocation{RegistryRoot(value), value});
            location->root = split.root;
            location->subkey = std::move(split.subkey);
        } else if (key == "dst") {
            dst = value;
            location->name = value;
        } else if (key == "src") {
            src = value;
        }
    }
}

void CopyTask::ReadTargetFolder() {
    // Else a 32-bit program reads the folder that the 32-bit edition of the
    // program recorded, if any.
    const std::uint32_t view = MachineRegistryView(MachineBitness(platform_.system));
    if (location->root == 0) return;
    const RegKey key =
        RegKey::Open(platform_.registry, location->root, location->subkey, kKeyRead | view);
    if (!key) return;
    std::uint32_t type = kRegNone;
    const auto folder = key.QueryText(location->name, kFolderValueCapacity, &type);
    if (folder && type == kRegSz) targetFolder = *folder;
}

std::string CopyTask::Destination() const { return targetFolder + "/" + CopiedFileName(src); }

void CopyTask::Detect() {
    ReadTargetFolder();
    status = !targetFolder.empty() && platform_.files.Exists(Destination())
                 ? TaskStatus::Installed
                 : TaskStatus::NotInstalled;
}

void CopyTask::Execute(const InstallPlan&, Progress& progress, const std::atomic<bool>&) {
    progress.InstallBegins(Utf8ToCp1251("Копирование файла ") + src);
    ReadTargetFolder();
    if (!targetFolder.empty()) {
        Files& files = platform_.files;
        const std::string destination = Destination();
        const long error = files.Copy(run_.dataFolder + "/" + src, destination);
        if (error != kErrorSuccess) {
            throw std::runtime_error(Utf8ToCp1251("Ошибка при копировании файла ") + src + ": " +
                                     std::to_string(static_cast<std::uint32_t>(error)));
        }
        // Keeps the program from changing or dropping the file by itself;
        // whether that works does not decide the copy.
        files.SetAttributes(destination, kFileAttributeReadOnly);
        progress.Changed(Change::File, destination);
    }
    status = TaskStatus::Installed;
    progress.TaskFinished(*this);
}

}  // namespace velk
