#include "support/test_support.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "platform/codepage.h"

namespace velk::test {

TempDir::TempDir() {
    // Test programs run side by side: a folder that exists already belongs to
    // another one and is never shared.
    static std::atomic<unsigned> counter{0};
    static std::random_device random;
    for (;;) {
        path_ = std::filesystem::temp_directory_path() /
                ("velk-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(path_)) return;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::runtime_error& error) {
        return Cp1251ToUtf8(error.what());
    }
    return "";
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::filesystem::path TempDir::Write(const std::string& name, const std::string& content) const {
    auto file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file;
}

std::filesystem::path DataFile(const std::string& name) {
    return std::filesystem::path(VELK_TEST_DATA_DIR) / name;
}

std::string WineArch() {
    const char* arch = std::getenv("VELK_WINE_ARCH");
    return arch ? arch : "";
}

}  // namespace velk::test
