#include "interface/VarnelFaultyStatement.h"

#include "config/Varnel.h"
#include "config/VarnelCurvePause.h"
#include "config/VarnelLookupRecorder.h"

#include <algorithm>
#include <memory>
#include <set>

namespace {

// Each try parses every text again; a text with more statements is only
// reported as a whole.
constexpr unsigned kMaxTries = 256;

// True when last parses after the texts of earlier. With lookups, what the
// parse of last looked for is recorded there.
bool Loads(const std::vector<std::string>& earlier, const std::string& last,
           CVarnelLookupRecorder::Lookups* lookups = nullptr)
{
    const CVarnelCurvePause pause;
    std::unique_ptr<CVarnel> configuration(new CVarnel());
    for (const std::string& text : earlier)
        if (configuration->ParseText(text.c_str(), long(text.size())) != 0)
            return false;
    if (!lookups)
        return configuration->ParseText(last.c_str(), long(last.size())) == 0;
    const CVarnelLookupRecorder recorder(*lookups);
    return configuration->ParseText(last.c_str(), long(last.size())) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Definitions are read from the first statement of each line of the first
// text: a '*' at offset may change them where no ';' stands between the
// start of its line (its CR, or the start of the text) and offset.
bool MayChangeDefinitions(const std::string& text, size_t offset)
{
    const size_t cr = offset == 0 ? std::string::npos : text.rfind('\r', offset - 1);
    return text.find(';', cr == std::string::npos ? 0 : cr) >= offset;
}

} // namespace

// A try that reads what the failing text reads fails as it does, and is
// not made. The loaders look for keys as plain text anywhere, and for
// "*KEY=", which switches KEY off, only in that form. A '*' put in front of
// a statement, after a ';' or a blank, joins no text before it: what the
// try reads differs only where the loaders look for "*KEY=" with the
// statement's key, or in a definition. The failing text's parse ran as the
// try runs up to the first step that looked for "*KEY="; its last step, the
// one that failed, fails again in the try unless that step, or a step whose
// effects it reads, looked for "*KEY=". So, outside the places where
// definitions are read, a statement is tried only when such a step of the
// failing text's own parse looked for "*KEY=" with its key, and only once
// per key.
bool CVarnelFaultyStatement::Find(const std::vector<std::string>& earlier, const std::string& failing,
                                  Finding& finding)
{
    CVarnelLookupRecorder::Lookups lookups;  // what the failing text's parse looked for
    uint32_t failedSteps = 0;       // the step that failed and the steps whose effects it reads
    bool recorded = false;
    bool failsAlone = true;         // as the caller says; else every statement is tried
    std::set<std::string> tried;    // keys switched off without a change of definitions
    unsigned tries = 0;
    size_t start = 0;
    while (start < failing.size()) {
        const size_t end = std::min(failing.find(';', start), failing.size());
        size_t first = start;
        while (first < end && IsBlank(failing[first]))
            ++first;
        const size_t equals = failing.find('=', first);
        // Switched-off statements, variable definitions and statements
        // without a value cannot fail by themselves.
        const bool candidate = first < end && failing[first] != '*' && failing[first] != '#' && equals < end;
        if (candidate) {
            if (++tries > kMaxTries)
                return false;
            if (!recorded) {
                failsAlone = !Loads(earlier, failing, &lookups);
                failedSteps = CVarnel::StepsAffecting(lookups.lastStep);
                recorded = true;
            }
            const std::string key = failing.substr(first, equals - first);
            const bool definitions = earlier.empty() && MayChangeDefinitions(failing, first);
            const auto lookup = lookups.keys.find("*" + key + "=");
            const bool readsTheSame =
                failsAlone && !definitions &&
                (lookup == lookups.keys.end() || !(lookup->second & failedSteps) || tried.count(key));
            if (!readsTheSame) {
                std::string switchedOff = failing;
                switchedOff.insert(first, 1, '*');
                if (Loads(earlier, switchedOff)) {
                    size_t last = end;
                    while (last > first && IsBlank(failing[last - 1]))
                        --last;
                    finding.statement = failing.substr(first, last - first);
                    finding.line = unsigned(1 + std::count(failing.begin(), failing.begin() + first, '\n'));
                    return true;
                }
                if (!definitions)
                    tried.insert(key);
            }
        }
        start = end + 1;
    }
    return false;
}
