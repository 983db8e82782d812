// Small helpers shared by the test programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A fresh private directory under $TMPDIR (or /tmp), removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& content);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::string readFile(const std::string& path);
void makeDirs(const std::string& path);

std::vector<uint8_t> fromHex(const std::string& hex);  // spaces ignored
std::string toHex(const uint8_t* data, size_t length);

}  // namespace testsupport
