#include "tasks/software_task.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "config/machine.h"
#include "config/uninstall_list.h"
#include "config/version.h"
#include "engine/download.h"
#include "engine/program_runner.h"
#include "platform/private_files.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"
#include "platform/system_info.h"
#include "tasks/record.h"

namespace velk {
namespace {

// A registry check's value is read into a buffer of this size; a longer one
// counts as unreadable, as in the uninstall list.
constexpr std::uint32_t kValueCapacity = 256;
constexpr std::uint32_t kWindowsDirectoryCapacity = 1024;
constexpr std::string_view kWindowsDirectoryPlaceholder = "WIN64";

bool FitsEdition(const Packet& packet, const std::string& edition) {
    const auto& windows = packet.windows;
    return windows.empty() || windows.front() == "all" ||
           std::find(windows.begin(), windows.end(), edition) != windows.end();
}

bool ValueReadable(const RegKey& key, const std::string& name) {
    std::string data;
    return key.Query(name, kValueCapacity, nullptr, &data) == kErrorSuccess;
}

bool PassesVersionFilter(const Packet& packet, const std::string& version) {
    if (packet.versionFilter.empty()) return true;
    return !version.empty() && packet.versionFilter.find(version.front()) != std::string::npos;
}

// The packet's state judged by the version the uninstall entry gives.
TaskStatus CheckInstalledVersion(const std::optional<std::string>& version, const Packet& packet) {
    // Listed without a version: nothing to hold against it.
    if (!version) return TaskStatus::Installed;
    if (!PassesVersionFilter(packet, *version)) return TaskStatus::NotInstalled;
    if (packet.minVersion.empty() && packet.maxVersion.empty()) return TaskStatus::Installed;
    // The upper bound applies only to a packet that says which version it
    // brings.
    if (!packet.maxVersion.empty() && packet.version.empty()) return TaskStatus::Installed;
    return VersionRangeStatus(*version, packet.minVersion, packet.maxVersion);
}

// The entry that decides about the packet: of all entries listed under its
// name or one of its aliases, the last one enumerated, since every entry
// overrides what an earlier one said.
std::optional<std::size_t> DecidingEntry(const UninstallList& entries, const Packet& packet) {
    std::optional<std::size_t> last = entries.LastListed(packet.name);
    for (const auto& alias : packet.alias) {
        const auto listed = entries.LastListed(alias);
        if (listed && (!last || *listed > *last)) last = listed;
    }
    return last;
}

void MatchUninstallList(const PacketList& list, const UninstallList& entries) {
    for (const auto& packet : list) {
        if (!packet->CheckRegKey.empty()) continue;
        const auto index = DecidingEntry(entries, *packet);
        if (!index) continue;
        // The name or alias matched is the entry's DisplayName itself.
        const auto& version = entries.DisplayVersion(*index);
        packet->status = CheckInstalledVersion(version, *packet);
        packet->installedText = entries.DisplayName(*index) + " " + version.value_or("");
    }
}

[[noreturn]] void Fail(const JobContext& context) { throw std::runtime_error(context.message); }

}  // namespace

TaskStatus VersionRangeStatus(const std::string& version, const std::string& minVersion,
                              const std::string& maxVersion) {
    if (VersionLess(version, minVersion)) return TaskStatus::InstalledOtherVersion;
    if (maxVersion.empty() || VersionLess(version, maxVersion)) return TaskStatus::Installed;
    return TaskStatus::InstalledOtherVersion;
}

SoftwareTask::SoftwareTask(Platform& platform, RunContext& run) : platform_(platform), run_(run) {}

std::size_t SoftwareTask::PacketIndex(const Packet& packet) const {
    const auto at = std::find_if(packets.begin(), packets.end(),
                                 [&packet](const auto& own) { return own.get() == &packet; });
    return static_cast<std::size_t>(at - packets.begin());
}

void SoftwareTask::Load(YamlPairs pairs) {
    for (const auto& [key, value] : pairs) {
        if (key == "choose_type") choose_type = value;
    }
    packets = ReadPackets(pairs);
    for (const auto& packet : packets) {
        if (const auto at = packet->DstUrl.find(kWindowsDirectoryPlaceholder);
            at != std::string::npos) {
            packet->DstUrl.replace(at, kWindowsDirectoryPlaceholder.size(), WindowsDirectory());
        }
    }
}

std::string SoftwareTask::WindowsDirectory() const {
    char buffer[kWindowsDirectoryCapacity];
    const std::uint32_t length =
        platform_.system.GetWindowsDirectory(buffer, kWindowsDirectoryCapacity);
    // Without the directory the placeholder stays, so that a download to it
    // fails with the path in the message instead of landing elsewhere.
    if (length == 0 || length >= kWindowsDirectoryCapacity) {
        return std::string(kWindowsDirectoryPlaceholder);
    }
    return std::string(buffer, length);
}

bool PacketApplies(const Packet& packet, const std::string& bitness, const std::string& edition) {
    return (packet.bits == "all" || packet.bits == bitness) && FitsEdition(packet, edition);
}

PacketList SoftwareTask::ApplicablePackets() const {
    const std::string bitness = MachineBitness(platform_.system);
    const std::string edition = WindowsName(platform_.system);
    PacketList applicable;
    for (const auto& packet : packets) {
        if (PacketApplies(*packet, bitness, edition)) applicable.push_back(packet);
    }
    return applicable;
}

void SoftwareTask::Detect() {
    const PacketList list = ApplicablePackets();
    // A 32-bit process on a 64-bit system sees the 32-bit programs' list by
    // default; the 64-bit programs are listed in the other view.
    if (MachineBitness(platform_.system) == "x64") ScanUninstallList(list, kKeyWow64_64Key);
    ScanUninstallList(list, kKeyWow64_32Key);
    for (const auto& packet : list) {
        if (!packet->CheckRegKey.empty()) CheckRegistryValue(*packet);
    }
    TakeStatusFrom(list);
}

void SoftwareTask::ScanUninstallList(const PacketList& list, std::uint32_t view) {
    const SharedUninstallList entries = run_.uninstallLists.Of(platform_.registry, view);
    if (!entries) return;
    // Found before: the packets keep what the earlier detection said.
    if (status == TaskStatus::Installed) return;
    MatchUninstallList(list, *entries);
}

void SoftwareTask::CheckRegistryValue(Packet& packet) {
    // Without a backslash the text names a root itself.
    const RegistryLocation location =
        SplitRegistryLocation(packet.CheckRegKey)
            .value_or(RegistryLocation{RegistryRoot(packet.CheckRegKey), ""});
    if (location.root == 0) return;
    // No view flag: the value is looked for where this 32-bit program's own
    // writes would land.
    const RegKey key = RegKey::Open(platform_.registry, location.root, location.subkey, kKeyRead);
    if (!key || !ValueReadable(key, packet.CheckRegParam)) return;
    packet.status = TaskStatus::Installed;
    packet.installedText = packet.title;
}

void SoftwareTask::TakeStatusFrom(const PacketList& list) {
    status = TaskStatus::Installed;
    for (const auto& packet : list) {
        switch (packet->status) {
            case TaskStatus::Installed:
                statusDetail = PacketStatusText(*packet);
                if (choose_type == "or") {
                    status = TaskStatus::Installed;
                    return;
                }
                break;
            case TaskStatus::InstalledOtherVersion:
                statusDetail = PacketStatusText(*packet);
                status = TaskStatus::InstalledOtherVersion;
                break;
            default:
                if (status != TaskStatus::InstalledOtherVersion) status = packet->status;
                break;
        }
    }
}

void SoftwareTask::Execute(const InstallPlan& plan, Progress& progress,
                           const std::atomic<bool>& cancelFlag) {
    if (packets.empty()) return;
    const PacketList list = ApplicablePackets();
    bool processed = false;
    for (const auto& packet : list) {
        const bool chosen = list.size() == 1 || IsChosen(plan, *packet);
        if (!chosen || packet->status == TaskStatus::Installed) continue;
        const std::string label = PacketLabel(*packet);
        progress.DownloadBegins(label);
        processed = true;
        // Held open until the installer has ended, so that nobody swaps it.
        PrivateFile installer({}, {&platform_.privateFiles});
        if (!packet->SrcUrl.empty()) {
            JobContext download{"", &cancelFlag, &progress, packet->Sha256};
            if (!DownloadFile(platform_.internet, platform_.system, platform_.privateFiles,
                              download, packet->DstUrl, packet->SrcUrl, &installer)) {
                Fail(download);
            }
        }
        status = TaskStatus::Downloaded;
        progress.InstallBegins(label);
        if (cancelFlag) return;
        JobContext command{"", &cancelFlag, &progress, {}, &run_.rebootRequired};
        if (!RunPacketCommand(platform_.processes, packet->CommandLine, packet->DstUrl, command)) {
            Fail(command);
        }
    }
    if (!processed) return;
    status = TaskStatus::Installed;
    progress.TaskFinished(*this);
}

}  // namespace velk
