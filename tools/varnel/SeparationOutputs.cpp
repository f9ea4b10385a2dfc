#include "SeparationOutputs.h"

#include "ImageResources.h"
#include "InterruptCleanup.h"
#include "ToolError.h"

#include <signal.h>
#include <sys/stat.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace varnel_tool {

namespace {

void writeText(const PendingFile& target, const std::string& text) {
    const std::string& name = target.finalPath();
    FILE* file = std::fopen(target.writePath().c_str(), "wb");
    if (file == nullptr) throw ToolError("cannot write '" + name + "': " + systemErrorText(errno));
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int error = errno;
    if (std::fclose(file) != 0 || !written) throw ToolError("cannot write '" + name + "': " + systemErrorText(written ? errno : error));
}

} // namespace

void ensureFolder(const std::string& folder) {
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode)) throw ToolError("cannot write into '" + folder + "': not a directory");
        return;
    }
    // Signals are held so that the folder is tracked as soon as it exists.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    const bool made = mkdir(folder.c_str(), 0777) == 0;
    const int error = errno;
    if (made) InterruptCleanup::trackFolder(folder);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (!made) throw ToolError("cannot create folder '" + folder + "': " + systemErrorText(error));
}

std::string OutputRequest::platePath(const std::string& ink) const {
    std::string name = plateStem + "-" + ink + ".png";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return platesFolder.back() == '/' ? platesFolder + name : platesFolder + "/" + name;
}

SeparationOutputs::SeparationOutputs(const OutputRequest& request, uint32_t width, uint32_t height,
                                     const std::vector<InkInfo>& inks, uint32_t rowsPerStrip,
                                     const OutputMetadata& metadata)
    : m_rowsPerStrip(rowsPerStrip) {
    std::vector<std::string> names;
    for (const InkInfo& ink : inks) names.push_back(ink.name);
    m_files.push_back(std::make_unique<PendingFile>(request.separationPath));
    if (request.psd) {
        m_psd = std::make_unique<PsdWriter>(*m_files.back(), width, height, request.bits, inks,
                                            metadata.resolution);
    } else {
        // The inks past the four process inks are the TIFF's extra samples.
        m_tiff = std::make_unique<SeparatedTiffWriter>(
            *m_files.back(), width, height, request.bits, names, rowsPerStrip, request.compression,
            inks.size() > 4 ? spotChannelResources(inks, 4) : std::vector<uint8_t>(), metadata,
            request.bigTiff);
    }
    if (!request.platesFolder.empty()) {
        ensureFolder(request.platesFolder);
        for (const std::string& name : names) {
            m_files.push_back(std::make_unique<PendingFile>(
                request.platePath(name), PendingFile::Access::Sequential));
            m_plates.push_back(std::make_unique<PngWriter>(*m_files.back(), width, height, 1,
                                                           request.bits, metadata.resolution));
        }
    }
    if (!request.proofPath.empty()) {
        m_files.push_back(std::make_unique<PendingFile>(request.proofPath, PendingFile::Access::Sequential));
        m_proof = std::make_unique<PngWriter>(*m_files.back(), width, height, 3, 8, metadata.resolution);
    }
    if (!request.tacMapPath.empty()) {
        m_files.push_back(std::make_unique<PendingFile>(request.tacMapPath, PendingFile::Access::Sequential));
        m_tacMap = std::make_unique<PngWriter>(*m_files.back(), width, height, 3, 8, metadata.resolution);
    }
    if (!request.reportPath.empty()) {
        m_files.push_back(std::make_unique<PendingFile>(request.reportPath, PendingFile::Access::Sequential));
        m_report = m_files.back().get();
    }
}

void SeparationOutputs::write(const Band& band) {
    if (m_psd) {
        m_psd->writeRows(band.firstRow, band.rows, bytesOf(band.inks));
    } else {
        const uint32_t firstStrip = band.firstRow / m_rowsPerStrip;
        for (size_t s = 0; s < band.strips.size(); ++s) {
            m_tiff->writeStrip(firstStrip + static_cast<uint32_t>(s), band.strips[s]);
        }
    }
    for (size_t c = 0; c < m_plates.size(); ++c) m_plates[c]->writeSegment(band.plates[c]);
    if (m_proof) m_proof->writeSegment(band.proof);
    if (m_tacMap) m_tacMap->writeSegment(band.tacMap);
}

void SeparationOutputs::finish(const std::string& report) {
    if (m_psd) {
        m_psd->finish();
    } else {
        m_tiff->finish();
    }
    for (auto& plate : m_plates) plate->finish();
    if (m_proof) m_proof->finish();
    if (m_tacMap) m_tacMap->finish();
    if (m_report != nullptr) writeText(*m_report, report);
    for (auto& file : m_files) file->commit();
}

std::vector<std::string> SeparationOutputs::paths() const {
    std::vector<std::string> result;
    for (const auto& file : m_files) result.push_back(file->finalPath());
    return result;
}

} // namespace varnel_tool
