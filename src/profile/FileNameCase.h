// File names that match without regard to case, as on the file system the profile files were
// first kept on. The program spells some names differently at different places ("kbdengdefault.Led"
// and "kbdengdefault.led", key profiles opened as ".PRO" and saved as ".pro"), and users copy
// files in from elsewhere; on Linux all of these must still be the same file, never two.
//
// Only ASCII letters fold. When a folder holds several spellings of one name, an exact match
// wins, else the first in byte order, so the choice is the same on every call.
#pragma once

#include <string>
#include <string_view>

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b);

// The existing file path names, in whatever case it has on disk; "" when there is none.
std::string findFileIgnoringCase(const std::string& path);

// Where a write to path must go so that it replaces an existing spelling instead of adding a
// twin: the existing file's path, or path itself when nothing matches.
std::string pathForWriting(const std::string& path);
