// The stroke coach: it follows player 1's strokes in the updates it is fed, and plays each
// stroke again on copies of the match with the click moved and the paddle on either side.
#include <algorithm>
#include <cmath>
#include <vector>

#include "practice.h"
#include "trace.h"

namespace spinvale {

namespace {

constexpr int64_t keptMs = 4000;  // the click's search, the swings tried and a whole flight
constexpr std::size_t keptUpdates = 8192;
// The press that started the stroke's swing came at most this long before the strike; one
// that came too late, after the ball, at most this long after it.
constexpr int64_t clickSearchMs = 1000;
constexpr int64_t lateClickMs = 300;
// Landings this near the target's middle line are all as good as the middle: among them
// the advice takes the smallest change to the player's stroke.
constexpr double middleSpotCm = 20;
// A swing goes 70 degrees out and back at a quarter of a degree per millisecond: presses up
// to this long before the strike give every angle the paddle can meet the ball at.
constexpr int64_t swingWindowMs = 600;
constexpr int64_t maxPressesTried = 40;
constexpr int64_t flightLimitMs = 4000;  // a stalled ball is a let within three seconds
constexpr int64_t flightLimitUpdates = 20000;
constexpr double halfWidth = double(tableWidth) / 2;
constexpr double halfLength = double(tableLength) / 2;

using History = std::deque<StrokeCoach::Entry>;

// The player's stroke in the history (indices into it): the update that struck the ball,
// the press that started its swing and the release after it (-1 when none).
struct Stroke {
    int64_t strike = 0;
    int64_t click = -1;
    int64_t release = -1;
    PaddleSide side = PaddleSide::Forehand;  // the side the paddle struck the ball with
};

// One way of playing the stroke: the swing started at another update (an index into the
// history), the paddle on the player's side or the other, and where the ball went.
struct Try {
    int64_t press = -1;
    bool otherSide = false;
    ReturnOutcome outcome = ReturnOutcome::Missed;
    float landingX = 0;
};

// Update i's command with the stroke's click taken out and put at press instead, released
// as long after it as the player's was (a quick click when there was none). Past the last
// command known the pointer is held still.
UpdateInput movedClick(const History& h, const Stroke& stroke, int64_t i, int64_t press) {
    UpdateInput c;
    if (i < int64_t(h.size())) {
        c = h[i].command;
    } else {
        c.elapsedMs = h.back().command.elapsedMs;
        c.pointerX = h.back().command.pointerX;
        c.pointerY = h.back().command.pointerY;
    }
    if (i == stroke.click || i == stroke.release) {
        c.button = ButtonMessage::None;
    }
    const int64_t held = stroke.click < 0     ? 1
                         : stroke.release < 0 ? -1
                                              : stroke.release - stroke.click;
    if (i == press) {
        c.button = ButtonMessage::Pressed;
    } else if (press >= 0 && held > 0 && i == press + held) {
        c.button = ButtonMessage::Released;
    }
    return c;
}

ReturnOutcome onTargetOrNot(ReturnOutcome outcome, float landingX, PracticeTarget target) {
    const bool off = (target == PracticeTarget::Left && !(landingX < 0)) ||
                     (target == PracticeTarget::Right && !(landingX > 0));
    return outcome == ReturnOutcome::In && off ? ReturnOutcome::OffTarget : outcome;
}

// From the state before the strike, the try's stroke and its flight until the ball is
// decided. The paddle is held on the side the player struck with, or on the other, whatever
// the moved swing's lock of the side would have left. A try whose paddle does not strike the
// ball is a miss.
Try follow(Match m, const History& h, const Stroke& stroke, Try t) {
    const PaddleSide other =
        stroke.side == PaddleSide::Forehand ? PaddleSide::Backhand : PaddleSide::Forehand;
    m.state.paddle1.side = t.otherSide ? other : stroke.side;
    StrokeCoach::FlightWatch watch;
    int64_t ms = 0;
    for (int64_t i = stroke.strike; !watch.outcome; ++i) {
        const UpdateInput c = movedClick(h, stroke, i, t.press);
        stepMatch(m, c);
        if (i == stroke.strike && m.state.rallyState != P1Shot) {
            return t;
        }
        watch.see(m.state);
        ms += c.elapsedMs;
        if (!watch.outcome && (ms > flightLimitMs || i - stroke.strike > flightLimitUpdates)) {
            watch.outcome = watch.exit.value_or(ReturnOutcome::Net);
        }
    }
    t.outcome = onTargetOrNot(*watch.outcome, watch.landingX, m.practice.target);
    t.landingX = watch.landingX;
    return t;
}

// The presses tried: updates from the swing window's start to the strike itself, at most
// maxPressesTried of them evenly spread, and the player's own.
std::vector<int64_t> pressesToTry(const History& h, const Stroke& stroke) {
    int64_t first = stroke.strike;
    while (first > 0 && h[stroke.strike].endMs - h[first - 1].endMs <= swingWindowMs) {
        --first;
    }
    const int64_t stride = (stroke.strike - first) / maxPressesTried + 1;
    std::vector<int64_t> presses;
    for (int64_t i = stroke.strike; i >= first; i -= stride) {
        presses.push_back(i);
    }
    if (stroke.click >= 0 && stroke.click < stroke.strike &&
        std::find(presses.begin(), presses.end(), stroke.click) == presses.end()) {
        presses.push_back(stroke.click);
    }
    std::sort(presses.begin(), presses.end());
    return presses;
}

// Every press tried, with the paddle on each side. The commands before a try's press are
// those of a stroke with no click at all, so each try starts from that one timeline's state
// before its press.
std::vector<Try> tryStrokes(const History& h, const Stroke& stroke) {
    const std::vector<int64_t> presses = pressesToTry(h, stroke);
    const int64_t start = presses.front();
    std::vector<Match> unclicked;
    Match m = h[start].before;
    for (int64_t i = start; i < stroke.strike; ++i) {
        unclicked.push_back(m);
        stepMatch(m, movedClick(h, stroke, i, -1));
    }
    unclicked.push_back(m);
    std::vector<Try> tries;
    for (const int64_t press : presses) {
        Match beforeStrike = unclicked[press - start];
        for (int64_t i = press; i < stroke.strike; ++i) {
            stepMatch(beforeStrike, movedClick(h, stroke, i, press));
        }
        for (const bool otherSide : {false, true}) {
            tries.push_back(follow(beforeStrike, h, stroke, Try{press, otherSide}));
        }
    }
    return tries;
}

// On the target first, then anywhere on the far half, then the rest.
int rank(ReturnOutcome outcome) {
    return outcome == ReturnOutcome::In ? 0 : outcome == ReturnOutcome::OffTarget ? 1 : 2;
}

// Nearest the middle of the target, and among the tries that land as near, the smallest
// change to the player's stroke.
const Try* bestTry(const std::vector<Try>& tries, const History& h, const Stroke& stroke,
                   PracticeTarget target) {
    const double middleX = target == PracticeTarget::Any    ? 0
                           : target == PracticeTarget::Left ? -halfWidth / 2
                                                            : halfWidth / 2;
    // The swing steers the ball sideways; how deep it lands is the stance's.
    const auto distance = [&](const Try& t) {
        return std::max(std::fabs(double(t.landingX) - middleX), middleSpotCm);
    };
    const int64_t reference = stroke.click >= 0 ? stroke.click : stroke.strike;
    const auto change = [&](const Try& t) {
        return std::abs(h[t.press].endMs - h[reference].endMs) + (t.otherSide ? 1 : 0);
    };
    const auto score = [&](const Try& t) { return rank(t.outcome) * 10000.0 + distance(t); };
    double nearest = 20000;
    for (const Try& t : tries) {
        nearest = std::min(nearest, score(t));
    }
    const Try* best = nullptr;
    for (const Try& t : tries) {
        if (score(t) <= nearest + 1 && (best == nullptr || change(t) < change(*best))) {
            best = &t;
        }
    }
    return best;
}

// The stroke the history holds: its strike, and the last press before it (else the first
// one soon after it, too late), with its release.
Stroke strokeAt(const History& h, int64_t strike) {
    Stroke stroke;
    stroke.strike = strike;
    stroke.side = h[strike + 1].before.state.paddle1.side;
    const auto pressed = [&h](int64_t i) { return h[i].command.button == ButtonMessage::Pressed; };
    for (int64_t i = strike; i >= 0 && h[strike].endMs - h[i].endMs <= clickSearchMs; --i) {
        if (pressed(i)) {
            stroke.click = i;
            break;
        }
    }
    for (int64_t i = strike + 1;
         stroke.click < 0 && i < int64_t(h.size()) && h[i].endMs - h[strike].endMs <= lateClickMs;
         ++i) {
        stroke.click = pressed(i) ? i : -1;
    }
    for (int64_t i = stroke.click + 1; stroke.click >= 0 && i < int64_t(h.size()); ++i) {
        if (h[i].command.button == ButtonMessage::Released) {
            stroke.release = i;
            break;
        }
    }
    return stroke;
}

StrokeFeedback advise(const History& h, int64_t strikeNumber,
                      const StrokeCoach::FlightWatch& actual, PracticeTarget target) {
    StrokeFeedback f;
    f.outcome = onTargetOrNot(*actual.outcome, actual.landingX, target);
    f.landingX = actual.landingX;
    f.landingZ = actual.landingZ;
    f.strikeUpdate = strikeNumber;
    const int64_t strike = strikeNumber - h.front().number;
    if (strike < 0) {
        return f;  // the history no longer reaches back to the stroke
    }
    const Stroke stroke = strokeAt(h, strike);
    f.clicked = stroke.click >= 0;
    f.clickUpdate = f.clicked ? h[stroke.click].number : -1;
    const std::vector<Try> tries = tryStrokes(h, stroke);
    const Try* best = bestTry(tries, h, stroke, target);
    if (best != nullptr) {
        f.adviceFound = true;
        f.bestOutcome = best->outcome;
        f.timingMs = f.clicked ? int32_t(h[best->press].endMs - h[stroke.click].endMs) : 0;
        f.sideMatched = !best->otherSide;
    }
    return f;
}

}  // namespace

// A ball that lands on the far half is decided at that bounce; one that drops dead first
// went over a side or the far end if it left the far half's outline, else into the net.
void StrokeCoach::FlightWatch::see(const MatchState& s) {
    if (s.rallyState == P2ToReturn) {
        outcome = ReturnOutcome::In;
        landingX = s.ballX;
        landingZ = s.ballZ;
        return;
    }
    if (s.rallyState != P1Shot) {
        outcome = exit.value_or(ReturnOutcome::Net);
        return;
    }
    const bool wide = std::fabs(double(s.ballX)) >= halfWidth;
    if (!exit && s.ballZ < 0 && (wide || s.ballZ <= -halfLength)) {
        exit = wide ? ReturnOutcome::Wide : ReturnOutcome::Long;
    }
}

std::optional<StrokeFeedback> StrokeCoach::observe(const Match& before,
                                                   const UpdateInput& command) {
    std::optional<StrokeFeedback> feedback;
    if (!history_.empty() && matchHash(after_) != matchHash(before)) {
        history_.clear();
        strike_.reset();
    }
    if (!history_.empty()) {
        feedback = judge(history_.back().before.state, before);
    }
    clockMs_ += command.elapsedMs;
    history_.push_back({before, command, fed_++, clockMs_});
    after_ = before;
    stepMatch(after_, command);
    forgetOld();
    return feedback;
}

std::optional<StrokeFeedback> StrokeCoach::judge(const MatchState& before, const Match& after) {
    const RallyState now = after.state.rallyState;
    if (!strike_) {
        if (before.rallyState != P1ToReturn || now == P1ToReturn) {
            return std::nullopt;
        }
        if (now != P1Shot) {
            return StrokeFeedback{};  // the ball went by the paddle
        }
        strike_ = history_.back().number;
        watch_ = FlightWatch{};
    }
    watch_.see(after.state);
    if (!watch_.outcome) {
        return std::nullopt;
    }
    const StrokeFeedback feedback = advise(history_, *strike_, watch_, after.practice.target);
    strike_.reset();
    return feedback;
}

// While a ball is in flight everything since its stroke is kept; otherwise the last few
// seconds, enough for the next stroke's click and swing.
void StrokeCoach::forgetOld() {
    while (history_.size() > keptUpdates ||
           (!strike_ && clockMs_ - history_.front().endMs > keptMs)) {
        history_.pop_front();
    }
}

}  // namespace spinvale
