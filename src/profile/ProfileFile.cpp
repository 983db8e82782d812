#include "profile/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "platform/DebugLog.h"
#include "profile/AtomicFile.h"
#include "profile/FileNameCase.h"

namespace {

constexpr uint8_t kMagic[2] = {0xAA, 0x55};

// Reads up to size bytes; the count read, or -1 on an error.
ssize_t readUpTo(int fd, uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += std::size_t(n);
    }
    return ssize_t(done);
}

}  // namespace

std::array<uint8_t, kProfileHeaderSize> profileFileHeader(uint16_t tag) {
    std::array<uint8_t, kProfileHeaderSize> header{};
    header[0] = kMagic[0];
    header[1] = kMagic[1];
    header[4] = uint8_t(tag & 0xFF);
    header[5] = uint8_t(tag >> 8);
    return header;
}

int readProfileFile(const std::string& path, uint8_t* payload, std::size_t payloadSize) {
    const std::string actual = findFileIgnoringCase(path);
    if (actual.empty()) return ProfileMissing;

    // Non-blocking so that a FIFO put in place of a profile cannot hang the caller; anything but a
    // regular file counts as missing.
    int fd = ::open(actual.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return ProfileMissing;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        debugLog("not a regular file: " + actual);
        return ProfileMissing;
    }
    std::vector<uint8_t> bytes(kProfileHeaderSize + payloadSize);
    ssize_t got = readUpTo(fd, bytes.data(), bytes.size());
    int error = errno;
    ::close(fd);
    if (got < 0) {
        debugLog("cannot read " + actual + ": " + std::generic_category().message(error));
        return ProfileMissing;
    }
    const std::size_t length = std::size_t(got);
    if (length < 2 || bytes[0] != kMagic[0] || bytes[1] != kMagic[1]) return ProfileBadFormat;
    if (length < kProfileHeaderSize) return ProfileBadFormat;

    const std::size_t filled = length - kProfileHeaderSize;
    std::copy_n(bytes.begin() + kProfileHeaderSize, filled, payload);
    std::fill(payload + filled, payload + payloadSize, uint8_t(0));
    return ProfileRead;
}

bool writeProfileFile(const std::string& path, const uint8_t* payload, std::size_t payloadSize, uint16_t tag) {
    std::vector<uint8_t> bytes(kProfileHeaderSize + payloadSize);
    const auto header = profileFileHeader(tag);
    std::copy(header.begin(), header.end(), bytes.begin());
    if (payloadSize > 0) std::copy_n(payload, payloadSize, bytes.begin() + kProfileHeaderSize);

    const std::string target = pathForWriting(path);
    if (replaceFileAtomically(target, bytes.data(), bytes.size())) return true;
    debugLog("文件打开失败: " + target);
    return false;
}
