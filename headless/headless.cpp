#include "headless/headless.h"

#include <algorithm>
#include <cmath>

namespace headless {

// The game window's own names, which the driver speaks.
using namespace game;

int CueOf(const Form1& form, const uint8_t* image) {
    for (size_t i = 0; i < form.EmbedSound1.size(); ++i)
        if (!form.EmbedSound1[i]->MemWav().empty() && form.EmbedSound1[i]->MemWav().data() == image)
            return static_cast<int>(i);
    return -1;
}

HeadlessGame::HeadlessGame(std::filesystem::path settingsFile) : settingsFile_(std::move(settingsFile)) {
    display.current = {640, 480, 32, 60};
    window.Clock = [this] { return NowUs(); };
}

HeadlessGame::~HeadlessGame() = default;

double HeadlessGame::NowUs() const {
    return static_cast<double>(counter.now) * 1e6 / static_cast<double>(counter.Frequency());
}

void HeadlessGame::RunScript() {
    // A step may itself give way (a click that starts a cue): it must not
    // re-enter the script.
    if (inScript_ || !loaded_) return;
    inScript_ = true;
    try {
        while (nextStep && NowUs() >= runUntilUs_) {
            const std::optional<double> wait = nextStep();
            if (!wait) throw ScriptOver{};
            runUntilUs_ = NowUs() + *wait;
        }
    } catch (...) {
        inScript_ = false;
        throw;
    }
    inScript_ = false;
}

void HeadlessGame::Yield(double remainingUs) {
    RunScript();
    double nextTimer = -1;
    // A script step is one moment: timers wait until it is over, or a tick could
    // start the ride loop inside the step, where no later step could end it.
    if (!inScript_ && nesting_ < kMaxNesting) {
        struct Nest {
            int& depth;
            explicit Nest(int& d) : depth(++d) {}
            ~Nest() { --depth; }
        } nest(nesting_);
        nextTimer = window.RunDueTimers();
    }
    if (remainingUs <= 0) return;
    // Give way several times a frame, as a real wait does.
    double step = std::clamp(std::ceil(remainingUs / 2), 1.0, 1000.0);
    step = std::min(step, runUntilUs_ - NowUs());
    if (nextTimer >= 0) step = std::min(step, std::max(nextTimer, 1.0));
    counter.AdvanceMicroseconds(std::max(step, 1.0));
}

void HeadlessGame::Load() {
    form = std::make_unique<Form1>(game::Services{window, counter, display, player, *this, *rng, files, settingsFile_});
    player.onPlay = [this](const uint8_t* image) {
        if (const int cue = CueOf(*form, image); cue >= 0) cues.push_back(cue);
    };
    form->Form_Load();
    // The script starts on the finished intro screen, not inside the load handler.
    loaded_ = true;
}

int HeadlessGame::Play() {
    try {
        if (!form) Load();
        for (;;) Yield(1e9);
    } catch (const ScriptOver&) {
        return 0;
    } catch (const game::QuitProgram& quit) {
        return quit.exitStatus;
    }
}

} // namespace headless
