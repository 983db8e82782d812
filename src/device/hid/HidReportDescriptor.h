// Our own HID report descriptor parser: top-level collections, their report ids and report
// lengths (counted the Windows way: largest report of a type plus the report-id byte), button and
// value capabilities, the data items built from them, and decoding of input reports.
//
// Plain C++, no exceptions. A malformed descriptor (truncated item, absurd size, unbalanced or too
// deeply nested collections, too many items) is refused: parseReportDescriptor() returns 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum class HidReportType : uint8_t { Input = 0, Output = 1, Feature = 2 };

// One data field of a report, as Windows lists it in its button or value capability arrays.
// Usually one Input/Output/Feature main item that is not constant; a main item whose usages mix
// ranges, single usages or usage pages becomes one field per run of them (see arrayIndexBase).
struct HidField {
    uint8_t reportId = 0;        // 0 when the descriptor numbers no reports
    uint16_t usagePage = 0;
    uint32_t bitOffset = 0;      // offset of the field's first bit, counted after the report-id byte
    uint16_t reportSize = 0;     // bits per element (1..32)
    uint16_t reportCount = 0;    // elements
    bool isArray = false;        // array (selector) field rather than variable
    bool isRange = false;        // usages given as usage minimum..maximum
    uint16_t usageMin = 0;       // isRange: first usage; otherwise the smallest listed usage
    uint16_t usageMax = 0;       // isRange: last usage; otherwise the largest listed usage
    std::vector<uint16_t> usages;  // !isRange: the listed usages (element i uses usages[min(i, n-1)])
    // Array fields whose usages came in several runs share their bits: each run is its own field,
    // and this is the selector index (value - logicalMin) of the run's first usage.
    uint32_t arrayIndexBase = 0;
    int32_t logicalMin = 0, logicalMax = 0;
    int32_t physicalMin = 0, physicalMax = 0;  // the logical range when both are 0 or not given
    uint32_t unit = 0;
    int8_t unitExponent = 0;
    bool hasNull = false;
};

struct HidCollection {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    // Report ids that occur in this top-level collection, per report type (sorted, unique;
    // {0} when the descriptor numbers no reports and the collection has reports of that type).
    std::vector<uint8_t> reportIds[3];
    // Report lengths in bytes including the report-id byte; 0 when the collection has no report of
    // that type.
    uint16_t reportLength[3] = {0, 0, 0};
    // Button capabilities: arrays, and 1-bit variable fields; value capabilities: all others.
    std::vector<HidField> buttonCaps[3];
    std::vector<HidField> valueCaps[3];
};

struct HidReportDescriptor {
    bool numbersReports = false;   // any Report ID item present
    std::vector<HidCollection> collections;  // top-level collections in descriptor order
};

// Parses a raw report descriptor. 1 on success (out filled), 0 when the descriptor is malformed
// or describes no collection (out left empty). Refusal limits: 4096 bytes of descriptor,
// collection depth 32, 16 pushes, 256 main items, reports of at most 4096 bytes and 65536 bytes
// for all reports together. Data items outside every collection, and data items before the first
// Report ID of a descriptor that numbers its reports, are refused too.
int parseReportDescriptor(const uint8_t* data, size_t length, HidReportDescriptor* out);

// One data item: one per button capability, in the order the capabilities are listed, followed by
// one per value usage (a value capability covering a usage range gives one item per usage,
// from its minimum upward).
struct HidDataItem {
    bool isButtonData = false;
    uint16_t usagePage = 0;
    uint32_t status = 0;          // HidStatus* of the last decode of this item
    uint8_t reportId = 0;
    bool isDataSet = false;
    // button items
    uint16_t usageMinimum = 0, usageMaximum = 0;
    uint32_t maxUsageListLength = 0;
    std::vector<uint16_t> usageList;  // capacity maxUsageListLength; 0 after the last usage on
    // value items
    uint16_t usage = 0;
    uint32_t value = 0;
    int32_t scaledValue = 0;
};

constexpr uint32_t HidStatusSuccess = 0x00110000;
constexpr uint32_t HidStatusNullValue = 0x80110001;   // scaled value: field reports null / out of range
constexpr uint32_t HidStatusBadLogPhyValues = 0xC0110006;
constexpr uint32_t HidStatusUsageNotFound = 0xC0110004;
constexpr uint32_t HidStatusInvalidReportLength = 0xC0110003;  // report too short for the item

// Builds the data items of one report type of a collection, as described above.
std::vector<HidDataItem> buildDataItems(const HidCollection& collection, HidReportType type);

// Decodes one report (report id in byte 0, 0 for unnumbered reports; the data always starts at
// byte 1) into the items whose report id matches. A button item gets the usages of its page that
// the report's button fields say are on, in report order, kept within its range. Returns false
// when a value could not be decoded (report too short for it) or when the report is empty; a
// button item the report is too short for gets HidStatusInvalidReportLength and an empty list,
// and decoding goes on.
bool unpackInput(const uint8_t* report, size_t reportLength, HidReportType type,
                 std::vector<HidDataItem>& items, const HidCollection& collection);
