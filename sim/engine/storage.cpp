#include "engine/storage.h"

#include <system_error>

namespace fs = std::filesystem;

namespace mfd::sim {

bool MemoryStorage::create(const std::string &relPath)
{
    files_[relPath].clear();
    return true;
}

bool MemoryStorage::append(const std::string &relPath, const std::uint8_t *data, std::size_t n)
{
    auto it = files_.find(relPath);
    if (it == files_.end())
        return false;
    it->second.insert(it->second.end(), data, data + n);
    return true;
}

DirectoryStorage::DirectoryStorage(fs::path root)
{
    std::error_code ec;
    fs::create_directories(root, ec);
    root_ = fs::weakly_canonical(root, ec);
    if (ec)
        root_ = fs::absolute(root);
}

DirectoryStorage::~DirectoryStorage() = default;

fs::path DirectoryStorage::resolve(const std::string &relPath) const
{
    const fs::path rel(relPath);
    if (relPath.empty() || rel.is_absolute() || rel.has_root_name() || rel.has_root_directory())
        return {};
    fs::path full = root_;
    for (const fs::path &part : rel) {
        const std::string s = part.string();
        if (s.empty() || s == "." || s == ".." || s.find('/') != std::string::npos)
            return {};
        full /= part;
        std::error_code ec;
        // A link placed inside the root by someone else must not lead the write elsewhere.
        if (fs::is_symlink(fs::symlink_status(full, ec)))
            return {};
    }
    return full;
}

bool DirectoryStorage::create(const std::string &relPath)
{
    const fs::path full = resolve(relPath);
    if (full.empty())
        return false;
    std::error_code ec;
    fs::create_directories(full.parent_path(), ec);
    if (ec)
        return false;
    auto out = std::make_unique<std::ofstream>(full, std::ios::binary | std::ios::trunc);
    if (!*out)
        return false;
    open_[relPath] = std::move(out);
    return true;
}

bool DirectoryStorage::append(const std::string &relPath, const std::uint8_t *data, std::size_t n)
{
    auto it = open_.find(relPath);
    if (it == open_.end()) {
        const fs::path full = resolve(relPath);
        if (full.empty())
            return false;
        auto out = std::make_unique<std::ofstream>(full, std::ios::binary | std::ios::app);
        if (!*out)
            return false;
        it = open_.emplace(relPath, std::move(out)).first;
    }
    std::ofstream &out = *it->second;
    out.write(reinterpret_cast<const char *>(data), std::streamsize(n));
    // Whoever looks at the folder (a test, a person) sees each acknowledged block at once.
    out.flush();
    return bool(out);
}

void DirectoryStorage::close(const std::string &relPath)
{
    open_.erase(relPath);
}

} // namespace mfd::sim
