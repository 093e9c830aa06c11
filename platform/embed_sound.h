#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/event_pump.h"
#include "platform/program_exit.h"
#include "platform/property_bag.h"
#include "platform/runtime_error.h"
#include "platform/wave_player.h"

namespace platform {

// The sound component: one whole WAV file carried in its saved properties and
// played from memory. In authoring mode assigning SndFile embeds that file; in
// running mode SndFile is out of reach and only PlaySound / StopSound are used.
class EmbedSound {
public:
    // Message box styles used by the component.
    static constexpr int kOkOnly = 0;
    static constexpr int kExclamation = 48;

    // The player and the pump must outlive the instance.
    EmbedSound(WavePlayer& player, EventPump& pump, bool runningMode);
    ~EmbedSound();
    EmbedSound(const EmbedSound&) = delete;
    EmbedSound& operator=(const EmbedSound&) = delete;

    bool PlaySound();
    std::string SndFile() const;
    void SetSndFile(const std::string& New_SndFile);
    bool LoopSnd() const;
    void SetLoopSnd(bool New_LoopSnd);
    bool SyncSnd() const;
    void SetSyncSnd(bool New_SyncSnd);
    bool StopSnd() const;
    void SetStopSnd(bool New_StopSnd);
    bool StopSound();

    void UserControl_InitProperties();
    void UserControl_ReadProperties(const PropertyBag& PropBag);
    void UserControl_WriteProperties(PropertyBag& PropBag) const;
    void UserControl_Terminate();

    // The embedded file image followed by one zero byte; empty when none.
    const std::vector<uint8_t>& MemWav() const { return MemWav_; }
    // Properties marked changed since construction, in order of marking.
    const std::vector<std::string>& ChangedProperties() const { return changed_; }

    // Shows a message box (text, title, style); an empty title means the
    // default one. Prints to stderr unless replaced.
    std::function<void(const std::string& text, const std::string& title, int style)> MessageBox;

private:
    void EmbedSoundFile();
    void PropertyChanged(const std::string& name) { changed_.push_back(name); }

    WavePlayer& player_;
    EventPump& pump_;
    const bool runningMode_;

    std::string m_SndFile;
    bool m_LoopSnd = false;
    bool m_SyncSnd = true;
    bool m_StopSnd = true;
    std::vector<uint8_t> MemWav_;
    std::vector<std::string> changed_;
};

} // namespace platform
