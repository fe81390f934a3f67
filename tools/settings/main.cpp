// spinvale-settings: shows and changes the binary settings file, so that nobody edits it
// by hand. Writing keeps every field it is not asked to change and replaces the file in one
// step; a bad value leaves the file untouched.
#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "data_paths.h"
#include "endless_games.h"
#include "settings_file.h"
#include "settings_options.h"

namespace {

using namespace spinvale;

const std::string usage =
    "Usage: spinvale-settings show [FILE]\n"
    "       spinvale-settings write [FILE] [OPTION VALUE]...\n"
    "Shows or changes Spinvale's settings file (default FILE: the one the game reads; for\n"
    "write, your own: $XDG_CONFIG_HOME/spinvale/settings.dat, by default in ~/.config).\n"
    "\n"
    "write changes the named fields and keeps the others (from FILE when it is a complete\n"
    "settings file, else the built-in settings). Options:\n" +
    settingsOptionsHelp() +
    "  --help, --version\n"
    "\n"
    "Exit status: 0 done, 1 the file could not be read or written, 2 bad usage or value.\n";

int fail(int status, const std::string& message) {
    std::cerr << "spinvale-settings: " << message << "\n";
    return status;
}

std::string show(double value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

// What the game will say about these settings: fields it cannot use, and settings under
// which games may never end (the file is written all the same).
void warnAbout(const SettingsRecord& record, const std::string& path,
               std::vector<std::string> warnings) {
    const GameSettings settings = decodeSettings(record, path, warnings);
    const std::string endless = endlessGameWarning(settings);
    if (!endless.empty()) {
        warnings.push_back(path + ": " + endless);
    }
    for (const std::string& w : warnings) {
        std::cerr << "spinvale-settings: warning: " << w << "\n";
    }
}

int showFile(const std::string& path) {
    SettingsRecord record{};
    std::string error;
    if (!readSettingsRecord(path, record, error)) {
        return fail(1, "cannot read " + path + ": " + error +
                           " (the game then uses the built-in settings)");
    }
    const auto line = [](const std::string& name, const std::string& value) {
        std::cout << "  " << name << std::string(18 - name.size(), ' ') << value << "\n";
    };
    std::cout << path << "\n";
    for (const SettingsField& f : settingsFields) {
        line(f.name, f.type == FieldType::Int32 ? std::to_string(readInt32(record, f))
                                                : show(readDouble(record, f)));
    }
    std::vector<std::string> warnings;
    const DisplayChoices display = readDisplayChoices(path, warnings);
    line("fullscreen", std::to_string(int(display.fullscreen)));
    line("sound", std::to_string(int(display.sound)));
    line("samples", std::to_string(display.samples));
    warnAbout(record, path, warnings);
    return 0;
}

struct Change {
    const SettingsOption* option;
    std::string value;
};

// Writes the changes into the named file, else into the player's own settings file (its
// folder made when missing).
int writeFile(std::string path, const std::vector<Change>& changes) {
    if (path.empty()) {
        const std::string folder = userConfigDirectory();
        std::string error;
        if (folder.empty()) {
            return fail(1,
                        "no configuration folder: set HOME or XDG_CONFIG_HOME, or name the file");
        }
        if (!makeDirectories(folder, error)) {
            return fail(1, error);
        }
        path = folder + "/settings.dat";
    }
    SettingsRecord record{};
    std::string error;
    if (!readSettingsRecord(path, record, error)) {
        record = defaultSettingsRecord();
    }
    for (const Change& change : changes) {
        change.option->apply(record, change.value);
    }
    // The window and sound choices the game's menu keeps after the record stay as they are.
    std::vector<std::string> warnings;
    if (!writeSettingsRecord(path, record, readDisplayChoices(path, warnings), error)) {
        return fail(1, error);
    }
    warnAbout(record, path, warnings);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words;
    std::vector<Change> changes;
    CommandLine commandLine("spinvale-settings", usage);
    commandLine.words(words, 0, 2);
    // Each value is checked as it is read; the file is read and changed only once all are good.
    for (const SettingsOption& option : settingsOptions) {
        commandLine.option(option.name, [&changes, &option](const std::string& value) {
            SettingsRecord scratch = defaultSettingsRecord();
            if (!option.apply(scratch, value)) {
                return std::string(option.expected);
            }
            changes.push_back({&option, value});
            return std::string();
        });
    }
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    const std::string command = words.empty() ? "" : words[0];
    const std::string path = words.size() > 1 ? words[1] : "";
    if (command != "show" && command != "write") {
        return fail(
            2, (command.empty() ? "no command given" : "unknown command '" + command + "'") + "\n" +
                   usage);
    }
    if (command == "show") {
        if (!changes.empty()) {
            return fail(2, "show takes no options, only a file");
        }
        return showFile(path.empty() ? settingsPaths().find("settings.dat") : path);
    }
    return writeFile(path, changes);
}
