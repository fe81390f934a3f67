#include "data_paths.h"

#include <unistd.h>

#include <climits>

namespace spinvale {

namespace {

bool isReadableFile(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

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

DataPaths gameDataPaths() {
    DataPaths paths{{""}};
    const std::string exeDir = executableDirectory();
    if (!exeDir.empty()) {
        paths.folders.push_back(exeDir + "/data");
        paths.folders.push_back(exeDir + "/../share/spinvale");
    }
    return paths;
}

}  // namespace spinvale
