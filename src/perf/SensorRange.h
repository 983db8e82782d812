// The mouse's resolution (DPI) arithmetic: the sensors whose base and range the program knows,
// and the resolution a slider position stands for.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "mirror/MirrorAreas.h"

namespace perf {

struct SensorRow {
    uint16_t sensor;
    uint16_t base;             // written over the base the mouse reported
    std::string_view minText;  // the "_min" labels
    std::string_view maxText;  // the "_max" labels
};

inline constexpr std::array<SensorRow, 4> kSensorRange = {{
    {0x3325, 200, "200", "5000"},
    {0x3050, 250, "250", "4000"},
    {0x3360, 100, "100", "12000"},
    {0x3310, 50, "50", "5000"},
}};

constexpr std::optional<SensorRow> findSensor(uint16_t sensor) {
    for (const SensorRow& row : kSensorRange)
        if (row.sensor == sensor) return row;
    return std::nullopt;
}

// Device information fields the page uses.
struct ResolutionInfo {
    uint16_t sensor = 0;
    unsigned increment = 0;  // DPI per slider step
    unsigned steps = 0;      // slider maximum
    unsigned base = 0;
};

constexpr ResolutionInfo resolutionInfo(const mirror::DeviceInfo& info) {
    return {uint16_t(info[9] | info[10] << 8), info[11], info[12], unsigned(info[13] | info[14] << 8)};
}

// What the page shows before the mouse was ever read (its information is still all zero): the
// sensor the layout's ranges are drawn for, so that levels can be set and saved into the profile
// files without a mouse. A mouse that was read and reports no steps gets no steps.
inline constexpr ResolutionInfo kUnreadMouse = {0x3360, 100, 119, 100};

constexpr ResolutionInfo pageResolution(const mirror::DeviceInfo& info) {
    const ResolutionInfo read = resolutionInfo(info);
    if (read.sensor == 0 && read.increment == 0 && read.steps == 0 && read.base == 0) return kUnreadMouse;
    return read;
}

// A known sensor's base goes into the device information (bytes 13..14); any other keeps its own.
inline void applySensorBase(mirror::DeviceInfo& info) {
    if (const std::optional<SensorRow> row = findSensor(resolutionInfo(info).sensor)) {
        info[13] = uint8_t(row->base);
        info[14] = uint8_t(row->base >> 8);
    }
}

constexpr unsigned resolutionOf(int position, const ResolutionInfo& info) {
    return unsigned(position < 0 ? 0 : position) * info.increment + info.base;
}

}  // namespace perf
