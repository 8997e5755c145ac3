// Files for the tests without Qt: a temporary directory that cleans up after itself, and
// whole files read and written as bytes.
#pragma once

#include <string>
#include <vector>

// A fresh directory under the system's temporary directory, removed with its contents (also
// when a test took its write permission away).
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    const std::string& path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // Names of the entries of the directory, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string m_path;
};

// Each throws std::runtime_error when the file cannot be written or read.
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
// Whether anything (a dangling symbolic link included) has this name.
bool Exists(const std::string& path);
