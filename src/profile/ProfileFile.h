// Profile files: a 16-byte header followed by a raw copy of mirror areas (the payload).
//
//   offset 0   2 bytes   magic 0x55AA little-endian, i.e. the bytes AA 55
//   offset 2   2 bytes   0
//   offset 4   2 bytes   device tag, little-endian: 1 keyboard, 2 mouse, 3 mouse pad
//   offset 6  10 bytes   0
//   offset 16            payload, its size fixed by the kind of profile (ProfileLists.h)
//
// Only the magic is checked on reading. The tag is written but never compared, so a file of one
// device loads into another device's list.
//
// Both calls find an existing file whatever the case of its name (FileNameCase.h); a write
// replaces the existing spelling rather than adding a second file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::size_t kProfileHeaderSize = 16;

enum ProfileTag : uint16_t { ProfileTagKeyboard = 1, ProfileTagMouse = 2, ProfileTagPad = 3 };

enum ProfileReadResult : int { ProfileRead = 0, ProfileMissing = 1, ProfileBadFormat = -1 };

// Reads the payload of the file at path into payload[0..payloadSize).
//   0 (ProfileRead)       read; a short file fills only its own length and the rest of the
//                         buffer is set to zero; a long file is read only to payloadSize
//   1 (ProfileMissing)    no such file, or it cannot be opened or read as a regular file; the
//                         buffer is unchanged
//  -1 (ProfileBadFormat)  the first two bytes are not AA 55, or the file ends inside the header;
//                         the buffer is unchanged
int readProfileFile(const std::string& path, uint8_t* payload, std::size_t payloadSize);

// Writes header (with tag) and payload, atomically (AtomicFile.h). false when the file could not
// be written: the old file is unchanged and "文件打开失败" went to the debug log.
bool writeProfileFile(const std::string& path, const uint8_t* payload, std::size_t payloadSize, uint16_t tag);

std::array<uint8_t, kProfileHeaderSize> profileFileHeader(uint16_t tag);
