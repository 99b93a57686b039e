// Times the detection of many software components over a long list of
// installed programs, against a plain enumeration of the same keys by reg.exe:
//   velk_detect_bench
// Lists ENTRIES programs in each registry view below keys of its own, writes
// COMPONENTS component files of PACKETS packets each into a temporary data
// folder, times LoadTaskSet (load + detect), runs it once more to count its
// registry calls, times the least any reading of the list takes (enumerate,
// open, read DisplayName, close, per entry, in plain Win32 calls), then
// "reg query /s" of the list in each view, and removes everything it wrote.
// Prints "entries=N components=N velk_ms=T bare_ms=T reg_ms=T calls=N
// installed=N". Wine's server serves every registry call in turn, so under
// load all times grow alike: velk_ms against bare_ms is the figure that
// stays put.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/provider_list.h"
#include "platform/win32/win32_certificate_stores.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_private_files.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_ui.h"
#include "platform/win32/win32_zones.h"
#include "tasks/task_set.h"

namespace {

constexpr int kEntries = 2000;  // per view
constexpr int kComponents = 50;
constexpr int kPackets = 3;
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string EntryKey(int index) { return "velk-detect-bench-" + std::to_string(index); }

// Every third program is one a packet asks for, so both matches and misses
// are measured.
std::string ProgramName(int index) { return "Bench Program " + std::to_string(index); }

bool SetText(HKEY key, const char* name, const std::string& text) {
    return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool ListPrograms(REGSAM view) {
    for (int i = 0; i < kEntries; ++i) {
        HKEY key = nullptr;
        const std::string path = std::string(kUninstall) + "\\" + EntryKey(i);
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | view, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const bool written = SetText(key, "DisplayName", ProgramName(i)) &&
                             SetText(key, "DisplayVersion", "1." + std::to_string(i % 10));
        ::RegCloseKey(key);
        if (!written) return false;
    }
    return true;
}

void RemovePrograms() {
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        for (int i = 0; i < kEntries; ++i) {
            const std::string path = std::string(kUninstall) + "\\" + EntryKey(i);
            ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
        }
    }
}

velk::Provider WriteComponents(const std::filesystem::path& folder) {
    velk::Provider provider;
    for (int c = 0; c < kComponents; ++c) {
        std::string yaml =
            "type: software\nname: Bench " + std::to_string(c) + "\nchoose_type: or\n";
        for (int p = 0; p < kPackets; ++p) {
            const int program = (c * kPackets + p) * 3 % (kEntries + 300);
            yaml += "-package:\n    name: " + ProgramName(program) +
                    "\n    bits: all\n    windows: all\n    minVersion: 1.5\n"
                    "    alias: Bench Alias " +
                    std::to_string(program) + "\n";
        }
        const std::string component = "bench_" + std::to_string(c);
        std::ofstream(folder / (component + ".yaml"), std::ios::binary) << yaml;
        provider.components.push_back(component);
    }
    return provider;
}

// Passes every call on and counts them.
class CountingRegistry final : public velk::Registry {
  public:
    explicit CountingRegistry(velk::Registry& inner) : inner_(inner) {}
    long calls() const { return calls_; }

    long OpenKey(velk::RegHandle parent, const std::string& subKey, std::uint32_t access,
                 velk::RegHandle* result) override {
        ++calls_;
        return inner_.OpenKey(parent, subKey, access, result);
    }
    long CreateKey(velk::RegHandle parent, const std::string& subKey, std::uint32_t access,
                   velk::RegHandle* result) override {
        ++calls_;
        return inner_.CreateKey(parent, subKey, access, result);
    }
    long EnumKey(velk::RegHandle key, std::uint32_t index, char* name,
                 std::uint32_t* nameSize) override {
        ++calls_;
        return inner_.EnumKey(key, index, name, nameSize);
    }
    long QueryValue(velk::RegHandle key, const std::string& valueName, std::uint32_t* type,
                    std::uint8_t* data, std::uint32_t* dataSize) override {
        ++calls_;
        return inner_.QueryValue(key, valueName, type, data, dataSize);
    }
    long SetValue(velk::RegHandle key, const std::string& valueName, std::uint32_t type,
                  const std::uint8_t* data, std::uint32_t dataSize) override {
        ++calls_;
        return inner_.SetValue(key, valueName, type, data, dataSize);
    }
    long CloseKey(velk::RegHandle key) override {
        ++calls_;
        return inner_.CloseKey(key);
    }

  private:
    velk::Registry& inner_;
    long calls_ = 0;
};

// The four calls per entry that any reading of the list needs, nothing else.
void ReadNamesBare(REGSAM view) {
    HKEY uninstall = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, KEY_ENUMERATE_SUB_KEYS | view,
                        &uninstall) != ERROR_SUCCESS) {
        return;
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (::RegEnumKeyExA(uninstall, index, name, &nameSize, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS) {
            break;
        }
        HKEY entry = nullptr;
        if (::RegOpenKeyExA(uninstall, name, 0, KEY_READ | view, &entry) != ERROR_SUCCESS) continue;
        BYTE data[256];
        DWORD size = sizeof data;
        ::RegQueryValueExA(entry, "DisplayName", nullptr, nullptr, data, &size);
        ::RegCloseKey(entry);
    }
    ::RegCloseKey(uninstall);
}

int Installed(const velk::TaskSet& taskSet) {
    int installed = 0;
    for (const auto& task : taskSet.tasks) {
        installed += task->status == velk::TaskStatus::Installed ? 1 : 0;
    }
    return installed;
}

double Milliseconds(std::chrono::steady_clock::duration elapsed) {
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

}  // namespace

int main() {
    char temp[MAX_PATH];
    if (::GetTempPathA(MAX_PATH, temp) == 0) return 1;
    const std::filesystem::path folder =
        std::filesystem::path(temp) /
        ("velk-detect-bench-" + std::to_string(::GetCurrentProcessId()));
    std::filesystem::create_directories(folder);

    velk::Win32Registry registry;
    velk::Win32SystemInfo system;
    velk::Win32Internet internet;
    velk::Win32Processes processes;
    velk::Win32Com com;
    velk::Win32Ui ui;
    velk::Win32Zones zones;
    velk::Win32CertificateStores certificates;
    velk::Win32Files files;
    velk::Win32PrivateFiles privateFiles;
    velk::Platform platform{registry, system, internet,     processes, com,
                            ui,       zones,  certificates, files,     privateFiles};

    // As velk sees it: the 64-bit test build counts as the 32-bit program on
    // 64-bit Windows.
    bool wow64 = false;
    system.IsWow64Process(&wow64);
    // One view on a 32-bit system: writing it twice would only overwrite.
    const bool listed = ListPrograms(KEY_WOW64_32KEY) && (!wow64 || ListPrograms(KEY_WOW64_64KEY));
    const velk::Provider provider = WriteComponents(folder);
    velk::RunContext run;
    run.dataFolder = folder.string();

    int status = 1;
    if (listed) {
        velk::TaskSet taskSet;
        const auto start = std::chrono::steady_clock::now();
        const bool loaded = velk::LoadTaskSet(provider, taskSet, platform, run);
        const double velkMs = Milliseconds(std::chrono::steady_clock::now() - start);

        // Once more through a counter, untimed.
        CountingRegistry counting(registry);
        velk::Platform counted{counting, system, internet,     processes, com,
                               ui,       zones,  certificates, files,     privateFiles};
        velk::TaskSet countedSet;
        const bool countedLoaded = velk::LoadTaskSet(provider, countedSet, counted, run);

        const auto bareStart = std::chrono::steady_clock::now();
        if (wow64) ReadNamesBare(KEY_WOW64_64KEY);
        ReadNamesBare(KEY_WOW64_32KEY);
        const double bareMs = Milliseconds(std::chrono::steady_clock::now() - bareStart);

        const auto regStart = std::chrono::steady_clock::now();
        const std::string query = std::string("cmd /c reg query \"HKLM\\") + kUninstall + "\" /s";
        processes.Run(query + " /reg:32 > NUL");
        if (wow64) processes.Run(query + " /reg:64 > NUL");
        const double regMs = Milliseconds(std::chrono::steady_clock::now() - regStart);

        const int installed = Installed(taskSet);
        std::printf(
            "entries=%d components=%d velk_ms=%.1f bare_ms=%.1f reg_ms=%.1f calls=%ld "
            "installed=%d\n",
            kEntries * (wow64 ? 2 : 1), kComponents, velkMs, bareMs, regMs, counting.calls(),
            installed);
        const bool same = countedLoaded && Installed(countedSet) == installed &&
                          countedSet.tasks.size() == taskSet.tasks.size();
        status = loaded && same && taskSet.tasks.size() == kComponents ? 0 : 1;
    } else {
        std::fprintf(stderr, "cannot write the uninstall list\n");
    }
    RemovePrograms();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
