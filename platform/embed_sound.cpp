#include "platform/embed_sound.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>

namespace platform {
namespace {

constexpr int kTypeMismatch = 13;
constexpr int kSetNotAtRuntime = 382;
constexpr int kGetNotAtRuntime = 393;

// A failure inside EmbedSoundFile, carrying the text its error box shows.
struct FileError {
    std::string description;
};

// Stored paths use the Windows separator.
std::filesystem::path LocalPath(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return std::filesystem::path(name);
}

std::string AsText(const PropertyBag::Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* i = std::get_if<int32_t>(&v)) return std::to_string(*i);
    throw RuntimeError{kTypeMismatch};
}

bool AsBool(const PropertyBag::Value& v) {
    if (const auto* b = std::get_if<bool>(&v)) return *b;
    if (const auto* i = std::get_if<int32_t>(&v)) return *i != 0;
    throw RuntimeError{kTypeMismatch};
}

std::vector<uint8_t> AsBytes(const PropertyBag::Value& v) {
    if (const auto* b = std::get_if<std::vector<uint8_t>>(&v)) return *b;
    // A record without "MemWav" yields the integer default: the instance stays silent.
    if (const auto* i = std::get_if<int32_t>(&v); i && *i == 0) return {};
    throw RuntimeError{kTypeMismatch};
}

} // namespace

EmbedSound::EmbedSound(WavePlayer& player, EventPump& pump, bool runningMode)
    : MessageBox([](const std::string& text, const std::string& title, int) {
          std::cerr << (title.empty() ? "EmbedSound" : title) << ": " << text << '\n';
      }),
      player_(player), pump_(pump), runningMode_(runningMode) {}

EmbedSound::~EmbedSound() { UserControl_Terminate(); }

bool EmbedSound::PlaySound() {
    try {
        uint32_t flags = SND_NODEFAULT | SND_MEMORY;
        if (LoopSnd()) flags |= SND_LOOP;
        if (!StopSnd()) flags |= SND_NOSTOP;
        if (!SyncSnd()) flags |= SND_ASYNC;
        pump_.DoEvents();
        if (MemWav_.empty()) return false;
        player_.PlaySoundA(MemWav_.data(), MemWav_.size(), flags);
        return true;
    } catch (const ProgramExit&) {
        // A quit handled among the events let run above: not an error of ours.
        throw;
    } catch (...) {
        return false;
    }
}

std::string EmbedSound::SndFile() const {
    if (runningMode_) throw RuntimeError{kGetNotAtRuntime};
    return m_SndFile;
}

void EmbedSound::SetSndFile(const std::string& New_SndFile) {
    if (runningMode_) throw RuntimeError{kSetNotAtRuntime};
    m_SndFile = New_SndFile;
    PropertyChanged("SndFile");
    EmbedSoundFile();
}

bool EmbedSound::LoopSnd() const { return m_LoopSnd; }

void EmbedSound::SetLoopSnd(bool New_LoopSnd) {
    m_LoopSnd = New_LoopSnd;
    PropertyChanged("LoopSnd");
}

bool EmbedSound::SyncSnd() const { return m_SyncSnd; }

void EmbedSound::SetSyncSnd(bool New_SyncSnd) {
    m_SyncSnd = New_SyncSnd;
    PropertyChanged("SyncSnd");
}

bool EmbedSound::StopSnd() const { return m_StopSnd; }

void EmbedSound::SetStopSnd(bool New_StopSnd) {
    m_StopSnd = New_StopSnd;
    PropertyChanged("StopSnd");
}

bool EmbedSound::StopSound() {
    try {
        player_.PlaySoundA(nullptr, 0, SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
    } catch (...) {
    }
    return false;
}

void EmbedSound::EmbedSoundFile() {
    std::string description;
    try {
        const std::string name = SndFile();
        std::error_code ec;
        const auto size = std::filesystem::file_size(LocalPath(name), ec);
        if (ec) throw FileError{"File not found"};
        if (size == 0) throw FileError{""};

        std::ifstream file(LocalPath(name), std::ios::binary | std::ios::ate);
        if (!file) throw FileError{"Path/File access error"};
        const std::streamoff length = file.tellg();
        if (length < 0) throw FileError{"Path/File access error"};
        // One element more than the file has bytes; the last stays 0.
        std::vector<uint8_t> image(static_cast<size_t>(length) + 1, 0);
        file.seekg(0);
        file.read(reinterpret_cast<char*>(image.data()), length);
        if (file.gcount() != length) throw FileError{"Input past end of file"};
        file.close();
        MemWav_ = std::move(image);
        PropertyChanged("MemWav");

        MessageBox("File " + name + " was successfully embed." + "\r\n" + "File Size : " +
                       std::to_string(size / 1024) + " Kb.",
                   "", kOkOnly);
        return;
    } catch (const FileError& e) {
        description = e.description;
    } catch (const std::bad_alloc&) {
        description = "Out of memory";
    } catch (const RuntimeError& e) {
        description = "Run-time error " + std::to_string(e.number);
    }
    MessageBox(std::string("An error occured.") + "\r\n" + description, "EmbedSound Error", kExclamation);
}

void EmbedSound::UserControl_InitProperties() {
    m_SndFile = "";
    m_LoopSnd = false;
    m_SyncSnd = true;
    m_StopSnd = true;
}

void EmbedSound::UserControl_ReadProperties(const PropertyBag& PropBag) {
    m_SndFile = AsText(PropBag.ReadProperty("SndFile", std::string()));
    m_LoopSnd = AsBool(PropBag.ReadProperty("LoopSnd", false));
    m_SyncSnd = AsBool(PropBag.ReadProperty("SyncSnd", true));
    m_StopSnd = AsBool(PropBag.ReadProperty("StopSnd", true));
    MemWav_ = AsBytes(PropBag.ReadProperty("MemWav", int32_t{0}));
}

void EmbedSound::UserControl_WriteProperties(PropertyBag& PropBag) const {
    PropBag.WriteProperty("SndFile", m_SndFile, std::string());
    PropBag.WriteProperty("LoopSnd", m_LoopSnd, false);
    PropBag.WriteProperty("SyncSnd", m_SyncSnd, true);
    PropBag.WriteProperty("StopSnd", m_StopSnd, true);
    PropBag.WriteProperty("MemWav", MemWav_, int32_t{0});
}

void EmbedSound::UserControl_Terminate() { StopSound(); }

} // namespace platform
