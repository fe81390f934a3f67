#include "command_line.h"

#include <charconv>
#include <cstdio>
#include <iostream>

namespace spinvale {

CommandLine::CommandLine(std::string program, std::string usage)
    : program_(std::move(program)), usage_(std::move(usage)) {}

void CommandLine::flag(const std::string& name, std::function<void()> apply) {
    options_.push_back({name, false, [apply](const std::string&) {
                            apply();
                            return std::string();
                        }});
}

void CommandLine::flag(const std::string& name, bool& target, bool value) {
    flag(name, [&target, value] { target = value; });
}

void CommandLine::option(const std::string& name,
                         std::function<std::string(const std::string&)> apply) {
    options_.push_back({name, true, std::move(apply)});
}

void CommandLine::optionalValue(const std::string& name,
                                std::function<std::string(const std::string&)> apply) {
    options_.push_back({name, true, std::move(apply), true});
}

void CommandLine::path(const std::string& name, std::string& target) {
    option(name, [&target](const std::string& value) {
        target = value;
        return value.empty() ? "a name" : "";
    });
}

void CommandLine::whole(const std::string& name, int64_t& target, int64_t least, int64_t most) {
    option(name, [&target, least, most](const std::string& text) {
        int64_t value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (!text.empty() && ec == std::errc() && end == text.data() + text.size() &&
            value >= least && value <= most) {
            target = value;
            return std::string();
        }
        return most == std::numeric_limits<int64_t>::max()
                   ? "a whole number of " + std::to_string(least) + " or more"
                   : "a whole number from " + std::to_string(least) + " to " + std::to_string(most);
    });
}

void CommandLine::real(const std::string& name, double& target, double least, double most) {
    option(name, [&target, least, most](const std::string& text) {
        double value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (!text.empty() && ec == std::errc() && end == text.data() + text.size() &&
            value >= least && value <= most) {
            target = value;
            return std::string();
        }
        char range[64];
        std::snprintf(range, sizeof range, "a number from %g to %g", least, most);
        return std::string(range);
    });
}

void CommandLine::words(std::vector<std::string>& target, std::size_t minWords,
                        std::size_t maxWords) {
    words_ = &target;
    minWords_ = minWords;
    maxWords_ = maxWords;
}

const CommandLine::Option* CommandLine::find(const std::string& name) const {
    for (const Option& o : options_) {
        if (o.name == name) {
            return &o;
        }
    }
    return nullptr;
}

// Takes the argument at i (and its value); false with the reason in error_.
bool CommandLine::take(const std::vector<std::string>& args, std::size_t& i) {
    const std::string& arg = args[i];
    if (arg.empty() || arg[0] != '-' || arg == "-") {
        if (words_ == nullptr || words_->size() >= maxWords_) {
            error_ = words_ == nullptr ? "unknown option '" + arg + "'"
                                       : "one word too many: '" + arg + "'";
            return false;
        }
        words_->push_back(arg);
        return true;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const Option* o = find(name);
    if (o == nullptr) {
        error_ = "unknown option '" + arg + "'";
        return false;
    }
    const bool inlineValue = equals != std::string::npos;
    if (!o->takesValue && inlineValue) {
        error_ = name + " takes no value";
        return false;
    }
    const bool nextIsValue =
        i + 1 < args.size() && (!o->valueOptional || args[i + 1].rfind('-', 0) != 0);
    if (o->takesValue && !inlineValue && !nextIsValue && !o->valueOptional) {
        error_ = name + " needs a value";
        return false;
    }
    const std::string value = inlineValue                    ? arg.substr(equals + 1)
                              : o->takesValue && nextIsValue ? args[++i]
                                                             : "";
    const std::string expected = o->apply(value);
    if (!expected.empty()) {
        error_ = name + " needs " + expected + ", not '" + value + "'";
        return false;
    }
    return true;
}

int CommandLine::bad() const {
    std::cerr << program_ << ": " << error_ << "\n" << usage_;
    return 2;
}

std::optional<int> CommandLine::parse(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help") {
            std::cout << usage_;
            return 0;
        }
        if (arg == "--version") {
            std::cout << program_ << " " SPINVALE_VERSION "\n";
            return 0;
        }
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!take(args, i)) {
            return bad();
        }
    }
    if (words_ != nullptr && words_->size() < minWords_) {
        error_ = "an argument is missing";
        return bad();
    }
    return std::nullopt;
}

std::optional<int> CommandLine::parse(int argc, char** argv) {
    return parse(std::vector<std::string>(argv + 1, argv + argc));
}

}  // namespace spinvale
