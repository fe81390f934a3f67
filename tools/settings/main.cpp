// spinvale-settings: shows and changes the binary settings file, so that nobody edits it
// by hand. Writing keeps every field it is not asked to change and replaces the file in one
// step; a bad value leaves the file untouched.
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "data_paths.h"
#include "settings_file.h"
#include "settings_options.h"

namespace {

using namespace spinvale;

const std::string usage =
    std::string(
        "Usage: spinvale-settings show [FILE]\n"
        "       spinvale-settings write [FILE] [OPTION VALUE]...\n"
        "Shows or changes Spinvale's settings file (default FILE: settings.dat).\n"
        "\n"
        "write changes the named fields and keeps the others (from FILE when it is a complete\n"
        "settings file, else the built-in settings). Options:\n") +
    settingsOptionsHelp +
    "  --help, --version\n"
    "\n"
    "Exit status: 0 done, 1 the file could not be read or written, 2 bad usage or value.\n";

[[noreturn]] void fail(int status, const std::string& message) {
    std::cerr << "spinvale-settings: " << message << "\n";
    std::exit(status);
}

std::string show(double value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

// The user's own settings file, its folder made when missing.
std::string userSettingsFile() {
    const std::string folder = userConfigDirectory();
    std::string error;
    if (folder.empty()) {
        fail(1, "no configuration folder: set HOME or XDG_CONFIG_HOME, or name the file");
    }
    if (!makeDirectories(folder, error)) {
        fail(1, error);
    }
    return folder + "/settings.dat";
}

int showFile(const std::string& path) {
    SettingsRecord record{};
    std::string error;
    if (!readSettingsRecord(path, record, error)) {
        fail(1,
             "cannot read " + path + ": " + error + " (the game then uses the built-in settings)");
    }
    std::cout << path << "\n";
    for (const SettingsField& f : settingsFields) {
        std::cout << "  " << f.name << std::string(18 - std::string(f.name).size(), ' ');
        if (f.type == FieldType::Int32) {
            std::cout << readInt32(record, f) << "\n";
        } else {
            std::cout << show(readDouble(record, f)) << "\n";
        }
    }
    std::vector<std::string> warnings;
    decodeSettings(record, path, warnings);
    for (const std::string& w : warnings) {
        std::cerr << "spinvale-settings: warning: " << w << "\n";
    }
    return 0;
}

int writeFile(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& changes) {
    SettingsRecord record{};
    std::string error;
    if (!readSettingsRecord(path, record, error)) {
        record = defaultSettingsRecord();
    }
    for (const auto& [option, value] : changes) {
        if (!applySettingsOption(record, option, value, error)) {
            fail(2, error + "; the file was not changed");
        }
    }
    if (!writeSettingsRecord(path, record, error)) {
        fail(1, error);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args) {
        if (a == "--help") {
            std::cout << usage;
            return 0;
        }
        if (a == "--version") {
            std::cout << "spinvale-settings " SPINVALE_VERSION "\n";
            return 0;
        }
    }
    if (args.empty() || (args[0] != "show" && args[0] != "write")) {
        fail(2,
             std::string(args.empty() ? "no command given" : "unknown command '" + args[0] + "'") +
                 "\n" + usage);
    }
    const std::string command = args[0];
    std::string path;
    std::vector<std::pair<std::string, std::string>> changes;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            if (!path.empty()) {
                fail(2, "more than one file named: '" + path + "' and '" + a + "'");
            }
            path = a;
            continue;
        }
        if (command == "show") {
            fail(2, "show takes no options, only a file");
        }
        const std::size_t equals = a.find('=');
        if (equals != std::string::npos) {
            changes.emplace_back(a.substr(0, equals), a.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            changes.emplace_back(a, args[++i]);
        } else {
            fail(2, a + " needs a value");
        }
    }
    if (command == "show") {
        return showFile(path.empty() ? settingsPaths().find("settings.dat") : path);
    }
    if (path.empty()) {
        path = userSettingsFile();
    }
    return writeFile(path, changes);
}
