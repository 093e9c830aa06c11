// The browser build for the page's tests: the game's state by name, the
// host's figures, and the switches of the page's address: ?seed=N fixes the
// road, ?straight-road gives an empty straight one, ?rocks-road a straight one
// with rocks beside it (a picture that changes as it scrolls, for counting
// what the page shows), ?speed-setting=N starts with that speed setting saved.
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/web/web_main.h"
#include "headless/state_access.h"
#include "platform/random.h"

namespace {

// Every draw the same: a straight road with nothing on it or beside it.
class StraightRoad final : public platform::Random {
public:
    double Rnd() override { return 0.4; }
    void Reseed() override {}
};

// Every draw 0.65: the road goes straight on with nothing on it, and every row
// has two rocks just right of it (columns 13 and 14), so that each pixel the
// road scrolls changes the picture.
class RocksRoad final : public platform::Random {
public:
    double Rnd() override { return 0.65; }
    void Reseed() override {}
};

game::Form1* gForm = nullptr;
web::WebHost* gHost = nullptr;

// "speed", "Picturex(0).Top", "Picture2.Visible"; "?" for an unknown name.
std::string ReadState(const std::string& name) {
    const size_t dot = name.find('.');
    if (dot == std::string::npos) {
        try {
            return headless::GetVariable(*gForm, name);
        } catch (const headless::CommandError&) {
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
    if (prop == "Top") return headless::FormatNumber(e->Top());
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
// 3 the sleep margin, 4 what a long turn of the page costs, 5 and 6 what a
// present's steps usually cost: composing, and showing every row; 7 frames'
// waits, 8 what they had left when they began, in all.
extern "C" EMSCRIPTEN_KEEPALIVE double trakmor_host_stat(int which) {
    if (!gHost) return 0;
    const web::WebHost::Stats s = gHost->GetStats();
    switch (which) {
    case 0: return static_cast<double>(s.presents);
    case 1: return s.presentUs;
    case 2: return static_cast<double>(s.sleeps);
    case 3: return s.pollUs;
    case 4: return s.longTurnUs;
    case 5: return s.composeUs;
    case 6: return s.showUs;
    case 7: return static_cast<double>(s.waits);
    case 8: return s.waitUs;
    default: return 0;
    }
}

int main(int argc, char** argv) {
    platform::MersenneRandom mersenne;
    StraightRoad straight;
    RocksRoad rocks;
    platform::Random* random = &mersenne;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--straight-road") == 0) random = &straight;
        else if (std::strcmp(argv[i], "--rocks-road") == 0) random = &rocks;
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) mersenne.FixSeed(std::strtoull(argv[++i], nullptr, 10));
        else if (std::strcmp(argv[i], "--speed-setting") == 0 && i + 1 < argc) {
            // As Save writes it: the spinner's value, 501 less the setting.
            if (FILE* f = std::fopen("Trakmor_B.spd", "wb")) {
                std::fprintf(f, "%d\r\n", 501 - std::atoi(argv[++i]));
                std::fclose(f);
            }
        }
    }
    return web::Main(*random, [](game::Form1* form, web::WebHost* host) {
        gForm = form;
        gHost = host;
    });
}
