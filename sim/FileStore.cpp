#include "FileStore.h"

#include <fstream>
#include <sstream>

bool FileStore::LoadTree(const std::filesystem::path& root, std::string* error) {
    std::error_code code;
    if (!std::filesystem::is_directory(root, code)) {
        return true;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, code)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        if (!in) {
            *error = "cannot read " + entry.path().string();
            return false;
        }
        Put("/" + entry.path().lexically_relative(root).generic_string(), content.str());
    }
    if (code) {
        *error = "cannot list " + root.string() + ": " + code.message();
        return false;
    }
    return true;
}

void FileStore::Put(const std::string& path, std::string content) {
    files_[path] = std::move(content);
}

const std::string* FileStore::Find(const std::string& path) const {
    const auto found = files_.find(path);
    return found == files_.end() ? nullptr : &found->second;
}

bool FileStore::Remove(const std::string& path) {
    return files_.erase(path) > 0;
}

std::vector<std::pair<std::string, std::size_t>> FileStore::List(const std::string& dir) const {
    const std::string prefix = dir.ends_with('/') ? dir : dir + "/";
    std::vector<std::pair<std::string, std::size_t>> entries;
    for (auto it = files_.lower_bound(prefix); it != files_.end() && it->first.starts_with(prefix);
         ++it) {
        const std::string name = it->first.substr(prefix.size());
        if (name.find('/') == std::string::npos) {
            entries.emplace_back(name, it->second.size());
        }
    }
    return entries;
}

bool FileStore::IsValidPath(const std::string& path) {
    if (path.size() < 2 || path.front() != '/' || path.back() == '/') {
        return false;
    }
    std::istringstream parts(path.substr(1));
    std::string part;
    while (std::getline(parts, part, '/')) {
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
    }
    return true;
}
