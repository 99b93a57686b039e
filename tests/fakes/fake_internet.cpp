#include "fakes/fake_internet.h"

#include <algorithm>
#include <cstring>

#include "platform/system_errors.h"

namespace velk {

namespace {

bool IsHttpUrl(const std::string& url) {
    return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

}  // namespace

FakeInternet::Response FakeInternet::Body(std::string body) {
    Response response;
    response.contentLength = std::to_string(body.size());
    response.body = std::move(body);
    return response;
}

FakeInternet::Response FakeInternet::BodyWithoutLength(std::string body) {
    Response response;
    response.body = std::move(body);
    return response;
}

FakeInternet::Response FakeInternet::Status(int code, std::string page) {
    Response response = Body(std::move(page));
    response.status = std::to_string(code);
    return response;
}

FakeInternet::FakeInternet()
    : errorTexts{
          {kErrorInternetTimeout, "The request has timed out."},
          {kErrorInternetUnrecognizedScheme,
           "The URL scheme could not be recognized or is not supported."},
          {kErrorInternetNameNotResolved, "The server name could not be resolved."},
          {kErrorInternetCannotConnect, "The attempt to connect to the server failed."},
          {kErrorInternetSecCertDateInvalid,
           "SSL certificate date that was received from the server is bad. The certificate is "
           "expired."},
          {kErrorInternetSecCertCnInvalid,
           "SSL certificate common name (host name field) is incorrect."},
      } {}

FakeInternet::Handle* FakeInternet::Find(InternetHandle handle) {
    const auto found = handles_.find(handle);
    return found == handles_.end() ? nullptr : &found->second;
}

bool FakeInternet::Fail(std::uint32_t code) {
    lastError_ = code;
    return false;
}

InternetHandle FakeInternet::FailHandle(std::uint32_t code) {
    lastError_ = code;
    return 0;
}

InternetHandle FakeInternet::Open(const std::string& agent, std::uint32_t accessType,
                                  const std::string& proxy, const std::string& proxyBypass,
                                  std::uint32_t flags) {
    if (sessionError) return FailHandle(*sessionError);
    sessions.push_back({agent, accessType, proxy, proxyBypass, flags, {}});
    const InternetHandle handle = nextHandle_++;
    handles_[handle].session = sessions.size() - 1;
    return handle;
}

bool FakeInternet::SetOption(InternetHandle handle, std::uint32_t option, std::uint32_t value) {
    Handle* found = Find(handle);
    if (found == nullptr) return Fail(static_cast<std::uint32_t>(kErrorInvalidHandle));
    if (!found->session) return Fail(kErrorInternetIncorrectHandleType);
    sessions[*found->session].options[option] = value;
    return true;
}

InternetHandle FakeInternet::OpenUrl(InternetHandle session, const std::string& url,
                                     std::uint32_t flags, std::uintptr_t context) {
    const Handle* owner = Find(session);
    if (owner == nullptr) return FailHandle(static_cast<std::uint32_t>(kErrorInvalidHandle));
    if (!owner->session) return FailHandle(kErrorInternetIncorrectHandleType);
    urlOpens.push_back({url, flags, context});
    if (!IsHttpUrl(url)) return FailHandle(kErrorInternetUnrecognizedScheme);
    const auto response = responses.find(url);
    if (response == responses.end()) return FailHandle(kErrorInternetCannotConnect);
    if (response->second.openError) return FailHandle(*response->second.openError);
    const InternetHandle handle = nextHandle_++;
    handles_[handle].response = &response->second;
    handles_[handle].url = url;
    return handle;
}

bool FakeInternet::QueryUrl(InternetHandle request, std::string* url) {
    const Handle* found = Find(request);
    if (found == nullptr) return Fail(static_cast<std::uint32_t>(kErrorInvalidHandle));
    if (found->response == nullptr) return Fail(kErrorInternetIncorrectHandleType);
    *url = found->response->redirectedTo.empty() ? found->url : found->response->redirectedTo;
    return true;
}

bool FakeInternet::HttpQueryInfo(InternetHandle request, std::uint32_t infoLevel,
                                 std::string* text) {
    const Handle* found = Find(request);
    if (found == nullptr) return Fail(static_cast<std::uint32_t>(kErrorInvalidHandle));
    if (found->response == nullptr) return Fail(kErrorInternetIncorrectHandleType);
    const Response& response = *found->response;
    if (response.status == std::nullopt) return Fail(kErrorInternetIncorrectHandleType);
    if (infoLevel == kHttpQueryStatusCode) {
        *text = *response.status;
        return true;
    }
    if (infoLevel == kHttpQueryContentLength && response.contentLength) {
        *text = *response.contentLength;
        return true;
    }
    return Fail(kErrorHttpHeaderNotFound);
}

bool FakeInternet::ReadFile(InternetHandle file, void* buffer, std::uint32_t size,
                            std::uint32_t* read) {
    *read = 0;
    Handle* found = Find(file);
    if (found == nullptr) return Fail(static_cast<std::uint32_t>(kErrorInvalidHandle));
    if (found->response == nullptr) return Fail(kErrorInternetIncorrectHandleType);
    const Response& response = *found->response;
    std::size_t end = response.body.size();
    if (response.failAfter) {
        if (found->offset >= *response.failAfter) return Fail(response.readError);
        end = std::min(end, *response.failAfter);
    }
    const std::size_t count =
        std::min({static_cast<std::size_t>(size), end - found->offset, response.largestRead});
    std::memcpy(buffer, response.body.data() + found->offset, count);
    found->offset += count;
    *read = static_cast<std::uint32_t>(count);
    return true;
}

bool FakeInternet::CloseHandle(InternetHandle handle) {
    if (handles_.erase(handle) == 0) return Fail(static_cast<std::uint32_t>(kErrorInvalidHandle));
    return true;
}

std::uint32_t FakeInternet::GetLastError() { return lastError_; }

std::string FakeInternet::ErrorText(std::uint32_t code) {
    const auto found = errorTexts.find(code);
    if (found == errorTexts.end()) return {};
    return found->second.substr(0, kInternetErrorTextBuffer - 1);
}

}  // namespace velk
