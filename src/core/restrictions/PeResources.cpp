#include "restrictions/PeResources.h"

#include <algorithm>
#include <vector>

namespace vexilor {
namespace {

// The loader refuses images with more sections than this; so do we.
constexpr std::uint32_t kMaxSections = 96;
constexpr std::uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr std::uint32_t kOffsetMask = 0x7FFFFFFFu;
constexpr std::uint64_t kDirectoryHeaderSize = 16;
constexpr std::uint64_t kDirectoryEntrySize = 8;
constexpr std::uint64_t kDataEntrySize = 16;

// Little-endian reads that refuse to go past the end instead of reading there.
class Bytes {
public:
    explicit Bytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t size() const { return bytes_.size(); }
    bool has(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    bool u16(std::uint64_t offset, std::uint16_t& value) const
    {
        if (!has(offset, 2))
            return false;
        value = static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
        return true;
    }
    bool u32(std::uint64_t offset, std::uint32_t& value) const
    {
        if (!has(offset, 4))
            return false;
        value = static_cast<std::uint32_t>(bytes_[offset]) |
                static_cast<std::uint32_t>(bytes_[offset + 1]) << 8 |
                static_cast<std::uint32_t>(bytes_[offset + 2]) << 16 |
                static_cast<std::uint32_t>(bytes_[offset + 3]) << 24;
        return true;
    }
    std::span<const std::uint8_t> slice(std::uint64_t offset, std::uint64_t length) const
    {
        return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }

private:
    std::span<const std::uint8_t> bytes_;
};

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t length = 0;  // bytes both mapped and backed by the file
    std::uint32_t rawOffset = 0;
};

class Image {
public:
    explicit Image(std::span<const std::uint8_t> bytes) : file_(bytes) {}

    bool readHeaders(std::string& error);

    // The file offset of [rva, rva + length) when the whole range lies in the file-backed part of
    // one section and inside the file.
    bool map(std::uint32_t rva, std::uint32_t length, std::uint64_t& offset) const
    {
        for (const Section& s : sections_) {
            if (rva < s.virtualAddress)
                continue;
            const std::uint64_t into = rva - s.virtualAddress;
            if (into > s.length || length > s.length - into)
                continue;
            const std::uint64_t at = s.rawOffset + into;
            if (!file_.has(at, length))
                return false;
            offset = at;
            return true;
        }
        return false;
    }

    const Bytes& file() const { return file_; }
    std::uint32_t resourceRva() const { return resourceRva_; }
    std::uint32_t resourceSize() const { return resourceSize_; }

private:
    Bytes file_;
    std::vector<Section> sections_;
    std::uint32_t resourceRva_ = 0;
    std::uint32_t resourceSize_ = 0;
};

bool Image::readHeaders(std::string& error)
{
    std::uint16_t mz = 0;
    std::uint32_t peOffset = 0;
    if (!file_.u16(0, mz) || mz != 0x5A4D || !file_.u32(0x3C, peOffset)) {
        error = "not a PE file (no MZ header)";
        return false;
    }
    std::uint32_t signature = 0;
    if (!file_.u32(peOffset, signature) || signature != 0x00004550) {
        error = "not a PE file (no PE signature)";
        return false;
    }
    const std::uint64_t coff = std::uint64_t{peOffset} + 4;
    std::uint16_t sectionCount = 0;
    std::uint16_t optionalSize = 0;
    if (!file_.u16(coff + 2, sectionCount) || !file_.u16(coff + 16, optionalSize)) {
        error = "truncated file header";
        return false;
    }
    const std::uint64_t optional = coff + 20;
    std::uint16_t magic = 0;
    if (optionalSize < 2 || !file_.has(optional, optionalSize) || !file_.u16(optional, magic)) {
        error = "truncated optional header";
        return false;
    }
    std::uint64_t countField = 0;
    std::uint64_t directories = 0;
    if (magic == 0x10B) {
        countField = 92;
        directories = 96;
    } else if (magic == 0x20B) {
        countField = 108;
        directories = 112;
    } else {
        error = "unknown optional header (neither PE32 nor PE32+)";
        return false;
    }
    constexpr std::uint32_t kResourceDirectory = 2;
    std::uint32_t directoryCount = 0;
    if (optionalSize < countField + 4 || !file_.u32(optional + countField, directoryCount) ||
        directoryCount <= kResourceDirectory ||
        optionalSize < directories + 8 * (kResourceDirectory + 1)) {
        error = "no resource directory";
        return false;
    }
    file_.u32(optional + directories + 8 * kResourceDirectory, resourceRva_);
    file_.u32(optional + directories + 8 * kResourceDirectory + 4, resourceSize_);
    if (resourceRva_ == 0 || resourceSize_ == 0) {
        error = "no resource directory";
        return false;
    }

    if (sectionCount == 0 || sectionCount > kMaxSections) {
        error = "absurd section count";
        return false;
    }
    const std::uint64_t table = optional + optionalSize;
    constexpr std::uint64_t kSectionHeaderSize = 40;
    if (!file_.has(table, sectionCount * kSectionHeaderSize)) {
        error = "section table runs past the end of the file";
        return false;
    }
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t at = table + i * kSectionHeaderSize;
        std::uint32_t virtualSize = 0;
        Section s;
        std::uint32_t rawSize = 0;
        file_.u32(at + 8, virtualSize);
        file_.u32(at + 12, s.virtualAddress);
        file_.u32(at + 16, rawSize);
        file_.u32(at + 20, s.rawOffset);
        if (rawSize == 0 || s.rawOffset == 0)
            continue;  // nothing of it is in the file
        // Raw data is padded to the file alignment; only the virtual size is really there.
        s.length = virtualSize != 0 ? std::min(virtualSize, rawSize) : rawSize;
        sections_.push_back(s);
    }
    return true;
}

// The resource directory tree, addressed by offsets from its root.
class ResourceTree {
public:
    ResourceTree(const Image& image, std::uint64_t rootOffset)
        : image_(image), root_(rootOffset), size_(image.resourceSize())
    {
    }

    struct Entry {
        std::uint32_t name = 0;
        std::uint32_t target = 0;
    };

    // Reads the directory at offset and returns its entries' range; false when it does not fit.
    bool directory(std::uint32_t offset, std::uint64_t& first, std::uint32_t& count) const
    {
        std::uint16_t named = 0;
        std::uint16_t ids = 0;
        if (!inside(offset, kDirectoryHeaderSize) || !file().u16(root_ + offset + 12, named) ||
            !file().u16(root_ + offset + 14, ids))
            return false;
        count = std::uint32_t{named} + ids;
        first = std::uint64_t{offset} + kDirectoryHeaderSize;
        return inside(first, count * kDirectoryEntrySize);
    }

    Entry entry(std::uint64_t first, std::uint32_t index) const
    {
        Entry e;
        const std::uint64_t at = root_ + first + index * kDirectoryEntrySize;
        file().u32(at, e.name);
        file().u32(at + 4, e.target);
        return e;
    }

    bool inside(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size_ && length <= size_ - offset;
    }

    const Bytes& file() const { return image_.file(); }
    std::uint64_t root() const { return root_; }

private:
    const Image& image_;
    std::uint64_t root_;
    std::uint64_t size_;
};

}  // namespace

bool findPeResource(std::span<const std::uint8_t> bytes, std::uint16_t type, std::uint16_t name,
                    std::span<const std::uint8_t>& data, std::string& error)
{
    Image image(bytes);
    if (!image.readHeaders(error))
        return false;
    std::uint64_t rootOffset = 0;
    if (!image.map(image.resourceRva(), image.resourceSize(), rootOffset)) {
        error = "resource directory lies outside the file";
        return false;
    }
    const ResourceTree tree(image, rootOffset);

    // Three levels: type, name, language. A subdirectory that points back at one already on the
    // path would loop; one below the language level is deeper than any real tree.
    const std::uint32_t wanted[2] = {type, name};
    std::uint32_t path[3] = {0, 0, 0};
    std::uint32_t leaf = 0;
    for (int level = 0; level < 3; ++level) {
        std::uint64_t first = 0;
        std::uint32_t count = 0;
        if (!tree.directory(path[level], first, count)) {
            error = "resource directory runs past its end";
            return false;
        }
        ResourceTree::Entry found;
        bool any = false;
        if (level < 2) {
            for (std::uint32_t i = 0; i < count && !any; ++i) {
                const ResourceTree::Entry e = tree.entry(first, i);
                if (e.name == wanted[level]) {
                    found = e;
                    any = true;
                }
            }
        } else if (count > 0) {
            found = tree.entry(first, 0);  // the first language
            any = true;
        }
        if (!any) {
            error = level == 2 ? "resource has no language entry" : "resource not found";
            return false;
        }
        const bool subdirectory = (found.target & kSubdirectoryFlag) != 0;
        const std::uint32_t target = found.target & kOffsetMask;
        if (level == 2) {
            if (subdirectory) {
                error = "resource directory nested too deep";
                return false;
            }
            leaf = target;
            break;
        }
        if (!subdirectory) {
            error = "resource directory entry has data where a directory belongs";
            return false;
        }
        if (std::find(path, path + level + 1, target) != path + level + 1) {
            error = "loop in the resource directory";
            return false;
        }
        path[level + 1] = target;
    }

    std::uint32_t dataRva = 0;
    std::uint32_t dataSize = 0;
    if (!tree.inside(leaf, kDataEntrySize) || !tree.file().u32(tree.root() + leaf, dataRva) ||
        !tree.file().u32(tree.root() + leaf + 4, dataSize)) {
        error = "resource data entry runs past the resource directory";
        return false;
    }
    std::uint64_t dataOffset = 0;
    if (!image.map(dataRva, dataSize, dataOffset)) {
        error = "resource data lies outside the file";
        return false;
    }
    data = image.file().slice(dataOffset, dataSize);
    return true;
}

}  // namespace vexilor
