#pragma once

#include <cstdint>
#include <vector>

namespace vivori::hid {

enum class ReportType : uint8_t { Input = 0, Output = 1, Feature = 2 };
inline constexpr int kReportTypeCount = 3;

// Status codes of the usage getters, shaped like the HidP_ ones.
enum class HidStatus : int32_t {
    Success = 0,
    Null,  // value field holds its null (out of logical range) value
    InvalidReportLength,
    InvalidReportType,
    BufferTooSmall,
    IncompatibleReportId,
    UsageNotFound,
    BadLogPhyValues,
};

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

struct HidCaps {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    // Byte lengths include the leading report ID byte, even when the device uses none.
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    uint16_t numberLinkCollectionNodes = 0;
    uint16_t numberInputButtonCaps = 0;
    uint16_t numberInputValueCaps = 0;
    uint16_t numberInputDataIndices = 0;
    uint16_t numberOutputButtonCaps = 0;
    uint16_t numberOutputValueCaps = 0;
    uint16_t numberOutputDataIndices = 0;
    uint16_t numberFeatureButtonCaps = 0;
    uint16_t numberFeatureValueCaps = 0;
    uint16_t numberFeatureDataIndices = 0;
};

// What button and value capabilities share: where the field is and which usages it has.
struct HidCapsCommon {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    uint16_t linkCollection = 0;
    bool isRange = false;
    bool isAbsolute = true;
    uint16_t usageMin = 0;  // the usage when not a range
    uint16_t usageMax = 0;
    uint16_t dataIndexMin = 0;
    uint16_t dataIndexMax = 0;
};

struct HidButtonCaps : HidCapsCommon {};

struct HidValueCaps : HidCapsCommon {
    bool hasNull = false;
    uint16_t bitSize = 0;
    uint16_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
};

}  // namespace vivori::hid
