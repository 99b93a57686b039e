// Downloads one URL with DownloadFile and prints what it took:
//   velk_download_bench URL DESTINATION
// prints "bytes=N seconds=S peak_working_set=B".
#include <windows.h>
// Needs the types that windows.h declares.
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/download.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_private_files.h"
#include "platform/win32/win32_system_info.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL DESTINATION\n", argv[0]);
        return 2;
    }
    velk::Win32Internet internet;
    velk::Win32SystemInfo system;
    velk::Win32PrivateFiles privateFiles;
    velk::JobContext context;
    std::string destination = argv[2];

    const auto start = std::chrono::steady_clock::now();
    const bool ok =
        velk::DownloadFile(internet, system, privateFiles, context, destination, argv[1]);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!ok) {
        std::fprintf(stderr, "download failed: %s\n", context.message.c_str());
        return 1;
    }

    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (!::GetFileAttributesExA(destination.c_str(), GetFileExInfoStandard, &attributes) ||
        !::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory))) {
        std::fprintf(stderr, "cannot measure: error %lu\n", ::GetLastError());
        return 1;
    }
    const unsigned long long bytes =
        (static_cast<unsigned long long>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    std::printf("bytes=%llu seconds=%.3f peak_working_set=%lu\n", bytes, elapsed.count(),
                static_cast<unsigned long>(memory.PeakWorkingSetSize));
    return 0;
}
