#include "support/test_zip.h"

#include <minizip/zip.h>

#include <stdexcept>

namespace velk::test {

void WriteZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries) {
    constexpr uLong kUtf8NameFlag = 0x800;
    zipFile zip = zipOpen64(path.string().c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr) throw std::runtime_error("cannot create " + path.string());
    bool ok = true;
    for (const auto& entry : entries) {
        const int method = entry.stored ? 0 : Z_DEFLATED;
        const int level = entry.stored ? 0 : Z_DEFAULT_COMPRESSION;
        ok = ok &&
             zipOpenNewFileInZip4_64(zip, entry.name.c_str(), nullptr, nullptr, 0, nullptr, 0,
                                     nullptr, method, level, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                     Z_DEFAULT_STRATEGY, nullptr, 0, 0,
                                     entry.utf8Name ? kUtf8NameFlag : 0, 0) == ZIP_OK &&
             zipWriteInFileInZip(zip, entry.content.data(),
                                 static_cast<unsigned>(entry.content.size())) == ZIP_OK &&
             zipCloseFileInZip(zip) == ZIP_OK;
    }
    ok = zipClose(zip, nullptr) == ZIP_OK && ok;
    if (!ok) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace velk::test
