// Quit ends the program at once wherever it is handled: inside a sound cue,
// inside the loop's wait, inside the display-mode routines, inside a ride that
// runs nested in another. Nothing after it runs, and the status is 0.
#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "headless/driver_session.h"
#include "platform/program_exit.h"

namespace {

constexpr int kEscape = 27, kQ = 81, kK = 75;

// The player's events as a queue, handled in order wherever the game gives
// way. As in a real window, a handler that gives way (a sound cue) handles the
// events queued after its own. An event may wait for a condition.
class QueuedEvents final : public platform::EventPump {
public:
    struct Event {
        std::function<bool()> due;
        std::function<void()> run;
    };
    struct OutOfTime {};

    explicit QueuedEvents(platform::FakeCounter& counter) : counter_(counter) {}

    double NowUs() const { return static_cast<double>(counter_.now) * 1e6 / static_cast<double>(counter_.Frequency()); }

    void Yield(double remainingUs) override {
        while (!events.empty() && (!events.front().due || events.front().due())) {
            const Event e = std::move(events.front());
            events.pop_front();
            e.run();
        }
        const double nextTimer = window ? window->RunDueTimers() : -1;
        if (remainingUs <= 0) return;
        double step = std::clamp(std::ceil(remainingUs / 2), 1.0, 1000.0);
        if (nextTimer >= 0) step = std::min(step, std::max(nextTimer, 1.0));
        counter_.AdvanceMicroseconds(step);
        // A quit that never comes must fail the test, not hang it.
        if (NowUs() > 60e6) throw OutOfTime{};
    }

    std::deque<Event> events;
    ui::Window* window = nullptr;

private:
    platform::FakeCounter& counter_;
};

class QuitTest : public ::testing::Test {
protected:
    QuitTest() {
        window.Clock = [this] { return pump.NowUs(); };
        pump.window = &window;
        display.current = {640, 480, 32, 60};
        display.Offer(640, 480, 32, 60);
        display.Offer(640, 480, 16, 60);
        straight.fallback = 0.4;  // a road without turns or obstacles
        form = std::make_unique<game::Form1>(
            game::Services{window, counter, display, player, pump, straight, files, dir.path() / "Trakmor_B.spd"});
    }

    // Queues an event that runs once `due` holds (at once when none is given).
    void When(std::function<bool()> due, std::function<void()> run) { pump.events.push_back({std::move(due), std::move(run)}); }
    void Then(std::function<void()> run) { When(nullptr, std::move(run)); }
    std::function<bool()> After(double ms) {
        return [this, ms] { return pump.NowUs() >= ms * 1000; };
    }
    void Click(ui::Element& e) { EXPECT_TRUE(window.ClickElement(e)) << e.FullName(); }
    // What the desktop does on the window's close button or a quit signal.
    void CloseRequest() { form->Command4_Click(); }
    // The last event: due once the clock moves after the frame timer is gone.
    // The quit's own restore lets events run, but from then on nothing waits.
    void Afterwards() {
        When(
            [this] {
                if (!form->frameTimer && releasedAtUs < 0) releasedAtUs = pump.NowUs();
                return releasedAtUs >= 0 && pump.NowUs() > releasedAtUs;
            },
            [this] { ranAfterQuit = true; });
    }

    // Loads the window unless done, then handles events as the desktop's idle
    // loop does; the exit status, or -1 when the program was not ended.
    int Play(bool load = true) {
        try {
            if (load) form->Form_Load();
            for (;;) pump.Yield(1e9);
        } catch (const platform::ProgramExit& quit) {
            return quit.exitStatus;
        } catch (const QueuedEvents::OutOfTime&) {
            return -1;
        }
    }

    // Steps 1-5 of the quit were done and nothing played after them.
    void ExpectQuitDone() {
        EXPECT_FALSE(ranAfterQuit);
        EXPECT_EQ(form->gameRunning, game::kFalse);
        EXPECT_FALSE(form->Timer2.Enabled());
        EXPECT_EQ(form->frameTimer, nullptr);
        ASSERT_GE(player.calls.size(), 5u);
        for (size_t i = player.calls.size() - 5; i < player.calls.size(); ++i)
            EXPECT_EQ(player.calls[i].image, nullptr) << "call " << i << " is not a stop";
        EXPECT_EQ(display.current.bits, 32u);
    }
    size_t Sounds() const {
        return static_cast<size_t>(std::count_if(player.calls.begin(), player.calls.end(),
                                                 [](const auto& c) { return c.image != nullptr; }));
    }
    // The road's edges where the car is.
    int16_t RoadLeft() const { return static_cast<int16_t>((form->roadColumn[form->carGridRow] - 2) * 32); }

    testing_support::TempDir dir;
    platform::FakeCounter counter{1000000};
    QueuedEvents pump{counter};
    ui::Window window;
    platform::FakeDisplayDriver display;
    headless::SilentWavePlayer player;
    testing_support::ScriptedRandom straight;
    platform::NativeFileStore files;
    std::unique_ptr<game::Form1> form;
    bool ranAfterQuit = false;
    double releasedAtUs = -1;
};

TEST_F(QuitTest, ClickedInsideACueOfTheLoopsCollisionCheck) {
    int bombRow = -1;
    size_t soundsBefore = 0;
    int16_t damageBefore = -1;
    When(After(10), [this] { Click(form->Command1); });
    When(After(100), [this] { form->form_KeyDown(kQ, 0); });
    When(After(200), [&] {
        // A bomb right ahead of the car, met at the next steering step.
        bombRow = (form->carGridRow + 1) % game::kGridRows;
        form->obstacleGrid[game::kBomb][bombRow] = static_cast<int16_t>(form->carX / 32 + 1);
        damageBefore = form->damage;
    });
    // The bomb is gone from the grid and the car not yet stopped: its cue is starting.
    When([&] { return bombRow >= 0 && form->obstacleGrid[game::kBomb][bombRow] == 0 && form->speed > 1; },
         [&] {
             soundsBefore = Sounds();
             window.OnKeyDown(kEscape);
         });
    Then([this] { Click(form->Command4); });
    Afterwards();
    ASSERT_EQ(Play(), 0);
    ExpectQuitDone();
    // The bomb's own sound never played, and the collision check went no further.
    EXPECT_EQ(Sounds(), soundsBefore);
    EXPECT_EQ(form->damage, damageBefore);
}

TEST_F(QuitTest, ClosedInsideACueOfAKeyHandledInTheWait) {
    size_t soundsBefore = 0;
    int16_t damageBefore = -1;
    When(After(10), [this] { Click(form->Command1); });
    When(After(100), [this] { window.OnKeyDown(kQ); });
    When(After(200), [&] {
        // One step to the left takes the car off the road.
        form->carX = static_cast<int16_t>(RoadLeft() + 2);
        soundsBefore = Sounds();
        damageBefore = form->damage;
        ASSERT_GT(form->speed, 1);
        window.OnKeyDown(kK);
    });
    Then([this] { CloseRequest(); });
    Afterwards();
    const int16_t speedInRide = 4;
    ASSERT_EQ(Play(), 0);
    ExpectQuitDone();
    EXPECT_EQ(form->carX, RoadLeft());
    EXPECT_EQ(Sounds(), soundsBefore);
    EXPECT_EQ(form->damage, damageBefore);
    EXPECT_EQ(form->speed, speedInRide);  // the off-road penalty never ran
}

TEST_F(QuitTest, FromTheMenuInsideTheWait) {
    When(After(10), [this] { Click(form->Command1); });
    When(After(100), [this] { window.OnKeyDown(kQ); });
    When(After(300), [this] { window.OnKeyDown(kEscape); });
    When(After(350), [this] { Click(form->Command4); });
    Afterwards();
    EXPECT_EQ(Play(), 0);
    ExpectQuitDone();
}

TEST_F(QuitTest, ClosedInsideTheWait) {
    When(After(10), [this] { Click(form->Command1); });
    When(After(100), [this] { window.OnKeyDown(kQ); });
    When(After(300), [this] { CloseRequest(); });
    Afterwards();
    EXPECT_EQ(Play(), 0);
    ExpectQuitDone();
    EXPECT_GT(form->Picturex[0]->Top(), 0) << "the ride never ran";
}

TEST_F(QuitTest, FromTheIntroPanelWithNoRide) {
    When(After(500), [this] { Click(form->Command5); });
    Afterwards();
    EXPECT_EQ(Play(), 0);
    ExpectQuitDone();
    EXPECT_TRUE(form->Picture4.Visible());
}

TEST_F(QuitTest, ClosedWhileStartUpLooksForTheDisplayMode) {
    // The first events run while the modes are being listed, before any switch.
    Then([this] { CloseRequest(); });
    Afterwards();
    EXPECT_EQ(Play(), 0);
    ExpectQuitDone();
    // The rest of the load handler never ran.
    EXPECT_TRUE(form->Skill.Items().empty());
    EXPECT_TRUE(display.ChangesWith(platform::CDS_UPDATEREGISTRY).size() <= 1);
    for (const auto& c : display.changes) EXPECT_EQ(c.mode.dmBitsPerPel, 32u);
}

TEST_F(QuitTest, ClosedRightAfterTheSwitchToTheGamesMode) {
    When([this] { return display.current.bits == 16; }, [this] { CloseRequest(); });
    Afterwards();
    EXPECT_EQ(Play(), 0);
    ExpectQuitDone();
    EXPECT_TRUE(form->Skill.Items().empty());
    // The game's mode was switched to but never stored as the user's setting.
    for (const auto& c : display.ChangesWith(platform::CDS_UPDATEREGISTRY)) EXPECT_EQ(c.mode.dmBitsPerPel, 32u);
}

TEST_F(QuitTest, ASecondQuitDuringTheQuitsOwnRestore) {
    size_t restores = 0;
    When(After(10), [this] { Click(form->Command1); });
    When(After(200), [&] {
        window.OnKeyDown(kEscape);
        restores = display.ChangesWith(platform::CDS_FULLSCREEN).size();
        Click(form->Command4);
    });
    // Runs inside the restore of the first quit, with the menu still up.
    When([&] { return display.ChangesWith(platform::CDS_FULLSCREEN).size() > restores; },
         [this] { Click(form->Command4); });
    Afterwards();
    EXPECT_EQ(Play(), 0);
    ExpectQuitDone();
}

TEST_F(QuitTest, InsideARideNestedInAnother) {
    // New Game and Start within one frame: the first ride's loop goes on and the
    // second runs inside its wait.
    int depth = 0, depthAtQuit = 0;
    const auto tick = form->Timer2.TimerTick;
    form->Timer2.TimerTick = [&depth, tick] {
        struct Nest {
            int& d;
            ~Nest() { --d; }
        } nest{++depth};
        tick();
    };
    When(After(10), [this] { Click(form->Command1); });
    When(After(100), [this] { window.OnKeyDown(kQ); });
    When(After(150), [this] {
        window.OnKeyDown(kEscape);
        Click(form->Command3);
        Click(form->Command1);
    });
    When([&] { return depth == 2 && pump.NowUs() >= 400e3; }, [this] { window.OnKeyDown(kQ); });
    When([&] { return pump.NowUs() >= 500e3; }, [&] {
        depthAtQuit = depth;
        window.OnKeyDown(kEscape);
        Click(form->Command4);
    });
    Afterwards();
    EXPECT_EQ(Play(), 0);
    EXPECT_EQ(depthAtQuit, 2);
    EXPECT_EQ(depth, 0);  // both loops were left
    ExpectQuitDone();
}

// The first fault found: a click on Quit handled inside a bomb's cue went on
// into the ride with the frame timer released.
TEST(QuitThroughTheDriver, QuitInsideACueEndsTheDriver) {
    testing_support::TempDir dir;
    const std::vector<std::string> script = {"seed 1", "click Command1", "run 150", "set obstacleGrid(1,1) 10",
                                             "run 50", "key down 27", "click Command4", "get carX", "run 1000"};
    size_t read = 0;
    std::vector<std::string> replies;
    headless::DriverSession session(
        [&]() -> std::optional<std::string> {
            if (read == script.size()) return std::nullopt;
            return script[read++];
        },
        [&](const std::string& reply) { replies.push_back(reply); },
        headless::DriverOptions{.settingsFile = dir.path() / "Trakmor_B.spd"});
    EXPECT_EQ(session.Run(), 0);
    EXPECT_EQ(read, 7u) << "the driver read on after the quit";
    // One reply a command read, the quitting click's included.
    EXPECT_EQ(replies, std::vector<std::string>(7, "ok"));
}

} // namespace
