#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/hid/HidTypes.h"

namespace vivori::hid {

// One main item (Input, Output or Feature) as it sits in its report.
struct HidField {
    ReportType type = ReportType::Input;
    uint8_t reportId = 0;
    uint16_t usagePage = 0;
    bool isArray = false;  // selector array; otherwise one value per usage
    bool isConstant = false;
    bool isAbsolute = true;
    bool hasNull = false;
    bool isRange = false;  // usages given as a minimum and maximum
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    std::vector<uint16_t> usages;  // explicit usage list when not a range
    uint32_t bitOffset = 0;        // from the first byte after the report ID
    uint16_t bitSize = 0;
    uint16_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint16_t linkCollection = 0;

    bool IsButton() const { return isArray || bitSize == 1; }
    // The usage of slot i of a variable field (the last usage repeats).
    uint16_t UsageAt(uint32_t index) const;
};

// One top-level collection with the fields of its reports: what a connection to
// one HID interface path can see. Stands in for the preparsed data.
class HidCollection {
  public:
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<HidField> fields;
    std::vector<uint8_t> inputReportIds;  // empty when the device uses no report IDs
    bool usesReportIds = false;

    const HidCaps& Caps() const { return caps_; }
    const std::vector<HidButtonCaps>& ButtonCaps(ReportType type) const {
        return buttonCaps_[static_cast<int>(type)];
    }
    const std::vector<HidValueCaps>& ValueCaps(ReportType type) const {
        return valueCaps_[static_cast<int>(type)];
    }
    bool OwnsInputReport(uint8_t reportId) const;

    // Capacity a usage list needs for every button of that page (0 = any page).
    uint32_t MaxUsageListLength(ReportType type, uint16_t usagePage) const;
    // The buttons of usagePage that are on in the report, in report order.
    HidStatus GetUsages(ReportType type, uint16_t usagePage, std::span<const uint8_t> report,
                        std::vector<uint16_t>& usages) const;
    HidStatus GetUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                            std::span<const uint8_t> report, uint32_t& value) const;
    HidStatus GetScaledUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                                  std::span<const uint8_t> report, int32_t& value) const;

    // Derives the caps from the fields; the parser calls it once.
    void Finish();

  private:
    const HidField* FindValueField(ReportType type, uint16_t usagePage, uint16_t usage,
                                   uint8_t reportId, uint32_t& slot, bool& otherReport) const;

    HidCaps caps_;
    std::vector<HidButtonCaps> buttonCaps_[kReportTypeCount];
    std::vector<HidValueCaps> valueCaps_[kReportTypeCount];
};

// Limits that keep a hostile descriptor from costing unbounded time or memory.
struct DescriptorLimits {
    static constexpr size_t kMaxDescriptorBytes = 4096;  // the kernel's own limit
    static constexpr size_t kMaxFields = 1024;
    static constexpr size_t kMaxCollections = 256;
    static constexpr size_t kMaxDepth = 32;
    static constexpr size_t kMaxPushDepth = 16;
    static constexpr size_t kMaxUsagesPerItem = 1024;
    static constexpr uint32_t kMaxReportBits = 8 * 8192;
    static constexpr uint32_t kMaxReportCount = 0xFFFF;  // what a field's count holds
};

struct ParsedDescriptor {
    std::vector<HidCollection> collections;  // top-level collections, in order
};

// Parses a HID report descriptor. Returns nothing (and sets error) for malformed or
// oversized input.
std::optional<ParsedDescriptor> ParseReportDescriptor(std::span<const uint8_t> bytes,
                                                      std::string* error = nullptr);

// Reads bitSize bits at bitOffset of data (little-endian bit order, as HID packs them).
uint32_t ExtractBits(std::span<const uint8_t> data, uint32_t bitOffset, uint16_t bitSize);

}  // namespace vivori::hid
