#include "interface/VarnelConfigCheck.h"

#include "config/Varnel.h"
#include "config/VarnelCurvePause.h"
#include "config/VarnelParser.h"
#include "config/VarnelStatementFields.h"
#include "config/VarnelStatementList.h"
#include "config/VarnelStatementRules.h"
#include "config/VarnelVarContainer.h"
#include "stages/VarnelColorAddition.h"
#include "stages/VarnelColorSubst.h"
#include "stages/VarnelMasks.h"
#include "stages/VarnelMasksLight.h"
#include "stages/VarnelSecondColors.h"
#include "stages/VarnelStageLoading.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>

#include <muParser.h>

namespace {

struct KnownKey {
    const VarnelStatementRule* rule;
    int number;
    // What the loaders search for: "KEY=", and "*KEY=" that switches it off.
    std::string assignment;
    std::string switchedOff;
};

// Every key the loaders read ("HUEMASK04", "MAXINK"), in table order.
const std::vector<std::pair<std::string, KnownKey>>& KnownKeys()
{
    static const std::vector<std::pair<std::string, KnownKey>> keys = [] {
        std::vector<std::pair<std::string, KnownKey>> all;
        for (const VarnelStatementRule& rule : VarnelStatementRules())
            for (int n = 0; n <= (rule.numbered ? kLastStatementNumber : 0); ++n) {
                const std::string key = VarnelRuleKey(rule, n);
                all.push_back({key, KnownKey{&rule, n, key + "=", "*" + key + "="}});
            }
        return all;
    }();
    return keys;
}

const KnownKey* FindKnownKey(const std::string& key)
{
    for (const auto& entry : KnownKeys())
        if (entry.first == key)
            return &entry.second;
    return nullptr;
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

// No key is longer than 20 letters; a longer text is no mistyped key.
constexpr size_t kLongestTypo = 32;

// The edit distance from a to b (b at most kLongestTypo letters), or limit
// when it is limit or more: once every entry of a row has reached limit,
// the distance can only be larger.
size_t EditDistance(const std::string& a, const std::string& b, size_t limit)
{
    std::array<size_t, kLongestTypo + 1> row;
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        size_t smallest = row[0];
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
            smallest = std::min(smallest, row[j]);
        }
        if (smallest >= limit)
            return limit;
    }
    return std::min(row[b.size()], limit);
}

// The letters that a and b do not share, as a count of each letter:
// counts holds a's; the larger of the letters of b missing from a and the
// letters of a missing from b. Each edit changes either by at most one, so
// the edit distance is at least this.
size_t UnsharedLetters(std::array<int, 256>& counts, size_t aSize, const std::string& b)
{
    size_t missing = 0;
    for (char c : b)
        if (counts[static_cast<unsigned char>(c)]-- <= 0)
            ++missing;
    for (char c : b)
        ++counts[static_cast<unsigned char>(c)];
    return std::max(missing, aSize - (b.size() - missing));
}

// The known key nearest to a mistyped one, or "" when none is near: at
// most two edits, and fewer than a third of the key's letters.
std::string NearestKey(const std::string& key)
{
    if (key.size() > kLongestTypo)
        return std::string();
    const std::string upper = Upper(key);
    std::array<int, 256> counts{};
    for (char c : upper)
        ++counts[static_cast<unsigned char>(c)];
    std::string best;
    size_t bestDistance = std::min<size_t>(3, (upper.size() + 2) / 3);
    for (const auto& entry : KnownKeys()) {
        // The distance is at least the difference in length and at least
        // the letters not shared: a key that differs by as much cannot come
        // nearer.
        const size_t lengths = std::max(upper.size(), entry.first.size()) - std::min(upper.size(), entry.first.size());
        if (lengths >= bestDistance || UnsharedLetters(counts, upper.size(), entry.first) >= bestDistance)
            continue;
        const size_t distance = EditDistance(entry.first, upper, bestDistance);
        if (distance < bestDistance) {
            best = entry.first;
            bestDistance = distance;
        }
    }
    return best;
}

// A numbered family written with a number the loaders never try ("HUEMASK16",
// "HUEMASK4"); the family, or null.
const VarnelStatementRule* NumberedFamily(const std::string& key)
{
    const VarnelStatementRule* longest = nullptr;
    for (const VarnelStatementRule& rule : VarnelStatementRules()) {
        const size_t length = std::strlen(rule.key);
        if (!rule.numbered || key.size() <= length || key.compare(0, length, rule.key) != 0)
            continue;
        if (key.find_first_not_of("0123456789", length) == std::string::npos &&
            (!longest || length > std::strlen(longest->key)))
            longest = &rule;
    }
    return longest;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// True when the whole field is a decimal number that the integer reading
// takes: it reads as itself rather than as the 0 of a failure. Appending a
// digit tells a written zero from a failure.
bool ReadsAsNumber(const std::string& field)
{
    if (field.find_first_of("0123456789") == std::string::npos)
        return false;
    return ValueToInt(field) != 0 || ValueToInt(field + "1") != 0;
}

// True when the field is a number and nothing else, as a leading-number
// reading takes it whole.
bool IsWholeLeadingNumber(const char* field)
{
    char* end = nullptr;
    errno = 0;
    std::strtol(field, &end, 10);
    if (end == field || errno == ERANGE)
        return false;
    while (*end != '\0' && static_cast<unsigned char>(*end) <= 32)
        ++end;
    return *end == '\0';
}

std::string Range(const VarnelFieldRule& field)
{
    return std::to_string(field.low) + " to " + std::to_string(field.high);
}

}  // namespace

struct CVarnelConfigCheck::TextState {
    int text;
    std::string written;
    CVarnelStatementList list;
    std::vector<bool> readByLibrary;  // per statement: a key was found in it
    std::map<std::string, size_t> firsts;  // key -> statement where the loaders find it
    std::vector<long> definitions;    // offsets of the definitions the loader takes

    TextState(int textIndex, const std::string& text)
        : text(textIndex), written(text.c_str()), list(written), readByLibrary(list.Statements().size())
    {
    }
    const CVarnelStatementList::Statement& At(size_t index) const { return list.Statements()[index]; }
};

CVarnelConfigCheck::CVarnelConfigCheck(CVarnel& configuration) : m_configuration(configuration) {}

int CVarnelConfigCheck::Run(const CVarnelSeparation::Source& source, std::vector<Finding>& findings)
{
    findings.clear();
    const CVarnelCurvePause pause;
    CVarnel configuration;
    std::string presetName, what, message;
    CVarnelSeparation::ParseFault fault;
    const int status = CVarnelSeparation::ReadTexts(configuration, source, presetName, what, message, &fault);
    CVarnelConfigCheck check(configuration);
    if (status == VARNEL_ERROR_NOT_FOUND || status == VARNEL_ERROR_FILE || status == VARNEL_ERROR_ARGUMENT) {
        check.Add(VARNEL_FINDING_ERROR, VARNEL_TEXT_CONFIG, 0, 0, "", message);
    } else if (status == VARNEL_ERROR_MEMORY) {
        return status;
    } else {
        const std::vector<std::string>& texts = configuration.GetSourceTexts();
        if (configuration.GetChannels() <= uint32_t(kMaxConfigChannels))
            check.m_channels = configuration.GetChannels();
        std::vector<std::string> all = {texts.empty() ? std::string() : texts.front()};
        if (source.extra)
            all.push_back(source.extra);
        std::vector<TextState> states;
        states.reserve(all.size());
        for (size_t i = 0; i < all.size(); ++i)
            states.emplace_back(int(i), all[i]);
        for (const TextState& state : states)
            for (const auto& statement : state.list.Statements())
                if (statement.definition && statement.hasEquals)
                    check.m_definedNames.push_back(statement.key.substr(1));
        for (TextState& state : states)
            check.CheckText(state);
        check.CheckLoaded(status, message, fault);
    }
    std::stable_sort(check.m_findings.begin(), check.m_findings.end(), [](const Located& a, const Located& b) {
        return a.finding.text != b.finding.text ? a.finding.text < b.finding.text : a.offset < b.offset;
    });
    for (Located& located : check.m_findings)
        findings.push_back(std::move(located.finding));
    return status;
}

void CVarnelConfigCheck::CheckText(TextState& state)
{
    if (state.text == VARNEL_TEXT_CONFIG)
        CVarnel::ForEachDefinition(state.written.c_str(), long(state.written.size()),
                                   [&state](const char*, const char*, long offset) { state.definitions.push_back(offset); });
    CheckKeys(state);
    CheckStatements(state);
    CheckDefinitions(state);
}

// Each key where the loaders find it: the first occurrence of "KEY=" as a
// plain substring, switched off when "*KEY=" stands anywhere.
void CVarnelConfigCheck::CheckKeys(TextState& state)
{
    const char* text = state.written.c_str();
    // A numbered key stands only where its family's name does: the keys of
    // a family whose name the text lacks (its number 00 comes first) are
    // passed over without a search each.
    const VarnelStatementRule* absentFamily = nullptr;
    for (const auto& entry : KnownKeys()) {
        const VarnelStatementRule* rule = entry.second.rule;
        if (rule == absentFamily)
            continue;
        if (rule->numbered && entry.second.number == 0 && FindKeyOffset(text, rule->key) < 0) {
            absentFamily = rule;
            continue;
        }
        const std::string& key = entry.second.assignment;
        const long offset = FindKeyOffset(text, key.c_str());
        const int index = offset < 0 ? -1 : state.list.IndexAt(size_t(offset));
        if (index < 0)
            continue;
        state.readByLibrary[size_t(index)] = true;
        state.firsts[entry.first] = size_t(index);
        const CVarnelStatementList::Statement& statement = state.At(size_t(index));
        const bool own = statement.key == entry.first;
        if (FindKeyOffset(text, entry.second.switchedOff.c_str()) >= 0) {
            if (own && !statement.starred)
                Add(VARNEL_FINDING_WARNING, state, size_t(index),
                    "switched off: \"*" + key + "\" stands in the same text, so this statement is not read");
            continue;
        }
        if (!own || statement.starred) {
            Add(VARNEL_FINDING_ERROR, state, size_t(index),
                "read as " + key + " (the key is found as text inside this statement)");
            continue;
        }
        std::string value;
        FindKey(text, long(state.written.size()), key.c_str(), value);
        if (CheckValue(state, size_t(index), *entry.second.rule, entry.second.number, value))
            CheckUse(state, size_t(index), *entry.second.rule, entry.second.number);
        // Every channel-contact statement adds a contact; an extra text
        // does not replace the configuration's.
        if (state.text == VARNEL_TEXT_CONFIG)
            m_configKeys.push_back(entry.first);
        else if (!std::strcmp(entry.second.rule->key, "CHANNEL_CONTACT") &&
                 std::find(m_configKeys.begin(), m_configKeys.end(), entry.first) != m_configKeys.end())
            Add(VARNEL_FINDING_WARNING, state, size_t(index),
                entry.first + " adds a second contact: the configuration's " + entry.first + " stays in force");
        if (entry.first == "CHANNELS") {
            m_channelsText = state.text;
            m_channelsOffset = statement.start;
            m_channelsLine = statement.line;
            m_channelsStatement = statement.written;
        }
    }
}

// Statements that no loader reads as they are written.
void CVarnelConfigCheck::CheckStatements(TextState& state)
{
    for (size_t i = 0; i < state.list.Statements().size(); ++i) {
        const CVarnelStatementList::Statement& statement = state.At(i);
        if (statement.definition || statement.starred || state.readByLibrary[i])
            continue;
        if (!statement.hasEquals) {
            Add(VARNEL_FINDING_ERROR, state, i, "not a statement: a statement is KEY=value");
            continue;
        }
        const std::string& key = statement.key;
        if (FindKnownKey(key)) {
            const auto& first = state.At(state.firsts.at(key));
            if (FindKeyOffset(state.written.c_str(), ("*" + key + "=").c_str()) >= 0)
                Add(VARNEL_FINDING_WARNING, state, i,
                    "switched off: \"*" + key + "=\" stands in the same text, so this statement is not read");
            else
                Add(VARNEL_FINDING_WARNING, state, i,
                    key + " is given twice: only the first, on line " + std::to_string(first.line) + ", counts");
            continue;
        }
        const std::string upper = Upper(key);
        if (FindKnownKey(upper)) {
            Add(VARNEL_FINDING_ERROR, state, i, "keys are upper case: " + Quoted(key) + " is not read, " + upper + " is");
            continue;
        }
        if (const VarnelStatementRule* family = NumberedFamily(upper)) {
            Add(VARNEL_FINDING_ERROR, state, i,
                std::string(family->key) + " takes a two-digit number from 00 to 15: " + Quoted(key) +
                    " is never read");
            continue;
        }
        const std::string nearest = NearestKey(key);
        Add(VARNEL_FINDING_ERROR, state, i,
            "unknown key " + Quoted(key) + (nearest.empty() ? "" : "; did you mean " + nearest + "?"));
    }
}

void CVarnelConfigCheck::CheckDefinitions(TextState& state)
{
    for (size_t i = 0; i < state.list.Statements().size(); ++i) {
        const CVarnelStatementList::Statement& statement = state.At(i);
        if (!statement.definition)
            continue;
        if (state.text != VARNEL_TEXT_CONFIG) {
            Add(VARNEL_FINDING_WARNING, state, i,
                "variable definition never read: only the configuration defines variables, not the extra text");
        } else if (std::find(state.definitions.begin(), state.definitions.end(), long(statement.start)) ==
                   state.definitions.end()) {
            Add(VARNEL_FINDING_WARNING, state, i,
                "variable definition never read: a definition counts only as the first statement of a line "
                "that ends with a carriage return (CR)");
        }
    }
}

bool CVarnelConfigCheck::CheckValue(TextState& state, size_t index, const VarnelStatementRule& rule, int number,
                                    const std::string& value)
{
    const std::string key = VarnelRuleKey(rule, number);
    if (rule.numbered && m_channels > 0 && uint32_t(number) >= m_channels) {
        Add(VARNEL_FINDING_ERROR, state, index,
            key + " serves channel " + std::to_string(number) + ", but CHANNELS is " + std::to_string(m_channels));
        return false;
    }
    if (rule.shape == VarnelValueShape::Whole) {
        if (value.find(',') != std::string::npos) {
            Add(VARNEL_FINDING_ERROR, state, index,
                key + " takes one number: the ',' joins the digits, so it reads as " +
                    std::to_string(ValueToInt(value)));
            return false;
        }
        return CheckField(state, index, rule.fields.front(), value.c_str(), 0, 1, rule);
    }
    CVarnelStatementFields fields;
    if (fields.Read(value, rule.valueBuffer ? rule.valueBuffer : value.size() + 2) != 0) {
        Add(VARNEL_FINDING_ERROR, state, index,
            "the value is longer than " + std::to_string(rule.valueBuffer - 2) + " characters or has more than " +
                std::to_string(kMaxTokens) + " fields: the statement cannot be read");
        return false;
    }
    const int count = fields.Count();
    m_fieldCount = count;
    if (count < rule.minFields || count > rule.maxFields) {
        Add(VARNEL_FINDING_ERROR, state, index,
            std::string(count < rule.minFields ? "too few" : "too many") + " fields: " + key + " takes " +
                rule.syntax + (count > rule.maxFields ? "; the rest is not read" : ""));
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const VarnelFieldRule& field = VarnelFieldAt(rule, i, count);
        if (!CheckField(state, index, field, fields.Field(i), i, count, rule))
            return false;
        // The amounts of colour addition belong to channels 0, 1, ...
        if (rule.repeatsMiddle && i > 0 && i < count - 1 && m_channels > 0 && uint32_t(i - 1) >= m_channels) {
            Add(VARNEL_FINDING_ERROR, state, index,
                "an amount for channel " + std::to_string(i - 1) + ", but CHANNELS is " + std::to_string(m_channels));
            return false;
        }
    }
    return true;
}

bool CVarnelConfigCheck::CheckField(TextState& state, size_t index, const VarnelFieldRule& field,
                                    const char* written, int fieldIndex, int count, const VarnelStatementRule& rule)
{
    const std::string name = rule.shape == VarnelValueShape::Whole || rule.maxFields == 1
                                 ? std::string(rule.key)
                                 : "field " + std::to_string(fieldIndex + 1) + " (" + field.name + ")";
    std::string text = written;
    std::string origin;  // how a variable gave the text
    bool undefined = false;
    if (!text.empty() && text[0] == '_') {
        if (!field.variables) {
            Add(VARNEL_FINDING_ERROR, state, index, name + " takes no variable: " + Quoted(text) + " reads as 0");
            return false;
        }
        if (CVarnelVarContainer* vars = m_configuration.GetVarContainer())
            text = ResolveFieldText(written, *vars);
        else
            text.clear();
        if (text.empty()) {
            const bool unread = std::find(m_definedNames.begin(), m_definedNames.end(), written) != m_definedNames.end();
            if (!unread) {
                Add(VARNEL_FINDING_ERROR, state, index,
                    "no variable " + Quoted(written) + " is defined: " + name + " reads as empty");
                return false;
            }
            undefined = true;
            origin = std::string(": ") + written + " is not defined (its definition is never read), so the value is empty";
        } else {
            origin = std::string(" (") + written + " gives " + Quoted(text) + ")";
        }
    }
    int64_t number = 0;
    switch (field.kind) {
    case VarnelFieldKind::Flag:
        // A single field of colour addition is its strength and its flag.
        if (text != "Y" && text != "N" && !text.empty() && !(rule.repeatsMiddle && count == 1)) {
            Add(VARNEL_FINDING_ERROR, state, index, name + " is Y or N: " + Quoted(text) + " reads as on" + origin);
            return false;
        }
        return true;
    case VarnelFieldKind::WithBlack:
        if (text != "Y" && text != "N") {
            Add(VARNEL_FINDING_ERROR, state, index,
                name + " is Y or N: " + Quoted(text) + " reads as N, colour without black" + origin);
            return false;
        }
        return true;
    case VarnelFieldKind::Expression:
        return true;
    case VarnelFieldKind::LeadingNumber:
        number = ReadIntegerField(text.c_str(), IntegerField::LeadingDigitsClamped);
        if (!IsWholeLeadingNumber(text.c_str())) {
            Add(VARNEL_FINDING_ERROR, state, index,
                name + " " + Quoted(text) + " is not a whole number: it reads as " + std::to_string(number) + origin);
            return false;
        }
        break;
    case VarnelFieldKind::Number:
        number = ValueToInt(text);
        if (!undefined && !ReadsAsNumber(text)) {
            Add(VARNEL_FINDING_ERROR, state, index,
                name + " " + Quoted(text) + " is not a whole number: it reads as 0" + origin);
            return false;
        }
        break;
    }
    if (number < field.low || number > field.high) {
        if (field.clamped) {
            const int64_t clamped = std::max<int64_t>(field.low, std::min<int64_t>(field.high, number));
            Add(VARNEL_FINDING_WARNING, state, index,
                name + (undefined ? "" : " " + std::to_string(number)) + " reads as " + std::to_string(clamped) +
                    (undefined ? origin + ", 0," : ":") + " which is clamped to " + Range(field));
            return true;
        }
        Add(VARNEL_FINDING_ERROR, state, index,
            name + " " + std::to_string(number) + " is outside " + Range(field) + origin);
        return false;
    }
    if (field.channel && m_channels > 0 && number >= int64_t(m_channels)) {
        Add(VARNEL_FINDING_ERROR, state, index,
            name + " " + std::to_string(number) + " is no channel: CHANNELS is " + std::to_string(m_channels) + origin);
        return false;
    }
    if (undefined)
        Add(VARNEL_FINDING_WARNING, state, index, name + " reads as " + std::to_string(number) + origin);
    return true;
}

// Statements that load but that the engine never applies.
void CVarnelConfigCheck::CheckUse(TextState& state, size_t index, const VarnelStatementRule& rule, int number)
{
    const uint32_t black = m_configuration.GetBlackMask();
    const std::string key = VarnelRuleKey(rule, number);
    const std::string name = rule.key;
    if (name == "HUEMASK") {
        CVarnelMasksContainer* masks = m_configuration.GetMasks();
        auto* mask = masks ? dynamic_cast<CVarnelMaskItem*>(masks->GetItem(number)) : nullptr;
        if (mask && mask->GetActive() == 0)
            Add(VARNEL_FINDING_ERROR, state, index,
                key + " is never used: channel " + std::to_string(number) +
                    " is the black channel (BLACKMASK), whose mask stays off");
    } else if ((name == "COLOR_SUBST" || name == "COLOR_ADD") && uint32_t(number) == black) {
        Add(VARNEL_FINDING_ERROR, state, index,
            key + " is never applied: channel " + std::to_string(number) + " is the black channel, which " +
                (name == "COLOR_SUBST" ? "GRAY_SUBST" : "BLACK_ADD") + " serves");
        return;
    }
    if ((name == "COLOR_SUBST" || name == "GRAY_SUBST") && m_fieldCount == 6)
        CheckExpression(state, index, name == "GRAY_SUBST" ? -1 : number);
}

// An expression is evaluated for every pixel over the numeric variables;
// one that cannot be evaluated gives no strength to the substitution.
void CVarnelConfigCheck::CheckExpression(TextState& state, size_t index, int number)
{
    CVarnelColorSubstContainer* substitutions = m_configuration.GetColorSubst();
    if (!substitutions)
        return;
    CVarnelColorSubstItem* item = number < 0 ? substitutions->FindGrayItem(1) : substitutions->FindItemByNumber(number);
    if (!item || !item->GetParser())
        return;
    try {
        item->GetParser()->Eval();
    } catch (const mu::ParserError& error) {
        Add(VARNEL_FINDING_ERROR, state, index,
            "the expression cannot be evaluated (" + error.GetMsg() + "): the strength it should give is not applied");
    }
}

void CVarnelConfigCheck::CheckLoaded(int status, const std::string& message,
                                     const CVarnelSeparation::ParseFault& fault)
{
    if (status == VARNEL_OK) {
        CheckUncomputedChannels();
        return;
    }
    // The text that keeps the configuration from loading, and the statement
    // to blame when one is.
    if (fault.text >= 0) {
        if (!fault.blamed)
            Add(VARNEL_FINDING_ERROR, fault.text, SIZE_MAX, 0, "", message);
        else if (!HasError(fault.text, fault.statement.line, fault.statement.statement))
            Add(VARNEL_FINDING_ERROR, fault.text, SIZE_MAX, fault.statement.line, fault.statement.statement,
                "the configuration does not load because of this statement");
        return;
    }
    // Every text parsed: the channel count is wrong.
    if (m_channelsText < 0 || !HasError(m_channelsText, m_channelsLine, m_channelsStatement))
        Add(VARNEL_FINDING_ERROR, VARNEL_TEXT_CONFIG, SIZE_MAX, 0, "", message);
}

void CVarnelConfigCheck::CheckUncomputedChannels()
{
    std::vector<bool> computed(m_channels);
    if (m_configuration.GetBlackMask() < m_channels)
        computed[m_configuration.GetBlackMask()] = true;
    if (CVarnelMasksContainer* masks = m_configuration.GetMasks())
        for (const auto& entry : masks->GetItems()) {
            const auto* mask = dynamic_cast<const CVarnelMaskItem*>(entry.second);
            if (mask && mask->GetActive() != 0 && uint32_t(entry.first) < m_channels)
                computed[size_t(entry.first)] = true;
        }
    // Second colours and light masks write their destination channel.
    auto destinations = [&](auto* container) {
        if (container)
            for (CVarnelItem* item : container->GetItems()) {
                auto* transformation = dynamic_cast<CVarnelTransformation*>(item);
                if (transformation && item->IsEnabled() && uint32_t(transformation->GetParam1()) < m_channels)
                    computed[size_t(transformation->GetParam1())] = true;
            }
    };
    destinations(m_configuration.GetSecondColors());
    destinations(m_configuration.GetLightMasks());
    for (uint32_t channel = 0; channel < m_channels; ++channel)
        if (!computed[channel])
            Add(VARNEL_FINDING_WARNING, m_channelsText < 0 ? VARNEL_TEXT_CONFIG : m_channelsText, m_channelsOffset,
                m_channelsLine, m_channelsStatement,
                "channel " + std::to_string(channel) +
                    " is computed by no mask and is not the black channel: it prints full ink on every pixel");
}

void CVarnelConfigCheck::Add(int severity, int text, size_t offset, unsigned line, const std::string& statement,
                             const std::string& message)
{
    Located located;
    located.finding.severity = severity;
    located.finding.text = text;
    located.finding.line = line;
    located.finding.statement = statement;
    located.finding.message = message;
    located.offset = offset;
    m_findings.push_back(std::move(located));
}

void CVarnelConfigCheck::Add(int severity, const TextState& state, size_t index, const std::string& message)
{
    const CVarnelStatementList::Statement& statement = state.At(index);
    Add(severity, state.text, statement.start, statement.line, statement.written, message);
}

bool CVarnelConfigCheck::HasError(int text, unsigned line, const std::string& statement) const
{
    for (const Located& located : m_findings)
        if (located.finding.severity == VARNEL_FINDING_ERROR && located.finding.text == text &&
            located.finding.line == line && located.finding.statement == statement)
            return true;
    return false;
}
