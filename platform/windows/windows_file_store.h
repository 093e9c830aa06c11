#pragma once
#include "platform/file_store.h"

namespace platform {

// Files on Windows, through the wide-character calls, so that a working
// folder with any letters in its name works. A file is replaced by a new one
// written beside it with the old one's attributes and creation time, flushed
// to the disk (FlushFileBuffers) and moved over it in one step (MoveFileExW,
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH); where that would change
// what the file is (more than one hard link) or the system refuses it (the
// file held open by a program that shares no deletion), it is overwritten in
// place. A symbolic link (a reparse point) is followed to its target, which a
// save makes if it is missing; a read-only file is left as it is. Each save
// first clears the new files that earlier saves of the same file, killed part
// way, left beside it: a save at work holds its own open against deletion.
class WindowsFileStore final : public FileStore {
public:
    Found Read(const std::filesystem::path& file, const std::function<bool(std::string_view)>& take) override;
    bool Replace(const std::filesystem::path& file, std::string_view bytes) override;
};

} // namespace platform
