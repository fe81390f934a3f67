#include "output_sink.h"

#include "recording.h"
#include "trace.h"

namespace spinvale {

OutputSink::OutputSink(std::ostream* record, std::ostream* trace, PlaySounds playSounds, bool live)
    : record_(record), trace_(trace), playSounds_(std::move(playSounds)), live_(live) {}

void OutputSink::takeOne(const DriverUpdate& u) {
    if (record_ != nullptr) {
        if (u.settings) {
            *record_ << formatSettingsLine(*u.settings) << '\n';
        }
        if (u.newGame) {
            *record_ << formatNewGameLine(*u.newGame) << '\n';
        }
        if (u.number > 0) {
            *record_ << formatUpdateLine(u.command) << '\n';
        }
    }
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
