#include "platform/hid/ReportDescriptor.h"

#include <algorithm>
#include <map>

namespace vivori::hid {

uint32_t ExtractBits(std::span<const uint8_t> data, uint32_t bitOffset, uint16_t bitSize) {
    uint32_t value = 0;
    for (uint16_t i = 0; i < bitSize && i < 32; ++i) {
        uint32_t bit = bitOffset + i;
        uint32_t byte = bit / 8;
        if (byte >= data.size()) break;
        if (data[byte] & (1u << (bit % 8))) value |= 1u << i;
    }
    return value;
}

uint16_t HidField::UsageAt(uint32_t index) const {
    if (isRange) {
        uint32_t u = usageMin + index;
        return static_cast<uint16_t>(u > usageMax ? usageMax : u);
    }
    if (usages.empty()) return 0;
    return usages[std::min<size_t>(index, usages.size() - 1)];
}

bool HidCollection::OwnsInputReport(uint8_t reportId) const {
    if (!usesReportIds) return reportId == 0;
    return std::find(inputReportIds.begin(), inputReportIds.end(), reportId) !=
           inputReportIds.end();
}

void HidCollection::Finish() {
    std::map<uint8_t, uint32_t> bits[kReportTypeCount];
    uint16_t dataIndex[kReportTypeCount] = {0, 0, 0};
    for (const HidField& f : fields) {
        int t = static_cast<int>(f.type);
        uint32_t end = f.bitOffset + uint32_t(f.bitSize) * f.reportCount;
        bits[t][f.reportId] = std::max(bits[t][f.reportId], end);
        if (f.type == ReportType::Input && usesReportIds &&
            std::find(inputReportIds.begin(), inputReportIds.end(), f.reportId) ==
                inputReportIds.end())
            inputReportIds.push_back(f.reportId);
        if (f.isConstant && f.usages.empty() && !f.isRange) continue;  // padding
        // Data indexes run on across the fields of a report type, one per usage.
        auto addCaps = [&](uint16_t usageMin, uint16_t usageMax, bool isRange,
                           uint16_t reportCount) {
            HidCapsCommon common;
            common.usagePage = f.usagePage;
            common.reportId = f.reportId;
            common.linkCollection = f.linkCollection;
            common.isAbsolute = f.isAbsolute;
            common.isRange = isRange;
            common.usageMin = usageMin;
            common.usageMax = usageMax;
            const uint16_t n = static_cast<uint16_t>(usageMax - usageMin + 1);
            common.dataIndexMin = dataIndex[t];
            common.dataIndexMax = static_cast<uint16_t>(dataIndex[t] + n - 1);
            dataIndex[t] = static_cast<uint16_t>(dataIndex[t] + n);
            if (f.IsButton()) {
                buttonCaps_[t].push_back(HidButtonCaps{common});
                return;
            }
            HidValueCaps c{common};
            c.hasNull = f.hasNull;
            c.bitSize = f.bitSize;
            c.reportCount = reportCount;
            c.logicalMin = f.logicalMin;
            c.logicalMax = f.logicalMax;
            c.physicalMin = f.physicalMin;
            c.physicalMax = f.physicalMax;
            valueCaps_[t].push_back(c);
        };
        if (f.isRange || f.usages.size() <= 1) {
            const uint16_t first = f.isRange ? f.usageMin : f.UsageAt(0);
            addCaps(first, f.isRange ? f.usageMax : first, f.isRange, f.reportCount);
            continue;
        }
        // One capability per usage the field lists (X and Y in one field, or several
        // consumer keys in one array), so each usage is found and kept by its own
        // item. A variable field's slots take its usages in order, the last usage
        // the slots left over; usages beyond its slots name nothing.
        const size_t listed =
            f.isArray ? f.usages.size() : std::min<size_t>(f.usages.size(), f.reportCount);
        for (size_t i = 0; i < listed; ++i) {
            const bool last = i + 1 == listed;
            const uint16_t count =
                f.isArray ? f.reportCount
                          : static_cast<uint16_t>(last ? f.reportCount - (listed - 1) : 1);
            addCaps(f.usages[i], f.usages[i], false, count);
        }
    }
    auto length = [&](int t) -> uint16_t {
        uint32_t maxBits = 0;
        for (auto& [id, b] : bits[t]) maxBits = std::max(maxBits, b);
        if (bits[t].empty()) return 0;
        return static_cast<uint16_t>((maxBits + 7) / 8 + 1);
    };
    caps_.usage = usage;
    caps_.usagePage = usagePage;
    caps_.inputReportByteLength = length(0);
    caps_.outputReportByteLength = length(1);
    caps_.featureReportByteLength = length(2);
    caps_.numberLinkCollectionNodes = 1;
    caps_.numberInputButtonCaps = static_cast<uint16_t>(buttonCaps_[0].size());
    caps_.numberInputValueCaps = static_cast<uint16_t>(valueCaps_[0].size());
    caps_.numberInputDataIndices = dataIndex[0];
    caps_.numberOutputButtonCaps = static_cast<uint16_t>(buttonCaps_[1].size());
    caps_.numberOutputValueCaps = static_cast<uint16_t>(valueCaps_[1].size());
    caps_.numberOutputDataIndices = dataIndex[1];
    caps_.numberFeatureButtonCaps = static_cast<uint16_t>(buttonCaps_[2].size());
    caps_.numberFeatureValueCaps = static_cast<uint16_t>(valueCaps_[2].size());
    caps_.numberFeatureDataIndices = dataIndex[2];
}

uint32_t HidCollection::MaxUsageListLength(ReportType type, uint16_t page) const {
    uint32_t n = 0;
    for (const HidField& f : fields)
        if (f.type == type && f.IsButton() && (page == 0 || f.usagePage == page))
            n += f.reportCount;
    return n;
}

HidStatus HidCollection::GetUsages(ReportType type, uint16_t page, std::span<const uint8_t> report,
                                   std::vector<uint16_t>& usages) const {
    usages.clear();
    if (report.empty()) return HidStatus::InvalidReportLength;
    const uint8_t id = report[0];
    auto data = report.subspan(1);
    bool sawReport = false;
    bool sawPage = false;
    for (const HidField& f : fields) {
        if (f.type != type || !f.IsButton() || f.usagePage != page) continue;
        sawPage = true;
        if (f.reportId != id) continue;
        sawReport = true;
        for (uint32_t i = 0; i < f.reportCount; ++i) {
            uint32_t v = ExtractBits(data, f.bitOffset + i * f.bitSize, f.bitSize);
            if (f.isArray) {
                int64_t index = int64_t(v) - f.logicalMin;
                if (int64_t(v) < f.logicalMin || int64_t(v) > f.logicalMax) continue;
                uint16_t u =
                    f.isRange
                        ? static_cast<uint16_t>(std::min<int64_t>(f.usageMin + index, f.usageMax))
                        : f.UsageAt(static_cast<uint32_t>(index));
                if (u != 0) usages.push_back(u);
            } else if (v) {
                usages.push_back(f.UsageAt(i));
            }
        }
    }
    if (!sawPage) return HidStatus::UsageNotFound;
    if (!sawReport) return HidStatus::IncompatibleReportId;
    return HidStatus::Success;
}

const HidField* HidCollection::FindValueField(ReportType type, uint16_t page, uint16_t usage,
                                              uint8_t reportId, uint32_t& slot,
                                              bool& otherReport) const {
    otherReport = false;
    for (const HidField& f : fields) {
        if (f.type != type || f.IsButton() || f.usagePage != page) continue;
        bool match = false;
        if (f.isRange) {
            if (usage >= f.usageMin && usage <= f.usageMax) {
                match = true;
                slot = usage - f.usageMin;
            }
        } else {
            for (size_t i = 0; i < f.usages.size(); ++i)
                if (f.usages[i] == usage) {
                    match = true;
                    slot = static_cast<uint32_t>(i);
                    break;
                }
        }
        if (!match) continue;
        if (f.reportId != reportId) {
            otherReport = true;
            continue;
        }
        if (slot >= f.reportCount) slot = f.reportCount ? f.reportCount - 1u : 0u;
        return &f;
    }
    return nullptr;
}

HidStatus HidCollection::GetUsageValue(ReportType type, uint16_t page, uint16_t usage,
                                       std::span<const uint8_t> report, uint32_t& value) const {
    value = 0;
    if (report.empty()) return HidStatus::InvalidReportLength;
    uint32_t slot = 0;
    bool otherReport = false;
    const HidField* f = FindValueField(type, page, usage, report[0], slot, otherReport);
    if (!f) return otherReport ? HidStatus::IncompatibleReportId : HidStatus::UsageNotFound;
    value = ExtractBits(report.subspan(1), f->bitOffset + slot * f->bitSize, f->bitSize);
    return HidStatus::Success;
}

HidStatus HidCollection::GetScaledUsageValue(ReportType type, uint16_t page, uint16_t usage,
                                             std::span<const uint8_t> report,
                                             int32_t& value) const {
    value = 0;
    if (report.empty()) return HidStatus::InvalidReportLength;
    uint32_t slot = 0;
    bool otherReport = false;
    const HidField* f = FindValueField(type, page, usage, report[0], slot, otherReport);
    if (!f) return otherReport ? HidStatus::IncompatibleReportId : HidStatus::UsageNotFound;
    uint32_t raw = ExtractBits(report.subspan(1), f->bitOffset + slot * f->bitSize, f->bitSize);
    int64_t v = raw;
    if (f->logicalMin < 0 && f->bitSize > 0 && f->bitSize < 32 && (raw >> (f->bitSize - 1)) & 1)
        v = int64_t(raw) - (int64_t(1) << f->bitSize);
    else if (f->logicalMin < 0 && f->bitSize == 32)
        v = static_cast<int32_t>(raw);
    if (f->logicalMax <= f->logicalMin) return HidStatus::BadLogPhyValues;
    if (v < f->logicalMin || v > f->logicalMax) return HidStatus::Null;
    int64_t pMin = f->physicalMin, pMax = f->physicalMax;
    if (pMin == 0 && pMax == 0) {
        pMin = f->logicalMin;
        pMax = f->logicalMax;
    }
    // Both spans reach 2^32 - 1, so their product needs more than 64 bits.
    const __int128 step = static_cast<__int128>(v - f->logicalMin) * (pMax - pMin);
    value = static_cast<int32_t>(pMin + step / (int64_t(f->logicalMax) - f->logicalMin));
    return HidStatus::Success;
}

namespace {

struct GlobalState {
    uint16_t usagePage = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
    // Raw item bits, for reading the maximum as unsigned when the minimum is not negative.
    uint32_t logicalMaxRaw = 0;
    uint8_t logicalMaxSize = 0;
    uint32_t physicalMaxRaw = 0;
    uint8_t physicalMaxSize = 0;
};

struct LocalState {
    std::vector<uint32_t> usages;  // extended: page << 16 | usage
    bool hasMin = false, hasMax = false;
    uint32_t usageMin = 0, usageMax = 0;
    void Clear() { *this = LocalState{}; }
};

int32_t SignExtend(uint32_t v, uint8_t size) {
    switch (size) {
        case 1:
            return static_cast<int8_t>(v);
        case 2:
            return static_cast<int16_t>(v);
        default:
            return static_cast<int32_t>(v);
    }
}

bool Fail(std::string* error, const char* message) {
    if (error) *error = message;
    return false;
}

class Parser {
  public:
    explicit Parser(std::string* error) : error_(error) {}

    bool Run(std::span<const uint8_t> bytes) {
        if (bytes.empty()) return Fail(error_, "empty descriptor");
        if (bytes.size() > DescriptorLimits::kMaxDescriptorBytes)
            return Fail(error_, "descriptor too long");
        size_t pos = 0;
        while (pos < bytes.size()) {
            uint8_t prefix = bytes[pos++];
            if (prefix == 0xFE) {  // long item: size, tag, data
                if (pos + 2 > bytes.size()) return Fail(error_, "truncated long item");
                size_t size = bytes[pos];
                pos += 2;
                if (pos + size > bytes.size()) return Fail(error_, "truncated long item");
                pos += size;
                continue;
            }
            static constexpr uint8_t kSizes[4] = {0, 1, 2, 4};
            uint8_t size = kSizes[prefix & 3];
            if (pos + size > bytes.size()) return Fail(error_, "truncated item");
            uint32_t data = 0;
            for (uint8_t i = 0; i < size; ++i) data |= uint32_t(bytes[pos + i]) << (8 * i);
            pos += size;
            uint8_t type = (prefix >> 2) & 3;
            uint8_t tag = prefix >> 4;
            bool ok = type == 0   ? Main(tag, data)
                      : type == 1 ? Global(tag, data, size)
                      : type == 2 ? Local(tag, data, size)
                                  : Fail(error_, "reserved item type");
            if (!ok) return false;
        }
        if (depth_ != 0) return Fail(error_, "unbalanced collections");
        for (auto& c : result_.collections) {
            c.usesReportIds = usesReportIds_;
            c.Finish();
        }
        return true;
    }

    ParsedDescriptor result_;

  private:
    bool Main(uint8_t tag, uint32_t data) {
        switch (tag) {
            case 0x8:
                return AddField(ReportType::Input, data);
            case 0x9:
                return AddField(ReportType::Output, data);
            case 0xB:
                return AddField(ReportType::Feature, data);
            case 0xA: {  // Collection
                if (depth_ >= DescriptorLimits::kMaxDepth) return Fail(error_, "nesting too deep");
                if (++collectionNodes_ > DescriptorLimits::kMaxCollections)
                    return Fail(error_, "too many collections");
                if (depth_ == 0) {
                    HidCollection c;
                    uint32_t u = local_.usages.empty() ? 0 : local_.usages.front();
                    c.usagePage = UsagePageOf(u);
                    c.usage = static_cast<uint16_t>(u & 0xFFFF);
                    result_.collections.push_back(std::move(c));
                }
                ++depth_;
                local_.Clear();
                return true;
            }
            case 0xC:  // End Collection
                if (depth_ == 0) return Fail(error_, "end collection without collection");
                --depth_;
                local_.Clear();
                return true;
            default:
                return Fail(error_, "unknown main item");
        }
    }

    static uint16_t UsagePageOf(uint32_t extendedUsage) {
        return static_cast<uint16_t>(extendedUsage >> 16);
    }

    bool AddField(ReportType type, uint32_t flags) {
        if (depth_ == 0 || result_.collections.empty())
            return Fail(error_, "main item outside a collection");
        if (global_.reportSize == 0 || global_.reportSize > 32)
            return Fail(error_, "bad report size");
        if (global_.reportCount > DescriptorLimits::kMaxReportCount)
            return Fail(error_, "bad report count");
        uint32_t& offset = bitOffsets_[static_cast<int>(type)][global_.reportId];
        uint64_t end = uint64_t(offset) + uint64_t(global_.reportSize) * global_.reportCount;
        if (end > DescriptorLimits::kMaxReportBits) return Fail(error_, "report too long");
        if (++fieldCount_ > DescriptorLimits::kMaxFields) return Fail(error_, "too many fields");

        HidField f;
        f.type = type;
        f.reportId = global_.reportId;
        f.isConstant = flags & 0x01;
        f.isArray = !(flags & 0x02);
        f.isAbsolute = !(flags & 0x04);
        f.hasNull = flags & 0x40;
        f.bitOffset = offset;
        f.bitSize = static_cast<uint16_t>(global_.reportSize);
        f.reportCount = static_cast<uint16_t>(global_.reportCount);
        f.logicalMin = global_.logicalMin;
        f.logicalMax = global_.logicalMin >= 0 && global_.logicalMaxSize < 4
                           ? static_cast<int32_t>(global_.logicalMaxRaw)
                           : global_.logicalMax;
        f.physicalMin = global_.physicalMin;
        f.physicalMax = global_.physicalMin >= 0 && global_.physicalMaxSize < 4
                            ? static_cast<int32_t>(global_.physicalMaxRaw)
                            : global_.physicalMax;
        f.linkCollection = 0;
        f.usagePage = global_.usagePage;
        if (local_.hasMin || local_.hasMax) {
            if (!(local_.hasMin && local_.hasMax)) return Fail(error_, "half a usage range");
            uint16_t lo = static_cast<uint16_t>(local_.usageMin & 0xFFFF);
            uint16_t hi = static_cast<uint16_t>(local_.usageMax & 0xFFFF);
            if (lo > hi) return Fail(error_, "usage minimum above maximum");
            f.isRange = true;
            f.usageMin = lo;
            f.usageMax = hi;
            f.usagePage = UsagePageOf(local_.usageMin);
        } else if (!local_.usages.empty()) {
            f.usagePage = UsagePageOf(local_.usages.front());
            for (uint32_t u : local_.usages) f.usages.push_back(static_cast<uint16_t>(u & 0xFFFF));
        }
        offset = static_cast<uint32_t>(end);
        result_.collections.back().fields.push_back(std::move(f));
        local_.Clear();
        return true;
    }

    bool Global(uint8_t tag, uint32_t data, uint8_t size) {
        switch (tag) {
            case 0x0:
                global_.usagePage = static_cast<uint16_t>(data);
                return true;
            case 0x1:
                global_.logicalMin = SignExtend(data, size);
                return true;
            case 0x2:
                global_.logicalMax = SignExtend(data, size);
                global_.logicalMaxRaw = data;
                global_.logicalMaxSize = size;
                return true;
            case 0x3:
                global_.physicalMin = SignExtend(data, size);
                return true;
            case 0x4:
                global_.physicalMax = SignExtend(data, size);
                global_.physicalMaxRaw = data;
                global_.physicalMaxSize = size;
                return true;
            case 0x5:  // unit exponent
            case 0x6:  // unit
                return true;
            case 0x7:
                global_.reportSize = data;
                return true;
            case 0x8:
                if (data == 0 || data > 0xFF) return Fail(error_, "bad report id");
                global_.reportId = static_cast<uint8_t>(data);
                usesReportIds_ = true;
                return true;
            case 0x9:
                global_.reportCount = data;
                return true;
            case 0xA:
                if (stack_.size() >= DescriptorLimits::kMaxPushDepth)
                    return Fail(error_, "push too deep");
                stack_.push_back(global_);
                return true;
            case 0xB:
                if (stack_.empty()) return Fail(error_, "pop without push");
                global_ = stack_.back();
                stack_.pop_back();
                return true;
            default:
                return Fail(error_, "unknown global item");
        }
    }

    bool Local(uint8_t tag, uint32_t data, uint8_t size) {
        // Short usages take the current usage page; keep every usage extended.
        if (size < 4) data = (uint32_t(global_.usagePage) << 16) | (data & 0xFFFF);
        switch (tag) {
            case 0x0:
                if (local_.usages.size() >= DescriptorLimits::kMaxUsagesPerItem)
                    return Fail(error_, "too many usages");
                local_.usages.push_back(data);
                return true;
            case 0x1:
                local_.hasMin = true;
                local_.usageMin = data;
                return true;
            case 0x2:
                local_.hasMax = true;
                local_.usageMax = data;
                return true;
            default:  // designators, strings, delimiters: not used by the host
                return true;
        }
    }

    std::string* error_;
    GlobalState global_;
    LocalState local_;
    std::vector<GlobalState> stack_;
    std::map<uint8_t, uint32_t> bitOffsets_[kReportTypeCount];
    size_t depth_ = 0;
    size_t collectionNodes_ = 0;
    size_t fieldCount_ = 0;
    bool usesReportIds_ = false;
};

}  // namespace

std::optional<ParsedDescriptor> ParseReportDescriptor(std::span<const uint8_t> bytes,
                                                      std::string* error) {
    Parser parser(error);
    if (!parser.Run(bytes)) return std::nullopt;
    if (parser.result_.collections.empty()) {
        Fail(error, "no collection");
        return std::nullopt;
    }
    return std::move(parser.result_);
}

}  // namespace vivori::hid
