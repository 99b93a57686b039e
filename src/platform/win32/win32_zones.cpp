#include "platform/win32/win32_zones.h"

#include <urlmon.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "platform/win32/com_ptr.h"
#include "platform/win32/zone_map_registry.h"

namespace velk {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));
static_assert(sizeof(ZONEATTRIBUTES) == 1460);

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

template <std::size_t capacity>
void CopyText(const std::u16string& text, WCHAR (&field)[capacity]) {
    const std::size_t length = std::min(text.size(), capacity - 1);
    std::copy_n(text.begin(), length, field);
    field[length] = L'\0';
}

template <std::size_t capacity>
std::u16string TextOf(const WCHAR (&field)[capacity]) {
    return std::u16string(field, field + ::wcsnlen(field, capacity));
}

class Win32SecurityManager final : public SecurityManager {
  public:
    explicit Win32SecurityManager(ComPtr<IInternetSecurityManager> manager)
        : manager_(std::move(manager)) {}

    HResult MapUrlToZone(const std::u16string& url, std::uint32_t flags,
                         std::uint32_t* zone) override {
        DWORD mapped = 0;
        const HRESULT result = manager_->MapUrlToZone(Wide(url), &mapped, flags);
        *zone = mapped;
        return result;
    }

    HResult SetZoneMapping(std::uint32_t zone, const std::u16string& pattern,
                           std::uint32_t flags) override {
        const HRESULT result = manager_->SetZoneMapping(zone, Wide(pattern), flags);
        if (result == E_NOTIMPL && flags == kSzmCreate) {
            return AddZoneMappingToRegistry(zone, pattern);
        }
        return result;
    }

    HResult GetZoneMappings(std::uint32_t zone, std::uint32_t flags,
                            std::vector<std::u16string>* patterns) override {
        patterns->clear();
        ComPtr<IEnumString> mappings;
        const HRESULT result = manager_->GetZoneMappings(zone, mappings.Put(), flags);
        if (result == E_NOTIMPL && flags == 0) return ReadZoneMappingsFromRegistry(zone, patterns);
        if (FAILED(result) || !mappings) return result;
        LPOLESTR pattern = nullptr;
        ULONG fetched = 0;
        while (mappings->Next(1, &pattern, &fetched) == S_OK) {
            if (pattern == nullptr) continue;
            patterns->emplace_back(reinterpret_cast<const char16_t*>(pattern));
            ::CoTaskMemFree(std::exchange(pattern, nullptr));
        }
        return result;
    }

  private:
    ComPtr<IInternetSecurityManager> manager_;
};

class Win32ZoneManager final : public ZoneManager {
  public:
    explicit Win32ZoneManager(ComPtr<IInternetZoneManagerEx2> manager)
        : manager_(std::move(manager)) {}

    HResult GetZoneAttributes(std::uint32_t zone, ZoneAttributes* attributes) override {
        ZONEATTRIBUTES record{};
        record.cbSize = sizeof record;
        const HRESULT result = manager_->GetZoneAttributes(zone, &record);
        attributes->displayName = TextOf(record.szDisplayName);
        attributes->description = TextOf(record.szDescription);
        attributes->iconPath = TextOf(record.szIconPath);
        attributes->templateMinLevel = record.dwTemplateMinLevel;
        attributes->templateRecommended = record.dwTemplateRecommended;
        attributes->templateCurrentLevel = record.dwTemplateCurrentLevel;
        attributes->flags = record.dwFlags;
        return result;
    }

    HResult SetZoneAttributes(std::uint32_t zone, const ZoneAttributes& attributes) override {
        ZONEATTRIBUTES record{};
        record.cbSize = sizeof record;
        CopyText(attributes.displayName, record.szDisplayName);
        CopyText(attributes.description, record.szDescription);
        CopyText(attributes.iconPath, record.szIconPath);
        record.dwTemplateMinLevel = attributes.templateMinLevel;
        record.dwTemplateRecommended = attributes.templateRecommended;
        record.dwTemplateCurrentLevel = attributes.templateCurrentLevel;
        record.dwFlags = attributes.flags;
        return manager_->SetZoneAttributes(zone, &record);
    }

    HResult GetZoneActionPolicy(std::uint32_t zone, std::uint32_t action, std::uint32_t* policy,
                                std::uint32_t zoneReg) override {
        DWORD value = 0;
        const HRESULT result =
            manager_->GetZoneActionPolicy(zone, action, reinterpret_cast<BYTE*>(&value),
                                          sizeof value, static_cast<URLZONEREG>(zoneReg));
        *policy = value;
        return result;
    }

    HResult SetZoneActionPolicy(std::uint32_t zone, std::uint32_t action, std::uint32_t policy,
                                std::uint32_t zoneReg) override {
        DWORD value = policy;
        const HRESULT result =
            manager_->SetZoneActionPolicy(zone, action, reinterpret_cast<BYTE*>(&value),
                                          sizeof value, static_cast<URLZONEREG>(zoneReg));
        if (result == E_NOTIMPL)
            return WriteZoneActionPolicyToRegistry(zone, action, policy, zoneReg);
        return result;
    }

  private:
    ComPtr<IInternetZoneManagerEx2> manager_;
};

// Creates the COM object of classId and wraps its Interface in Wrapper.
template <class Interface, class Wrapper, class Result>
HResult Create(const CLSID& classId, const IID& interfaceId, std::unique_ptr<Result>* result) {
    ComPtr<Interface> object;
    const HRESULT created =
        ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, interfaceId, object.PutVoid());
    if (SUCCEEDED(created) && object) *result = std::make_unique<Wrapper>(std::move(object));
    return created;
}

}  // namespace

HResult Win32Zones::CreateSecurityManager(std::unique_ptr<SecurityManager>* result) {
    return Create<IInternetSecurityManager, Win32SecurityManager>(
        CLSID_InternetSecurityManager, IID_IInternetSecurityManager, result);
}

HResult Win32Zones::CreateZoneManager(std::unique_ptr<ZoneManager>* result) {
    return Create<IInternetZoneManagerEx2, Win32ZoneManager>(CLSID_InternetZoneManager,
                                                             IID_IInternetZoneManagerEx2, result);
}

}  // namespace velk
