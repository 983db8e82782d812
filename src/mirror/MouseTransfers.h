// Every transfer sequence between the mouse and the mouse mirror: read-all, the re-read of the
// active block, the onboard profile switch, writing the key table,
// the reset, save to device (recoil image, macro image, key table, in that order) and the writes
// after a profile file was loaded. Runs on the UI thread.
//
// Every sequence stops at the first command that fails and closes what it opened (a command 1 is
// always met by a command 2); a read lands in the mirror only when it succeeded, and a mirror
// that was not filled is never saved over the profile files. Profile numbers are checked to be
// 0..4 before they address a block or a key-table slot.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/DeviceChannel.h"
#include "mirror/MouseMirror.h"

// What the sequences need from the window, the pages and the profile store.
class MouseSequenceHost {
public:
    virtual ~MouseSequenceHost() = default;
    virtual void showMessage(const std::string& key) = 0;   // a message box with a language key
    virtual void saveDeviceProfile() = 0;                   // the selected mouse device file
    virtual void saveLightingProfile() = 0;                 // the selected mouse lighting file
    virtual void refreshPages() = 0;                        // resolution, lighting and button pages
    virtual void showFirstFunctionPage() = 0;               // first page of "ms_tab_function"
    virtual void showProgress() = 0;                        // message 0x0C00
    virtual void hideProgressLater() = 0;                   // message 0x0C01
    virtual void markDirty() = 0;                           // the mouse's DirtyFlag
    // The reset's system half: pointer speed 10 and 3 wheel lines, shown on the page.
    virtual void resetSystemSettings() = 0;
    // A loaded device profile or the device defaults: the pointer speed and wheel lines it carried.
    virtual void applySystemSettings() = 0;
};

// The images save to device writes before the key table. A step fills `image` and answers one of
// these. The recoil table has room for kRecoilCapacity bytes; the macro table for what the mouse
// reported in byte 6 of its information block (x 128 bytes).
enum MouseImageResult : int {
    ImageNothing = 0,      // nothing to send (no patterns, no macros)
    ImageReady = 1,        // `image` is to be written
    ImageTooLarge = -1,    // more than the mouse takes: the step told the user (or the save does)
    ImageNoMemory = -2,    // the image could not be built
};
using MouseImageStep = std::function<int(size_t capacity, std::vector<uint8_t>& image)>;

class MouseTransfers {
public:
    static constexpr size_t kRecoilCapacity = 3072;

    MouseTransfers(MouseMirror& mirror, DeviceChannel& channel, MouseSequenceHost& host)
        : mirror_(mirror), channel_(channel), host_(host) {}

    // The steps save to device takes its recoil and macro images from; both send nothing until set.
    void setRecoilStep(MouseImageStep step) { recoilStep_ = std::move(step); }
    void setMacroStep(MouseImageStep step) { macroStep_ = std::move(step); }

    // Each answers the channel result of the command that ended it (1 when all went through).
    int readAll();
    int rereadActiveBlock();
    // Makes onboard profile n active. -201 for n outside 0..4 (nothing is sent); 1 also when n
    // was active already (one read, nothing changes).
    int switchProfile(unsigned n);
    // The 126 bytes of key-table slot p to onboard profile p.
    int writeKeyTable(unsigned profile);
    void saveToDevice();
    void reset();
    // After a profile file was loaded into settings block 0 and key-table slot 0.
    void applyDeviceProfile();
    void applyDeviceDefaults();
    void applyKeyProfile() { writeKeyTable(0); }

    // The record's profile number, or 0 when it holds none of 0..4.
    unsigned activeProfile() const;

private:
    void recordFromBlock(unsigned profile);
    void recordIntoBlock();
    int writeImage(const MouseImageStep& step, size_t capacity, bool recoil, bool* proceed);

    MouseMirror& mirror_;
    DeviceChannel& channel_;
    MouseSequenceHost& host_;
    MouseImageStep recoilStep_;
    MouseImageStep macroStep_;
};
