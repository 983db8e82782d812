// Checks on background images that come from outside the program: "main.ini" (which a person may
// edit) and the custom-skin file dialog. A file that does not pass keeps the background as it is.
#pragma once

#include <string>

// An image description (skin-relative or absolute) that names a readable regular image file of
// sensible size.
bool isUsableBackgroundImage(const std::string& description);
// A full path to a loadable PNG file of sensible size.
bool isLoadablePng(const std::string& path);
