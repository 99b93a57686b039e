#pragma once

#include "platform/internet.h"

namespace velk {

// Internet over wininet.dll.
class Win32Internet final : public Internet {
  public:
    InternetHandle Open(const std::string& agent, std::uint32_t accessType,
                        const std::string& proxy, const std::string& proxyBypass,
                        std::uint32_t flags) override;
    bool SetOption(InternetHandle handle, std::uint32_t option, std::uint32_t value) override;
    InternetHandle OpenUrl(InternetHandle session, const std::string& url, std::uint32_t flags,
                           std::uintptr_t context) override;
    bool HttpQueryInfo(InternetHandle request, std::uint32_t infoLevel, std::string* text) override;
    bool QueryUrl(InternetHandle request, std::string* url) override;
    bool ReadFile(InternetHandle file, void* buffer, std::uint32_t size,
                  std::uint32_t* read) override;
    bool CloseHandle(InternetHandle handle) override;
    std::uint32_t GetLastError() override;
    std::string ErrorText(std::uint32_t code) override;
};

}  // namespace velk
