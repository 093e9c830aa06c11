#pragma once
#include <optional>

// The desktop loop's timing decisions, kept free of clocks and SDL so that a
// test can drive them with made-up times. All times are in microseconds.
namespace sdl {

// When the composed window is next handed to the presenter. Hand-overs keep to
// a grid of display refreshes, so that the scroll the player sees moves by the
// same number of pixels between two refreshes.
struct PresentSchedule {
    double dueUs = 0;

    // Whether a changed window should be handed over now. `remainingUs` is what
    // the current frame still has to wait (0 or less outside a frame's wait);
    // `costUs` what a hand-over usually costs and `pollUs` the stretch kept for
    // polling at the end of the wait. A hand-over that does not fit waits for a
    // roomier moment, but never longer than one refresh past its time.
    bool Due(double nowUs, double periodUs, double remainingUs, double costUs, double pollUs) const;
    // After a hand-over at `nowUs`: the next is one refresh later on the grid, or
    // one refresh from now when the grid has been left behind (nothing changed
    // for a while, or a stall).
    void HandedOver(double nowUs, double periodUs);
};

// How one step of a frame's wait is spent.
struct WaitStep {
    enum class Kind {
        Poll,        // return at once: the caller tests its deadline and comes back
        Sleep,       // a precise sleep of `us`
        WaitEvents,  // wait for input for up to `ms` milliseconds
    };
    Kind kind = Kind::Poll;
    double us = 0;
    int ms = 0;
};

// `remainingUs`: until the frame's deadline; `nextTimerUs`: until the next
// window timer (negative when none); `presentInUs`: until a pending hand-over
// (negative when none); `pollUs`: the stretch before the deadline that is
// polled, not slept, because a sleep may wake late.
WaitStep PlanWait(double remainingUs, double nextTimerUs, double presentInUs, double pollUs);

// Learns how late sleeps wake and keeps the polled stretch just longer than a
// usual late wake-up: it rises quickly after a late one and sinks slowly, so
// it settles near the worst of the common cases. Rare very late wake-ups
// count only up to a cap: sized for them, the stretch would cost a core.
class SleepMargin {
public:
    static constexpr double kCapUs = 400;
    static constexpr double kFloorUs = 40;
    void Overslept(double overshootUs);
    double PollUs() const;
    double EstimateUs() const { return estimateUs_; }

private:
    double estimateUs_ = 60;
};

// What handing a frame over costs on the game's thread, learned from recent
// hand-overs: an upper quartile. One slow sample (the thread was preempted)
// moves it only a little, so one bad moment cannot hold hand-overs back.
class CostEstimate {
public:
    // `share`: the part of the costs it settles above (three in four by default).
    explicit CostEstimate(double firstGuessUs = 150, double share = 0.75) : us_(firstGuessUs), share_(share) {}
    void Measured(double us);
    double Us() const { return us_; }

private:
    double us_;
    double share_;
};

// In a turn the browser runs whatever it has pending: now and then a render of
// the page, an audio callback or a timer, which take a millisecond or more. A
// frame's wait that gives the page a turn just before its deadline then ends
// that much late. So a wait keeps room for a long turn before its deadline and
// polls through it; the page still gets a turn at least every kMaxHoldUs,
// whatever the frames' lengths.
class TurnRoom {
public:
    static constexpr double kMaxHoldUs = 8000;
    // Turns this long or longer teach what a long turn costs.
    static constexpr double kLongUs = 300;
    // A turn given at `nowUs` that took `tookUs`.
    void Turned(double nowUs, double tookUs);
    // How much of the `remainingUs` left of a frame's wait at `nowUs` may be
    // given to the page: never more than `remainingUs`.
    double RoomUs(double nowUs, double remainingUs) const;
    // The page has been held back for kMaxHoldUs: its next turn is due.
    bool Overdue(double nowUs) const { return nowUs - lastTurnUs_ >= kMaxHoldUs; }
    double LongTurnUs() const { return longTurn_.Us(); }

private:
    double lastTurnUs_ = 0;
    CostEstimate longTurn_{1500, 0.9};
};

// A present cut into steps, each of which can fit the room left in one frame's
// wait: composing the window, then showing it band by band (converting each
// band's rows for the target and handing them over). Where a whole present
// never fits a short frame, its steps spread over the waits of a few frames
// and the picture still comes at every refresh, a little older. Composing,
// which cannot be cut, goes ahead where half of it fits once the present is a
// quarter of a refresh late; and any step that fits no wait is taken anyway
// once the present is a refresh late, so that presenting slows down but never
// stops.
class StagedPresent {
public:
    enum class Step { Compose, Rows };
    struct Next {
        Step step = Step::Compose;
        int rows = 0;  // for Rows: how many, from Row()
    };
    // A picture of `rows` rows; bands of fewer than `minRows` are not worth a
    // step's overhead, unless they are the last.
    explicit StagedPresent(int rows, int minRows = 16) : rows_(rows), minRows_(minRows) {}

    bool Busy() const { return busy_; }
    // Some rows of the new picture are shown and some not yet: the target must
    // not be looked at (the page must not render) until the rest are.
    bool Showing() const { return busy_ && row_ > 0; }
    // A present is wanted from `nowUs` on (the window changed, a refresh came).
    void Begin(double nowUs);
    // The next step, given the `roomUs` left before the polled end of the
    // current wait; `roomUs` <= 0 outside a frame's wait, where every step
    // goes ahead. None when nothing fits yet.
    std::optional<Next> Plan(double nowUs, double roomUs, double periodUs) const;
    // A planned step was taken, in `tookUs`.
    void Took(const Next& next, double tookUs);
    // The first row the next band starts at.
    int Row() const { return row_; }
    // What the steps usually cost.
    double ComposeUs() const { return compose_.Us(); }
    double RowUs() const { return perRows_.Us() / kRowUnit; }

private:
    // A row costs about a microsecond, finer than an estimate keeps: it learns
    // the cost of kRowUnit rows.
    static constexpr int kRowUnit = 64;
    int rows_;
    int minRows_;
    bool busy_ = false;
    bool composed_ = false;
    int row_ = 0;
    double sinceUs_ = 0;
    CostEstimate compose_{150};
    CostEstimate perRows_{100};
};

} // namespace sdl
