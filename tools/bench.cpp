// trakmor-bench: the real game loop on the real clock. Prints the achieved
// scroll rate, the processor time, how late frames end and how soon a key is
// handled, each beside a busy-wait yardstick measured in the same run, and how
// late a bare sleep wakes and how soon a cue's first samples reach the sound
// device; with --window, presents per second in a real window at each scale.
// Not a test.
//
//   trakmor-bench [seconds] [--load N] [--window 1,2,3,4[,fs]]
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/desktop/sdl_host.h"
#include "game/form1.h"
#include "headless/headless.h"
#include "platform/fake_display_driver.h"
#include "platform/native_file_store.h"
#include "platform/sdl/sdl_counter.h"
#include "platform/sdl/sdl_wave_player.h"
#include "tools/bench_system.h"

namespace {

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double WallUs() { return WallSeconds() * 1e6; }

// A straight road without scenery or obstacles: the pace is then the loop's alone.
class QuietRoad final : public platform::Random {
public:
    double Rnd() override { return 0.4; }
    void Reseed() override {}
};

double Percentile(std::vector<float> v, double q) {
    if (v.empty()) return 0;
    const size_t k = std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

// Sound: silent for the rides, the real device while cues are timed.
class BenchPlayer final : public platform::WavePlayer {
public:
    bool PlaySoundA(const uint8_t* image, size_t size, uint32_t flags) override {
        return real ? real->PlaySoundA(image, size, flags) : silent.PlaySoundA(image, size, flags);
    }
    headless::SilentWavePlayer silent;
    platform::SdlWavePlayer* real = nullptr;
};

// Gives way through the real host, or waits without sleeping for the busy-wait
// yardstick; ends the ride when the measured stretch is over. Notes when each
// frame began (from what the loop says it still has to wait) to tell how late
// each frame ended.
class BenchPump final : public platform::EventPump {
public:
    explicit BenchPump(desktop::SdlHost& h) : host(h) {}
    void Yield(double remainingUs) override {
        const double now = WallUs();
        if (form) {
            const double written = form->FrameMicroseconds();
            const double start = now - (written - remainingUs);
            if (remainingUs > 0 && start > frameStart + written / 2) {
                if (frameStart > 0) late.push_back(static_cast<float>(start - frameStart - written));
                frameStart = start;
            }
        }
        if (busy) host.Spin(remainingUs);
        else host.Yield(remainingUs);
        // Cues started in the waits, as a key's or a steering step's would be.
        if (form && cueEveryUs > 0 && !inCue && now >= nextCueUs) {
            inCue = true;
            nextCueUs = now + cueEveryUs * (0.5 + cueSpread(cueRandom));
            form->PlayCue(static_cast<int16_t>(cues++ % 5));
            inCue = false;
        }
        if (form && WallSeconds() >= endAt) form->gameRunning = game::kFalse;
    }
    desktop::SdlHost& host;
    game::Form1* form = nullptr;
    double endAt = 0;
    bool busy = false;
    double frameStart = 0;
    double cueEveryUs = 0;  // on average; 0: no cues
    double nextCueUs = 0;
    bool inCue = false;
    unsigned cues = 0;
    std::mt19937 cueRandom{7};
    std::uniform_real_distribution<double> cueSpread{0.0, 1.0};
    std::vector<float> late;
};

struct Run {
    double ratio = 0;
    double cpu = 0;
    double presentsPerS = 0;
    std::vector<float> late;
    std::vector<float> costs;
    // Sums behind the figures, for runs made of several stretches.
    double scrolled = 0, wanted = 0, wall = 0, cpuSeconds = 0, presents = 0, gaveWay = 0;
    double pollUs = 0;
    void Add(const Run& r) {
        if (r.pollUs > 0) pollUs = r.pollUs;
        scrolled += r.scrolled;
        wanted += r.wanted;
        wall += r.wall;
        cpuSeconds += r.cpuSeconds;
        presents += r.presents;
        gaveWay += r.gaveWay;
        late.insert(late.end(), r.late.begin(), r.late.end());
        costs.insert(costs.end(), r.costs.begin(), r.costs.end());
        ratio = scrolled / wanted;
        cpu = cpuSeconds / wall;
        presentsPerS = presents / wall;
    }
};

Run Ride(game::Form1& f, BenchPump& pump, int gear, int setting, bool busy, double seconds) {
    f.NewGame();
    f.VScrollbar1.SetValue(static_cast<int16_t>(501 - setting));
    f.Command1_Click();
    f.speed = static_cast<int16_t>(1 << gear);
    f.minSpeed = f.speed;
    f.maxSpeed = 16;
    f.Timer2.SetEnabled(false);
    const double topsBefore = f.Picturex[0]->Top() + f.Picturex[1]->Top();
    const int64_t scoreBefore = f.roadScore;
    pump.busy = busy;
    pump.frameStart = 0;
    pump.late.clear();
    pump.late.reserve(20000);
    Run run;
    run.costs.reserve(2000);
    pump.host.LogPresentCosts(&run.costs);
    const desktop::SdlHost::Stats before = pump.host.GetStats();
    const double wall0 = WallSeconds(), cpu0 = bench::CpuSeconds();
    pump.endAt = wall0 + seconds;
    f.Timer2_timer();
    const double wall = WallSeconds() - wall0, cpu = bench::CpuSeconds() - cpu0;
    pump.host.LogPresentCosts(nullptr);
    const double tops = f.Picturex[0]->Top() + f.Picturex[1]->Top();
    const double scrolled = (tops - topsBefore + 960.0 * static_cast<double>(f.roadScore - scoreBefore)) / 2;
    const double written = 20.0 * (1 << gear) * (setting / 100.0);
    run.scrolled = scrolled;
    run.wanted = written * wall;
    run.wall = wall;
    run.cpuSeconds = cpu;
    const desktop::SdlHost::Stats after = pump.host.GetStats();
    run.presents = static_cast<double>(after.presents - before.presents);
    run.gaveWay = static_cast<double>(after.gaveWay - before.gaveWay);
    run.ratio = scrolled / run.wanted;
    run.cpu = cpu / wall;
    run.presentsPerS = run.presents / wall;
    run.late = std::move(pump.late);
    if (!busy) run.pollUs = pump.host.GetStats().pollUs;
    return run;
}

// The game and the busy-wait in turns of half a second, so that both meet the
// same competing work on a shared machine.
std::pair<Run, Run> RideBoth(game::Form1& f, BenchPump& pump, int gear, int setting, double seconds) {
    Run real, busy;
    const int turns = std::max(1, static_cast<int>(seconds / 0.5 + 0.5));
    for (int i = 0; i < turns; ++i) {
        real.Add(Ride(f, pump, gear, setting, false, seconds / turns));
        busy.Add(Ride(f, pump, gear, setting, true, seconds / turns));
    }
    return {std::move(real), std::move(busy)};
}

// Key presses pushed from another thread at random moments; the delay is
// measured from the push to the game's key handler.
struct KeyProbe {
    std::atomic<double> pushedUs{0};
    std::atomic<bool> pending{false};
    std::atomic<bool> stop{false};
    std::vector<float> delays;
    void Handled() {
        if (!pending.load()) return;
        delays.push_back(static_cast<float>(WallUs() - pushedUs.load()));
        pending.store(false);
    }
    void Push() {
        std::mt19937 gen(7);
        std::uniform_real_distribution<double> gap(1000, 9000);
        while (!stop.load()) {
            std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int>(gap(gen))));
            if (pending.load()) continue;
            SDL_Event e{};
            e.type = SDL_KEYDOWN;
            e.key.state = SDL_PRESSED;
            e.key.keysym.sym = SDLK_z;  // a key the game ignores
            e.key.keysym.scancode = SDL_SCANCODE_Z;
            pushedUs.store(WallUs());
            pending.store(true);
            SDL_PushEvent(&e);
        }
    }
};

bool ResizeTo(desktop::SdlHost& host, const std::string& how) {
    SDL_Window* w = host.Window();
    if (how == "fs") {
        SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        const int s = std::atoi(how.c_str());
        SDL_SetWindowFullscreen(w, 0);
        SDL_SetWindowSize(w, 640 * s, 480 * s);
        SDL_SetWindowPosition(w, 0, 0);
    }
    // Let the window manager and SDL catch up before measuring.
    const double until = WallSeconds() + 1.0;
    while (WallSeconds() < until) {
        host.Yield(10000);
        int ww = 0, hh = 0;
        SDL_GetWindowSize(w, &ww, &hh);
        if (how != "fs" && ww == 640 * std::atoi(how.c_str()) && hh == 480 * std::atoi(how.c_str()) &&
            WallSeconds() > until - 0.7)
            return true;
    }
    return how == "fs";
}

std::vector<std::string> Split(const std::string& s) {
    std::vector<std::string> out;
    size_t a = 0;
    while (a <= s.size()) {
        const size_t b = std::min(s.find(',', a), s.size());
        if (b > a) out.push_back(s.substr(a, b - a));
        a = b + 1;
    }
    return out;
}

struct Case {
    int gear, setting;
};

// How late a bare sleep of `us` wakes on this machine as it is now: the floor
// under any loop that sleeps, which only polling, at its cost, gets below.
std::vector<float> WakeLateness(double us, int n) {
    std::vector<float> late;
    late.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double start = WallUs();
        std::this_thread::sleep_for(std::chrono::nanoseconds(static_cast<long>(us * 1000)));
        late.push_back(static_cast<float>(WallUs() - start - us));
    }
    return late;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], bench::kSpin) == 0) bench::Spin();
    double seconds = 2.5;
    int load = 0;
    std::vector<std::string> scales;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--load" && i + 1 < argc) load = std::atoi(argv[++i]);
        else if (a == "--window" && i + 1 < argc) scales = Split(argv[++i]);
        else seconds = std::atof(argv[i]);
    }
    const bool windowed = !scales.empty();
    if (windowed && !bench::HasDisplay()) {
        std::fprintf(stderr, "trakmor-bench: --window needs an X display (DISPLAY)\n");
        return 1;
    }
    if (!windowed) bench::SetDefault("SDL_VIDEODRIVER", "dummy");
    bench::SetDefault("SDL_AUDIODRIVER", "dummy");
    std::printf("machine loadavg=%s load=%d\n", bench::LoadAverage().c_str(), load);
    bench::Load loadProcesses(load);

    desktop::SdlHost host;
    if (!host.Open("Trakmor bench")) {
        std::fprintf(stderr, "trakmor-bench: %s\n", host.Error().c_str());
        return 1;
    }
    platform::SdlCounter counter;
    platform::FakeDisplayDriver display;
    BenchPlayer player;
    QuietRoad road;
    ui::Window window;
    BenchPump pump(host);
    platform::NativeFileStore files;
    game::Form1 f(game::Services{window, counter, display, player, pump, road, files, "/nonexistent/Trakmor_B.spd"});
    host.Attach(window, [] {});
    f.Form_Load();
    pump.form = &f;
    std::vector<std::string> lines;
    char line[320];

    if (windowed) {
        std::printf("%-6s %-9s %-10s %-8s %-8s %-8s %-8s %-7s %s\n", "scale", "frame_us", "presents/s", "p50_us",
                    "p99_us", "pace", "busy", "cpu", "late_p99_us");
        for (const std::string& s : scales) {
            if (!ResizeTo(host, s)) std::fprintf(stderr, "trakmor-bench: window not at scale %s\n", s.c_str());
            for (const int setting : {100, 250, 400, 500}) {
                const auto [r, busy] = RideBoth(f, pump, 4, setting, seconds);
                const double frameUs = 3125.0 * 100 / setting;
                const double p50 = Percentile(r.costs, 0.5), p99 = Percentile(r.costs, 0.99);
                std::printf("%-6s %-9.1f %-10.1f %-8.0f %-8.0f %-8.4f %-8.4f %-7.3f %.0f\n", s.c_str(), frameUs,
                            r.presentsPerS, p50, p99, r.ratio, busy.ratio, r.cpu, Percentile(r.late, 0.99));
                std::snprintf(line, sizeof line,
                              "window scale=%s frame_us=%.0f load=%d presents_per_s=%.0f present_p50_us=%.0f "
                              "present_p99_us=%.0f pace=%.4f cpu=%.3f busy_pace=%.4f late_p99_us=%.0f "
                              "gave_way_per_present=%.1f",
                              s.c_str(), frameUs, load, r.presentsPerS, p50, p99, r.ratio, r.cpu, busy.ratio,
                              Percentile(r.late, 0.99), r.presents > 0 ? r.gaveWay / r.presents : 0.0);
                lines.push_back(line);
                std::fflush(stdout);
            }
        }
    } else {
        const std::vector<Case> cases = {{1, 100}, {2, 100}, {3, 100}, {4, 100}, {4, 500}};
        std::printf("%-5s %-8s %-9s %-8s %-8s %-7s %-8s %-8s %-8s %-8s %s\n", "gear", "setting", "frame_us", "pace",
                    "busy", "cpu", "busy_cpu", "late_p50", "late_p99", "late_max", "busy_p99");
        for (const Case& c : cases) {
            const auto [real, busy] = RideBoth(f, pump, c.gear, c.setting, seconds);
            const double p50 = Percentile(real.late, 0.5), p99 = Percentile(real.late, 0.99),
                         mx = Percentile(real.late, 1.0);
            const double bp50 = Percentile(busy.late, 0.5), bp99 = Percentile(busy.late, 0.99),
                         bmx = Percentile(busy.late, 1.0);
            std::printf("%-5d %-8d %-9.1f %-8.4f %-8.4f %-7.3f %-8.3f %-8.0f %-8.0f %-8.0f %.0f\n", c.gear, c.setting,
                        50000.0 / ((1 << c.gear) * c.setting / 100.0), real.ratio, busy.ratio, real.cpu, busy.cpu, p50,
                        p99, mx, bp99);
            std::fflush(stdout);
            std::snprintf(line, sizeof line,
                          "pace gear=%d setting=%d load=%d ratio=%.4f busy_ratio=%.4f cpu=%.3f busy_cpu=%.3f poll_us=%.0f",
                          c.gear, c.setting, load, real.ratio, busy.ratio, real.cpu, busy.cpu, real.pollUs);
            lines.push_back(line);
            std::snprintf(line, sizeof line,
                          "late gear=%d setting=%d load=%d p50_us=%.0f p99_us=%.0f max_us=%.0f busy_p99_us=%.0f "
                          "busy_p50_us=%.0f busy_max_us=%.0f",
                          c.gear, c.setting, load, p50, p99, mx, bp99, bp50, bmx);
            lines.push_back(line);
        }

    }

    // The same thread, so the same timer slack as the game's waits.
    for (const auto& [us, n] : {std::pair{1000.0, 600}, std::pair{5000.0, 300}}) {
        const std::vector<float> w = WakeLateness(us, n);
        std::snprintf(line, sizeof line, "wake sleep_us=%.0f load=%d p50_us=%.0f p99_us=%.0f max_us=%.0f", us, load,
                      Percentile(w, 0.5), Percentile(w, 0.99), Percentile(w, 1.0));
        lines.push_back(line);
    }

    // Input: from a key's arrival to the game's handler, mid-ride.
    KeyProbe probe;
    probe.delays.reserve(4000);
    const auto handler = window.KeyDown;
    window.KeyDown = [&](int16_t code, int16_t shift) {
        probe.Handled();
        handler(code, shift);
    };
    for (const Case c : {Case{2, 100}, Case{4, 500}}) {
        probe.delays.clear();
        probe.stop = false;
        probe.pending = false;
        std::thread pusher([&probe] { probe.Push(); });
        Ride(f, pump, c.gear, c.setting, false, seconds);
        probe.stop = true;
        pusher.join();
        std::snprintf(line, sizeof line, "input gear=%d setting=%d load=%d p50_us=%.0f p99_us=%.0f max_us=%.0f n=%zu",
                      c.gear, c.setting, load, Percentile(probe.delays, 0.5), Percentile(probe.delays, 0.99),
                      Percentile(probe.delays, 1.0), probe.delays.size());
        lines.push_back(line);
    }
    window.KeyDown = handler;

    // Cues: from the game's request to the device buffer that takes the first
    // samples, a cue every 20 ms on average during rides at the fastest frames;
    // on the device as the game opens it, and as it was opened before (the cues'
    // 11025 Hz with 512 frames), for a ratio taken in one run.
    platform::SdlWavePlayer::Options before;
    before.frequency = 11025;
    before.format = AUDIO_U8;
    before.channels = 1;
    before.samples = 512;
    before.allowedChanges = 0;
    before.realtimeThread = false;
    for (const auto& [device, options] : {std::pair{"own", platform::SdlWavePlayer::Options{}}, std::pair{"11025/512", before}}) {
        platform::SdlWavePlayer sound(options);
        if (sound.HasDevice()) {
            player.real = &sound;
            // Past the device's start, which is not the cues' business.
            SDL_Delay(300);
            pump.cueEveryUs = 20000;
            sound.MeasureTiming(static_cast<size_t>(seconds * 3 * 100) + 100);
            for (int i = 0; i < 3; ++i) Ride(f, pump, 4, 500, false, seconds);
            pump.cueEveryUs = 0;
            const platform::SdlWavePlayer::Timing t = sound.TakeTiming();
            player.real = nullptr;
            const char* driver = SDL_GetCurrentAudioDriver();
            std::snprintf(line, sizeof line,
                          "cue device=%s load=%d latency_ms=%.1f/%.1f max_ms=%.1f underruns=%llu n=%zu buffers=%llu "
                          "buffer_ms=%.1f rate=%d driver=%s thread=%s%d",
                          device, load, Percentile(t.latencyMs, 0.5), Percentile(t.latencyMs, 0.99),
                          Percentile(t.latencyMs, 1.0), static_cast<unsigned long long>(t.late), t.latencyMs.size(),
                          static_cast<unsigned long long>(t.buffers), sound.BufferMs(), sound.DeviceFormat().freq,
                          driver ? driver : "none", sound.SoundThread().realtime ? "rt" : "nice",
                          sound.SoundThread().level);
            lines.push_back(line);
        } else {
            lines.push_back(std::string("cue device=") + device + " no audio device");
        }
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
    loadProcesses.Stop();
    const desktop::SdlHost::Stats stats = host.GetStats();
    const double presentUs = stats.handOvers ? stats.presentUs / static_cast<double>(stats.handOvers) : 0;
    std::printf("\nDrawSprites %.1f us, two memcpy %.1f us, present %.1f us on the game's thread (%llu presents)\n",
                drawUs, memcpyUs, presentUs, static_cast<unsigned long long>(stats.presents));
    for (const auto& l : lines) std::printf("%s\n", l.c_str());
    std::printf("draw drawsprites_us=%.1f memcpy_us=%.1f present_us=%.1f\n", drawUs, memcpyUs, presentUs);
    std::printf("machine loadavg=%s\n", bench::LoadAverage().c_str());
    return 0;
}
