#include "CoverageReport.h"

#include <cstdio>

namespace varnel_tool {

namespace {

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

} // namespace

std::string coverageSummary(const InkCoverage& coverage, const std::vector<InkInfo>& inks) {
    std::string text = "  ink coverage:";
    for (int c = 0; c < coverage.channels(); ++c) {
        text += (c == 0 ? " " : ", ") + inks[static_cast<size_t>(c)].name + " " +
                format("%.1f", coverage.meanPercent(c)) + " %";
    }
    text += "\n  total coverage: at most " + format("%.1f", coverage.maxTotalPercent()) + " % at (" +
            std::to_string(coverage.maxTotalX()) + ", " + std::to_string(coverage.maxTotalY()) + "); " +
            format("%.2f", coverage.shareAboveLimitPercent()) + " % of the pixels above the limit of " +
            std::to_string(coverage.tacLimitPercent()) + " %\n";
    return text;
}

std::string coverageJson(const InkCoverage& coverage, const std::vector<InkInfo>& inks,
                         const ReportSubject& subject) {
    std::string json = "{\n";
    json += "  \"input\": " + jsonString(subject.input) + ",\n";
    json += "  \"configuration\": " + jsonString(subject.configuration) + ",\n";
    json += "  \"width\": " + std::to_string(subject.width) + ",\n";
    json += "  \"height\": " + std::to_string(subject.height) + ",\n";
    json += "  \"bits\": " + std::to_string(subject.bits) + ",\n";
    json += "  \"tac_limit_percent\": " + std::to_string(coverage.tacLimitPercent()) + ",\n";
    json += "  \"max_total_coverage_percent\": " + format("%.4f", coverage.maxTotalPercent()) + ",\n";
    json += "  \"max_total_coverage_at\": {\"x\": " + std::to_string(coverage.maxTotalX()) +
            ", \"y\": " + std::to_string(coverage.maxTotalY()) + "},\n";
    json += "  \"pixels_above_tac_limit\": " + std::to_string(coverage.pixelsAboveLimit()) + ",\n";
    json += "  \"share_above_tac_limit_percent\": " + format("%.4f", coverage.shareAboveLimitPercent()) + ",\n";
    json += "  \"inks\": [\n";
    for (int c = 0; c < coverage.channels(); ++c) {
        json += "    {\"name\": " + jsonString(inks[static_cast<size_t>(c)].name) +
                ", \"mean_coverage_percent\": " + format("%.4f", coverage.meanPercent(c)) +
                ",\n     \"histogram_percent\": [";
        const std::vector<uint64_t> histogram = coverage.percentHistogram(c);
        for (size_t i = 0; i < histogram.size(); ++i) json += (i == 0 ? "" : ", ") + std::to_string(histogram[i]);
        json += std::string("]}") + (c + 1 < coverage.channels() ? "," : "") + "\n";
    }
    json += "  ]\n}\n";
    return json;
}

} // namespace varnel_tool
