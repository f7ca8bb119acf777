#ifndef BENCH_LEVELFILES_H
#define BENCH_LEVELFILES_H

#include <algorithm>
#include <filesystem>
#include <vector>

namespace goalbox::bench {

// Appends the level files a path on the command line stands for: a directory, every *.txt file
// in it, sorted by name; anything else, itself (a missing file is reported when it is loaded).
inline void appendLevelFiles(const std::filesystem::path& path,
                             std::vector<std::filesystem::path>& levels) {
    if (!std::filesystem::is_directory(path)) {
        levels.push_back(path);
        return;
    }
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file() && entry.path().extension() == ".txt") {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    levels.insert(levels.end(), found.begin(), found.end());
}

} // namespace goalbox::bench

#endif
