#include "test_hook.h"

#include <SDL.h>

#include <fstream>
#include <sstream>

#include "game/form1.h"
#include "headless/state_access.h"

namespace e2e {

namespace fs = std::filesystem;

namespace {

Uint32 SDLCALL Wake(Uint32 interval, void*) {
    SDL_Event e{};
    e.type = SDL_USEREVENT;
    SDL_PushEvent(&e);
    return interval;
}

} // namespace

TestHook::TestHook(game::Form1& form, fs::path folder) : form_(form), folder_(std::move(folder)) {
    if (SDL_InitSubSystem(SDL_INIT_TIMER) == 0) wakeTimer_ = SDL_AddTimer(10, &Wake, nullptr);
}

TestHook::~TestHook() {
    if (wakeTimer_) SDL_RemoveTimer(wakeTimer_);
    SDL_QuitSubSystem(SDL_INIT_TIMER);
}

void TestHook::Poll(double nowMs) {
    if (nowMs < nextLookMs_) return;
    nextLookMs_ = nowMs + 5;
    std::error_code ec;
    const fs::path request = folder_ / "request";
    // Only a file put there whole: anything else (a FIFO) could hold up the game.
    if (!fs::is_regular_file(fs::symlink_status(request, ec))) return;
    std::ifstream in(request);
    std::ostringstream replies;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) replies << Execute(line) << '\n';
    in.close();
    fs::remove(request, ec);
    const fs::path partial = folder_ / "reply.new";
    {
        std::ofstream out(partial, std::ios::trunc);
        out << replies.str();
    }
    fs::rename(partial, folder_ / "reply", ec);
}

std::string TestHook::Execute(const std::string& line) {
    std::istringstream words(line);
    std::string verb, name, value;
    words >> verb >> name;
    std::getline(words >> std::ws, value);
    try {
        if (verb == "get") return "ok " + headless::GetVariable(form_, name);
        if (verb == "set") {
            headless::SetVariable(form_, name, value);
            return "ok";
        }
    } catch (const headless::CommandError&) {
    }
    return "error";
}

} // namespace e2e
