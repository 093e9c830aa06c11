#include "headless/driver_session.h"

#include <SDL_image.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <memory>

#include "headless/state_access.h"
#include "platform/sdl/sdl_ptrs.h"

namespace headless {

// The game window's own names, which the driver speaks.
using namespace game;

namespace {

// Geometry the window's surfaces can take: a picture box keeps an image of its
// own size, and positions, nested and added up, stay far inside int arithmetic.
constexpr double kMaxSizePx = 4096;
constexpr double kMaxOffsetPx = 32767;

struct Word {
    std::string text;
    size_t begin;  // where the word starts in its line
};

std::vector<Word> Words(const std::string& line) {
    std::vector<Word> words;
    constexpr const char* kBlanks = " \t\r\n\v\f";
    for (size_t at = line.find_first_not_of(kBlanks); at != std::string::npos;
         at = line.find_first_not_of(kBlanks, at)) {
        const size_t end = std::min(line.find_first_of(kBlanks, at), line.size());
        words.push_back({line.substr(at, end - at), at});
        at = end;
    }
    return words;
}

template <std::integral T> T Integer(const std::string& text) {
    if (const auto v = ParseInteger<T>(text)) return *v;
    throw CommandError{"not a whole number " + std::to_string(std::numeric_limits<T>::min()) + ".." +
                       std::to_string(std::numeric_limits<T>::max()) + ": " + text};
}

long long Integer(const std::string& text, long long min, long long max, const std::string& what) {
    const auto v = ParseInteger<long long>(text);
    if (!v || *v < min || *v > max)
        throw CommandError{what + " takes a whole number " + std::to_string(min) + ".." + std::to_string(max)};
    return *v;
}

// "Label6", "Picturex(1)".
ui::Element& ElementNamed(ui::Window& window, const std::string& text) {
    const auto name = ParseName(text);
    ui::Element* e = nullptr;
    if (name && name->indexes.size() <= 1) e = window.Find(name->base, name->indexes.empty() ? -1 : name->indexes[0]);
    if (!e) throw CommandError{"no element " + text};
    return *e;
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

std::string Quoted(const std::string& text) { return "\"" + Escape(text) + "\""; }

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

bool WriteWholeFile(const std::string& file, const std::vector<uint8_t>& bytes) {
    // Not blocking on a FIFO, and only into an ordinary file.
#ifdef _WIN32
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_BINARY, 0644);
#else
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0644);
#endif
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    for (size_t done = 0; ok && done < bytes.size();) {
        const auto n = ::write(fd, bytes.data() + done, std::min<size_t>(bytes.size() - done, 1u << 30));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    return ::close(fd) == 0 && ok;
}

std::optional<std::vector<uint8_t>> EncodePng(const ui::Surface& frame) {
    // Room for the pixels stored without compression, twice over: a PNG that
    // fills it has not fitted.
    std::vector<uint8_t> png(static_cast<size_t>(frame.Width()) * static_cast<size_t>(frame.Height()) * 8 + 65536);
    // SDL only reads the pixels of a surface it saves.
    const platform::SurfacePtr s(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(frame.Pixels().data()),
                                                                    frame.Width(), frame.Height(), 32,
                                                                    frame.Width() * 4, SDL_PIXELFORMAT_RGB888));
    const platform::RWopsPtr rw(SDL_RWFromMem(png.data(), static_cast<int>(png.size())));
    if (!s || !rw || IMG_SavePNG_RW(s.get(), rw.get(), 0) != 0) return std::nullopt;
    const Sint64 size = SDL_RWtell(rw.get());
    if (size <= 0 || static_cast<size_t>(size) >= png.size()) return std::nullopt;
    png.resize(static_cast<size_t>(size));
    return png;
}

DriverSession::DriverSession(std::function<std::optional<std::string>()> readLine,
                             std::function<void(const std::string&)> reply, DriverOptions options)
    : game(options.settingsFile), readLine_(std::move(readLine)), reply_(std::move(reply)),
      options_(std::move(options)) {
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
    const std::vector<Word> words = Words(line);
    std::vector<std::string> w;
    for (const Word& word : words) w.push_back(word.text);
    const std::string& cmd = w[0];
    auto need = [&](size_t n) {
        if (w.size() != n) throw CommandError{"usage: " + cmd + " takes " + std::to_string(n - 1) + " argument(s)"};
    };
    auto element = [&](const std::string& text) -> ui::Element& { return ElementNamed(game.window, text); };
    std::string reply = "ok";
    double waitUs = 0;
    try {
        if (cmd == "seed") {
            need(2);
            game.random.FixSeed(Integer<uint64_t>(w[1]));
        } else if (cmd == "key") {
            need(3);
            const int16_t code = Integer<int16_t>(w[2]);
            if (w[1] == "down") game.window.OnKeyDown(code);
            else if (w[1] == "up") game.window.OnKeyUp(code);
            else throw CommandError{"key down|up CODE"};
        } else if (cmd == "click") {
            need(2);
            if (!game.window.ClickElement(element(w[1]))) throw CommandError{w[1] + " cannot be clicked now"};
        } else if (cmd == "select") {
            need(3);
            if (!game.window.SelectItem(element(w[1]), Integer<int16_t>(w[2])))
                throw CommandError{w[1] + " entry cannot be chosen now"};
        } else if (cmd == "scroll") {
            need(3);
            if (w[2] != "up" && w[2] != "down") throw CommandError{"scroll NAME up|down"};
            if (!game.window.ClickScrollArrow(element(w[1]), w[2] == "up"))
                throw CommandError{w[1] + " cannot be clicked now"};
        } else if (cmd == "run") {
            need(2);
            waitUs = static_cast<double>(Integer(w[1], 0, options_.maxRunMs, "run")) * 1000.0;
        } else if (cmd == "call") {
            need(2);
            CallRoutine(*game.form, w[1]);
        } else if (cmd == "get") {
            need(2);
            reply = "ok " + Get(w[1]);
        } else if (cmd == "set") {
            if (w.size() < 3) throw CommandError{"usage: set NAME VALUE"};
            std::string value = line.substr(words[2].begin);
            while (!value.empty() && (value.back() == '\r' || value.back() == '\n')) value.pop_back();
            Set(w[1], Unescape(value));
        } else if (cmd == "pixel") {
            need(3);
            const int x = static_cast<int>(Integer(w[1], 0, ui::kScreenWidth - 1, "pixel X"));
            const int y = static_cast<int>(Integer(w[2], 0, ui::kScreenHeight - 1, "pixel Y"));
            ui::Surface frame(ui::kScreenWidth, ui::kScreenHeight);
            game.window.Compose(frame);
            reply = "ok " + Hex(frame.At(x, y));
        } else if (cmd == "screenshot") {
            need(2);
            ui::Surface frame(ui::kScreenWidth, ui::kScreenHeight);
            game.window.Compose(frame);
            const auto png = EncodePng(frame);
            if (!png || !options_.writeFile(w[1], *png)) throw CommandError{"cannot write " + w[1]};
        } else if (cmd == "cues") {
            need(1);
            for (int c : game.cues) reply += " " + std::to_string(c);
            game.cues.clear();
        } else if (cmd == "ascii") {
            need(2);
            reply = "ok " + AsciiRow(static_cast<int>(Integer(w[1], 0, kGridRows - 1, "ascii")));
        } else if (cmd == "quit") {
            need(1);
            quit_ = true;
        } else {
            throw CommandError{"unknown command " + cmd};
        }
    } catch (const QuitProgram&) {
        // The game ends at once, unwinding whatever it was running; the command
        // has done what it was asked.
        reply_("ok");
        quit_ = true;
        throw;
    } catch (const CommandError& e) {
        // A message may quote the value it refuses, unescaped line breaks and all:
        // escaped, the reply stays one line.
        reply = "error " + Escape(e.message);
    } catch (const platform::RuntimeError& e) {
        reply = "error run-time error " + std::to_string(e.number);
    } catch (const std::exception& e) {
        reply = "error " + Escape(e.what());
    }
    reply_(reply);
    return waitUs;
}

std::string DriverSession::Get(const std::string& name) {
    if (name.find('.') == std::string::npos) return GetVariable(*game.form, name);
    const std::string owner = name.substr(0, name.find('.'));
    const std::string prop = name.substr(name.find('.') + 1);
    ui::Element& e = ElementNamed(game.window, owner);
    if (prop == "Left") return FormatNumber(e.Left());
    if (prop == "Top") return FormatNumber(e.Top());
    if (prop == "Width") return FormatNumber(e.Width());
    if (prop == "Height") return FormatNumber(e.Height());
    if (prop == "Visible") return Bool(e.Visible());
    if (prop == "Enabled") return Bool(e.Enabled());
    if (prop == "Caption") return Quoted(e.Caption());
    if (prop == "Text") return Quoted(e.Text());
    if (prop == "ListIndex") return std::to_string(e.ListIndex());
    if (prop == "ListCount") return std::to_string(e.Items().size());
    if (prop.rfind("List(", 0) == 0) {
        const auto list = ParseName(prop);
        if (!list || list->indexes.size() != 1 || list->indexes[0] < 0 ||
            list->indexes[0] >= static_cast<int>(e.Items().size()))
            throw CommandError{"no entry " + prop};
        return Quoted(e.Items()[static_cast<size_t>(list->indexes[0])]);
    }
    if (prop == "Value") return std::to_string(e.Value());
    if (prop == "Min") return std::to_string(e.Min);
    if (prop == "Max") return std::to_string(e.Max);
    if (prop == "Interval") return std::to_string(e.Interval);
    if (prop == "BorderStyle") return std::to_string(e.borderStyle);
    if (prop == "BackColor") return Hex(e.backColor);
    if (prop == "ForeColor") return Hex(e.foreColor);
    if (prop == "FontName") return Quoted(e.font.face);
    if (prop == "FontSize") return FormatNumber(e.font.points);
    if (prop == "FontBold") return Bool(e.font.bold);
    if (prop == "Container") return e.Container() ? e.Container()->FullName() : std::string("none");
    if (prop == "Picture") return Bool(e.GetPicture() != nullptr);
    if (prop == "KeyPreview") return Bool(game.window.KeyPreview);
    throw CommandError{"no property " + prop};
}

void DriverSession::Set(const std::string& name, const std::string& value) {
    if (name.find('.') == std::string::npos) return SetVariable(*game.form, name, value);
    const std::string owner = name.substr(0, name.find('.'));
    const std::string prop = name.substr(name.find('.') + 1);
    ui::Element& e = ElementNamed(game.window, owner);
    // Geometry is given in the container's scale; its limits are in pixels.
    const ui::Element* container = e.Container();
    const double perPixel = container && container->pixelScale ? 1.0 : ui::kTwipsPerPixel;
    auto geometry = [&](double limitPx, bool size) {
        const auto v = ParseNumber(value);
        const double limit = limitPx * perPixel;
        if (!v || *v > limit || *v < (size ? 0.0 : -limit))
            throw CommandError{prop + " takes a number " + FormatNumber(size ? 0.0 : -limit) + ".." +
                               FormatNumber(limit)};
        return *v;
    };
    if (prop == "Left") e.SetLeft(geometry(kMaxOffsetPx, false));
    else if (prop == "Top") e.SetTop(geometry(kMaxOffsetPx, false));
    else if (prop == "Width") e.SetWidth(geometry(kMaxSizePx, true));
    else if (prop == "Height") e.SetHeight(geometry(kMaxSizePx, true));
    else if (prop == "Visible") e.SetVisible(ParseBool(value));
    else if (prop == "Enabled") e.SetEnabled(ParseBool(value));
    else if (prop == "Caption") e.SetCaption(value);
    else if (prop == "ListIndex") e.SetListIndex(Integer<int16_t>(value));
    else if (prop == "Value") e.SetValue(Integer<int16_t>(value));
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

} // namespace headless
