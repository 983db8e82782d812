#include "support/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Every test program knows its source and build folders and draws no window on screen, whether
// ctest starts it or a person does; an explicit environment still wins.
struct TestEnvironment {
    TestEnvironment() {
#ifdef ZELKAR_SOURCE_DIR_DEFAULT
        setenv("ZELKAR_SOURCE_DIR", ZELKAR_SOURCE_DIR_DEFAULT, 0);
#endif
#ifdef ZELKAR_BINARY_DIR_DEFAULT
        setenv("ZELKAR_BINARY_DIR", ZELKAR_BINARY_DIR_DEFAULT, 0);
#endif
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
} const testEnvironment;

}  // namespace

namespace testsupport {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/zelkar-test-XXXXXX";
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void makeDirs(const std::string& path) { fs::create_directories(path); }

void writeFile(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    writeFile(path, std::string(bytes.begin(), bytes.end()));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<uint8_t> fromHex(const std::string& hex) {
    std::vector<uint8_t> out;
    int high = -1;
    for (char c : hex) {
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else continue;
        if (high < 0) high = v;
        else { out.push_back(uint8_t(high * 16 + v)); high = -1; }
    }
    return out;
}

std::string toHex(const uint8_t* data, size_t length) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < length; ++i) {
        s += digits[data[i] >> 4];
        s += digits[data[i] & 15];
    }
    return s;
}

}  // namespace testsupport
