#include "platform/win32/win32_internet.h"

#include <windows.h>
#include <wininet.h>
// The seam names the function itself, not its ANSI variant.
#undef HttpQueryInfo

#include <memory>
#include <string_view>

#include "platform/codepage.h"

namespace velk {

namespace {

static_assert(kInternetOpenTypePreconfig == INTERNET_OPEN_TYPE_PRECONFIG);
static_assert(kInternetOptionConnectTimeout == INTERNET_OPTION_CONNECT_TIMEOUT);
static_assert(kInternetFlagTransferBinary == INTERNET_FLAG_TRANSFER_BINARY);
static_assert(kInternetFlagIgnoreCertCnInvalid == INTERNET_FLAG_IGNORE_CERT_CN_INVALID);
static_assert(kInternetFlagIgnoreCertDateInvalid == INTERNET_FLAG_IGNORE_CERT_DATE_INVALID);
static_assert(kInternetFlagIgnoreRedirectToHttps == INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS);
static_assert(kInternetFlagIgnoreRedirectToHttp == INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP);
static_assert(kInternetFlagDontCache == INTERNET_FLAG_DONT_CACHE);
static_assert(kHttpQueryContentLength == HTTP_QUERY_CONTENT_LENGTH);
static_assert(kHttpQueryStatusCode == HTTP_QUERY_STATUS_CODE);
static_assert(kErrorInternetCannotConnect == ERROR_INTERNET_CANNOT_CONNECT);
static_assert(kErrorInternetInvalidCa == ERROR_INTERNET_INVALID_CA);
static_assert(kErrorHttpHeaderNotFound == ERROR_HTTP_HEADER_NOT_FOUND);

HINTERNET ToHandle(InternetHandle handle) { return reinterpret_cast<HINTERNET>(handle); }
InternetHandle FromHandle(HINTERNET handle) { return reinterpret_cast<InternetHandle>(handle); }

const char* TextOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

struct LocalFreeDeleter {
    void operator()(wchar_t* text) const { ::LocalFree(text); }
};

}  // namespace

InternetHandle Win32Internet::Open(const std::string& agent, std::uint32_t accessType,
                                   const std::string& proxy, const std::string& proxyBypass,
                                   std::uint32_t flags) {
    return FromHandle(::InternetOpenA(agent.c_str(), accessType, TextOrNull(proxy),
                                      TextOrNull(proxyBypass), flags));
}

bool Win32Internet::SetOption(InternetHandle handle, std::uint32_t option, std::uint32_t value) {
    DWORD data = value;
    return ::InternetSetOptionExA(ToHandle(handle), option, &data, sizeof(data), 0) != FALSE;
}

InternetHandle Win32Internet::OpenUrl(InternetHandle session, const std::string& url,
                                      std::uint32_t flags, std::uintptr_t context) {
    return FromHandle(
        ::InternetOpenUrlA(ToHandle(session), url.c_str(), nullptr, 0, flags, context));
}

bool Win32Internet::HttpQueryInfo(InternetHandle request, std::uint32_t infoLevel,
                                  std::string* text) {
    std::string buffer(64, '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (::HttpQueryInfoA(ToHandle(request), infoLevel, buffer.data(), &size, nullptr)) {
            buffer.resize(size);
            *text = std::move(buffer);
            return true;
        }
        // On this error size holds the bytes needed, NUL included.
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return false;
        buffer.resize(size);
    }
}

bool Win32Internet::QueryUrl(InternetHandle request, std::string* url) {
    std::string buffer(INTERNET_MAX_URL_LENGTH, '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (::InternetQueryOptionA(ToHandle(request), kInternetOptionUrl, buffer.data(), &size)) {
            buffer.resize(size);
            *url = std::move(buffer);
            return true;
        }
        // On this error size holds the bytes needed.
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return false;
        buffer.resize(size);
    }
}

bool Win32Internet::ReadFile(InternetHandle file, void* buffer, std::uint32_t size,
                             std::uint32_t* read) {
    DWORD count = 0;
    const bool ok = ::InternetReadFile(ToHandle(file), buffer, size, &count) != FALSE;
    *read = count;
    return ok;
}

bool Win32Internet::CloseHandle(InternetHandle handle) {
    return ::InternetCloseHandle(ToHandle(handle)) != FALSE;
}

std::uint32_t Win32Internet::GetLastError() { return ::GetLastError(); }

std::string Win32Internet::ErrorText(std::uint32_t code) {
    // The wide text converted by our own table: the ANSI variant would give
    // the machine's code page, not Windows-1251. The system's table comes
    // second, for the socket errors that the library passes on unchanged.
    wchar_t* allocated = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
                             FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                         ::GetModuleHandleW(L"wininet.dll"), code, 0,
                         reinterpret_cast<wchar_t*>(&allocated), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreeDeleter> owner(allocated);
    if (length == 0 || allocated == nullptr) return {};
    std::u16string_view wide(reinterpret_cast<const char16_t*>(allocated), length);
    while (!wide.empty() && (wide.back() == u'\n' || wide.back() == u'\r' || wide.back() == u' ')) {
        wide.remove_suffix(1);
    }
    std::string text = Utf16ToCp1251(wide);
    if (text.size() >= kInternetErrorTextBuffer) text.resize(kInternetErrorTextBuffer - 1);
    return text;
}

}  // namespace velk
