// The resource list "res.xml" of the skin folder: which layout file holds each named layout
// ("XML_MAIN", "XML_MSG", "XML_SKIN", "XML_MENU").
#pragma once

#include <string>

// The file of a named layout: from res.xml when it names one that stays inside the skin folder,
// else the built-in default ("main.xml", "msg.xml", "skin.xml", "menu.xml"); "" for unknown ids.
std::string layoutFile(const std::string& id);
