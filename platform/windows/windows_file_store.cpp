// Replacing and reading files on Windows.
#include "platform/windows/windows_file_store.h"

#include <windows.h>

#include <winioctl.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

namespace {

// A handle that is closed when it goes.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE h) {
        Close();
        h_ = h;
    }
    bool Close() {
        const HANDLE h = std::exchange(h_, INVALID_HANDLE_VALUE);
        return h == INVALID_HANDLE_VALUE || CloseHandle(h);
    }

private:
    HANDLE h_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring FreshSuffix() {
    static std::atomic<uint64_t> count{0};
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    uint64_t x = static_cast<uint64_t>(now.QuadPart) ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 40) ^
                 (++count * 0x9E3779B97F4A7C15ull);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    wchar_t text[17];
    std::swprintf(text, 17, L"%016llx", static_cast<unsigned long long>(x));
    return text;
}

constexpr std::wstring_view kTemporary = L".new";
constexpr size_t kSuffixDigits = 16;

// name.new, or name.new- and the digits of FreshSuffix. Windows' names do not
// care for case.
bool IsTemporaryName(std::wstring_view entry, std::wstring_view name) {
    const std::wstring_view temporary = kTemporary;
    if (entry.size() < name.size() + temporary.size()) return false;
    if (CompareStringOrdinal(entry.data(), static_cast<int>(name.size()), name.data(), static_cast<int>(name.size()),
                             TRUE) != CSTR_EQUAL ||
        CompareStringOrdinal(entry.data() + name.size(), static_cast<int>(temporary.size()), temporary.data(),
                             static_cast<int>(temporary.size()), TRUE) != CSTR_EQUAL)
        return false;
    entry.remove_prefix(name.size() + temporary.size());
    if (entry.empty()) return true;
    if (entry.size() != 1 + kSuffixDigits || entry[0] != L'-') return false;
    for (const wchar_t c : entry.substr(1))
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    return true;
}

bool Info(HANDLE h, BY_HANDLE_FILE_INFORMATION* info) { return GetFileInformationByHandle(h, info) != 0; }

bool IsFolder(const BY_HANDLE_FILE_INFORMATION& info) { return info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY; }

// A symbolic link's own record, as FSCTL_GET_REPARSE_POINT hands it out.
struct SymbolicLinkRecord {
    ULONG tag;
    USHORT dataLength;
    USHORT reserved;
    USHORT substituteOffset, substituteLength, printOffset, printLength;
    ULONG flags;
    WCHAR names[1];
};
constexpr ULONG kRelativeLink = 1;  // SYMLINK_FLAG_RELATIVE

// Where the symbolic link at `path` points; nothing for any other reparse
// point (a cloud file, a deduplicated one), which opens as the file it is.
std::optional<std::filesystem::path> LinkTarget(const std::filesystem::path& path) {
    const Handle link(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!link.valid()) return std::nullopt;
    std::vector<unsigned char> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD got = 0;
    if (!DeviceIoControl(link.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &got, nullptr) ||
        got < offsetof(SymbolicLinkRecord, names))
        return std::nullopt;
    const auto* record = reinterpret_cast<const SymbolicLinkRecord*>(buffer.data());
    if (record->tag != IO_REPARSE_TAG_SYMLINK) return std::nullopt;
    const bool printed = record->printLength > 0;
    const USHORT offset = printed ? record->printOffset : record->substituteOffset;
    const USHORT length = printed ? record->printLength : record->substituteLength;
    if (offsetof(SymbolicLinkRecord, names) + offset + length > got) return std::nullopt;
    std::wstring target(record->names + offset / sizeof(WCHAR), length / sizeof(WCHAR));
    if (target.rfind(L"\\??\\", 0) == 0) target.erase(0, 4);  // the NT namespace's prefix
    if (record->flags & kRelativeLink) return path.parent_path() / target;
    return std::filesystem::path(target);
}

// The file a path names once its links are followed, as opening it would
// find it; a missing file at the end of the links is fine, a loop is not.
std::optional<std::filesystem::path> FinalTarget(std::filesystem::path path) {
    for (int hops = 0; hops <= 40; ++hops) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
        std::optional<std::filesystem::path> next = LinkTarget(path);
        if (!next) return path;
        path = std::move(*next);
    }
    return std::nullopt;
}

bool WriteAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD wrote = 0;
        if (!WriteFile(h, bytes.data(), chunk, &wrote, nullptr) || wrote == 0) return false;
        bytes.remove_prefix(wrote);
    }
    return true;
}

bool SeekStart(HANDLE h) {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) != 0;
}

// Removes entry only when it is certainly what a killed save of ours left: an
// ordinary file with one name and no link, that nobody holds open against
// deletion (a save at work does). Opened without following links, and the
// file that was opened is the one deleted.
void RemoveIfLeftover(const std::wstring& path) {
    Handle h(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h.valid() || !Info(h.get(), &info)) return;
    const DWORD notOurs = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY;
    if ((info.dwFileAttributes & notOurs) || info.nNumberOfLinks != 1) return;
    FILE_DISPOSITION_INFO gone{};
    gone.DeleteFile = TRUE;
    SetFileInformationByHandle(h.get(), FileDispositionInfo, &gone, sizeof gone);
}

void ClearLeftovers(const std::wstring& folder, const std::wstring& name) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + L"\\" + name + std::wstring(kTemporary) + L"*";
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::wstring> names;
    do {
        if (IsTemporaryName(found.cFileName, name)) names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::wstring& entry : names) RemoveIfLeftover(folder + L"\\" + entry);
}

enum class Replaced { Yes, Failed, NotThisWay };

// What a new file takes over from the one it replaces.
struct OldFile {
    DWORD attributes = 0;
    FILETIME created{};
    DWORD links = 1;
};
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Writes a new file beside the old one and puts it in the old one's place in
// one step, so that the name holds the whole old or the whole new file at
// every moment. Failed: the new file could not be written, the old one stays.
// NotThisWay: the folder takes no new file, or the system would not swap them.
Replaced ReplaceByNewFile(const std::wstring& folder, const std::wstring& name, std::string_view bytes,
                          const OldFile* old) {
    const std::wstring target = folder + L"\\" + name;
    Handle tmp;
    std::wstring tmpPath;
    for (int tries = 0; !tmp.valid(); ++tries) {
        if (tries > 100) return Replaced::NotThisWay;
        tmpPath = target + std::wstring(kTemporary) + (tries == 0 ? L"" : L"-" + FreshSuffix());
        // Nobody may delete it while it is ours: another copy of the game
        // clearing leftovers leaves it alone.
        tmp.reset(CreateFileW(tmpPath.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!tmp.valid()) {
            const DWORD error = GetLastError();
            // Whatever holds the name (a link, a folder, a file) is left as it is.
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                GetFileAttributesW(tmpPath.c_str()) != INVALID_FILE_ATTRIBUTES)
                continue;
            return Replaced::NotThisWay;
        }
    }
    auto discard = [&] {
        FILE_DISPOSITION_INFO gone{};
        gone.DeleteFile = TRUE;
        SetFileInformationByHandle(tmp.get(), FileDispositionInfo, &gone, sizeof gone);
        tmp.Close();
    };
    // The old file's attributes and age, given before the swap so that the
    // name never shows a file without them.
    if (old) {
        FILE_BASIC_INFO basic{};
        basic.CreationTime.LowPart = old->created.dwLowDateTime;
        basic.CreationTime.HighPart = static_cast<LONG>(old->created.dwHighDateTime);
        basic.FileAttributes = (old->attributes & kKeptAttributes) ? (old->attributes & kKeptAttributes)
                                                                    : FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(tmp.get(), FileBasicInfo, &basic, sizeof basic);
    }
    if (!WriteAll(tmp.get(), bytes) || !FlushFileBuffers(tmp.get())) {
        discard();
        return Replaced::Failed;
    }
    // Closed before the swap: Windows moves no file that is open without
    // sharing deletion, and ours is. A killed save between the two leaves
    // a leftover for the next one to clear.
    if (!tmp.Close()) {
        DeleteFileW(tmpPath.c_str());
        return Replaced::Failed;
    }
    const bool swapped =
        MoveFileExW(tmpPath.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!swapped) {
        DeleteFileW(tmpPath.c_str());  // refused (the old file held open by someone): it may still be writable
        return Replaced::NotThisWay;
    }
    return Replaced::Yes;
}

// Writes the few bytes over the start of the file, then cuts it to their
// length; as on POSIX, the new line ends the first item, so the file reads as
// the new value throughout. A write that stops part way is undone.
bool OverwriteInPlace(HANDLE h, std::string_view bytes) {
    std::string before(bytes.size(), '\0');
    DWORD had = 0;
    const bool readable = SeekStart(h) && ReadFile(h, before.data(), static_cast<DWORD>(before.size()), &had, nullptr);
    if (!SeekStart(h)) return false;
    if (!WriteAll(h, bytes)) {
        if (readable && SeekStart(h)) {
            WriteAll(h, std::string_view(before).substr(0, had));
            SetEndOfFile(h);
        }
        return false;
    }
    if (!SetEndOfFile(h)) return false;
    FlushFileBuffers(h);
    return true;
}

} // namespace

FileStore::Found WindowsFileStore::Read(const std::filesystem::path& file,
                                        const std::function<bool(std::string_view)>& take) {
    // Only an ordinary file on a disk counts: a folder, a pipe or a device
    // (CON, NUL, COM1) is no file.
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
                       error == ERROR_BAD_NETPATH
                   ? Found::NoFile
                   : Found::Unreadable;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Found::NoFile;
    Handle in(CreateFileW(file.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in.valid()) return GetLastError() == ERROR_FILE_NOT_FOUND ? Found::NoFile : Found::Unreadable;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(in.get()) != FILE_TYPE_DISK || !Info(in.get(), &info) || IsFolder(info)) return Found::NoFile;
    char chunk[4096];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(in.get(), chunk, sizeof chunk, &n, nullptr)) return Found::Unreadable;
        if (n == 0 || !take(std::string_view(chunk, n))) return Found::Read;
    }
}

bool WindowsFileStore::Replace(const std::filesystem::path& file, std::string_view bytes) {
    if (!file.has_filename()) return false;
    std::error_code error;
    const std::optional<std::filesystem::path> final = FinalTarget(std::filesystem::absolute(file, error));
    if (error || !final || !final->has_filename()) return false;
    const std::wstring target = final->wstring();
    std::optional<OldFile> old;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // Only an ordinary file is opened for writing, and a read-only one
        // stays as it is (whoever runs the game, administrators included).
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
        const Handle h(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!h.valid() || GetFileType(h.get()) != FILE_TYPE_DISK || !Info(h.get(), &info) || IsFolder(info))
            return false;
        old = OldFile{info.dwFileAttributes, info.ftCreationTime, info.nNumberOfLinks};
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;  // no such folder
    }
    const std::wstring folder = final->parent_path().wstring(), name = final->filename().wstring();
    ClearLeftovers(folder, name);
    // A file with more than one name stays one file only when written in place.
    if (!old || old->links <= 1) {
        const Replaced r = ReplaceByNewFile(folder, name, bytes, old ? &*old : nullptr);
        if (r != Replaced::NotThisWay) return r == Replaced::Yes;
    }
    if (!old) return false;
    const Handle h(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    return h.valid() && OverwriteInPlace(h.get(), bytes);
}

} // namespace platform
