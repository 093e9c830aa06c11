#include "app/desktop/test_hook.h"

#include <SDL.h>

#include <fstream>
#include <sstream>

#include "game/form1.h"

namespace desktop {

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
    if (!fs::exists(request, ec)) return;
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
    if (verb == "get") {
        std::string v;
        return form_.GetVariable(name, &v) ? "ok " + v : "error";
    }
    if (verb == "set") return form_.SetVariable(name, value) ? "ok" : "error";
    return "error";
}

} // namespace desktop
