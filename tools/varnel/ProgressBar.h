// A one-line progress bar on stderr: per cent, throughput and time left.
// Shown only when stderr is a terminal and the user did not ask for quiet,
// so logs and pipes never receive carriage-return noise.
#ifndef VARNEL_TOOL_PROGRESSBAR_H
#define VARNEL_TOOL_PROGRESSBAR_H

#include <chrono>
#include <cstdint>
#include <string>

namespace varnel_tool {

class ProgressBar {
public:
    ProgressBar(std::string label, uint64_t totalPixels, bool enabled);
    ~ProgressBar();

    // Redraws at most ten times a second.
    void update(uint64_t donePixels);
    // Draws 100 % and ends the line (only if anything was drawn).
    void finish();
    // Erases the bar so that a message can be printed; the next update
    // draws it again.
    void clear();

    // True when a bar should be shown: stderr is a terminal, not --quiet.
    static bool wanted(bool quiet);

private:
    void draw(uint64_t donePixels);

    std::string m_label;
    uint64_t m_total;
    bool m_enabled;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;
};

} // namespace varnel_tool

#endif
