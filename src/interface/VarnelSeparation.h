// A loaded separation of the varnel_ interface: a configuration, the pixel
// plan resolved from it, its inks and, when asked for, the cache table of
// every 8-bit colour. Nothing of it changes after the load, so any number
// of threads convert with it at once; each conversion takes an engine of
// its own (scratch state, remembered pixel) from the pool.
#pragma once

#include "varnel/separation.h"

#include "interface/VarnelFaultyStatement.h"
#include "interface/VarnelInkNames.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CVarnel;
class CVarnelCacheContainer;
class CVarnelEnginePool;
class CVarnelPixelPlan;

class CVarnelSeparation {
public:
    // Where the configuration comes from.
    struct Source {
        const char* nameOrPath = nullptr;  // a preset's name or a file's path
        const char* text = nullptr;        // else a text in memory
        size_t textLength = 0;
        const char* extra = nullptr;
    };

    // A text that does not parse, and the statement to blame for it.
    struct ParseFault {
        int text = -1;        // VARNEL_TEXT_CONFIG or VARNEL_TEXT_EXTRA; -1: every text parsed
        bool blamed = false;  // one statement is to blame: the one in statement
        CVarnelFaultyStatement::Finding statement;
    };

    // Loads a separation into *out. Returns a varnel_status; on failure,
    // message says what failed. Without blame, a text that does not parse
    // is named as a whole: the search for the statement to blame reloads
    // the texts once per statement, and is left out when nobody reads the
    // message.
    static int Load(const Source& source, const varnel_load_options* options,
                    std::unique_ptr<CVarnelSeparation>& out, std::string& message, bool blame);

    // Applies the source's texts to configuration: its preset, file or
    // text, then the extra text; then checks the channel count. Returns a
    // varnel_status; presetName receives a preset's name, what how
    // messages name the configuration, message what failed. With fault, a
    // text that does not parse is searched for the statement to blame,
    // which the message names and fault records.
    static int ReadTexts(CVarnel& configuration, const Source& source, std::string& presetName, std::string& what,
                         std::string& message, ParseFault* fault);

    ~CVarnelSeparation();
    CVarnelSeparation(const CVarnelSeparation&) = delete;
    CVarnelSeparation& operator=(const CVarnelSeparation&) = delete;

    size_t Channels() const { return m_inks.size(); }
    const std::vector<VarnelInk>& Inks() const { return m_inks; }
    bool IsCached() const { return m_cache != nullptr; }
    // The merged configuration text, or null when the texts cannot be
    // given as one (see CVarnelMergedText). Worked out at the first call.
    const char* ConfigText() const;

    // Rows of width pixels; strides in bytes, 0 for rows without a gap.
    // Returns a varnel_status.
    int Convert(const uint8_t* in, size_t inStride, uint8_t* out, size_t outStride, size_t width,
                size_t height, varnel_progress_fn progress, void* user) const;
    int Convert(const uint16_t* in, size_t inStride, uint16_t* out, size_t outStride, size_t width,
                size_t height, varnel_progress_fn progress, void* user) const;

private:
    CVarnelSeparation();
    template <typename Value>
    int ConvertRows(const Value* in, size_t inStride, Value* out, size_t outStride, size_t width,
                    size_t height, varnel_progress_fn progress, void* user) const;
    std::string MergedText() const;

    std::unique_ptr<CVarnel> m_configuration;
    std::shared_ptr<const CVarnelPixelPlan> m_plan;
    std::unique_ptr<CVarnelCacheContainer> m_cache;
    std::unique_ptr<CVarnelEnginePool> m_engines;
    std::vector<VarnelInk> m_inks;

    mutable std::once_flag m_configTextOnce;
    mutable std::string m_configText;
    mutable bool m_haveConfigText = false;
};
