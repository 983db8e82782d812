// Feeds arbitrary bytes to the report descriptor parser. When they parse, the data items of every
// collection and report type are built and the same bytes are decoded as a report of that type,
// so the decoder meets fields that run past the end of the report and odd report ids as well.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/hid/HidReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HidReportDescriptor descriptor;
    if (!parseReportDescriptor(data, size, &descriptor)) return 0;
    for (const HidCollection& collection : descriptor.collections) {
        for (int t = 0; t < 3; ++t) {
            const HidReportType type = HidReportType(t);
            std::vector<HidDataItem> items = buildDataItems(collection, type);
            unpackInput(data, size, type, items, collection);
            // Also as a report of the collection's own length and first id, zero-padded, so
            // that full-length reports are decoded too.
            if (collection.reportLength[t] == 0) continue;
            std::vector<uint8_t> report(collection.reportLength[t], 0);
            for (size_t i = 1; i < report.size() && i < size; ++i) report[i] = data[i];
            report[0] = collection.reportIds[t].front();
            unpackInput(report.data(), report.size(), type, items, collection);
        }
    }
    return 0;
}
