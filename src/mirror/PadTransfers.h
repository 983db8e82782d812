// Every transfer sequence between the mouse pad and the pad mirror: read-all, the re-read of the
// active block, the onboard profile switch and the reset. Runs on the
// UI thread. Like the mouse's, each sequence stops at the first command that fails, and a read
// lands in the mirror only when it succeeded.
#pragma once

#include <atomic>
#include <cstdint>

#include "device/DeviceChannel.h"
#include "mirror/PadMirror.h"

class PadSequenceHost {
public:
    virtual ~PadSequenceHost() = default;
    virtual void saveLightingProfile() = 0;   // the selected pad lighting file
    virtual void refreshPage() = 0;           // the pad lighting page
    // The pad restarts after a reset: read it again (message 0x0A01) about a second later,
    // without holding the UI thread meanwhile.
    virtual void readAgainLater() = 0;
};

class PadTransfers {
public:
    PadTransfers(PadMirror& mirror, DeviceChannel& channel, PadSequenceHost& host)
        : mirror_(mirror), channel_(channel), host_(host) {}

    int readAll();
    int rereadActiveBlock();
    // -201 for n outside 0..4 (nothing is sent); 1 also when n was active already.
    int switchProfile(unsigned n);
    void reset();

    unsigned activeProfile() const;

private:
    void recordFromBlock(unsigned profile);

    PadMirror& mirror_;
    DeviceChannel& channel_;
    PadSequenceHost& host_;
};
