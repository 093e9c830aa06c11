// trakmor-bench: the real game loop on the real clock, with no display.
// Prints the achieved scroll rate, the processor time and the cost of drawing,
// each beside its yardstick measured in the same run. Not a test.
#include <SDL.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/form1.h"
#include "headless/headless.h"
#include "platform/fake_display_driver.h"
#include "platform/sdl/sdl_counter.h"
#include "app/desktop/sdl_host.h"

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A straight road without scenery or obstacles: the pace is then the loop's alone.
class QuietRoad final : public platform::Random {
public:
    double Rnd() override { return 0.4; }
    void Reseed() override {}
};

// Gives way through the real host; ends the ride when the measured stretch is over,
// or waits without sleeping for the busy-wait yardstick.
class BenchPump final : public platform::EventPump {
public:
    explicit BenchPump(platform::SdlHost& h) : host(h) {}
    void Yield(double remainingUs) override {
        if (busy) {
            SDL_PumpEvents();
        } else {
            host.Yield(remainingUs);
        }
        if (form && WallSeconds() >= endAt) form->gameRunning = game::kFalse;
    }
    platform::SdlHost& host;
    game::Form1* form = nullptr;
    double endAt = 0;
    bool busy = false;
};

struct Run {
    double ratio = 0;
    double cpu = 0;
};

Run Ride(game::Form1& f, BenchPump& pump, int gear, int setting, bool busy, double seconds) {
    f.NewGame();
    f.VScrollbar1.SetValue(501 - setting);
    f.Command1_Click();
    f.speed = static_cast<int16_t>(1 << gear);
    f.minSpeed = f.speed;
    f.maxSpeed = 16;
    f.Timer2.SetEnabled(false);
    const double topsBefore = f.Picturex[0]->Top() + f.Picturex[1]->Top();
    const int64_t scoreBefore = f.roadScore;
    pump.busy = busy;
    const double wall0 = WallSeconds(), cpu0 = CpuSeconds();
    pump.endAt = wall0 + seconds;
    f.Timer2_timer();
    const double wall = WallSeconds() - wall0, cpu = CpuSeconds() - cpu0;
    const double tops = f.Picturex[0]->Top() + f.Picturex[1]->Top();
    const double scrolled = (tops - topsBefore + 960.0 * static_cast<double>(f.roadScore - scoreBefore)) / 2;
    const double written = 20.0 * (1 << gear) * (setting / 100.0);
    return Run{scrolled / wall / written, cpu / wall};
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 2.5;
    if (argc > 1) seconds = std::atof(argv[1]);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::SdlHost host;
    if (!host.Open("Trakmor bench")) {
        std::fprintf(stderr, "trakmor-bench: %s\n", host.Error().c_str());
        return 1;
    }
    platform::SdlCounter counter;
    platform::FakeDisplayDriver display;
    game::SilentWavePlayer player;
    QuietRoad road;
    ui::Window window;
    BenchPump pump(host);
    game::Form1 f(game::Services{window, counter, display, player, pump, road, "/nonexistent/Trakmor_B.spd"});
    host.Attach(window, [] {});
    f.Form_Load();
    pump.form = &f;

    struct Case {
        int gear, setting;
    };
    const std::vector<Case> cases = {{1, 100}, {2, 100}, {3, 100}, {4, 100}, {4, 500}};
    std::printf("%-6s %-8s %-10s %-10s %-10s %s\n", "gear", "setting", "frame_us", "pace", "cpu", "busy_cpu");
    std::vector<std::string> lines;
    for (const Case& c : cases) {
        const Run real = Ride(f, pump, c.gear, c.setting, false, seconds);
        const Run busy = Ride(f, pump, c.gear, c.setting, true, seconds);
        std::printf("%-6d %-8d %-10.1f %-10.4f %-10.3f %.3f\n", c.gear, c.setting,
                    50000.0 / ((1 << c.gear) * c.setting / 100.0), real.ratio, real.cpu, busy.cpu);
        char line[160];
        std::snprintf(line, sizeof line, "pace gear=%d setting=%d ratio=%.4f cpu=%.3f busy_cpu=%.3f", c.gear, c.setting,
                      real.ratio, real.cpu, busy.cpu);
        lines.push_back(line);
    }

    // Drawing: DrawSprites against two plain copies of a frame of the same format.
    f.NewGame();
    f.Command1_Click();
    const int reps = 3000;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < reps; ++i) f.DrawSprites();
    const double drawUs = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() / reps;
    std::vector<uint32_t> a(640 * 480, 1), b(640 * 480, 2), dst(640 * 480);
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < reps; ++i) {
        std::memcpy(dst.data(), a.data(), a.size() * 4);
        std::memcpy(dst.data(), b.data(), b.size() * 4);
        asm volatile("" : : "r"(dst.data()) : "memory");
    }
    const double memcpyUs = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() / reps;
    const auto& stats = host.GetStats();
    const double presentUs = stats.presents ? stats.presentUs / static_cast<double>(stats.presents) : 0;
    std::printf("\nDrawSprites %.1f us, two memcpy %.1f us, present %.1f us (%llu presents)\n", drawUs, memcpyUs,
                presentUs, static_cast<unsigned long long>(stats.presents));
    for (const auto& l : lines) std::printf("%s\n", l.c_str());
    std::printf("draw drawsprites_us=%.1f memcpy_us=%.1f present_us=%.1f\n", drawUs, memcpyUs, presentUs);
    return 0;
}
