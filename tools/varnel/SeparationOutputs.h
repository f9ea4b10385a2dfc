// The files a separation writes: the separated TIFF or PSD, optionally one
// PNG plate per ink, a proof, a TAC map and a coverage report. All are written under temporary names and
// appear together only when every one of them is complete.
#ifndef VARNEL_TOOL_SEPARATIONOUTPUTS_H
#define VARNEL_TOOL_SEPARATIONOUTPUTS_H

#include "Band.h"
#include "Inks.h"
#include "OutputMetadata.h"
#include "PendingFile.h"
#include "PngWriter.h"
#include "PsdWriter.h"
#include "SeparatedTiffWriter.h"

#include <memory>
#include <string>
#include <vector>

namespace varnel_tool {

struct OutputRequest {
    std::string separationPath;  // the TIFF, or the PSD when psd
    std::string platesFolder;  // empty: no plates
    std::string plateStem;     // plates are platesFolder/<stem>-<ink>.png
    std::string proofPath;     // empty: no proof
    std::string tacMapPath;    // empty: no TAC map
    std::string reportPath;    // empty: no coverage report
    int bits = 8;
    TiffCompression compression;
    BigTiff bigTiff = BigTiff::Auto;
    bool psd = false;

    // The plate of one ink: platesFolder/<stem>-<ink>.png, with any '/' of
    // the ink's name replaced so that the plate stays in its folder.
    std::string platePath(const std::string& ink) const;
};

class SeparationOutputs {
public:
    // Creates every temporary file at once, so that an unwritable target
    // fails before any separation work. Throws ToolError.
    SeparationOutputs(const OutputRequest& request, uint32_t width, uint32_t height,
                      const std::vector<InkInfo>& inks, uint32_t rowsPerStrip, const OutputMetadata& metadata);

    // Bands must arrive in order.
    void write(const Band& band);
    // Completes every file, the report with the given text, and gives each
    // its final name.
    void finish(const std::string& report);
    // The final paths, TIFF first.
    std::vector<std::string> paths() const;

private:
    uint32_t m_rowsPerStrip;
    std::vector<std::unique_ptr<PendingFile>> m_files;
    std::unique_ptr<SeparatedTiffWriter> m_tiff;  // one of these two
    std::unique_ptr<PsdWriter> m_psd;
    std::vector<std::unique_ptr<PngWriter>> m_plates;
    std::unique_ptr<PngWriter> m_proof;
    std::unique_ptr<PngWriter> m_tacMap;
    PendingFile* m_report = nullptr;  // one of m_files
};

// Creates a folder (the plates, or a batch's outputs) when it does not
// exist yet (one level). A folder created here is removed again at the end
// of the run or on an interruption when it is still empty.
void ensureFolder(const std::string& folder);

} // namespace varnel_tool

#endif
