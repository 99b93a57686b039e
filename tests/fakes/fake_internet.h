#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/internet.h"

namespace velk {

// A scripted WinInet: each URL answers with the response listed for it; any
// other http(s) URL is refused like a closed port, any other scheme is not
// recognised. Handles, error codes and texts behave as the library's do.
class FakeInternet : public Internet {
  public:
    // What the server sends for one URL.
    struct Response {
        // When set, opening the URL fails with it, as on a certificate the
        // library refuses.
        std::optional<std::uint32_t> openError;
        // Where the server's redirects ended; empty: at the URL itself.
        std::string redirectedTo;
        // nullopt: the handle is no HTTP response (no status to query).
        std::optional<std::string> status = "200";
        std::optional<std::string> contentLength;  // nullopt: no such header
        std::string body;
        // The library hands out what has arrived, so a read may bring less
        // than was asked for.
        std::size_t largestRead = SIZE_MAX;
        // When set, the read after this many bytes of the body fails with
        // readError, as on a connection reset.
        std::optional<std::size_t> failAfter;
        std::uint32_t readError = kErrorInternetConnectionReset;
    };

    // A body with its length, one without, and an error status with a page.
    static Response Body(std::string body);
    static Response BodyWithoutLength(std::string body);
    static Response Status(int code, std::string page);

    // One InternetOpen as it was called.
    struct Session {
        std::string agent;
        std::uint32_t accessType = 0;
        std::string proxy;
        std::string proxyBypass;
        std::uint32_t flags = 0;
        std::map<std::uint32_t, std::uint32_t> options;
    };
    // One InternetOpenUrl as it was called.
    struct UrlOpen {
        std::string url;
        std::uint32_t flags = 0;
        std::uintptr_t context = 0;
    };

    FakeInternet();

    InternetHandle Open(const std::string& agent, std::uint32_t accessType,
                        const std::string& proxy, const std::string& proxyBypass,
                        std::uint32_t flags) override;
    bool SetOption(InternetHandle handle, std::uint32_t option, std::uint32_t value) override;
    InternetHandle OpenUrl(InternetHandle session, const std::string& url, std::uint32_t flags,
                           std::uintptr_t context) override;
    bool QueryUrl(InternetHandle request, std::string* url) override;
    bool HttpQueryInfo(InternetHandle request, std::uint32_t infoLevel, std::string* text) override;
    bool ReadFile(InternetHandle file, void* buffer, std::uint32_t size,
                  std::uint32_t* read) override;
    bool CloseHandle(InternetHandle handle) override;
    std::uint32_t GetLastError() override;
    std::string ErrorText(std::uint32_t code) override;

    // Handles not closed yet.
    std::size_t OpenHandles() const { return handles_.size(); }

    std::map<std::string, Response> responses;  // by URL, exactly as opened
    std::optional<std::uint32_t> sessionError;  // when set, InternetOpen fails with it
    // The library's texts; a code without an entry has none (Wine lacks
    // some). Preset with the texts Wine gives for the usual failures.
    std::map<std::uint32_t, std::string> errorTexts;

    std::vector<Session> sessions;
    std::vector<UrlOpen> urlOpens;

  private:
    struct Handle {
        std::optional<std::size_t> session;  // index into sessions, for session handles
        const Response* response = nullptr;  // for URL handles
        std::string url;                     // as opened, for URL handles
        std::size_t offset = 0;
    };

    Handle* Find(InternetHandle handle);
    bool Fail(std::uint32_t code);
    InternetHandle FailHandle(std::uint32_t code);

    std::map<InternetHandle, Handle> handles_;
    InternetHandle nextHandle_ = 4;
    std::uint32_t lastError_ = 0;
};

}  // namespace velk
