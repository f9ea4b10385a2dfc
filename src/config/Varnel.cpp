#include "config/Varnel.h"

#include "base/KFile.h"
#include "base/KFileStream.h"
#include "base/KPath.h"
#include "base/KString.h"
#include "config/VarnelLookupRecorder.h"
#include "config/VarnelParser.h"
#include "config/VarnelVarContainer.h"
#include "stages/VarnelChannelsContact.h"
#include "stages/VarnelColorAddition.h"
#include "stages/VarnelColorSubst.h"
#include "stages/VarnelMasks.h"
#include "stages/VarnelMasksLight.h"
#include "stages/VarnelSecondColors.h"
#include "varnel/varnel.h"

#include <Poco/DigestEngine.h>
#include <Poco/File.h>
#include <Poco/SHA2Engine.h>

#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kTypeTag = 0x564C2020;  // "VL  "
constexpr int kDefaultMaxInk = 300;
constexpr uint32_t kWithBlack = 2;
constexpr uint32_t kWithoutBlack = 1;
// Longest variable definition (after the '#') and name that are taken;
// longer ones are skipped, since cutting them would define another name or
// value than the one written.
constexpr size_t kMaxDefinition = 99;
constexpr size_t kMaxVarName = kVarNameRoom - 1;
// Room a variable's value may take when it replaces a list item.
constexpr int kVarLookupRoom = 10;

// Creates a container; a failure is raised as a text that names the stage.
template <typename T>
T* CreateContainer(const char* message)
{
    try {
        return new T();
    } catch (...) {
        throw std::runtime_error(message);
    }
}

// The value of an active statement, split into list items on ','. The
// buffer is sized to the value, so a top-level key has no length limit; only
// its first items are read.
struct SplitValue {
    std::vector<char> buffer;
    char* items[kMaxTokens] = {};
    int count = 0;

    explicit SplitValue(const std::string& value)
        : buffer(value.begin(), value.end())
    {
        buffer.push_back('\r');  // closes the last item
        buffer.push_back('\0');
        CVarnelParser parser;
        count = parser.Split(buffer.data(), items, static_cast<long>(value.size() + 1), ',');
    }

    const char* Item(int i) const { return i < kMaxTokens ? items[i] : nullptr; }
};

bool IsDirectory(const KFile& file)
{
    try {
        const std::string name = file.GetKPath().NativeName();
        return !name.empty() && Poco::File(name).isDirectory();
    } catch (...) {
        return false;  // missing or inaccessible: opening reports it
    }
}

// digest = SHA-256(previous digest, length, text): one digest names a
// sequence of texts, with their boundaries. text is what was kept of the
// text given (nothing of a null text or a length below 1).
void ChainDigest(std::string& digest, const std::string& text, long length)
{
    Poco::SHA2Engine engine(Poco::SHA2Engine::SHA_256);
    engine.update(digest);
    const std::string size = ":" + std::to_string(length) + ":";
    engine.update(size);
    if (!text.empty())
        engine.update(text);
    digest = Poco::DigestEngine::digestToHex(engine.digest());
}

// The steps of ParseText, in order, and their functions.
enum ParseStepIndex {
    kRoundStep, kChannelsStep, kColorWithBlackStep, kChannelsContactStep, kMaxInkStep, kBlackMaskStep,
    kMasksStep, kLightMasksStep, kSecondColorsStep, kColorSubstStep, kColorAdditionStep, kParseStepCount
};
using ParseStep = int (CVarnel::*)(const char*, long);
const ParseStep kParseSteps[] = {
    &CVarnel::ParseRound,      &CVarnel::ParseChannels,
    &CVarnel::ParseColorWithBlack, &CVarnel::ParseChannelsContact,
    &CVarnel::ParseMaxInk,     &CVarnel::ParseBlackMask,
    &CVarnel::ParseMasks,      &CVarnel::ParseLightMasks,
    &CVarnel::ParseSecondColors, &CVarnel::ParseColorSubst,
    &CVarnel::ParseColorAddition,
};
static_assert(sizeof kParseSteps / sizeof kParseSteps[0] == kParseStepCount, "one function per step");

bool IsAllDigits(const char* text)
{
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

}  // namespace

CVarnel::CVarnel()
{
    CVarnel::Init();
}

CVarnel::~CVarnel()
{
    CVarnel::DeleteContainers();
}

uint32_t CVarnel::GetTypeTag() const
{
    return kTypeTag;
}

int CVarnel::Reserved1()
{
    return 0;
}

int CVarnel::ParseText(const char* text, long length)
{
    try {
        // The room for the length first: once the text is kept, its length
        // is kept without a failure, and the two lists stay in step.
        m_sourceLengths.reserve(m_sourceLengths.size() + 1);
        m_sourceTexts.emplace_back(text, text && length > 0 ? size_t(length) : 0);
        m_sourceLengths.push_back(length);
        // Only the first text defines variables: a caller's extra text
        // applied over a preset must not redefine what the preset uses.
        if (!m_varsLoaded) {
            const int result = ParseVariables(text, length);
            m_varsLoaded = 1;
            if (result != 0)
                return result;
        }
        SetAllEmptyFlags();

        int step = 0;
        for (const ParseStep parse : kParseSteps) {
            CVarnelLookupRecorder::BeginStep(step++);
            const int result = (this->*parse)(text, length);
            if (result != 0)
                return result;
        }
        return 0;
    } catch (int code) {
        return code;
    } catch (...) {
        return VARNEL_STATUS_FAILED;
    }
}

uint32_t CVarnel::StepsAffecting(int step)
{
    if (step < 0 || step >= kParseStepCount)
        return ~uint32_t(0);
    // Each step reads the text, the variables and its own stage; of what
    // other steps do, only the black channel's mask that BLACKMASK files
    // among the hue masks reaches another step.
    uint32_t steps = uint32_t(1) << step;
    if (step == kMasksStep)
        steps |= uint32_t(1) << kBlackMaskStep;
    return steps;
}

std::string CVarnel::GetSourceDigest() const
{
    std::string digest;
    for (size_t i = 0; i < m_sourceTexts.size(); ++i)
        ChainDigest(digest, m_sourceTexts[i], m_sourceLengths[i]);
    return digest;
}

int CVarnel::LoadFile(const KFile& path)
{
    try {
        KString extension = path.GetKPath().GetExtension();
        extension.ToUpper();
        if (extension == "XML") {
            // XML configurations are accepted but carry nothing this library
            // reads.
            m_sourceKind = kSourceXml;
            return 0;
        }
        if (extension == "CFG") {
            m_sourceKind = kSourceCfg;
            return LoadCfgFile(path);
        }
        return VARNEL_STATUS_FAILED;
    } catch (int code) {
        return code;
    } catch (...) {
        return VARNEL_STATUS_FAILED;
    }
}

CVarnelSecondColorsContainer* CVarnel::GetSecondColors() { return m_secondColors; }
CVarnelMasksLightContainer* CVarnel::GetLightMasks() { return m_lightMasks; }
CVarnelMasksContainer* CVarnel::GetMasks() { return m_masks; }
CVarnelColorSubstContainer* CVarnel::GetColorSubst() { return m_colorSubst; }
CVarnelColorAdditionContainer* CVarnel::GetColorAddition() { return m_colorAddition; }
CVarnelChannelsContactContainer* CVarnel::GetChannelsContact() { return m_channelsContact; }

void CVarnel::ResetContainers()
{
    if (m_secondColors != nullptr)
        m_secondColors->Reset();
    if (m_lightMasks != nullptr)
        m_lightMasks->Reset();
    if (m_masks != nullptr)
        m_masks->Reset();
    if (m_colorSubst != nullptr)
        m_colorSubst->Reset();
    if (m_colorAddition != nullptr)
        m_colorAddition->Reset();
    if (m_channelsContact != nullptr)
        m_channelsContact->Reset();
}

uint32_t CVarnel::GetChannels() const { return m_channels; }
void CVarnel::SetChannels(uint32_t channels) { m_channels = channels; }
void CVarnel::SetColorWithBlack(uint32_t value) { m_colorWithBlack = value; }
uint32_t CVarnel::GetColorWithBlack() const { return m_colorWithBlack; }

int CVarnel::SetMaxInk(int32_t percent)
{
    // 300 % (no limit) gives strength 0, 200 % and below the strongest
    // limiting, 32767/65536. The halving truncates, so odd distances from
    // 300 count as the even one below.
    int32_t clamped = percent;
    if (clamped < 200)
        clamped = 200;
    if (clamped > 300)
        clamped = 300;
    m_inkLimit = static_cast<uint32_t>(((300 - clamped) / 2) * 65535 / 100);
    return 0;
}

uint32_t CVarnel::GetInkLimit() const { return m_inkLimit; }
void CVarnel::SetBlackMask(uint32_t channel) { m_blackMask = channel; }
uint32_t CVarnel::GetBlackMask() const { return m_blackMask; }

void CVarnel::SetRound(uint32_t r, uint32_t g, uint32_t b)
{
    m_round[0] = r;
    m_round[1] = g;
    m_round[2] = b;
}

uint32_t CVarnel::GetRound(int i) const
{
    return (i >= 0 && i < 3) ? m_round[i] : 0;
}

void CVarnel::ForEachDefinition(const char* text, long length, const DefinitionVisitor& visit)
{
    if (text == nullptr || length < 1)
        return;
    // A line runs from the CR that ended the previous one (the first from
    // the start of the text) up to, not including, its own CR; text after
    // the last CR is no line. Definitions therefore need a line end, and a
    // single-line text (every built-in preset) defines nothing.
    long start = 0;
    for (long pos = 0; pos < length; ++pos) {
        if (text[pos] != '\r')
            continue;
        std::vector<char> line(text + start, text + pos);
        line.push_back('\0');
        const long lineStart = start;
        start = pos;

        char* statements[kMaxTokens];
        CVarnelParser parser;
        // A statement counts only when a ';' closes it.
        const int count = parser.Split(line.data(), statements,
                                       static_cast<long>(line.size() - 1), ';');
        if (count < 1 || statements[0][0] != '#')
            continue;

        const char* definition = statements[0] + 1;
        const size_t definitionLength = std::strlen(definition);
        if (definitionLength > kMaxDefinition)
            continue;
        std::vector<char> work(definition, definition + definitionLength);
        work.push_back('\r');
        work.push_back('\0');
        char* parts[kMaxTokens];
        if (parser.Split(work.data(), parts, static_cast<long>(definitionLength + 1), '=') < 2)
            continue;
        if (std::strlen(parts[0]) > kMaxVarName)
            continue;
        visit(parts[0], parts[1], lineStart + long(statements[0] - line.data()));
    }
}

int CVarnel::ParseVariables(const char* text, long length)
{
    ForEachDefinition(text, length, [this](const char* name, const char* value, long) {
        try {
            CVar record;
            std::strcpy(record.name, name);
            record.kind = IsAllDigits(value) ? 'n' : 'a';
            record.value = value;
            if (m_vars != nullptr)
                m_vars->AddVar(record);
        } catch (...) {
            // A definition that cannot be stored is skipped; the others
            // still count.
        }
    });
    return 0;
}

int CVarnel::ParseChannels(const char* text, long length)
{
    std::string value;
    if (FindKey(text, length, "CHANNELS=", value) && IsKeyActive(text, length, "CHANNELS="))
        SetChannels(static_cast<uint32_t>(ValueToInt(value)));
    return 0;
}

int CVarnel::ParseColorWithBlack(const char* text, long length)
{
    std::string item;
    const int found = ReadFirstItem(text, length, "COLORWITHBLACK=", item);
    if (found < 0)
        return found;
    if (found > 0)
        SetColorWithBlack(item == "Y" ? kWithBlack : kWithoutBlack);
    return 0;
}

int CVarnel::ParseMaxInk(const char* text, long length)
{
    // The presets write "MAXINK=_MAXIMUMINK" with the definition on their
    // single line. That line has no CR, so the variable is never defined,
    // the lookup yields an empty text, 0, and the clamp makes it 200 %
    // (strength 32767). A defined numeric variable would not help either:
    // it is handed out as "300.00", which the integer conversion refuses.
    // So every preset separates at the 200 % limit (pinned by the golden
    // digests of VarnelIFTest).
    std::string item;
    const int found = ReadFirstItem(text, length, "MAXINK=", item);
    if (found < 0)
        return found;
    if (found > 0)
        SetMaxInk(ValueToInt(item));
    return 0;
}

int CVarnel::ParseBlackMask(const char* text, long length)
{
    std::string value;
    if (!FindKey(text, length, "BLACKMASK=", value) || !IsKeyActive(text, length, "BLACKMASK="))
        return 0;
    SetBlackMask(static_cast<uint32_t>(ValueToInt(value)));
    if (m_masks == nullptr)
        return VARNEL_STATUS_FAILED;

    // An inactive mask occupies the black channel's number so that no hue
    // range drives the black channel; a mask already filed there stays.
    const int32_t number = static_cast<int32_t>(m_blackMask);
    auto item = std::make_unique<CVarnelMaskItem>();
    item->SetNumber(number);
    item->SetPoint1(MaskPoint{0, 0});
    item->SetPoint2(MaskPoint{0, 0});
    item->SetPoint3(MaskPoint{0, 0});
    item->SetPoint4(MaskPoint{0, 0});
    item->SetActive(0);
    m_masks->AddItemAt(number, item.release());
    return 0;
}

// A stage whose container could not be created cannot take its statements:
// that is reported as a failure rather than ignored.

int CVarnel::ParseColorSubst(const char* text, long length)
{
    if (m_colorSubst == nullptr)
        return VARNEL_STATUS_FAILED;
    const int result = m_colorSubst->Load(text, length);
    m_colorSubstEmpty = m_colorSubst->IsEmpty() ? 1 : 0;
    return result;
}

int CVarnel::ParseColorAddition(const char* text, long length)
{
    if (m_colorAddition == nullptr)
        return VARNEL_STATUS_FAILED;
    const int result = m_colorAddition->Load(text, length);
    m_colorAdditionEmpty = m_colorAddition->IsEmpty() ? 1 : 0;
    return result;
}

int CVarnel::ParseMasks(const char* text, long length)
{
    if (m_masks == nullptr)
        return VARNEL_STATUS_FAILED;
    const int result = m_masks->LoadMasks(text, length);
    m_masksEmpty = m_masks->IsEmpty() ? 1 : 0;
    return result;
}

int CVarnel::ParseSecondColors(const char* text, long length)
{
    if (m_secondColors == nullptr)
        return VARNEL_STATUS_FAILED;
    const int result = m_secondColors->LoadSecondColors(text, length, 0);
    m_secondColorsEmpty = m_secondColors->IsEmpty() ? 1 : 0;
    return result;
}

int CVarnel::ParseLightMasks(const char* text, long length)
{
    if (m_lightMasks == nullptr)
        return VARNEL_STATUS_FAILED;
    const int result = m_lightMasks->Load(text, length);
    m_lightMasksEmpty = m_lightMasks->IsEmpty() ? 1 : 0;
    return result;
}

int CVarnel::ParseChannelsContact(const char* text, long length)
{
    if (m_channelsContact == nullptr)
        return VARNEL_STATUS_FAILED;
    const int result = m_channelsContact->Load(text, length);
    m_channelsContactEmpty = m_channelsContact->IsEmpty() ? 1 : 0;
    return result;
}

int CVarnel::ParseRound(const char* text, long length)
{
    std::string value;
    if (!FindKey(text, length, "ROUND=", value) || !IsKeyActive(text, length, "ROUND="))
        return 0;
    // Missing items count as 0 (no lift); items past the third are ignored.
    const SplitValue items(value);
    uint32_t lift[3];
    for (int i = 0; i < 3; ++i)
        lift[i] = static_cast<uint32_t>(i < items.count ? ValueToInt(items.Item(i)) : 0);
    SetRound(lift[0], lift[1], lift[2]);
    return 0;
}

bool CVarnel::IsKeyActive(const char* text, long length, const char* key) const
{
    std::string starred;
    return !FindKey(text, length, (std::string("*") + key).c_str(), starred);
}

void CVarnel::SetAux(uint32_t value) { m_aux = value; }
uint32_t CVarnel::GetAux() const { return m_aux; }

int CVarnel::Reserved2()
{
    return 0;
}

int CVarnel::LoadCfgFile(const KFile& path)
{
    long size = 0;
    int result = ReadFile(path, size, nullptr);
    if (result != 0)
        return result;
    if (size < 1)
        return VARNEL_STATUS_FAILED;
    // Zero-filled, so that the text stays terminated even when the file
    // shrank between sizing and reading.
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(size)]());
    if (!buffer)
        return VARNEL_STATUS_NO_MEMORY;
    result = ReadFile(path, size, buffer.get());
    if (result != 0)
        return result;
    return ParseText(buffer.get(), size - 1);
}

int CVarnel::ReadFile(const KFile& path, long& size, char* buffer)
{
    // A directory opens like a file on some systems and then reads as an
    // empty text; it is no configuration and is refused.
    if (IsDirectory(path))
        return VARNEL_STATUS_FAILED;
    KFileStream stream;
    if (stream.Open(path, FOM_READBYTES) != 0)
        return VARNEL_STATUS_FAILED;
    const int fileSize = stream.GetSize();
    // A negative size is no file that can be read (a directory, a device).
    if (fileSize < 0 || fileSize == INT_MAX) {
        stream.Close();
        return VARNEL_STATUS_FAILED;
    }
    if (buffer == nullptr) {
        size = static_cast<long>(fileSize) + 1;
        stream.Close();
        return 0;
    }
    // Never more than the caller's buffer minus the terminator, whatever
    // the file holds now.
    const long room = size - 1;
    if (room < 0) {
        stream.Close();
        return VARNEL_STATUS_FAILED;
    }
    long total = 0;
    while (total < room) {
        const long chunk = room - total < INT_MAX ? room - total : INT_MAX;
        const int read = stream.Read(buffer + total, static_cast<int>(chunk));
        if (read <= 0)
            break;
        total += read;
    }
    buffer[total] = '\0';
    stream.Close();
    return 0;
}

void CVarnel::Init()
{
    // Init may run again on a live object: release what it created before.
    DeleteContainers();

    m_channels = 0;
    m_colorWithBlack = 0;
    m_blackMask = 0;
    SetMaxInk(kDefaultMaxInk);
    SetColorWithBlack(kWithBlack);
    SetRound(0, 0, 0);
    m_varsLoaded = 0;

    try {
        m_vars = CreateContainer<CVarnelVarContainer>("CVarnel::Creando contenedor de variables");
        m_secondColors = CreateContainer<CVarnelSecondColorsContainer>("CVarnel::Creando segundos colores");
        m_secondColors->SetVarContainer(m_vars);
        m_lightMasks = CreateContainer<CVarnelMasksLightContainer>("CVarnel::Creando mascaras colores claros");
        m_lightMasks->SetVarContainer(m_vars);
        m_masks = CreateContainer<CVarnelMasksContainer>("CVarnel::Creando mascaras");
        m_masks->SetVarContainer(m_vars);
        m_colorSubst = CreateContainer<CVarnelColorSubstContainer>("CVarnel::Creando sustitucion de color");
        m_colorSubst->SetVarContainer(m_vars);
        m_colorAddition = CreateContainer<CVarnelColorAdditionContainer>("CVarnel::Creando adicion de color");
        m_colorAddition->SetVarContainer(m_vars);
        // The channel-contact stage has never had a message of its own.
        m_channelsContact = new CVarnelChannelsContactContainer();
        m_channelsContact->SetVarContainer(m_vars);
    } catch (...) {
        // Initialisation stops at the container that failed; the ones
        // created stay, the rest stay null and their statements fail to
        // load.
    }
    SetAllEmptyFlags();
}

void CVarnel::DeleteContainers()
{
    delete m_secondColors;
    m_secondColors = nullptr;
    delete m_lightMasks;
    m_lightMasks = nullptr;
    delete m_masks;
    m_masks = nullptr;
    delete m_colorSubst;
    m_colorSubst = nullptr;
    delete m_colorAddition;
    m_colorAddition = nullptr;
    delete m_channelsContact;
    m_channelsContact = nullptr;
    delete m_vars;
    m_vars = nullptr;
}

int CVarnel::ReadFirstItem(const char* text, long length, const char* key, std::string& item)
{
    std::string value;
    if (!FindKey(text, length, key, value) || !IsKeyActive(text, length, key))
        return 0;
    const SplitValue items(value);
    if (items.count < 1)
        return VARNEL_STATUS_FAILED;
    const char* first = items.Item(0);
    if (first[0] != '_') {
        item = first;
        return 1;
    }
    // A variable name: the value text replaces it. Without a variable
    // container the statement fails with -1 (reported as a result, not
    // thrown, so that no exception leaves the configuration object).
    if (m_vars == nullptr)
        return VARNEL_STATUS_FAILED;
    char resolved[kVarLookupRoom + 1] = {};
    int room = kVarLookupRoom;
    m_vars->LookupVar(first, resolved, room);
    item = resolved;
    return 1;
}

void CVarnel::SetAllEmptyFlags()
{
    m_masksEmpty = 1;
    m_secondColorsEmpty = 1;
    m_lightMasksEmpty = 1;
    m_colorSubstEmpty = 1;
    m_colorAdditionEmpty = 1;
    m_channelsContactEmpty = 1;
}
