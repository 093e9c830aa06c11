#include "headless/driver_session.h"

#include <SDL_image.h>

#include <cstdio>
#include <sstream>
#include <vector>

#include "platform/sdl/sdl_ptrs.h"

namespace game {

namespace {

struct CommandError {
    std::string message;
};

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

long long ToInteger(const std::string& text) {
    try {
        size_t used = 0;
        const long long v = std::stoll(text, &used);
        if (used == text.size()) return v;
    } catch (...) {
    }
    throw CommandError{"not a number: " + text};
}

// "Picturex(0)" -> Picturex, 0.
std::pair<std::string, int> SplitIndex(const std::string& name) {
    const size_t open = name.find('(');
    if (open == std::string::npos) return {name, -1};
    if (name.back() != ')') throw CommandError{"bad name: " + name};
    return {name.substr(0, open), static_cast<int>(ToInteger(name.substr(open + 1, name.size() - open - 2)))};
}

std::string Bool(bool b) { return b ? "-1" : "0"; }

bool ParseBool(const std::string& v) {
    if (v == "-1" || v == "1" || v == "true" || v == "True") return true;
    if (v == "0" || v == "false" || v == "False") return false;
    throw CommandError{"not a Boolean: " + v};
}

std::string Hex(uint32_t rgb) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%06X", rgb & 0xFFFFFFu);
    return buf;
}

// Unescapes \r \n \t \\ \" and \s (a blank) in a value given to `set`.
std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 's': out += ' '; break;
        default: out += text[i]; break;
        }
    }
    return out;
}

} // namespace

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        default: out += c; break;
        }
    }
    return out;
}

DriverSession::DriverSession(std::function<std::optional<std::string>()> readLine,
                             std::function<void(const std::string&)> reply, std::filesystem::path settingsFile)
    : game(std::move(settingsFile)), readLine_(std::move(readLine)), reply_(std::move(reply)) {
    game.nextStep = [this]() -> std::optional<double> {
        for (;;) {
            if (quit_) return std::nullopt;
            const std::optional<std::string> line = readLine_();
            if (!line) return std::nullopt;
            if (Words(*line).empty() || (*line)[0] == '#') continue;
            const double wait = Execute(*line);
            if (wait > 0) return wait;
        }
    };
}

int DriverSession::Run() { return game.Play(); }

double DriverSession::Execute(const std::string& line) {
    const std::vector<std::string> w = Words(line);
    const std::string& cmd = w[0];
    auto need = [&](size_t n) {
        if (w.size() != n) throw CommandError{"usage: " + cmd + " takes " + std::to_string(n - 1) + " argument(s)"};
    };
    auto element = [&](const std::string& name) -> ui::Element& {
        const auto [base, index] = SplitIndex(name);
        ui::Element* e = game.window.Find(base, index);
        if (!e) throw CommandError{"no element " + name};
        return *e;
    };
    try {
        if (cmd == "seed") {
            need(2);
            game.random.FixSeed(static_cast<uint64_t>(ToInteger(w[1])));
            reply_("ok");
        } else if (cmd == "key") {
            need(3);
            const int code = static_cast<int>(ToInteger(w[2]));
            if (w[1] == "down") game.window.OnKeyDown(code);
            else if (w[1] == "up") game.window.OnKeyUp(code);
            else throw CommandError{"key down|up CODE"};
            reply_("ok");
        } else if (cmd == "click") {
            need(2);
            if (!game.window.ClickElement(element(w[1]))) throw CommandError{w[1] + " cannot be clicked now"};
            reply_("ok");
        } else if (cmd == "select") {
            need(3);
            if (!game.window.SelectItem(element(w[1]), static_cast<int>(ToInteger(w[2]))))
                throw CommandError{w[1] + " entry cannot be chosen now"};
            reply_("ok");
        } else if (cmd == "scroll") {
            need(3);
            if (w[2] != "up" && w[2] != "down") throw CommandError{"scroll NAME up|down"};
            if (!game.window.ClickScrollArrow(element(w[1]), w[2] == "up"))
                throw CommandError{w[1] + " cannot be clicked now"};
            reply_("ok");
        } else if (cmd == "run") {
            need(2);
            const long long ms = ToInteger(w[1]);
            if (ms < 0) throw CommandError{"run takes milliseconds >= 0"};
            reply_("ok");
            return static_cast<double>(ms) * 1000.0;
        } else if (cmd == "call") {
            need(2);
            if (!game.form->CallRoutine(w[1])) throw CommandError{"no routine " + w[1]};
            reply_("ok");
        } else if (cmd == "get") {
            need(2);
            reply_("ok " + Get(w[1]));
        } else if (cmd == "set") {
            if (w.size() < 3) throw CommandError{"usage: set NAME VALUE"};
            const size_t at = line.find(w[1]) + w[1].size();
            std::string value = line.substr(line.find_first_not_of(" \t", at));
            while (!value.empty() && (value.back() == '\r' || value.back() == '\n')) value.pop_back();
            Set(w[1], Unescape(value));
            reply_("ok");
        } else if (cmd == "pixel") {
            need(3);
            const long long x = ToInteger(w[1]), y = ToInteger(w[2]);
            if (x < 0 || y < 0 || x >= ui::kScreenWidth || y >= ui::kScreenHeight) throw CommandError{"outside the window"};
            ui::Surface frame(ui::kScreenWidth, ui::kScreenHeight);
            game.window.Compose(frame);
            reply_("ok " + Hex(frame.At(static_cast<int>(x), static_cast<int>(y))));
        } else if (cmd == "screenshot") {
            need(2);
            ui::Surface frame(ui::kScreenWidth, ui::kScreenHeight);
            game.window.Compose(frame);
            const platform::SurfacePtr s(SDL_CreateRGBSurfaceWithFormatFrom(
                frame.Pixels().data(), frame.Width(), frame.Height(), 32, frame.Width() * 4, SDL_PIXELFORMAT_RGB888));
            if (!s || IMG_SavePNG(s.get(), w[1].c_str()) != 0) throw CommandError{"cannot write " + w[1]};
            reply_("ok");
        } else if (cmd == "cues") {
            need(1);
            std::string out = "ok";
            for (int c : game.cues) out += " " + std::to_string(c);
            game.cues.clear();
            reply_(out);
        } else if (cmd == "ascii") {
            need(2);
            const long long g = ToInteger(w[1]);
            if (g < 0 || g >= kGridRows) throw CommandError{"grid row 0..29"};
            reply_("ok " + AsciiRow(static_cast<int>(g)));
        } else if (cmd == "quit") {
            need(1);
            reply_("ok");
            quit_ = true;
        } else {
            throw CommandError{"unknown command " + cmd};
        }
    } catch (const CommandError& e) {
        reply_("error " + e.message);
    } catch (const platform::RuntimeError& e) {
        reply_("error run-time error " + std::to_string(e.number));
    }
    return 0;
}

std::string DriverSession::Get(const std::string& name) {
    std::string value;
    if (name.find('.') == std::string::npos) {
        if (game.form->GetVariable(name, &value)) return value;
        throw CommandError{"no variable " + name};
    }
    const std::string owner = name.substr(0, name.find('.'));
    const std::string prop = name.substr(name.find('.') + 1);
    const auto [base, index] = SplitIndex(owner);
    ui::Element* found = game.window.Find(base, index);
    if (!found) throw CommandError{"no element " + owner};
    ui::Element& e = *found;
    if (prop == "Left") return FormatNumber(e.Left());
    if (prop == "Top") return FormatNumber(e.Top());
    if (prop == "Width") return FormatNumber(e.Width());
    if (prop == "Height") return FormatNumber(e.Height());
    if (prop == "Visible") return Bool(e.Visible());
    if (prop == "Enabled") return Bool(e.Enabled());
    if (prop == "Caption") return "\"" + Escape(e.Caption()) + "\"";
    if (prop == "Text") return "\"" + Escape(e.Text()) + "\"";
    if (prop == "ListIndex") return std::to_string(e.ListIndex());
    if (prop == "ListCount") return std::to_string(e.Items().size());
    if (prop.rfind("List(", 0) == 0) {
        const long long i = ToInteger(prop.substr(5, prop.size() - 6));
        if (i < 0 || i >= static_cast<long long>(e.Items().size())) throw CommandError{"no entry " + prop};
        return "\"" + Escape(e.Items()[static_cast<size_t>(i)]) + "\"";
    }
    if (prop == "Value") return std::to_string(e.Value());
    if (prop == "Min") return std::to_string(e.Min);
    if (prop == "Max") return std::to_string(e.Max);
    if (prop == "Interval") return std::to_string(e.Interval);
    if (prop == "BorderStyle") return std::to_string(e.borderStyle);
    if (prop == "BackColor") return Hex(e.backColor);
    if (prop == "ForeColor") return Hex(e.foreColor);
    if (prop == "FontName") return "\"" + e.font.face + "\"";
    if (prop == "FontSize") return FormatNumber(e.font.points);
    if (prop == "FontBold") return Bool(e.font.bold);
    if (prop == "Container") return e.Container() ? e.Container()->FullName() : std::string("none");
    if (prop == "Picture") return Bool(e.GetPicture() != nullptr);
    if (prop == "KeyPreview") return Bool(game.window.KeyPreview);
    throw CommandError{"no property " + prop};
}

void DriverSession::Set(const std::string& name, const std::string& value) {
    if (name.find('.') == std::string::npos) {
        if (!game.form->SetVariable(name, value)) throw CommandError{"cannot set " + name + " to " + value};
        return;
    }
    const std::string owner = name.substr(0, name.find('.'));
    const std::string prop = name.substr(name.find('.') + 1);
    ui::Element& e = [&]() -> ui::Element& {
        const auto [base, index] = SplitIndex(owner);
        ui::Element* found = game.window.Find(base, index);
        if (!found) throw CommandError{"no element " + owner};
        return *found;
    }();
    auto number = [&] {
        try {
            size_t used = 0;
            const double v = std::stod(value, &used);
            if (used == value.size()) return v;
        } catch (...) {
        }
        throw CommandError{"not a number: " + value};
    };
    if (prop == "Left") e.SetLeft(number());
    else if (prop == "Top") e.SetTop(number());
    else if (prop == "Width") e.SetWidth(number());
    else if (prop == "Height") e.SetHeight(number());
    else if (prop == "Visible") e.SetVisible(ParseBool(value));
    else if (prop == "Enabled") e.SetEnabled(ParseBool(value));
    else if (prop == "Caption") e.SetCaption(value);
    else if (prop == "ListIndex") e.SetListIndex(static_cast<int>(ToInteger(value)));
    else if (prop == "Value") e.SetValue(static_cast<int>(ToInteger(value)));
    else if (prop == "KeyPreview") game.window.KeyPreview = ParseBool(value);
    else throw CommandError{"cannot set property " + prop};
}

std::string DriverSession::AsciiRow(int g) {
    const Form1& f = *game.form;
    std::string row(kColumns, '.');
    for (int c = f.roadColumn[g] - 1; c <= f.roadColumn[g] + 5; ++c)
        if (c >= 0 && c < kColumns) row[static_cast<size_t>(c)] = '#';
    static const char marks[4] = {'$', 'B', 'R', 'T'};
    for (int k = 0; k < 4; ++k) {
        const int c = f.obstacleGrid[k][g];
        if (c >= 1 && c <= kColumns) row[static_cast<size_t>(c - 1)] = marks[k];
    }
    // The car, in the column its left half is in.
    const int carColumn = (f.carX + 16) >= 0 ? (f.carX + 16) / 32 : -1;
    if (g == f.carGridRow && carColumn >= 0 && carColumn < kColumns) row[static_cast<size_t>(carColumn)] = 'C';
    return row;
}

} // namespace game
