// The ink coverage of a separation in words for the summary and as JSON
// for --report.
#ifndef VARNEL_TOOL_COVERAGEREPORT_H
#define VARNEL_TOOL_COVERAGEREPORT_H

#include "InkCoverage.h"
#include "Inks.h"

#include <string>
#include <vector>

namespace varnel_tool {

// What the JSON report says about the job besides the coverage.
struct ReportSubject {
    std::string input;
    std::string configuration;
    uint32_t width = 0;
    uint32_t height = 0;
    int bits = 8;  // of the ink values
};

// Two lines, each ending in a line break: the mean coverage of each ink,
// then the largest total and the share of pixels above the TAC limit.
std::string coverageSummary(const InkCoverage& coverage, const std::vector<InkInfo>& inks);

// A JSON object with the same figures (to four decimals) and a per-cent
// histogram of each ink.
std::string coverageJson(const InkCoverage& coverage, const std::vector<InkInfo>& inks,
                         const ReportSubject& subject);

} // namespace varnel_tool

#endif
