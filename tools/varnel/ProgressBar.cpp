#include "ProgressBar.h"

#include <unistd.h>

#include <cstdio>

namespace varnel_tool {

namespace {

constexpr int kBarWidth = 30;

} // namespace

ProgressBar::ProgressBar(std::string label, uint64_t totalPixels, bool enabled)
    : m_label(std::move(label)), m_total(totalPixels == 0 ? 1 : totalPixels), m_enabled(enabled),
      m_start(std::chrono::steady_clock::now()), m_lastDraw(m_start) {}

ProgressBar::~ProgressBar() {
    // A bar cut short by an error still gets its line ended, so that the
    // error message starts on a line of its own.
    if (m_drawn) std::fputc('\n', stderr);
}

bool ProgressBar::wanted(bool quiet) {
    return !quiet && isatty(STDERR_FILENO) == 1;
}

void ProgressBar::update(uint64_t donePixels) {
    if (!m_enabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (m_drawn && now - m_lastDraw < std::chrono::milliseconds(100)) return;
    m_lastDraw = now;
    draw(donePixels);
}

void ProgressBar::finish() {
    if (!m_enabled) return;
    draw(m_total);
    std::fputc('\n', stderr);
    m_drawn = false;
}

void ProgressBar::clear() {
    if (!m_drawn) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_drawn = false;
}

void ProgressBar::draw(uint64_t donePixels) {
    if (donePixels > m_total) donePixels = m_total;
    const double fraction = static_cast<double>(donePixels) / static_cast<double>(m_total);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    const double rate = seconds > 0.0 ? static_cast<double>(donePixels) / seconds / 1e6 : 0.0;
    char bar[kBarWidth + 1];
    const int filled = static_cast<int>(fraction * kBarWidth);
    for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '-';
    bar[kBarWidth] = '\0';
    char left[32] = "--:--";
    if (donePixels > 0 && rate > 0.0) {
        const long remaining = static_cast<long>((static_cast<double>(m_total - donePixels) / 1e6) / rate + 0.5);
        std::snprintf(left, sizeof left, "%ld:%02ld", remaining / 60, remaining % 60);
    }
    std::fprintf(stderr, "\r%s [%s] %3d%%  %6.1f MPix/s  %s left ", m_label.c_str(), bar,
                 static_cast<int>(fraction * 100.0), rate, left);
    std::fflush(stderr);
    m_drawn = true;
}

} // namespace varnel_tool
