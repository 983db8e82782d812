// Small helpers shared by the test programs.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// A test that needs a built program (or a tool the set-up installs): skipped where it is missing,
// but a failure under ./test.sh, which sets ZELKAR_REQUIRE_PROGRAMS=1 (missing there is a broken
// build or set-up).
#define ZELKAR_NEED_PROGRAM(present, what)                                                    \
    do {                                                                                      \
        if (!(present)) {                                                                     \
            const char* required = std::getenv("ZELKAR_REQUIRE_PROGRAMS");                    \
            if (required && std::strcmp(required, "1") == 0) FAIL() << "missing: " << (what); \
            GTEST_SKIP() << "no " << (what);                                                  \
        }                                                                                     \
    } while (0)

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
