#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "game/form1.h"
#include "platform/counter.h"
#include "platform/fake_display_driver.h"
#include "platform/native_file_store.h"
#include "platform/random.h"
#include "platform/wave_player.h"
#include "ui/window.h"

namespace headless {

using game::Form1;

// A sound output that hears nothing but says yes.
class SilentWavePlayer final : public platform::WavePlayer {
public:
    bool PlaySoundA(const uint8_t* image, size_t, uint32_t flags) override {
        calls.push_back({image, flags});
        if (image && onPlay) onPlay(image);
        return image != nullptr;
    }
    struct Call {
        const uint8_t* image;
        uint32_t flags;
    };
    std::vector<Call> calls;
    // Told of every sound started.
    std::function<void(const uint8_t* image)> onPlay;
};

// The cue (index of EmbedSound1) whose sound `image` is, or -1.
int CueOf(const Form1& form, const uint8_t* image);

// The real game window with no display: a virtual clock that moves only while
// the game waits, and a script that runs whenever the clock reaches the end of
// the last stretch it asked for. Script steps run where the player's events
// would: inside the game's waits and sound cues.
class HeadlessGame final : public platform::EventPump {
public:
    explicit HeadlessGame(std::filesystem::path settingsFile = "Trakmor_B.spd");
    ~HeadlessGame() override;

    // The next step of the script: how many virtual microseconds to let pass
    // before the step after it (0 for none), or nothing when the script is over.
    std::function<std::optional<double>()> nextStep;

    // Builds the window and runs its load handler.
    void Load();
    // Loads the window if not yet done, then runs its events until the script
    // ends (0) or the game quits (its exit status).
    int Play();

    double NowUs() const;
    void Yield(double remainingUs) override;

    ui::Window window;
    platform::FakeCounter counter{1000000};
    platform::FakeDisplayDriver display;
    SilentWavePlayer player;
    platform::MersenneRandom random;
    platform::Random* rng = &random;  // the source the window is built with
    platform::NativeFileStore files;
    std::unique_ptr<Form1> form;
    // The cues started, in order (the driver's record).
    std::vector<int> cues;

    // Handlers nest inside every wait, and a ride started during a ride runs
    // inside it: no play goes this deep, a script could until the stack gave out.
    static constexpr int kMaxNesting = 32;

private:
    struct ScriptOver {};
    void RunScript();

    std::filesystem::path settingsFile_;
    double runUntilUs_ = 0;
    bool inScript_ = false;
    bool loaded_ = false;
    int nesting_ = 0;
};

} // namespace headless
