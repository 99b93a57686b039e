#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "config/unzip_archive.h"
#include "platform/std_private_files.h"

namespace fs = std::filesystem;

namespace {

// The destination sits a few levels down in a sandbox that holds nothing
// else but the archive, so an entry that climbs out of it, by up to that
// many levels, shows up as a stray name in the sandbox.
const fs::path& Sandbox() {
    static const fs::path sandbox =
        fs::temp_directory_path() / ("velk-unzip-fuzz-" + std::to_string(::getpid()));
    return sandbox;
}

const fs::path& Destination() {
    static const fs::path destination = [] {
        const fs::path path = Sandbox() / "1" / "2" / "3" / "dest";
        fs::remove_all(Sandbox());
        fs::create_directories(path);
        return path;
    }();
    return destination;
}

bool IsExpected(const fs::path& path, const fs::path& archive) {
    if (path == archive) return true;
    for (fs::path level = Destination(); level != Sandbox(); level = level.parent_path()) {
        if (path == level) return true;
    }
    const auto inside = path.lexically_relative(Destination());
    return !inside.empty() && *inside.begin() != "..";
}

}  // namespace

// Any bytes must unpack or fail: no crash, leak or hang, and nothing written
// outside the destination.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& destination = Destination();
    const fs::path archive = Sandbox() / "archive.zip";
    std::ofstream(archive, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    velk::StdPrivateFiles files;
    velk::UnzipArchive(files, archive.string(), destination.string());
    for (const auto& entry : fs::recursive_directory_iterator(Sandbox())) {
        if (!IsExpected(entry.path(), archive)) std::abort();
    }
    fs::remove_all(destination);
    fs::create_directory(destination);
    return 0;
}
