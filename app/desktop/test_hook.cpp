#include "app/desktop/test_hook.h"

#include <fstream>
#include <sstream>

#include "game/form1.h"

namespace desktop {

namespace fs = std::filesystem;

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
