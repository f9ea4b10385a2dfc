// A separation configuration: the global settings (channels, black, ink
// limit, input lift) and the seven containers that hold everything else
// (variables and the six transformation stages). Filled from configuration
// texts; the engine only reads it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class KFile;
class CVarnelVarContainer;
class CVarnelSecondColorsContainer;
class CVarnelMasksLightContainer;
class CVarnelMasksContainer;
class CVarnelColorSubstContainer;
class CVarnelColorAdditionContainer;
class CVarnelChannelsContactContainer;

// Where the configuration came from.
constexpr int32_t kSourceXml = 1;
constexpr int32_t kSourceCfg = 2;

class CVarnel {
public:
    CVarnel();
    virtual ~CVarnel();
    CVarnel(const CVarnel&) = delete;
    CVarnel& operator=(const CVarnel&) = delete;

    virtual uint32_t GetTypeTag() const;  // 0x564C2020
    virtual int Reserved1();
    // Applies a configuration text of `length` bytes (zero-terminated).
    // Returns 0 or the code of the first statement that failed; never
    // throws.
    virtual int ParseText(const char* text, long length);
    // ParseText runs its steps in a fixed order (each begins with
    // CVarnelLookupRecorder::BeginStep and its index). The steps whose
    // effects may change what step `step` does, a bit per index: every step
    // for an index that names none.
    static uint32_t StepsAffecting(int step);
    // Loads a file chosen by its extension: CFG is parsed, XML is accepted
    // without reading it, anything else gives -1. Never throws.
    virtual int LoadFile(const KFile& path);

    virtual CVarnelSecondColorsContainer* GetSecondColors();
    virtual CVarnelMasksLightContainer* GetLightMasks();
    virtual CVarnelMasksContainer* GetMasks();
    virtual CVarnelColorSubstContainer* GetColorSubst();
    virtual CVarnelColorAdditionContainer* GetColorAddition();
    virtual CVarnelChannelsContactContainer* GetChannelsContact();
    // Empties the stage containers (as each one's Reset understands it);
    // settings and variables stay.
    virtual void ResetContainers();

    virtual uint32_t GetChannels() const;
    virtual void SetChannels(uint32_t channels);
    virtual void SetColorWithBlack(uint32_t value);
    virtual uint32_t GetColorWithBlack() const;
    // Stores the ink-limit strength for a percentage (clamped to 200..300);
    // returns 0.
    virtual int SetMaxInk(int32_t percent);
    virtual uint32_t GetInkLimit() const;
    virtual void SetBlackMask(uint32_t channel);
    virtual uint32_t GetBlackMask() const;
    virtual void SetRound(uint32_t r, uint32_t g, uint32_t b);
    // Lift for component 0, 1 or 2; 0 for any other index.
    virtual uint32_t GetRound(int i) const;

    virtual int ParseVariables(const char* text, long length);
    // Calls visit(name, value, offset) for every variable definition that
    // ParseVariables takes from a text, in order; offset is where the
    // definition's '#' stands in the text.
    using DefinitionVisitor = std::function<void(const char* name, const char* value, long offset)>;
    static void ForEachDefinition(const char* text, long length, const DefinitionVisitor& visit);
    virtual int ParseChannels(const char* text, long length);
    virtual int ParseColorWithBlack(const char* text, long length);
    virtual int ParseMaxInk(const char* text, long length);
    virtual int ParseBlackMask(const char* text, long length);
    virtual int ParseColorSubst(const char* text, long length);
    virtual int ParseColorAddition(const char* text, long length);
    virtual int ParseMasks(const char* text, long length);
    virtual int ParseSecondColors(const char* text, long length);
    virtual int ParseLightMasks(const char* text, long length);
    virtual int ParseChannelsContact(const char* text, long length);
    virtual int ParseRound(const char* text, long length);
    // True unless the text holds the key (ending in "=") preceded by "*".
    virtual bool IsKeyActive(const char* text, long length, const char* key) const;

    virtual void SetAux(uint32_t value);
    virtual uint32_t GetAux() const;
    virtual int Reserved2();
    virtual int LoadCfgFile(const KFile& path);
    // Without a buffer: size receives the file size plus one. With a buffer
    // of `size` bytes: the content is read into it and terminated.
    virtual int ReadFile(const KFile& path, long& size, char* buffer);
    virtual void Init();
    virtual void DeleteContainers();

    // Reads for the engine, without a virtual call.
    bool IsMasksEmpty() const { return m_masksEmpty != 0; }
    bool IsSecondColorsEmpty() const { return m_secondColorsEmpty != 0; }
    bool IsLightMasksEmpty() const { return m_lightMasksEmpty != 0; }
    bool IsColorSubstEmpty() const { return m_colorSubstEmpty != 0; }
    bool IsColorAdditionEmpty() const { return m_colorAdditionEmpty != 0; }
    bool IsChannelsContactEmpty() const { return m_channelsContactEmpty != 0; }
    CVarnelVarContainer* GetVarContainer() { return m_vars; }
    // kSourceXml or kSourceCfg once LoadFile accepted a file; 0 before.
    int32_t GetSourceKind() const { return m_sourceKind; }
    // SHA-256 (hex) chained over every text given to ParseText, in order:
    // the configuration is a function of these texts alone, so equal
    // digests mean equal configurations. Empty before the first text.
    // Computed when asked: only a cached load asks, and checks and the
    // search for a faulty statement parse many texts.
    std::string GetSourceDigest() const;
    // Every text given to ParseText, in order (a preset's text or a file's
    // bytes first, then an extra text).
    const std::vector<std::string>& GetSourceTexts() const { return m_sourceTexts; }

private:
    // The first list item of an active key, resolved through the variables
    // when it begins with "_". Returns 1 when an item was read, 0 when the
    // key is absent or switched off, -1 when the value has no item or a
    // variable is named without a variable container.
    int ReadFirstItem(const char* text, long length, const char* key, std::string& item);
    void SetAllEmptyFlags();

    uint8_t m_masksEmpty = 1;
    uint8_t m_secondColorsEmpty = 1;
    uint8_t m_lightMasksEmpty = 1;
    uint8_t m_colorSubstEmpty = 1;
    uint8_t m_colorAdditionEmpty = 1;
    uint8_t m_channelsContactEmpty = 1;
    uint32_t m_aux = 0;
    int32_t m_sourceKind = 0;
    uint32_t m_channels = 0;
    uint32_t m_colorWithBlack = 2;
    uint32_t m_blackMask = 0;
    uint32_t m_inkLimit = 0;
    uint8_t m_varsLoaded = 0;
    uint32_t m_round[3] = {0, 0, 0};
    CVarnelSecondColorsContainer* m_secondColors = nullptr;
    CVarnelMasksLightContainer* m_lightMasks = nullptr;
    CVarnelMasksContainer* m_masks = nullptr;
    CVarnelColorSubstContainer* m_colorSubst = nullptr;
    CVarnelColorAdditionContainer* m_colorAddition = nullptr;
    CVarnelChannelsContactContainer* m_channelsContact = nullptr;
    CVarnelVarContainer* m_vars = nullptr;
    std::vector<std::string> m_sourceTexts;
    std::vector<long> m_sourceLengths;  // each text's length as given, which the digest names
};
