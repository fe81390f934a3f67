#include "output_sink.h"

#include "recording.h"
#include "trace.h"

namespace spinvale {

OutputSink::OutputSink(std::ostream* record, std::ostream* trace, PlaySounds playSounds, bool live)
    : record_(record), trace_(trace), playSounds_(std::move(playSounds)), live_(live) {}

void OutputSink::record(const DriverUpdate& u) {
    std::ostream& out = *record_;
    if (u.settings) {
        out << formatSettingsLine(*u.settings) << '\n';
        recorded_ = *u.settings;
    }
    if (u.newGame) {
        out << formatNewGameLine(*u.newGame) << '\n';
        recorded_ = *u.newGame;
    }
    if (u.practice) {
        out << formatPracticeLine(u.practice->rules, u.practice->settings) << '\n';
        recorded_ = u.practice->settings;
    }
    if (u.number == 0) {
        return;
    }
    out << formatUpdateLine(u.command) << '\n';
    if (u.after.settings != recorded_) {
        recorded_ = u.after.settings;
        out << formatSettingsLine(recorded_) << '\n';
    }
}

void OutputSink::count(const DriverUpdate& u) {
    if (u.number == 0 || u.newGame || u.practice) {
        statistics_ = GameStatistics{};
        last_.reset();
    }
    if (last_) {
        statistics_.count(*last_, u.after);
    }
    last_ = u.after;
}

void OutputSink::takeOne(const DriverUpdate& u) {
    if (record_ != nullptr) {
        record(u);
    }
    count(u);
    if (trace_ != nullptr) {
        *trace_ << formatTraceLine(u.number, u.command.elapsedMs, u.after) << '\n';
    }
    if (u.number > 0) {
        if (playSounds_) {
            playSounds_(u.after.requests);
        }
        ++updates_;
    }
}

void OutputSink::take(const std::vector<DriverUpdate>& updates) {
    for (const DriverUpdate& u : updates) {
        takeOne(u);
    }
    if (live_ && !updates.empty()) {
        for (std::ostream* out : {record_, trace_}) {
            if (out != nullptr) {
                out->flush();
            }
        }
    }
}

}  // namespace spinvale
