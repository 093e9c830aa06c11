#pragma once
#include <filesystem>
#include <functional>
#include <string_view>

namespace platform {

// The files the game keeps between runs. Replacing one never leaves it empty
// or half written, whatever fails and whenever the program is killed, and
// nothing here ever waits on a FIFO or a device put where a file was.
// Failures are reported, not raised: the caller decides what they mean.
class FileStore {
public:
    enum class Found {
        NoFile,      // nothing at the path, or no ordinary file (a folder, FIFO, device)
        Unreadable,  // an ordinary file that could not be opened or read
        Read,        // read from its start until the file ended or the reader had enough
    };

    virtual ~FileStore() = default;

    // Reads the ordinary file at `file`, links followed, handing `take` one
    // piece after another from the start until it answers false or the file
    // ends. After Unreadable, pieces already handed over count for nothing.
    virtual Found Read(const std::filesystem::path& file, const std::function<bool(std::string_view)>& take) = 0;

    // Makes `bytes` the whole contents of the file at `file` (of the file a
    // link there names), keeping its owner, mode and other names; true once
    // it holds them. False when that could not be done safely: the file then
    // holds its old contents, except where it had to be written in place and
    // could not be cut afterwards, when it begins with `bytes` and goes on
    // with the rest of the old contents.
    virtual bool Replace(const std::filesystem::path& file, std::string_view bytes) = 0;
};

} // namespace platform
