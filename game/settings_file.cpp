// The speed setting kept between runs.
#include "game/settings_file.h"

#include <cmath>
#include <string>

#include "game/form1.h"

namespace game {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// Only the first item matters, so a huge file is not read whole.
constexpr size_t kHeadBytes = 65536;
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

void Form1::SaveSpeed() { files_.Replace(settingsFile_, std::to_string(VScrollbar1.Value()) + "\r\n"); }

void Form1::LoadSpeed() {
    // Blanks before the first item may run on for any length, so they are
    // passed over before the head is counted.
    std::string head;
    const platform::FileStore::Found found = files_.Read(settingsFile_, [&head](std::string_view piece) {
        if (head.empty()) {
            while (!piece.empty() && IsBlank(piece.front())) piece.remove_prefix(1);
        }
        head.append(piece.substr(0, kHeadBytes - head.size()));
        return head.size() < kHeadBytes;
    });
    if (found == platform::FileStore::Found::NoFile) {
        sp.SetCaption("100");
        VScrollbar1.TrySetValue(401);
        return;
    }
    int16_t v = 0;  // a file that cannot be read gives no number
    if (found == platform::FileStore::Found::Read) {
        if (auto read = ReadListInteger(head)) v = *read;
    }
    VScrollbar1.TrySetValue(v);
    VScrollbar1_change();
}

} // namespace game
