#include "app/web/web_main.h"

#include <emscripten.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/sdl/run_game.h"
#include "app/web/browser.h"
#include "app/web/browser_platform.h"
#include "platform/posix/posix_file_store.h"
#include "platform/sdl/sdl_wave_player.h"

namespace web {

namespace {

// Opening the browser's audio takes a third of a second: it is done once the
// intro screen is up, not before it. Sounds asked for earlier are not heard.
class AudioAfterStart final : public platform::WavePlayer {
public:
    void Open() {
        if (!player_) player_ = std::make_unique<platform::SdlWavePlayer>();
    }
    bool PlaySoundA(const uint8_t* image, size_t size, uint32_t flags) override {
        return player_ && player_->PlaySoundA(image, size, flags);
    }

private:
    std::unique_ptr<platform::SdlWavePlayer> player_;
};

} // namespace

int Main(platform::Random& random, const std::function<void(game::Form1*, WebHost*)>& attach) {
    WebHost host;
    if (!host.Open("Trakmor")) {
        Ended(1, host.Error().c_str());
        return 1;
    }
    BrowserCounter counter;
    NoDisplayModes display;
    AudioAfterStart player;
    platform::PosixFileStore files;
    sdl::GameSteps steps;
    if (attach) {
        steps.wired = [&](game::Form1& form) { attach(&form, &host); };
        steps.ended = [&] { attach(nullptr, nullptr); };
    }
    steps.shown = [&player] {
        EM_ASM({ performance.mark('trakmor-intro-presented'); });
        player.Open();
    };
    std::string failure;
    const int status = sdl::RunGame(host, {counter, display, player, random, files}, steps, &failure);
    Ended(status, failure.c_str());
    return status;
}

} // namespace web
