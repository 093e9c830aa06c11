// The speed setting kept between runs.
#include "game/settings_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "game/form1.h"

namespace game {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
} // namespace

std::optional<int16_t> ReadListInteger(std::string_view content) {
    size_t i = 0;
    while (i < content.size() && IsBlank(content[i])) ++i;
    size_t end = i;
    while (end < content.size() && content[end] != ',' && content[end] != '\r' && content[end] != '\n') ++end;
    std::string_view item = content.substr(i, end - i);
    while (!item.empty() && IsBlank(item.back())) item.remove_suffix(1);
    if (item.empty()) return std::nullopt;

    size_t p = 0;
    bool negative = false;
    if (item[p] == '+' || item[p] == '-') negative = item[p++] == '-';
    double value = 0;
    size_t digits = 0;
    for (; p < item.size() && item[p] >= '0' && item[p] <= '9'; ++p, ++digits) {
        value = value * 10 + (item[p] - '0');
        if (value > 1e6) return std::nullopt;  // far beyond 16 bits: an overflow
    }
    if (p < item.size() && item[p] == '.') {
        double scale = 0.1;
        for (++p; p < item.size() && item[p] >= '0' && item[p] <= '9'; ++p, ++digits, scale /= 10)
            value += (item[p] - '0') * scale;
    }
    if (digits == 0 || p != item.size()) return std::nullopt;
    // Whole numbers are taken as integers; fractions round half to even.
    value = std::nearbyint(negative ? -value : value);
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<int16_t>(value);
}

void Form1::SaveSpeed() {
    // Written beside the old file and renamed over it, so an interrupted save
    // never leaves an empty or partial settings file behind.
    std::error_code ec;
    const std::filesystem::path tmp = settingsFile_.string() + ".new";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return;
        out << VScrollbar1.Value() << "\r\n";
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(tmp, ec);
            return;
        }
    }
    std::filesystem::rename(tmp, settingsFile_, ec);
    if (ec) std::filesystem::remove(tmp, ec);
}

void Form1::LoadSpeed() {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(settingsFile_, ec)) {
        sp.SetCaption("100");
        VScrollbar1.TrySetValue(401);
        return;
    }
    int16_t v = 0;
    {
        std::ifstream in(settingsFile_, std::ios::binary);
        // Only the first item matters; a huge file is not read whole. Blanks
        // before it may run on for any length, so they are passed over first.
        char c = 0;
        while (in.get(c) && IsBlank(c)) {
        }
        if (in) {
            std::string head(65536, '\0');
            head[0] = c;
            in.read(head.data() + 1, static_cast<std::streamsize>(head.size() - 1));
            head.resize(1 + static_cast<size_t>(in.gcount()));
            if (auto read = ReadListInteger(head)) v = *read;
        }
    }
    VScrollbar1.TrySetValue(v);
    VScrollbar1_change();
}

} // namespace game
