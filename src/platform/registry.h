#pragma once

#include <cstdint>
#include <string>

namespace velk {

// A registry key handle: one of the predefined roots below, or a key opened
// through Registry. Zero is never a valid handle.
using RegHandle = std::uintptr_t;

inline constexpr RegHandle kHkeyClassesRoot = 0x80000000;
inline constexpr RegHandle kHkeyCurrentUser = 0x80000001;
inline constexpr RegHandle kHkeyLocalMachine = 0x80000002;
inline constexpr RegHandle kHkeyUsers = 0x80000003;

// Access rights and the two WOW64 view flags.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

// The longest name of one key in a path, in characters.
inline constexpr std::size_t kMaxKeyNameLength = 255;

// The registry in the system's own terms: each call behaves like the advapi32
// function it is named after (ANSI variant) and returns its error code.
// Key and value names are Windows-1251 text; key names compare without case.
class Registry {
  public:
    virtual ~Registry() = default;

    // RegOpenKeyExA. An empty subKey opens parent again.
    virtual long OpenKey(RegHandle parent, const std::string& subKey, std::uint32_t access,
                         RegHandle* result) = 0;

    // RegCreateKeyExA with no class, a non-volatile key and no security
    // attributes; opens the key when it exists.
    virtual long CreateKey(RegHandle parent, const std::string& subKey, std::uint32_t access,
                           RegHandle* result) = 0;

    // RegEnumKeyExA. *nameSize holds the buffer size in characters, NUL
    // included; on success it becomes the name's length without the NUL. A
    // name that does not fit gives kErrorMoreData. Past the last subkey:
    // kErrorNoMoreItems.
    virtual long EnumKey(RegHandle key, std::uint32_t index, char* name,
                         std::uint32_t* nameSize) = 0;

    // RegQueryValueExA. With data == nullptr only *type and *dataSize are
    // filled in. A value longer than *dataSize gives kErrorMoreData and sets
    // *dataSize to the size needed. type may be nullptr. An empty name is the
    // key's default value.
    virtual long QueryValue(RegHandle key, const std::string& valueName, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* dataSize) = 0;

    // RegSetValueExA: stores dataSize bytes of data as given.
    virtual long SetValue(RegHandle key, const std::string& valueName, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t dataSize) = 0;

    // RegCloseKey. Closing a predefined root is allowed and does nothing.
    virtual long CloseKey(RegHandle key) = 0;
};

}  // namespace velk
