#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The gateway's file system, held in memory: absolute paths to file contents.
class FileStore {
public:
    // Adds every regular file below `root`; a file root/WEB/python/x.py becomes /WEB/python/x.py.
    bool LoadTree(const std::filesystem::path& root, std::string* error);

    void Put(const std::string& path, std::string content);
    const std::string* Find(const std::string& path) const;
    bool Remove(const std::string& path);
    // Name and size of every file directly inside `dir`, by name.
    std::vector<std::pair<std::string, std::size_t>> List(const std::string& dir) const;

    // Absolute, no empty or "." / ".." components, no trailing slash.
    static bool IsValidPath(const std::string& path);

private:
    std::map<std::string, std::string> files_;
};
