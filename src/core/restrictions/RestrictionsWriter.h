#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "restrictions/RestrictionsCrc.h"
#include "restrictions/RestrictionsModel.h"
#include "text/CodePage.h"

namespace vexilor {

// How a file is written.
struct RestrictionsWriteOptions {
    // A large model is written in parts at once, one thread each, a run of whole studios, classes
    // and users per part; the bytes are the same as written in one piece. 0 chooses by the
    // model's size and the processors; 1 writes in one piece.
    unsigned parts = 0;
    // The code page of the bytes, for restrictionsFileBytes.
    text::CodePage codePage{};
};

// Writes a model as a restrictions file: header comments, the device line, every studio, class and
// user with its links and explicit settings, an end-of-data comment and the CRC line. Text goes out
// in the file's code page (Windows-1252 unless told) with CR LF line ends; the CRC covers the low
// byte of each UTF-16 unit of everything before the CRC line, with line feeds only.
class CRestrictionsWriter {
public:
    // Bytes are appended to out.
    explicit CRestrictionsWriter(std::string& out, text::CodePage codePage = {})
        : out_(out), codePage_(std::move(codePage))
    {
    }
    virtual ~CRestrictionsWriter() = default;
    CRestrictionsWriter(const CRestrictionsWriter&) = delete;
    CRestrictionsWriter& operator=(const CRestrictionsWriter&) = delete;

    // One formatted piece, taken as data: the CRC is updated with the low byte of each code unit
    // as given, then each line feed goes out as CR LF and the rest in the code page (characters it
    // cannot hold become '?': callers refuse such names before they get here).
    virtual void writeText(std::u16string_view text);

    // The whole file. False, writing nothing, when the model is not loaded; false when a studio
    // reference has an operation other than set, add or remove (what was written before stays).
    bool writeFile(const CRestrictionsModel& model, const RestrictionsWriteOptions& options = {});

    // The printed value of the CRC so far.
    std::uint16_t crc() const { return crc_.value(); }

private:
    using Runs = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    // A studio, class or user in file order.
    struct Section {
        EntityKind kind;
        const std::u16string* name;
        const CRestrictionRecord* record;
    };

    bool writeSections(const CRestrictionsModel& model, std::span<const Section> sections);
    bool writeInParts(const CRestrictionsModel& model, std::span<const Section> sections,
                      unsigned parts);

    // ASCII text (line feeds only) collects in body_; a piece with other characters goes through
    // writeText after what came before it.
    void put(std::string_view ascii);
    void putUnits(std::u16string_view text);
    void flush();
    void line(std::initializer_list<std::u16string_view> parts);
    bool writeStudioRefs(const std::vector<StudioRef>* refs);
    void writeFeatures(const CRestrictionRecord& record);
    bool putPlainFeatureLine(std::u16string_view key, bool value);
    void writeResources(const CRestrictionRecord& record, bool studio);
    void writeResourceLines(std::u16string_view key, const CAccessSet& marks,
                            const CAccessSet& values, bool studio);
    void writeList(std::u16string_view key, std::u16string_view firstOp, std::u16string_view nextOp,
                   const Runs& runs);

    std::string& out_;
    const text::CodePage codePage_;
    CRestrictionsCrc crc_;
    // Bytes the CRC has taken.
    std::uint64_t crcBytes_ = 0;
    std::string body_;
    std::vector<char> converted_;
    Runs allowed_;
    Runs denied_;
    Runs inherit_;
};

// The bytes of the file for model, for the caller to write in one go (atomically); nullopt when
// writeFile fails.
std::optional<std::string> restrictionsFileBytes(const CRestrictionsModel& model,
                                                 const RestrictionsWriteOptions& options = {});

}  // namespace vexilor
