// The mouse's recoil pattern page: four pattern options, thirty step options with previous and
// next, the step editor (horizontal and vertical distance and direction, pause), and sending,
// restoring, importing and exporting patterns. Every change of the editor is written into the
// pattern's working copy at once; the mouse gets the patterns only when they are sent.
//
// UI thread; sending blocks it until the mouse has answered.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <cstdint>

#include "app/ui/Ui.h"
#include "macro/RecoilPatterns.h"

class DeviceChannel;

namespace macro {

// The language key shown when an imported file is not a pattern file.
inline constexpr const char* kRecoilImportRefusedKey = "message_recoil_import_refused";

class RecoilPage {
public:
    // A message box: a language key and the number for its "%d".
    using Message = std::function<void(const std::string& key, std::optional<int> value)>;

    RecoilPage(ui::Ui& ui, RecoilStore& store, DeviceChannel& mouse, Message show);

    void nameControls();  // spoken names of the edits and the step buttons
    // The page's start: the patterns' first-start set-up, pattern 0 and its first step shown.
    void start();
    // Routed notifications; index is the number of an indexed control name.
    void onNotification(const ui::Notification& n, int index);

    // Builds the table of the four patterns and sends it. 1 when sent or nothing to send, 0 when
    // refused: too large (the user is told how many actions must go) or no memory.
    int send();
    // The table of the four patterns for sending: an ImageBuild result (RecoilTable.h). The user
    // has been told when it is too large or could not be built.
    int table(std::vector<uint8_t>* image);

    int selectedPattern() const { return pattern_; }
    int selectedStep() const { return step_; }

private:
    void selectPattern(int pattern);
    void stepSelectionChanged(const std::string& sender, int step);
    void loadStep();
    void writeStep();
    void resetPattern();
    void importPattern();
    void exportPattern();
    void reselectFirstStep();
    int field(const std::string& name, int maximum);

    ui::Ui& ui_;
    RecoilStore& store_;
    DeviceChannel& mouse_;
    Message show_;
    int pattern_ = 0;
    int step_ = 0;
};

}  // namespace macro
