#pragma once

#include "platform/private_files.h"

namespace velk {

// PrivateFiles over kernel32 and advapi32.
class Win32PrivateFiles final : public PrivateFiles {
  public:
    long CreateFolder(const std::string& path) override;
    std::string SecurityText(const std::string& path) override;
    bool IsLink(const std::string& path) override;
    long CreateNew(const std::string& path, PrivateFileHandle* file) override;
    long Write(PrivateFileHandle file, const void* data, std::size_t size) override;
    long Seal(PrivateFileHandle file) override;
    void Close(PrivateFileHandle file) override;
    long Remove(const std::string& path) override;
};

}  // namespace velk
