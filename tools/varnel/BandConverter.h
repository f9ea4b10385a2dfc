// Separates bands with one library instance: the work of one thread.
#ifndef VARNEL_TOOL_BANDCONVERTER_H
#define VARNEL_TOOL_BANDCONVERTER_H

#include "Band.h"
#include "InkCoverage.h"
#include "PngRowDeflater.h"
#include "ProofSimulator.h"
#include "StripEncoder.h"
#include "TacMapPainter.h"

#include <varnel/VarnelDll.h>

#include <memory>


namespace varnel_tool {

struct BandFormat {
    uint32_t width = 0;
    int channels = 0;
    int inputBits = 8;
    int outputBits = 8;
    uint32_t rowsPerStrip = 1;
    bool plates = false;
    bool proof = false;
    bool tacMap = false;
    uint32_t tacLimitPercent = 300;
    TiffCompression compression;
    bool tiffStrips = true;  // false: the inks go to a PSD as they are
};

class BandConverter {
public:
    // The instance stays owned by the caller and serves only this converter
    // while it converts.
    BandConverter(const varnel::Separation& separation, const BandFormat& format, const ProofSimulator& proof,
                  const TacMapPainter& tacMap);

    // Fills band.inks from band.input, then the compressed TIFF strips (ink
    // values inverted: TIFF counts 0 as no ink), the compressed rows of the
    // plates, the proof and the TAC map, and adds the band to this
    // thread's coverage tally.
    // Throws ToolError when the library reports a failure.
    void convert(Band& band);
    const InkCoverage& coverage() const { return m_coverage; }

private:
    void separate(Band& band, uint32_t pixels);
    void encodeStrips(Band& band, uint32_t pixels);
    void encodePlates(Band& band);
    void encodePicture(const Band& band, PngSegment& segment);

    const varnel::Separation& m_separation;
    BandFormat m_format;
    const ProofSimulator& m_proof;
    const TacMapPainter& m_tacMap;
    InkCoverage m_coverage;
    std::vector<uint16_t> m_wide;      // 16-bit staging for mixed depths
    std::vector<uint16_t> m_tiffStrip;  // one strip's samples as TIFF counts them
    std::vector<uint8_t> m_picture;     // the band's proof or TAC map rows, 8-bit RGB
    std::unique_ptr<StripEncoder> m_encoder;
    PngRowDeflater m_pngDeflater;
};

} // namespace varnel_tool

#endif
