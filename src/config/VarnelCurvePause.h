// Loads made only to read what a configuration says (the configuration
// check, and the search for the statement that keeps a text from loading)
// never look at the stage curves, and clearing and drawing their tables is
// most of a load's time. While a CVarnelCurvePause lives, a table made on
// its thread is not cleared and DrawTableLine draws nothing there. The
// tables are still made, so a load fails where memory is short as it
// otherwise would; a configuration loaded under a pause is never used to
// separate.
#pragma once

class CVarnelCurvePause {
public:
    CVarnelCurvePause();
    ~CVarnelCurvePause();
    CVarnelCurvePause(const CVarnelCurvePause&) = delete;
    CVarnelCurvePause& operator=(const CVarnelCurvePause&) = delete;

    // True while a pause lives on the calling thread.
    static bool Active();

private:
    bool m_outer;  // the pause that was active when this one began
};
