#include "profile/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "ProfileFixture.h"
#include "profile/FileNameCase.h"

using namespace profiletest;
using testsupport::fromHex;
using testsupport::readFile;
using testsupport::writeBytes;
using testsupport::writeFile;

namespace {

class ProfileFile : public ProfileFixture {};

std::vector<uint8_t> fileBytes(const std::string& head, std::size_t payload, uint8_t value) {
    std::vector<uint8_t> bytes = fromHex(head);
    bytes.resize(bytes.size() + payload, value);
    return bytes;
}

}  // namespace

TEST_F(ProfileFile, WritesTheHeaderAndPayload) {
    const std::vector<uint8_t> payload = {1, 2, 3};
    for (uint16_t tag : {1, 2, 3, 0x0102}) {
        ASSERT_TRUE(writeProfileFile(dir.file("p.led"), payload.data(), payload.size(), tag));
        std::vector<uint8_t> expected = fromHex("AA55 0000");
        expected.insert(expected.end(), {uint8_t(tag), uint8_t(tag >> 8), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3});
        EXPECT_EQ(readFile(dir.file("p.led")), std::string(expected.begin(), expected.end())) << tag;
    }
}

TEST_F(ProfileFile, ReadFollowsTheMagicAndLengthRules) {
    const std::string header = "AA55 0000 0300 00000000 00000000 0000";  // a pad tag: never compared
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int result;
        std::size_t filled;  // payload bytes expected to hold 0x5A; the rest must be 0
    } cases[] = {
        {"header only", fileBytes(header, 0, 0), ProfileRead, 0},
        {"short payload", fileBytes(header, 10, 0x5A), ProfileRead, 10},
        {"exact payload", fileBytes(header, 64, 0x5A), ProfileRead, 64},
        {"long file", fileBytes(header, 5000, 0x5A), ProfileRead, 64},
        {"big-endian magic", fileBytes("55AA 0000 0100 00000000 00000000 0000", 64, 0x5A), ProfileBadFormat, 0},
        {"empty", {}, ProfileBadFormat, 0},
        {"one byte", fromHex("AA"), ProfileBadFormat, 0},
        {"cut in the header", fromHex("AA55 0000 01"), ProfileBadFormat, 0},
        {"not a profile", fileBytes("", 200, 'x'), ProfileBadFormat, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(dir.file("f.led"), c.file);
        std::vector<uint8_t> payload(64, 0xEE);
        EXPECT_EQ(readProfileFile(dir.file("f.led"), payload.data(), payload.size()), c.result);
        for (std::size_t i = 0; i < payload.size(); ++i) {
            uint8_t expected = c.result != ProfileRead ? 0xEE : (i < c.filled ? 0x5A : 0);
            ASSERT_EQ(payload[i], expected) << "byte " << i;
        }
    }
}

TEST_F(ProfileFile, WhatCannotBeReadAsAFileIsMissing) {
    uint8_t payload[64] = {};
    EXPECT_EQ(readProfileFile(dir.file("absent.led"), payload, 64), ProfileMissing);
    testsupport::makeDirs(dir.file("folder.led"));
    EXPECT_EQ(readProfileFile(dir.file("folder.led"), payload, 64), ProfileMissing);
    // A FIFO must not block the reader waiting for a writer.
    ASSERT_EQ(::mkfifo(dir.file("pipe.led").c_str(), 0600), 0);
    EXPECT_EQ(readProfileFile(dir.file("pipe.led"), payload, 64), ProfileMissing);
    writeBytes(dir.file("locked.led"), fileBytes("AA55", 30, 1));
    ::chmod(dir.file("locked.led").c_str(), 0);
    if (::geteuid() != 0) {
        EXPECT_EQ(readProfileFile(dir.file("locked.led"), payload, 64), ProfileMissing);
    }
}

TEST_F(ProfileFile, NamesMatchWithoutRegardToCaseAndNeverMakeTwins) {
    const std::vector<uint8_t> payload(512, 7);
    writeBytes(dir.file("kbdengdefault.Led"), fileBytes("AA55 0000 0100 00000000 00000000 0000", 4, 9));
    std::vector<uint8_t> read(4, 0);
    EXPECT_EQ(readProfileFile(dir.file("kbdengdefault.led"), read.data(), 4), ProfileRead);
    EXPECT_EQ(read, std::vector<uint8_t>(4, 9));

    // Saved as ".pro" onto a file the user has as ".PRO": one file, the user's spelling.
    writeBytes(dir.file("新配置文件1.PRO"), fileBytes("AA55", 14 + 512, 0));
    ASSERT_TRUE(writeProfileFile(dir.file("新配置文件1.pro"), payload.data(), payload.size(), 1));
    EXPECT_FALSE(std::filesystem::exists(dir.file("新配置文件1.pro")));
    std::vector<uint8_t> back(512, 0);
    EXPECT_EQ(readProfileFile(dir.file("新配置文件1.pro"), back.data(), back.size()), ProfileRead);
    EXPECT_EQ(back, payload);

    // Twins made elsewhere: the exact spelling wins, else the first in byte order.
    writeFile(dir.file("Twin.led"), "A");
    writeFile(dir.file("twin.led"), "B");
    EXPECT_EQ(findFileIgnoringCase(dir.file("twin.led")), dir.file("twin.led"));
    EXPECT_EQ(findFileIgnoringCase(dir.file("TWIN.led")), dir.file("Twin.led"));
    EXPECT_EQ(findFileIgnoringCase(dir.file("twins.led")), "");
}

namespace {
AtomicWriteStage g_failAt;
bool failAt(AtomicWriteStage stage, const std::string&) { return stage != g_failAt; }
}  // namespace

TEST_F(ProfileFile, AFailedWriteLeavesTheOldFileAndSaysSo) {
    const std::vector<uint8_t> oldPayload(2048, 1), newPayload(2048, 2);
    testsupport::makeDirs(dir.file("w"));
    const std::string path = dir.file("w/keep.led");
    ASSERT_TRUE(writeProfileFile(path, oldPayload.data(), oldPayload.size(), 1));
    ::chmod(path.c_str(), 0640);
    const std::string before = readFile(path);
    for (AtomicWriteStage stage : {AtomicWriteStage::created, AtomicWriteStage::partWritten,
                                   AtomicWriteStage::synced, AtomicWriteStage::renaming}) {
        SCOPED_TRACE(int(stage));
        g_log.clear();
        g_failAt = stage;
        setAtomicWriteHookForTesting(failAt);
        EXPECT_FALSE(writeProfileFile(path, newPayload.data(), newPayload.size(), 1));
        EXPECT_FALSE(writeProfileFile(dir.file("w/new.led"), newPayload.data(), newPayload.size(), 1));
        setAtomicWriteHookForTesting(nullptr);
        EXPECT_EQ(readFile(path), before);
        EXPECT_EQ(filesIn(dir.file("w")), std::vector<std::string>{"keep.led"});  // no temporary left
        EXPECT_TRUE(logged("文件打开失败"));
    }
    ASSERT_TRUE(writeProfileFile(path, newPayload.data(), newPayload.size(), 1));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ProfileFile, WritingThroughALinkReplacesItsTarget) {
    const std::vector<uint8_t> payload(64, 3);
    writeFile(dir.file("real.led"), "old");
    std::filesystem::create_symlink(dir.file("real.led"), dir.file("link.led"));
    ASSERT_TRUE(writeProfileFile(dir.file("link.led"), payload.data(), payload.size(), 2));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.led")));
    EXPECT_EQ(readFile(dir.file("real.led")).size(), 16u + 64u);
}

TEST_F(ProfileFile, ReadersNeverSeeAHalfWrittenFile) {
    const std::string path = dir.file("shared.config");
    const std::vector<uint8_t> ones(2560, 1), twos(2560, 2);
    ASSERT_TRUE(writeProfileFile(path, ones.data(), ones.size(), 1));
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 60; ++i) {
            const auto& payload = i % 2 ? ones : twos;
            writeProfileFile(path, payload.data(), payload.size(), 1);
        }
        done = true;
    });
    int reads = 0, torn = 0;
    while (!done || reads == 0) {
        std::vector<uint8_t> payload(2560, 0);
        const int result = readProfileFile(path, payload.data(), payload.size());
        const bool whole = std::all_of(payload.begin(), payload.end(), [&](uint8_t b) { return b == payload[0]; });
        torn += result != ProfileRead || !whole || (payload[0] != 1 && payload[0] != 2);
        ++reads;
    }
    writer.join();
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
}
