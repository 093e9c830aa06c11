// trakmor in the browser: the game in a canvas of the page.
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "app/desktop/game_rules.h"
#include "app/web/browser.h"
#include "app/web/browser_platform.h"
#include "app/web/web_host.h"
#include "game/form1.h"
#include "headless/state_access.h"
#include "platform/cue_gate.h"
#include "platform/posix/posix_file_store.h"
#include "platform/program_exit.h"
#include "platform/random.h"
#include "platform/sdl/sdl_wave_player.h"
#include "ui/window.h"

namespace {

// Every draw the same: a straight road with nothing on it or beside it. The
// page's pace test drives on it, so that nothing stops the car.
class StraightRoad final : public platform::Random {
public:
    double Rnd() override { return 0.4; }
    void Reseed() override {}
};

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

game::Form1* gForm = nullptr;
web::WebHost* gHost = nullptr;

// For the page's tests: the game's state by name, as the headless driver names
// it ("speed", "Picturex(0).Top", "Picture2.Visible"); "?" for an unknown name.
std::string ReadState(const std::string& name) {
    const size_t dot = name.find('.');
    if (dot == std::string::npos) {
        try {
            return game::GetVariable(*gForm, name);
        } catch (const game::CommandError&) {
            return "?";
        }
    }
    std::string owner = name.substr(0, dot);
    const std::string prop = name.substr(dot + 1);
    int index = -1;
    if (const size_t open = owner.find('('); open != std::string::npos) {
        index = std::atoi(owner.c_str() + open + 1);
        owner.resize(open);
    }
    const ui::Element* e = gForm->window.Find(owner, index);
    if (!e) return "?";
    if (prop == "Top") return game::FormatNumber(e->Top());
    if (prop == "Visible") return e->Visible() ? "-1" : "0";
    if (prop == "Value") return std::to_string(e->Value());
    if (prop == "Caption") return e->Caption();
    if (prop == "ListIndex") return std::to_string(e->ListIndex());
    return "?";
}

} // namespace

extern "C" EMSCRIPTEN_KEEPALIVE const char* trakmor_get(const char* name) {
    static std::string value;
    value = gForm ? ReadState(name) : "?";
    return value.c_str();
}

// The host's figures: 0 presents, 1 microseconds spent presenting, 2 sleeps,
// 3 the sleep margin, 4 what a long turn of the page costs.
extern "C" EMSCRIPTEN_KEEPALIVE double trakmor_host_stat(int which) {
    if (!gHost) return 0;
    const web::WebHost::Stats s = gHost->GetStats();
    switch (which) {
    case 0: return static_cast<double>(s.presents);
    case 1: return s.presentUs;
    case 2: return static_cast<double>(s.sleeps);
    case 3: return s.pollUs;
    case 4: return s.longTurnUs;
    default: return 0;
    }
}

int main(int argc, char** argv) {
    platform::MersenneRandom mersenne;
    StraightRoad straight;
    platform::Random* random = &mersenne;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--straight-road") == 0) random = &straight;
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) mersenne.FixSeed(std::strtoull(argv[++i], nullptr, 10));
    }

    web::WebHost host;
    if (!host.Open("Trakmor")) {
        web::Ended(1, host.Error().c_str());
        return 1;
    }
    gHost = &host;
    web::BrowserCounter counter;
    web::NoDisplayModes display;
    AudioAfterStart player;
    platform::CueGate cues(player);
    platform::PosixFileStore files;  // over the browser's file system, kept in IndexedDB by pre.js
    ui::Window window;
    int status = 0;
    std::string message;
    try {
        game::Form1 form(game::Services{window, counter, display, cues, host, *random, files});
        gForm = &form;
        host.Attach(window, [&form] { form.Command4_Click(); });
        // The page's focus and visibility mean what the desktop window's do.
        desktop::SdlInput& input = host.Input();
        input.FocusLost = [&form] { desktop::OnFocusLost(form); };
        input.Minimised = [&cues](bool minimised) { cues.SetMinimised(minimised); };
        input.ButtonsInFront = [&form] { return desktop::ButtonsInFront(form); };
        form.Form_Load();
        host.PresentNow();
        EM_ASM({ performance.mark('trakmor-intro-presented'); });
        player.Open();
        for (;;) host.Idle();
    } catch (const platform::ProgramExit& quit) {
        status = quit.exitStatus;
    } catch (const std::exception& e) {
        status = 2;
        message = e.what();
        std::fprintf(stderr, "trakmor: %s\n", e.what());
    }
    gForm = nullptr;
    gHost = nullptr;
    web::Ended(status, message.c_str());
    return status;
}
