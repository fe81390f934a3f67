#include "data_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace spinvale {

namespace {

bool isReadableFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           access(path.c_str(), R_OK) == 0;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? "" : value;
}

void addDataFolders(DataPaths& paths, const std::string& dataDir) {
    if (!dataDir.empty()) {
        paths.folders.push_back(dataDir);
        return;
    }
    const std::string exeDir = executableDirectory();
    if (!exeDir.empty()) {
        paths.folders.push_back(exeDir + "/data");
        paths.folders.push_back(exeDir + "/" SPINVALE_DATA_FROM_BIN);
        paths.folders.push_back(exeDir + "/" SPINVALE_GAMES_DATA_FROM_BIN);
    }
}

}  // namespace

std::string DataPaths::find(const std::string& name) const {
    for (const std::string& folder : folders) {
        const std::string path = folder.empty() ? name : folder + "/" + name;
        if (isReadableFile(path)) {
            return path;
        }
    }
    return name;
}

std::string executableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return "";
    }
    const std::string exe(path, static_cast<std::size_t>(length));
    return exe.substr(0, exe.find_last_of('/'));
}

namespace {

// $variable/spinvale when the variable holds an absolute path, else ~/underHome/spinvale.
std::string userDirectory(const char* variable, const std::string& underHome) {
    const std::string set = environment(variable);
    if (!set.empty() && set[0] == '/') {
        return set + "/spinvale";
    }
    const std::string home = environment("HOME");
    return home.empty() ? "" : home + "/" + underHome + "/spinvale";
}

}  // namespace

std::string userConfigDirectory() {
    return userDirectory("XDG_CONFIG_HOME", ".config");
}

std::string userStateDirectory() {
    return userDirectory("XDG_STATE_HOME", ".local/state");
}

DataPaths gameDataPaths(const std::string& dataDir) {
    DataPaths paths{{""}};
    addDataFolders(paths, dataDir);
    return paths;
}

DataPaths settingsPaths(const std::string& dataDir) {
    DataPaths paths{{""}};
    const std::string config = userConfigDirectory();
    if (!config.empty()) {
        paths.folders.push_back(config);
    }
    addDataFolders(paths, dataDir);
    return paths;
}

bool isSearchableFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

bool makeDirectories(const std::string& path, std::string& error) {
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string prefix = path.substr(0, at);
        if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
            error = "cannot make " + prefix + ": " + std::strerror(errno);
            return false;
        }
        if (at == std::string::npos) {
            return true;
        }
    }
}

}  // namespace spinvale
