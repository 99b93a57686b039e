#include "tasks/registry_task.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "config/machine.h"
#include "platform/codepage.h"
#include "platform/registry_key.h"
#include "platform/system_errors.h"

namespace velk {

namespace {

// Values longer than this are taken as different from any record.
constexpr std::uint32_t kDetectCapacity = 10000;

bool IsApplicable(const Record& record, const std::string& bitness) {
    return record.bits == "all" || record.bits == bitness;
}

bool StoredDataMatches(const Record& record, const std::string& stored) {
    switch (record.type) {
        case kRegSz:
        case kRegExpandSz:
            return TextUpToNul(stored) == record.value;
        case kRegBinary:
        case kRegDword:
        case kRegQword:
            return stored == RecordData(record);
    }
    return false;
}

bool IsPresent(Registry& registry, const Record& record, std::uint32_t view) {
    if (record.root == 0) return false;
    const RegKey key = RegKey::Open(registry, record.root, record.subkey, kKeyRead | view);
    if (!key) return false;
    std::uint32_t type = kRegNone;
    std::string stored;
    if (key.Query(record.name, kDetectCapacity, &type, &stored) != kErrorSuccess) return false;
    return type == record.type && StoredDataMatches(record, stored);
}

void Write(Registry& registry, const Record& record, std::uint32_t view) {
    const RegKey key = record.root == 0
                           ? RegKey()
                           : RegKey::Create(registry, record.root, record.subkey, kKeyWrite | view);
    if (!key) {
        throw std::runtime_error(Utf8ToCp1251("Ошибка при создании ключа реестра ") +
                                 record.subkey);
    }
    const auto data = RecordData(record);
    if (data && key.Set(record.name, record.type, *data) != kErrorSuccess) {
        throw std::runtime_error(Utf8ToCp1251("Ошибка при создании параметра реестра ") +
                                 record.name);
    }
}

}  // namespace

void RegistryTask::Load(YamlPairs pairs) { records = ReadRecords(pairs); }

void RegistryTask::Detect() {
    if (status == TaskStatus::Installed) return;
    const std::string bitness = MachineBitness(platform_.system);
    for (const auto& record : records) {
        if (!IsApplicable(*record, bitness)) continue;
        if (!IsPresent(platform_.registry, *record, MachineRegistryView(bitness))) return;
    }
    status = TaskStatus::Installed;
}

bool RegistryTask::WritesUserProfile() const {
    return std::any_of(records.begin(), records.end(),
                       [](const auto& record) { return record->root == kHkeyCurrentUser; });
}

void RegistryTask::Execute(const InstallPlan&, Progress& progress, const std::atomic<bool>&) {
    // Every record is written, whatever its bits: only detection filters.
    const std::uint32_t view = MachineRegistryView(MachineBitness(platform_.system));
    for (const auto& record : records) {
        progress.InstallBegins(Utf8ToCp1251("Запись в реестр. Ключ ") + record->subkey);
        Write(platform_.registry, *record, view);
        progress.Changed(Change::RegistryValue, std::string(RegistryRootName(record->root)) + "\\" +
                                                    record->subkey + "\\" + record->name + " = " +
                                                    record->value);
    }
    status = TaskStatus::Installed;
    progress.TaskFinished(*this);
}

}  // namespace velk
