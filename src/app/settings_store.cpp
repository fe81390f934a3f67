#include "settings_store.h"

#include <cstdlib>

#include "data_paths.h"
#include "endless_games.h"

namespace spinvale {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string ownFile(const std::string& folder) {
    return folder.empty() ? "" : folder + "/settings.dat";
}

}  // namespace

SettingsStore::SettingsStore(const std::string& namedPath, const std::string& dataDir)
    : path_(namedPath.empty() ? settingsPaths(dataDir).find("settings.dat") : namedPath),
      named_(!namedPath.empty()),
      ownFolder_(userConfigDirectory()),
      settings_(loadSettings(path_, warnings_)) {
    const std::string endless = endlessGameWarning(settings_);
    if (!endless.empty()) {
        warnings_.push_back(endless);
    }
    display_ = readDisplayChoices(path_, warnings_);
}

// A recording's first line names the settings file the game read, in full.
std::string SettingsStore::fullPath() const {
    char* resolved = realpath(path_.c_str(), nullptr);
    if (resolved == nullptr) {
        return path_;
    }
    const std::string full = resolved;
    std::free(resolved);
    return full;
}

const GameSettings& SettingsStore::reload() {
    std::vector<std::string> told;  // at start
    settings_ = loadSettings(path_, told);
    layOver(choices_, settings_);
    return settings_;
}

std::string SettingsStore::keep(const PlayerChoices& choices) {
    choices_ = choices;
    layOver(choices_, settings_);
    layOver(choices_, display_);
    const std::string path = ownFile(ownFolder_);
    if (path.empty()) {
        return "";  // the choices last until the game ends, as the menu says
    }
    SettingsRecord record{};
    std::string error;
    if (!readSettingsRecord(path, record, error)) {
        record = SettingsRecord{};
        encodeSettings(settings_, record);
    }
    std::vector<std::string> ignored;  // the file's own problems are not the menu's
    DisplayChoices display = readDisplayChoices(path, ignored);
    layOver(choices_, record);
    layOver(choices_, display);
    error.clear();
    if (!makeDirectories(ownFolder_, error) || !writeSettingsRecord(path, record, display, error)) {
        problem_ = "The choices could not be kept: " + error;
        return error;
    }
    problem_.clear();
    return "";
}

std::vector<std::string> SettingsStore::menuNotes() const {
    std::vector<std::string> notes = {
        keptInNote(ownFile(ownFolder_), path_, named_, environment("HOME"))};
    if (!problem_.empty()) {
        notes.push_back(problem_);
    }
    return notes;
}

std::vector<std::string> SettingsStore::takeWarnings() {
    std::vector<std::string> told;
    told.swap(warnings_);
    return told;
}

std::string keptInNote(const std::string& savePath, const std::string& readPath,
                       bool namedOnCommandLine, const std::string& home) {
    if (savePath.empty()) {
        return "Choices last until you quit: without HOME or XDG_CONFIG_HOME there is no "
               "folder to keep them in.";
    }
    const bool inHome = !home.empty() && savePath.rfind(home + "/", 0) == 0;
    const std::string shown = inHome ? "~" + savePath.substr(home.size()) : savePath;
    if (namedOnCommandLine) {
        return "Choices are kept in " + shown + ", but this game reads " + readPath +
               " (named with --settings), which it never writes.";
    }
    if (readPath.find('/') == std::string::npos) {
        return "Choices are kept in " + shown +
               ", but the settings.dat in the working folder comes first and is never written.";
    }
    return "Choices are kept in " + shown + ".";
}

}  // namespace spinvale
