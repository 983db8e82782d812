// Every transfer sequence between the keyboard family and the keyboard mirror: the reads of each
// unit, the re-read of block 0, the current-settings flush, the A/B flag, writing the key tables,
// save to device, key defaults and device defaults; and the merge and split of the units' key
// tables into the 132-key working table. Runs on the UI thread (whose waits for the devices run
// its events: see DeviceChannel).
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/DeviceChannel.h"
#include "mirror/KeyboardMirror.h"

// What the sequences need from the window and the profile store.
class KeyboardSequenceHost {
public:
    virtual ~KeyboardSequenceHost() = default;
    virtual void showMessage(const std::string& key) = 0;      // a message box with a language key
    // A notice that a device failed: shown once the sequence is over, so that neither the
    // sequence nor a worker waiting for it waits for the user to close the box.
    virtual void showNoticeLater(const std::string& key) { showMessage(key); }
    virtual void saveDeviceProfile() = 0;                      // the selected keyboard device file
    virtual void saveKeyProfile() = 0;                         // the selected keyboard key file
    virtual void showSettingsTab(bool lighting) = 0;           // from record byte 24
    virtual void showFirstFunctionPage() = 0;                  // first page of "kb_tab_function"
    virtual void setAbControlEnabled(bool enabled) = 0;        // "a_or_b_control_status"
    virtual void refreshPages() = 0;
    virtual void showProgress() = 0;                           // message 0x0C00
    virtual void hideProgressLater() = 0;                      // message 0x0C01
    // The macro image to write before the key tables, or nothing when there are no macros. The
    // host reports an image that cannot be built or does not fit itself and answers `false` in
    // *proceed to end the save before the key tables.
    virtual std::optional<std::vector<uint8_t>> macroImage(size_t capacity, bool* proceed) {
        (void)capacity;
        *proceed = true;
        return std::nullopt;
    }
};

struct KeyboardChannels {
    DeviceChannel& keyboard;
    DeviceChannel& small;
    DeviceChannel& companion;
};

class KeyboardTransfers {
public:
    KeyboardTransfers(KeyboardMirror& mirror, KeyboardChannels channels, KeyboardSequenceHost& host)
        : mirror_(mirror), channels_(channels), host_(host) {}

    // The keyboard. Afterwards the selected device profile is saved from the mirror, except on
    // arrival (saveDeviceProfile false): there the stored profile is applied next, and saving
    // first would overwrite it with what the keyboard held.
    //
    // Every read answers true when it completed. One that did not leaves the mirror and the
    // profile files as they were, closes with command 2 when it sent command 1, and tells the user
    // once (until a read succeeds again) that the keyboard did not answer.
    bool readAll(bool saveDeviceProfile = true);
    bool readSmall();                      // the small keyboard, on its arrival
    bool readCompanion();                  // the companion keyboard, on its arrival
    bool rereadBlock0();
    // Reads the keyboard's default key table and stores it as kbkeydefault.pro in folder (the
    // data folder); nothing is stored when the read fails, and a failure is reported.
    bool exportKeyLayout(const std::string& folder);
    // Timer 2: sends the record when the flag is set; the flag goes back up when a connected
    // keyboard did not take it. The channel's result.
    int flush(std::atomic<bool>& dirty);
    int writeAbFlag(bool selected);        // at (active profile, clamped to 0..4) * 64 + 23
    bool writeKeyTables();
    // True when every connected unit took its tables; the profile files are saved only then.
    bool saveToDevice();
    void keyDefaults();
    // Reads the device defaults from the file at path; shows message_text_8 or _9 and changes
    // nothing when it is missing or malformed.
    void deviceDefaults(const std::string& path, std::atomic<bool>& dirty);

    // The mirror's working table and the units' tables.
    static void rebuildPositionMaps(KeyboardMirror& mirror);
    static void merge(KeyboardMirror& mirror, unsigned profile);
    static void split(KeyboardMirror& mirror, unsigned profile);

private:
    unsigned activeProfile() const;
    bool readUnit(KeyboardUnit unit);
    bool readFailed(const char* unit);
    bool writeUnitTables(unsigned profile);
    void endAll();
    void beginAll();

    KeyboardMirror& mirror_;
    KeyboardChannels channels_;
    KeyboardSequenceHost& host_;
    bool toldNoAnswer_ = false;
};
