// What the profile store needs from the pages: the lists' controls and the message box. The page
// layer implements it; tests record the calls.
#pragma once

#include <string>

#include "profile/ProfileLists.h"

class ProfileStoreUi {
public:
    virtual ~ProfileStoreUi() = default;

    // The message box: a language key ("message_text_8") when isLanguageKey, else a literal text.
    virtual void showMessage(const std::string& keyOrText, bool isLanguageKey) = 0;

    // Appends an entry to the list's control (profileListInfo(list).listControl): text and user
    // data are the name, fixed height 25. It is not selected.
    virtual void addListEntry(ProfileList list, const std::string& name) = 0;
};
