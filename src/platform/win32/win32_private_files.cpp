#include "platform/win32/win32_private_files.h"

#include <windows.h>
// Needs the types that windows.h declares.
#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "platform/win32/win32_handles.h"

namespace velk {
namespace {

struct FreeLocal {
    void operator()(void* memory) const { ::LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, FreeLocal>;

// The file behind a PrivateFileHandle: its path is needed to open it again
// for reading.
struct OpenFile {
    Win32Handle handle;
    std::string path;
};

OpenFile& Opened(PrivateFileHandle file) { return *reinterpret_cast<OpenFile*>(file); }

long LastError() { return static_cast<long>(::GetLastError()); }

// kPrivateSecurity as the system's structure, owned by memory.
bool PrivateAttributes(SECURITY_ATTRIBUTES& attributes, LocalMemory& memory) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(kPrivateSecurity, SDDL_REVISION_1,
                                                                &descriptor, nullptr)) {
        return false;
    }
    memory.reset(descriptor);
    attributes = {sizeof(attributes), descriptor, FALSE};
    return true;
}

// The handle CreateFileA gave, with its failure value made the owner's "none".
HANDLE Valid(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    return ::GetFileInformationByHandle(a, &first) && ::GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

// A link is removed as what it is, a folder entry, whatever it points to.
long RemoveOne(const std::string& path, DWORD attributes) {
    const bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                             ? ::RemoveDirectoryA(path.c_str())
                             : ::DeleteFileA(path.c_str());
    return removed ? kErrorSuccess : LastError();
}

}  // namespace

long Win32PrivateFiles::CreateFolder(const std::string& path) {
    SECURITY_ATTRIBUTES attributes{};
    LocalMemory memory;
    if (!PrivateAttributes(attributes, memory)) return LastError();
    return ::CreateDirectoryA(path.c_str(), &attributes) ? kErrorSuccess : LastError();
}

std::string Win32PrivateFiles::SecurityText(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    constexpr SECURITY_INFORMATION kParts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    if (::GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, kParts, nullptr, nullptr, nullptr,
                                nullptr, &descriptor) != ERROR_SUCCESS) {
        return {};
    }
    const LocalMemory owned(descriptor);
    char* text = nullptr;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, kParts,
                                                                &text, nullptr)) {
        return {};
    }
    const LocalMemory ownedText(text);
    return text;
}

bool Win32PrivateFiles::IsLink(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

long Win32PrivateFiles::CreateNew(const std::string& path, PrivateFileHandle* file) {
    const DWORD existing = ::GetFileAttributesA(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES) {
        // A folder is no file to replace; a link to one is.
        if ((existing & FILE_ATTRIBUTE_DIRECTORY) && !(existing & FILE_ATTRIBUTE_REPARSE_POINT)) {
            return ERROR_ACCESS_DENIED;
        }
        if (const long error = RemoveOne(path, existing)) return error;
    }
    SECURITY_ATTRIBUTES attributes{};
    LocalMemory memory;
    if (!PrivateAttributes(attributes, memory)) return LastError();
    // Not shared and never through a link: should anything take the name
    // between the deletion and here, this fails.
    Win32Handle handle(
        Valid(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
    if (!handle) return LastError();
    *file = reinterpret_cast<PrivateFileHandle>(new OpenFile{std::move(handle), path});
    return kErrorSuccess;
}

long Win32PrivateFiles::Write(PrivateFileHandle file, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(Opened(file).handle.get(), bytes, chunk, &written, nullptr)) {
            return LastError();
        }
        bytes += written;
        size -= written;
    }
    return kErrorSuccess;
}

long Win32PrivateFiles::Seal(PrivateFileHandle file) {
    OpenFile& open = Opened(file);
    // The program that runs the file opens it for reading and executing,
    // which a handle with write access would forbid: the writer is closed
    // first, and the reader must find the very file it wrote.
    Win32Handle writer = std::move(open.handle);
    Win32Handle probe(
        Valid(::CreateFileA(open.path.c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
    if (!probe || !SameFile(writer.get(), probe.get())) return ERROR_FILE_INVALID;
    writer.Reset();
    Win32Handle reader(
        Valid(::CreateFileA(open.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
    if (!reader) return LastError();
    if (!SameFile(probe.get(), reader.get())) return ERROR_FILE_INVALID;
    open.handle = std::move(reader);
    return kErrorSuccess;
}

void Win32PrivateFiles::Close(PrivateFileHandle file) { delete &Opened(file); }

long Win32PrivateFiles::Remove(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAA entry{};
        const Win32Find find(Valid(::FindFirstFileA((path + "\\*").c_str(), &entry)));
        long failure = kErrorSuccess;
        for (bool more = static_cast<bool>(find); more;
             more = ::FindNextFileA(find.get(), &entry)) {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            if (const long error = Remove(path + "\\" + name)) failure = error;
        }
        if (failure != kErrorSuccess) return failure;
    } else if (attributes & FILE_ATTRIBUTE_READONLY) {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    return RemoveOne(path, attributes);
}

}  // namespace velk
