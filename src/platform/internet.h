#pragma once

#include <cstdint>
#include <string>

#include "platform/owned_handle.h"

namespace velk {

// A WinInet handle (session or opened URL). Zero is never a valid handle.
using InternetHandle = std::uintptr_t;

// InternetOpenA access types and InternetSetOptionA options.
inline constexpr std::uint32_t kInternetOpenTypePreconfig = 0;
inline constexpr std::uint32_t kInternetOptionConnectTimeout = 2;
inline constexpr std::uint32_t kInternetOptionUrl = 34;

// InternetOpenUrlA flags.
inline constexpr std::uint32_t kInternetFlagTransferBinary = 0x00000002;
inline constexpr std::uint32_t kInternetFlagIgnoreCertCnInvalid = 0x00001000;
inline constexpr std::uint32_t kInternetFlagIgnoreCertDateInvalid = 0x00002000;
inline constexpr std::uint32_t kInternetFlagIgnoreRedirectToHttps = 0x00004000;
inline constexpr std::uint32_t kInternetFlagIgnoreRedirectToHttp = 0x00008000;
inline constexpr std::uint32_t kInternetFlagDontCache = 0x04000000;

// HttpQueryInfoA information levels.
inline constexpr std::uint32_t kHttpQueryContentLength = 5;
inline constexpr std::uint32_t kHttpQueryStatusCode = 19;

// WinInet error codes, with the library's values.
inline constexpr std::uint32_t kErrorInternetTimeout = 12002;
inline constexpr std::uint32_t kErrorInternetInvalidUrl = 12005;
inline constexpr std::uint32_t kErrorInternetUnrecognizedScheme = 12006;
inline constexpr std::uint32_t kErrorInternetNameNotResolved = 12007;
inline constexpr std::uint32_t kErrorInternetIncorrectHandleType = 12018;
inline constexpr std::uint32_t kErrorInternetCannotConnect = 12029;
inline constexpr std::uint32_t kErrorInternetConnectionAborted = 12030;
inline constexpr std::uint32_t kErrorInternetConnectionReset = 12031;
inline constexpr std::uint32_t kErrorInternetSecCertDateInvalid = 12037;
inline constexpr std::uint32_t kErrorInternetSecCertCnInvalid = 12038;
inline constexpr std::uint32_t kErrorInternetInvalidCa = 12045;
inline constexpr std::uint32_t kErrorHttpHeaderNotFound = 12150;

// The library's error texts are read into a buffer of this many characters,
// so they are at most one character shorter.
inline constexpr std::size_t kInternetErrorTextBuffer = 64;

// WinInet in the system's own terms: each call behaves like the function it
// is named after (ANSI variant). Failing calls leave their code for
// GetLastError. Texts are passed through as the library has them.
class Internet {
  public:
    virtual ~Internet() = default;

    // InternetOpenA; an empty proxy or bypass text is passed as no text.
    virtual InternetHandle Open(const std::string& agent, std::uint32_t accessType,
                                const std::string& proxy, const std::string& proxyBypass,
                                std::uint32_t flags) = 0;

    // InternetSetOptionExA with a DWORD value.
    virtual bool SetOption(InternetHandle handle, std::uint32_t option, std::uint32_t value) = 0;

    // InternetOpenUrlA with no extra headers.
    virtual InternetHandle OpenUrl(InternetHandle session, const std::string& url,
                                   std::uint32_t flags, std::uintptr_t context) = 0;

    // HttpQueryInfoA for one header or the status line part, as text (the
    // status code is then its digits). A response without that header fails
    // with kErrorHttpHeaderNotFound.
    virtual bool HttpQueryInfo(InternetHandle request, std::uint32_t infoLevel,
                               std::string* text) = 0;

    // InternetQueryOptionA with kInternetOptionUrl: the address the response
    // came from, after any redirects.
    virtual bool QueryUrl(InternetHandle request, std::string* url) = 0;

    // InternetReadFile: *read == 0 on success means the end of the data.
    virtual bool ReadFile(InternetHandle file, void* buffer, std::uint32_t size,
                          std::uint32_t* read) = 0;

    // InternetCloseHandle.
    virtual bool CloseHandle(InternetHandle handle) = 0;

    // GetLastError right after a failed call.
    virtual std::uint32_t GetLastError() = 0;

    // The library's own message text for one of its error codes (or the
    // system's, for the socket errors it passes on), cut to fit a
    // kInternetErrorTextBuffer buffer, without the trailing line break; empty
    // when there is no text for the code. Windows-1251.
    virtual std::string ErrorText(std::uint32_t code) = 0;
};

// Owns one Internet handle and closes it on every path.
struct CloseInternetHandle {
    Internet* internet = nullptr;
    void operator()(InternetHandle handle) const { internet->CloseHandle(handle); }
};
using InternetHandleOwner = OwnedHandle<InternetHandle, CloseInternetHandle>;

}  // namespace velk
