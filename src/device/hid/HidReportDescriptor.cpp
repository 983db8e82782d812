#include "device/hid/HidReportDescriptor.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <optional>

namespace {

constexpr size_t kMaxDescriptorBytes = 4096;
constexpr int kMaxCollectionDepth = 32;
constexpr int kMaxMainItems = 256;
constexpr size_t kMaxPushDepth = 16;
constexpr uint32_t kMaxReportBits = 4096 * 8;
// All reports together; the elements of all fields are held to the same bound (an array whose
// usages come in several runs counts its elements once per run), which bounds the data items too.
constexpr uint32_t kMaxAllReportBits = 65536 * 8;
constexpr uint8_t kLongItemPrefix = 0xFE;

enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag : uint8_t { kInput = 8, kOutput = 9, kCollection = 10, kFeature = 11, kEndCollection = 12 };
enum GlobalTag : uint8_t {
    kUsagePage = 0, kLogicalMin = 1, kLogicalMax = 2, kPhysicalMin = 3, kPhysicalMax = 4,
    kUnitExponent = 5, kUnit = 6, kReportSize = 7, kReportId = 8, kReportCount = 9, kPush = 10, kPop = 11
};
enum LocalTag : uint8_t { kUsage = 0, kUsageMin = 1, kUsageMax = 2 };
enum DataFlag : uint32_t { kConstant = 0x01, kVariable = 0x02, kNullState = 0x40 };

struct Item {
    uint8_t type = 0, tag = 0, size = 0;
    uint32_t data = 0;
};

int64_t signExtend(uint32_t raw, unsigned bits) {
    if (bits == 0 || bits >= 32) return int32_t(raw);
    const uint32_t sign = 1u << (bits - 1);
    const uint32_t mask = (1u << bits) - 1;
    raw &= mask;
    return (raw & sign) ? int64_t(raw) - int64_t(mask) - 1 : int64_t(raw);
}

// A logical or physical extent as written: whether its bytes are signed is only known beside the
// other end of its range.
struct Extent {
    uint32_t raw = 0;
    uint8_t size = 0;
};

// Minimums are signed. A maximum is read signed too, unless that puts it below a non-negative
// minimum: many devices write 0..255 as 15 00 25 FF and mean 255, not -1.
void resolveRange(const Extent& min, const Extent& max, int32_t* low, int32_t* high) {
    const int64_t lo = signExtend(min.raw, min.size * 8u);
    int64_t hi = signExtend(max.raw, max.size * 8u);
    if (lo >= 0 && hi < lo && max.size < 4) hi = max.raw;
    *low = int32_t(lo);
    *high = int32_t(hi);
}

struct GlobalState {
    uint16_t usagePage = 0;
    Extent logicalMin, logicalMax, physicalMin, physicalMax;
    uint32_t unit = 0;
    int8_t unitExponent = 0;
    uint8_t reportSize = 0;
    uint8_t reportId = 0;
    uint32_t reportCount = 0;
};

// A usage or usage range as written; 16-bit usages take the usage page in force at the main item,
// 32-bit ones carry their own page in the high half.
struct WrittenUsage {
    uint32_t min = 0, max = 0;
    bool minExtended = false, maxExtended = false;
    bool isRange = false;
};

// A run of usages of one main item: one range, or consecutive single usages of one page.
struct UsageRun {
    uint16_t page = 0;
    bool isRange = false;
    uint16_t min = 0, max = 0;
    std::vector<uint16_t> list;
    uint32_t size() const { return isRange ? uint32_t(max) - min + 1 : uint32_t(list.size()); }
};

class Parser {
public:
    bool run(const uint8_t* data, size_t length);
    HidReportDescriptor result;

private:
    bool item(const Item& item);
    bool globalItem(const Item& item);
    bool localItem(const Item& item);
    bool mainItem(const Item& item);
    bool dataItem(HidReportType type, uint32_t flags);
    bool resolveUsages(std::vector<UsageRun>* runs) const;
    bool addField(HidReportType type, HidField field, const UsageRun& run, uint32_t count);
    void finish();

    GlobalState global_;
    std::vector<GlobalState> stack_;
    std::vector<WrittenUsage> usages_;
    std::optional<std::pair<uint32_t, bool>> pendingMin_, pendingMax_;  // value, extended
    int depth_ = 0;
    int mainItems_ = 0;
    uint32_t allBits_ = 0;
    uint32_t allElements_ = 0;
    bool unnumberedData_ = false;
    std::array<std::array<uint32_t, 256>, 3> reportBits_{};
    std::vector<std::array<std::bitset<256>, 3>> idsOfCollection_;
};

// The usages of one page that one report reports as on, across all its button fields, as the
// Windows parser hands them out; each button item then keeps those in its own range.
struct UsagesOn {
    uint16_t page = 0;
    bool reportTooShort = false;
    std::vector<uint16_t> usages;
};

const UsagesOn& usagesOnForPage(const HidCollection& collection, int type, uint8_t id, uint16_t page,
                                const uint8_t* data, size_t dataBytes, std::vector<UsagesOn>* cache);
void decodeButtons(HidDataItem& item, const UsagesOn& on);
const HidField* findValue(const HidCollection& collection, int type, const HidDataItem& item, size_t* hint,
                          uint32_t* element);
bool fieldFits(const HidField& field, uint32_t element, uint32_t elements, size_t dataBytes);
uint32_t usageCount(const HidField& field);
uint32_t readBits(const uint8_t* data, uint32_t bitOffset, unsigned size);
void scaleValue(HidDataItem& item, const HidField& field);

}  // namespace

int parseReportDescriptor(const uint8_t* data, size_t length, HidReportDescriptor* out) {
    if (!out) return 0;
    *out = HidReportDescriptor();
    if ((!data && length > 0) || length > kMaxDescriptorBytes) return 0;
    Parser parser;
    if (!parser.run(data, length)) return 0;
    *out = std::move(parser.result);
    return 1;
}

std::vector<HidDataItem> buildDataItems(const HidCollection& collection, HidReportType type) {
    const int t = int(type);
    std::vector<HidDataItem> items;
    for (const HidField& field : collection.buttonCaps[t]) {
        HidDataItem item;
        item.isButtonData = true;
        item.usagePage = field.usagePage;
        item.reportId = field.reportId;
        item.usageMinimum = field.usageMin;
        item.usageMaximum = field.usageMax;
        item.maxUsageListLength = field.isArray ? field.reportCount : usageCount(field);
        item.usageList.assign(item.maxUsageListLength, 0);
        items.push_back(std::move(item));
    }
    for (const HidField& field : collection.valueCaps[t]) {
        HidDataItem item;
        item.usagePage = field.usagePage;
        item.reportId = field.reportId;
        if (field.isRange) {
            for (uint32_t usage = field.usageMin; usage <= field.usageMax; ++usage) {
                item.usage = uint16_t(usage);
                items.push_back(item);
            }
        } else {
            for (uint16_t usage : field.usages) {
                item.usage = usage;
                items.push_back(item);
            }
        }
    }
    return items;
}

bool unpackInput(const uint8_t* report, size_t reportLength, HidReportType type, std::vector<HidDataItem>& items,
                 const HidCollection& collection) {
    if (!report || reportLength == 0) return false;
    const int t = int(type);
    const uint8_t id = report[0];
    const uint8_t* data = report + 1;  // unnumbered reports arrive with a 0 in front as well
    const size_t dataBytes = reportLength - 1;
    std::vector<UsagesOn> pages;
    size_t hint = 0;
    for (HidDataItem& item : items) {
        if (item.reportId != id) continue;
        if (item.isButtonData) {
            decodeButtons(item, usagesOnForPage(collection, t, id, item.usagePage, data, dataBytes, &pages));
        } else {
            uint32_t element = 0;
            const HidField* field = findValue(collection, t, item, &hint, &element);
            if (!field) {
                item.status = HidStatusUsageNotFound;
                return false;
            }
            if (!fieldFits(*field, element, 1, dataBytes)) {
                item.status = HidStatusInvalidReportLength;
                return false;
            }
            item.value = readBits(data, field->bitOffset + element * field->reportSize, field->reportSize);
            scaleValue(item, *field);
        }
        item.isDataSet = true;
    }
    return true;
}

// ---- parsing ---------------------------------------------------------------------------------

namespace {

bool Parser::run(const uint8_t* data, size_t length) {
    size_t pos = 0;
    while (pos < length) {
        const uint8_t prefix = data[pos];
        // Long items carry no meaning for us; step over them whole.
        if (prefix == kLongItemPrefix) {
            if (length - pos < 3 || length - pos - 3 < data[pos + 1]) return false;
            pos += 3 + size_t(data[pos + 1]);
            continue;
        }
        Item it;
        it.size = uint8_t((prefix & 3) == 3 ? 4 : prefix & 3);
        it.type = (prefix >> 2) & 3;
        it.tag = prefix >> 4;
        if (length - pos - 1 < it.size) return false;
        for (unsigned i = 0; i < it.size; ++i) it.data |= uint32_t(data[pos + 1 + i]) << (8 * i);
        pos += 1 + it.size;
        if (!item(it)) return false;
    }
    if (depth_ != 0) return false;
    if (result.collections.empty()) return false;  // describes nothing a path could name
    // Once any report is numbered, every report carries an id byte: data before the first
    // Report ID would sit in a report the device cannot send.
    if (result.numbersReports && unnumberedData_) return false;
    finish();
    return true;
}

bool Parser::item(const Item& it) {
    switch (it.type) {
    case kMain: return mainItem(it);
    case kGlobal: return globalItem(it);
    case kLocal: return localItem(it);
    default: return true;  // reserved item type: skipped
    }
}

bool Parser::globalItem(const Item& it) {
    switch (it.tag) {
    case kUsagePage: global_.usagePage = uint16_t(it.data); break;
    case kLogicalMin: global_.logicalMin = {it.data, it.size}; break;
    case kLogicalMax: global_.logicalMax = {it.data, it.size}; break;
    case kPhysicalMin: global_.physicalMin = {it.data, it.size}; break;
    case kPhysicalMax: global_.physicalMax = {it.data, it.size}; break;
    case kUnit: global_.unit = it.data; break;
    case kUnitExponent:
        // Written as a signed nibble by most devices, as a whole signed number by a few.
        if ((it.data & ~0xFu) == 0) global_.unitExponent = int8_t(signExtend(it.data, 4));
        else global_.unitExponent = int8_t(std::clamp<int64_t>(signExtend(it.data, it.size * 8u), -128, 127));
        break;
    case kReportSize:
        if (it.data == 0 || it.data > 32) return false;
        global_.reportSize = uint8_t(it.data);
        break;
    case kReportId:
        if (it.data == 0 || it.data > 255) return false;
        global_.reportId = uint8_t(it.data);
        result.numbersReports = true;
        break;
    case kReportCount:
        if (it.data > kMaxReportBits) return false;  // cannot fit in any report we accept
        global_.reportCount = it.data;
        break;
    case kPush:
        if (stack_.size() >= kMaxPushDepth) return false;
        stack_.push_back(global_);
        break;
    case kPop:
        if (stack_.empty()) return false;
        global_ = stack_.back();
        stack_.pop_back();
        break;
    default: break;  // reserved tags: skipped
    }
    return true;
}

bool Parser::localItem(const Item& it) {
    const bool extended = it.size == 4;
    switch (it.tag) {
    case kUsage: usages_.push_back({it.data, it.data, extended, extended, false}); return true;
    case kUsageMin:
        if (pendingMin_) return false;
        pendingMin_ = std::make_pair(it.data, extended);
        break;
    case kUsageMax:
        if (pendingMax_) return false;
        pendingMax_ = std::make_pair(it.data, extended);
        break;
    default: return true;  // designators, strings, delimiters: nothing we use
    }
    if (pendingMin_ && pendingMax_) {
        usages_.push_back(
            {pendingMin_->first, pendingMax_->first, pendingMin_->second, pendingMax_->second, true});
        pendingMin_.reset();
        pendingMax_.reset();
    }
    return true;
}

// Every main item ends the local state it used. A data item outside every collection belongs to
// no top-level collection, so no path could ever reach it: such a descriptor is refused.
bool Parser::mainItem(const Item& it) {
    if (++mainItems_ > kMaxMainItems) return false;
    bool ok = true;
    switch (it.tag) {
    case kCollection: {
        std::vector<UsageRun> runs;
        if (depth_ >= kMaxCollectionDepth || !resolveUsages(&runs)) return false;
        if (depth_ == 0) {
            HidCollection collection;
            collection.usagePage = runs.empty() ? global_.usagePage : runs[0].page;
            collection.usage = runs.empty() ? 0 : runs[0].isRange ? runs[0].min : runs[0].list[0];
            result.collections.push_back(std::move(collection));
            idsOfCollection_.emplace_back();
        }
        ++depth_;
        break;
    }
    case kEndCollection:
        if (depth_ == 0) return false;
        --depth_;
        break;
    case kInput: ok = dataItem(HidReportType::Input, it.data); break;
    case kOutput: ok = dataItem(HidReportType::Output, it.data); break;
    case kFeature: ok = dataItem(HidReportType::Feature, it.data); break;
    default: break;  // reserved main tags: skipped
    }
    usages_.clear();
    pendingMin_.reset();
    pendingMax_.reset();
    return ok;
}

bool Parser::resolveUsages(std::vector<UsageRun>* runs) const {
    if (pendingMin_ || pendingMax_) return false;  // a usage range missing one end
    for (const WrittenUsage& u : usages_) {
        if (u.isRange) {
            // A range takes its page from whichever end was written with one; both must agree.
            uint16_t page = global_.usagePage;
            if (u.minExtended) page = uint16_t(u.min >> 16);
            else if (u.maxExtended) page = uint16_t(u.max >> 16);
            if (u.minExtended && u.maxExtended && (u.min >> 16) != (u.max >> 16)) return false;
            UsageRun run;
            run.page = page;
            run.isRange = true;
            run.min = uint16_t(u.min);
            run.max = uint16_t(u.max);
            if (run.min > run.max) return false;
            runs->push_back(std::move(run));
            continue;
        }
        const uint16_t page = u.minExtended ? uint16_t(u.min >> 16) : global_.usagePage;
        if (runs->empty() || runs->back().isRange || runs->back().page != page) {
            UsageRun run;
            run.page = page;
            runs->push_back(std::move(run));
        }
        runs->back().list.push_back(uint16_t(u.min));
    }
    return true;
}

bool Parser::dataItem(HidReportType type, uint32_t flags) {
    if (depth_ == 0) return false;
    if (global_.reportSize == 0) return false;  // no Report Size before the first field
    std::vector<UsageRun> runs;
    if (!resolveUsages(&runs)) return false;
    const uint32_t count = global_.reportCount;
    if (count == 0) return true;
    const int t = int(type);
    const uint8_t id = global_.reportId;
    const uint32_t bits = uint32_t(global_.reportSize) * count;
    uint32_t& used = reportBits_[t][id];
    if (used + bits > kMaxReportBits || allBits_ + bits > kMaxAllReportBits) return false;
    allBits_ += bits;
    const uint32_t offset = used;
    used += bits;
    if (id == 0) unnumberedData_ = true;
    idsOfCollection_.back()[t].set(id);
    if (flags & kConstant) return true;  // padding: it only takes room in the report

    HidField field;
    field.reportId = id;
    field.bitOffset = offset;
    field.reportSize = global_.reportSize;
    field.isArray = !(flags & kVariable);
    field.hasNull = flags & kNullState;
    field.unit = global_.unit;
    field.unitExponent = global_.unitExponent;
    resolveRange(global_.logicalMin, global_.logicalMax, &field.logicalMin, &field.logicalMax);
    resolveRange(global_.physicalMin, global_.physicalMax, &field.physicalMin, &field.physicalMax);
    if (field.physicalMin == 0 && field.physicalMax == 0) {
        field.physicalMin = field.logicalMin;
        field.physicalMax = field.logicalMax;
    }
    if (runs.empty()) {  // a field without usages still carries data: it reads as usage 0
        runs.emplace_back();
        runs[0].page = global_.usagePage;
        runs[0].list.push_back(0);
    }

    if (field.isArray) {
        // Every element of an array selects among all the item's usages, so each run sees the
        // whole field and claims the selector values from its base onward.
        uint32_t base = 0;
        for (const UsageRun& run : runs) {
            field.arrayIndexBase = base;
            if (!addField(type, field, run, count)) return false;
            base += run.size();
        }
        return true;
    }
    // Variable fields: each run takes one element per usage, the last run takes what is left
    // over (its last usage repeats); runs the elements do not reach get nothing.
    uint32_t remaining = count;
    for (size_t i = 0; i < runs.size() && remaining > 0; ++i) {
        const uint32_t take = i + 1 == runs.size() ? remaining : std::min(runs[i].size(), remaining);
        field.bitOffset = offset + (count - remaining) * global_.reportSize;
        if (!addField(type, field, runs[i], take)) return false;
        remaining -= take;
    }
    return true;
}

bool Parser::addField(HidReportType type, HidField field, const UsageRun& run, uint32_t count) {
    if (allElements_ + count > kMaxAllReportBits) return false;
    allElements_ += count;
    field.usagePage = run.page;
    field.reportCount = uint16_t(count);
    field.isRange = run.isRange;
    if (run.isRange) {
        field.usageMin = run.min;
        field.usageMax = run.max;
        // Usages past the last element of a variable field have no data.
        if (!field.isArray && run.size() > count) field.usageMax = uint16_t(run.min + count - 1);
    } else {
        field.usages = run.list;
        if (!field.isArray && field.usages.size() > count) field.usages.resize(count);
        const auto [lo, hi] = std::minmax_element(field.usages.begin(), field.usages.end());
        field.usageMin = *lo;
        field.usageMax = *hi;
    }
    const bool isButton = field.isArray || field.reportSize == 1;
    HidCollection& collection = result.collections.back();
    (isButton ? collection.buttonCaps : collection.valueCaps)[int(type)].push_back(std::move(field));
    return true;
}

// Report ids per collection, and report lengths the Windows way: the longest report of the type
// among the collection's ids (the whole report, whichever collections its fields sit in), plus the
// id byte, which is counted even when the descriptor numbers no reports.
void Parser::finish() {
    for (size_t c = 0; c < result.collections.size(); ++c) {
        HidCollection& collection = result.collections[c];
        for (int t = 0; t < 3; ++t) {
            uint32_t longest = 0;
            for (unsigned id = 0; id < 256; ++id) {
                if (!idsOfCollection_[c][t].test(id)) continue;
                collection.reportIds[t].push_back(uint8_t(id));
                longest = std::max(longest, (reportBits_[t][id] + 7) / 8);
            }
            collection.reportLength[t] = collection.reportIds[t].empty() ? 0 : uint16_t(longest + 1);
        }
    }
}

// ---- decoding ---------------------------------------------------------------------------------

bool fieldFits(const HidField& field, uint32_t element, uint32_t elements, size_t dataBytes) {
    const uint64_t end = uint64_t(field.bitOffset) + uint64_t(element + elements) * field.reportSize;
    return end <= uint64_t(dataBytes) * 8;
}

uint32_t usageCount(const HidField& field) {
    return field.isRange ? uint32_t(field.usageMax - field.usageMin) + 1 : uint32_t(field.usages.size());
}

// The caller has made sure the bits lie inside the data.
uint32_t readBits(const uint8_t* data, uint32_t bitOffset, unsigned size) {
    const uint32_t first = bitOffset / 8, last = (bitOffset + size - 1) / 8;
    uint64_t window = 0;
    for (uint32_t b = last + 1; b-- > first;) window = (window << 8) | data[b];
    window >>= bitOffset % 8;
    return size >= 32 ? uint32_t(window) : uint32_t(window & ((1u << size) - 1));
}

// Logical values are signed only where the logical range reaches below zero: 0..255 in eight bits
// means 200 when the bits say 200.
int64_t logicalValue(const HidField& field, uint32_t raw) {
    return field.logicalMin < 0 ? signExtend(raw, field.reportSize) : int64_t(raw);
}

// Appends, in element order, the usages one button field reports as on.
void appendUsagesOn(const HidField& field, const uint8_t* data, std::vector<uint16_t>* on) {
    for (uint32_t e = 0; e < field.reportCount; ++e) {
        const uint32_t raw = readBits(data, field.bitOffset + e * field.reportSize, field.reportSize);
        uint16_t usage = 0;
        if (field.isArray) {
            const int64_t value = logicalValue(field, raw);
            if (value < field.logicalMin || value > field.logicalMax) continue;
            const int64_t index = value - field.logicalMin - int64_t(field.arrayIndexBase);
            if (index < 0 || index >= int64_t(usageCount(field))) continue;
            usage = field.isRange ? uint16_t(field.usageMin + index) : field.usages[size_t(index)];
        } else {
            if (raw == 0) continue;
            const uint32_t index = std::min(e, usageCount(field) - 1);
            usage = field.isRange ? uint16_t(field.usageMin + index) : field.usages[index];
        }
        if (usage != 0) on->push_back(usage);
    }
}

const UsagesOn& usagesOnForPage(const HidCollection& collection, int type, uint8_t id, uint16_t page,
                                const uint8_t* data, size_t dataBytes, std::vector<UsagesOn>* cache) {
    for (const UsagesOn& known : *cache)
        if (known.page == page) return known;
    UsagesOn fresh;
    fresh.page = page;
    for (const HidField& field : collection.buttonCaps[type]) {
        if (field.reportId != id || field.usagePage != page) continue;
        if (!fieldFits(field, 0, field.reportCount, dataBytes)) {
            fresh.reportTooShort = true;
            continue;
        }
        appendUsagesOn(field, data, &fresh.usages);
    }
    cache->push_back(std::move(fresh));
    return cache->back();
}

void decodeButtons(HidDataItem& item, const UsagesOn& on) {
    item.usageList.assign(item.maxUsageListLength, 0);
    item.status = on.reportTooShort ? HidStatusInvalidReportLength : HidStatusSuccess;
    if (on.reportTooShort) return;
    size_t kept = 0;
    for (uint16_t usage : on.usages) {
        if (kept == item.usageList.size()) break;
        if (usage >= item.usageMinimum && usage <= item.usageMaximum) item.usageList[kept++] = usage;
    }
}

// The first value field of the report that carries the usage, and the element that holds it.
const HidField* findValue(const HidCollection& collection, int type, const HidDataItem& item, size_t* hint,
                          uint32_t* element) {
    const std::vector<HidField>& caps = collection.valueCaps[type];
    for (size_t n = 0; n < caps.size(); ++n) {
        const size_t i = (*hint + n) % caps.size();  // items of one field follow each other
        const HidField& field = caps[i];
        if (field.reportId != item.reportId || field.usagePage != item.usagePage) continue;
        if (field.isRange) {
            if (item.usage < field.usageMin || item.usage > field.usageMax) continue;
            *element = uint32_t(item.usage - field.usageMin);
        } else {
            const auto it = std::find(field.usages.begin(), field.usages.end(), item.usage);
            if (it == field.usages.end()) continue;
            *element = uint32_t(it - field.usages.begin());
        }
        *hint = i;
        return &field;
    }
    return nullptr;
}

// Maps the logical value linearly onto the physical range, truncating like the Windows parser.
void scaleValue(HidDataItem& item, const HidField& field) {
    item.scaledValue = 0;
    const int64_t logical = logicalValue(field, item.value);
    if (field.logicalMin >= field.logicalMax || field.physicalMin >= field.physicalMax) {
        item.status = HidStatusBadLogPhyValues;
        return;
    }
    if (logical < field.logicalMin || logical > field.logicalMax) {
        item.status = HidStatusNullValue;
        return;
    }
    // Both factors are below 2^32, so the product fits in 64 unsigned bits.
    const uint64_t physicalSpan = uint64_t(int64_t(field.physicalMax) - field.physicalMin);
    const uint64_t logicalSpan = uint64_t(int64_t(field.logicalMax) - field.logicalMin);
    const uint64_t scaled = uint64_t(logical - field.logicalMin) * physicalSpan / logicalSpan;
    item.scaledValue = int32_t(int64_t(field.physicalMin) + int64_t(scaled));
    item.status = HidStatusSuccess;
}

}  // namespace
