// Every transfer sequence between the keyboard family and the keyboard mirror: the reads of each
// unit, the re-read of block 0, the current-settings flush, the A/B flag, writing the key tables,
// save to device, key defaults and device defaults; and the merge and split of the units' key
// tables into the 132-key working table. Runs on the UI thread.
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
    void readAll(bool saveDeviceProfile = true);
    void readSmall();                      // the small keyboard, on its arrival
    void readCompanion();                  // the companion keyboard, on its arrival
    void rereadBlock0();
    // Reads the keyboard's default key table and stores it as kbkeydefault.pro in folder.
    void exportKeyLayout(const std::string& folder);
    // Timer 2: sends the record when the flag is set, and clears the flag whatever the result.
    void flush(std::atomic<bool>& dirty);
    void writeAbFlag(bool selected);
    void writeKeyTables();
    void saveToDevice();
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
    void readUnit(KeyboardUnit unit);
    void writeUnitTables(unsigned profile);
    void endAll();
    void beginAll();

    KeyboardMirror& mirror_;
    KeyboardChannels channels_;
    KeyboardSequenceHost& host_;
};
