// Checks a configuration before it is used: every statement that the
// library does not read as it is written (errors) and what loads but may
// surprise (warnings). Statements are found the way the loaders find them
// and judged against the table of VarnelStatementRules.
#pragma once

#include "interface/VarnelSeparation.h"

#include <string>
#include <vector>

class CVarnel;
class CVarnelStatementList;
struct VarnelStatementRule;
struct VarnelFieldRule;

class CVarnelConfigCheck {
public:
    struct Finding {
        int severity = VARNEL_FINDING_ERROR;  // or VARNEL_FINDING_WARNING
        int text = VARNEL_TEXT_CONFIG;        // or VARNEL_TEXT_EXTRA
        unsigned line = 0;                    // 0: the text as a whole
        std::string statement;                // as written; empty with line 0
        std::string message;
    };

    // Reads the source as varnel_load does and fills findings, in the order
    // of the texts and of their lines. Returns the varnel_status that
    // varnel_load gives for the source (without a cache).
    static int Run(const CVarnelSeparation::Source& source, std::vector<Finding>& findings);

private:
    struct Located {
        Finding finding;
        size_t offset;  // where in its text, for the order of findings
    };

    explicit CVarnelConfigCheck(CVarnel& configuration);
    void CheckLoaded(int status, const std::string& message, const CVarnelSeparation::ParseFault& fault);
    void CheckUncomputedChannels();

    // One text's statements against the keys the loaders read.
    struct TextState;
    void CheckText(TextState& state);
    void CheckKeys(TextState& state);
    void CheckStatements(TextState& state);
    void CheckDefinitions(TextState& state);
    bool CheckValue(TextState& state, size_t index, const VarnelStatementRule& rule, int number,
                    const std::string& value);
    bool CheckField(TextState& state, size_t index, const VarnelFieldRule& field, const char* written,
                    int fieldIndex, int count, const VarnelStatementRule& rule);
    void CheckUse(TextState& state, size_t index, const VarnelStatementRule& rule, int number);
    void CheckExpression(TextState& state, size_t index, int number);

    void Add(int severity, int text, size_t offset, unsigned line, const std::string& statement,
             const std::string& message);
    void Add(int severity, const TextState& state, size_t index, const std::string& message);
    bool HasError(int text, unsigned line, const std::string& statement) const;

    CVarnel& m_configuration;
    uint32_t m_channels = 0;       // 0 while unknown
    int m_fieldCount = 0;          // fields of the value CheckValue read last
    std::vector<std::string> m_definedNames;  // every name a '#' statement defines
    std::vector<std::string> m_configKeys;    // the keys the configuration's text sets
    std::vector<Located> m_findings;
    // Where the CHANNELS statement that counts stands.
    int m_channelsText = -1;
    size_t m_channelsOffset = 0;
    unsigned m_channelsLine = 0;
    std::string m_channelsStatement;
};
