// Replacing a whole file so that a crash, a full disk or a failing write never leaves it half
// written: the new content goes into a temporary file in the same folder, is flushed to disk and
// then renamed over the old file. Readers see the old file or the new one, never a mix.
//
// A symbolic link is followed: its target is replaced, the link stays. An existing file keeps its
// permissions; a new one gets those an ordinary create would give. Temporary files are named
// ".<name>.tmp-<pid>-XXXXXX"; ones left by a process that died are removed on the next write.
//
// Plain C++, no exceptions; every failure goes to debugLog() with the reason.
#pragma once

#include <cstddef>
#include <string>

// true when the file now holds exactly the data; false (and the old file unchanged) otherwise.
bool replaceFileAtomically(const std::string& path, const void* data, std::size_t size);

// Test hook: called at each stage of a write; returning false makes that stage fail as a disk
// error would. nullptr (the default) removes it.
enum class AtomicWriteStage { created, partWritten, synced, renaming };
using AtomicWriteHook = bool (*)(AtomicWriteStage stage, const std::string& target);
void setAtomicWriteHookForTesting(AtomicWriteHook hook);
