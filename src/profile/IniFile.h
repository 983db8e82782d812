// INI files with the private-profile semantics the profile lists and "main.ini" were made with.
//
// Text is UTF-8 (a UTF-8 byte-order mark at the start is tolerated and kept). Sections are lines
// "[name]", keys are lines "name=value" below them; a line starting with ';' is a comment, anything
// else is kept but means nothing. Section and key names match without regard to ASCII case and
// surrounding blanks; the first matching section and the first matching key in it win.
//
// Reading: the value with surrounding blanks removed, and one pair of matching quotes ('...' or
// "...") around it removed, cut to the size of the 260-character buffer the lists were read with:
// at most 259 characters (UTF-16 units, as Windows' private-profile functions count; a character
// is never split). A value holding a NUL byte would be cut there into another name, so it reads
// as the default. A missing file, section or key, a file that is not a regular file (it is opened
// without blocking and not read), or a name that could not be in an INI file, reads as the
// default (cut the same way, trailing blanks removed). The parsed file is kept while it is
// unchanged, so reading N values of one file costs one parse.
//
// Writing: creates the file, section and key as needed; every other line stays byte for byte. A
// new key goes at the end of its section, a new section at the end of the file. Each change is
// atomic (a temporary file in the same folder, flushed to disk, renamed over the old one): if
// anything fails, the old file stays as it was and the call answers false. The folder must exist. Writers of one file
// are serialised inside the process, so concurrent read-modify-write updates lose nothing.
// Readers need no lock: they see the old file or the new one, never a mix.
//
// Names and values come from outside (file dialogs, other INI files), so they are checked: a
// section must not hold a line break, NUL or ']', a key no line break, NUL or '=' and must not
// start with ';' or '['; a value must not hold a line break or NUL; names must not be blank.
// Refused input makes a write answer false and a read answer the default.
//
// Every failure goes to debugLog(); nothing throws.
#pragma once

#include <cstddef>
#include <string>

constexpr std::size_t kIniValueBufferChars = 260;  // terminator included: 259 characters of text

std::string readIniString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& defaultValue = "0");

// The decimal number at the start of the value (optional sign, digits; overflow saturates), 0 when
// there is none, as Windows' private-profile functions convert the text they read. A missing or
// empty value gives defaultValue.
int readIniInt(const std::string& file, const std::string& section, const std::string& key, int defaultValue = 0);

bool writeIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);

// Remove the first matching key of the first matching section / every matching section with all
// its lines. true also when there was nothing to remove; false when the file could not be changed.
bool deleteIniKey(const std::string& file, const std::string& section, const std::string& key);
bool deleteIniSection(const std::string& file, const std::string& section);

// Writes replace the whole file atomically (profile/AtomicFile.h); its test hook fails them.
