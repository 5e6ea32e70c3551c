#pragma once

// Parses a descriptor and reads every field of the result back from reports, as a
// connection does with what a device sends. Shared by the fuzz target and the corpus
// test, so both drive the same code.

#include <cstdint>
#include <set>
#include <span>
#include <vector>

#include "platform/hid/ReportDescriptor.h"

namespace vivori::fuzz {

// Fills a report of the given length with the pattern bytes, repeated.
inline std::vector<uint8_t> PatternReport(uint8_t reportId, size_t length,
                                          std::span<const uint8_t> pattern) {
    std::vector<uint8_t> report(length == 0 ? 1 : length, 0xFF);
    for (size_t i = 1; i < report.size() && !pattern.empty(); ++i)
        report[i] = pattern[i % pattern.size()];
    report[0] = reportId;
    return report;
}

inline void ReadBack(const hid::HidCollection& c, hid::ReportType type,
                     std::span<const uint8_t> report) {
    std::vector<uint16_t> usages;
    std::set<uint16_t> pages;
    for (const auto& b : c.ButtonCaps(type)) pages.insert(b.usagePage);
    for (uint16_t page : pages) c.GetUsages(type, page, report, usages);
    for (const auto& v : c.ValueCaps(type)) {
        for (uint16_t usage : {v.usageMin, v.usageMax}) {
            uint32_t raw = 0;
            int32_t scaled = 0;
            c.GetUsageValue(type, v.usagePage, usage, report, raw);
            c.GetScaledUsageValue(type, v.usagePage, usage, report, scaled);
        }
    }
}

// Returns the number of top-level collections, 0 when the descriptor is refused.
inline size_t ExerciseDescriptor(std::span<const uint8_t> bytes) {
    auto parsed = hid::ParseReportDescriptor(bytes);
    if (!parsed) return 0;
    const uint8_t ones[] = {0xFF};
    for (const hid::HidCollection& c : parsed->collections) {
        const uint16_t lengths[] = {c.Caps().inputReportByteLength, c.Caps().outputReportByteLength,
                                    c.Caps().featureReportByteLength};
        for (int t = 0; t < hid::kReportTypeCount; ++t) {
            const auto type = static_cast<hid::ReportType>(t);
            c.MaxUsageListLength(type, 0);
            std::set<uint8_t> ids;
            for (const auto& f : c.fields)
                if (f.type == type) ids.insert(f.reportId);
            for (uint8_t id : ids) {
                c.OwnsInputReport(id);
                ReadBack(c, type, PatternReport(id, lengths[t], ones));
                ReadBack(c, type, PatternReport(id, lengths[t], bytes));
                ReadBack(c, type, PatternReport(id, 1, bytes));  // a report cut short
            }
        }
    }
    return parsed->collections.size();
}

}  // namespace vivori::fuzz
