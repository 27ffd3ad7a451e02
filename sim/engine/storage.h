#pragma once
// Where the simulated unit keeps the files it receives. The engine only ever hands over
// relative paths it has already sanitised; the directory implementation checks again, so that
// no path the shell sends can reach outside the unit's own folder.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mfd::sim {

class Storage {
public:
    virtual ~Storage() = default;
    // Creates the file (and its folders), emptying it if it exists. False when it cannot.
    virtual bool create(const std::string &relPath) = 0;
    // Appends to a file made by create(). False when it cannot.
    virtual bool append(const std::string &relPath, const std::uint8_t *data, std::size_t n) = 0;
    // No further appends to this file are expected for now.
    virtual void close(const std::string &relPath) = 0;
};

// Keeps every file in memory: for tests.
class MemoryStorage : public Storage {
public:
    bool create(const std::string &relPath) override;
    bool append(const std::string &relPath, const std::uint8_t *data, std::size_t n) override;
    void close(const std::string &) override {}

    const std::map<std::string, std::vector<std::uint8_t>> &files() const { return files_; }

private:
    std::map<std::string, std::vector<std::uint8_t>> files_;
};

// Files under one root folder on disk.
class DirectoryStorage : public Storage {
public:
    explicit DirectoryStorage(std::filesystem::path root);
    ~DirectoryStorage() override;

    bool create(const std::string &relPath) override;
    bool append(const std::string &relPath, const std::uint8_t *data, std::size_t n) override;
    void close(const std::string &relPath) override;

    const std::filesystem::path &root() const { return root_; }
    // The full path for relPath, or empty when it would not stay inside the root (a "..", an
    // absolute part, or a symbolic link anywhere on the way).
    std::filesystem::path resolve(const std::string &relPath) const;

private:
    std::filesystem::path root_;
    std::map<std::string, std::unique_ptr<std::ofstream>> open_;
};

} // namespace mfd::sim
