#pragma once

#include "platform/std_private_files.h"

namespace velk {

// The C++ library's private files, with a disk that can be made full.
class FakePrivateFiles final : public StdPrivateFiles {
  public:
    long Write(PrivateFileHandle file, const void* data, std::size_t size) override {
        return writeError != kErrorSuccess ? writeError : StdPrivateFiles::Write(file, data, size);
    }

    // What every Write fails with, unless kErrorSuccess (a full disk).
    long writeError = kErrorSuccess;
};

}  // namespace velk
