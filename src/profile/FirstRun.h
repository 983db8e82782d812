// Filling the seven list controls at start-up, and setting up lists that have no entries yet.
//
// Lists are handled in the order keyboard device, lighting, keys; mouse device, lighting, keys;
// pad lighting. A list with entries gets them added to its control. An empty list ("count" 0,
// missing, not a number or negative) gets one entry "新配置文件1" whose file is a copy of the
// list's default file, and its INI values. When that default file is missing or of bad format the
// user is told ("message_text_8" / "message_text_9", literal texts on the keyboard device list),
// and this list and the remaining empty lists of the same device stay empty for this run; the
// next device's lists go on as usual, and the next start tries again.
//
// No entry is selected afterwards.
//
// So that nothing is lost or half done:
// - an existing file "新配置文件1" (any case) is kept, not overwritten with the defaults: the count
//   may have been lost while the user's file survived;
// - when the new file cannot be written the list stays empty and its INI values unwritten, so the
//   next start tries again instead of listing an entry without a file;
// - a later list of the same device that already has entries still shows them: left empty, its
//   next "add" would write count 1 over the user's entries;
// - "count" is written last, after the name, link and select values, so an interrupted set-up
//   is simply redone.
#pragma once

#include "profile/ProfileStore.h"
#include "profile/ProfileStoreUi.h"

void initialiseProfileLists(ProfileStore& store, ProfileStoreUi& ui);
