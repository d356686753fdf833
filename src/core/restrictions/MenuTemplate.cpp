#include "restrictions/MenuTemplate.h"

namespace vexilor {
namespace {

// Standard template item flags.
constexpr std::uint16_t kPopup = 0x0010;
constexpr std::uint16_t kEnd = 0x0080;
constexpr std::uint16_t kSeparator = 0x0800;
// Extended template: resource info bits and the separator type.
constexpr std::uint16_t kExPopup = 0x0001;
constexpr std::uint16_t kExEnd = 0x0080;
constexpr std::uint32_t kExSeparatorType = 0x0800;

class Parser {
public:
    Parser(std::span<const std::uint8_t> bytes, std::string& error) : bytes_(bytes), error_(error) {}

    bool parse(std::vector<CMenuItem>& items)
    {
        std::uint16_t version = 0;
        std::uint16_t offset = 0;
        if (!u16(version) || !u16(offset))
            return fail("menu template shorter than its header");
        // Both headers say how far after themselves the first item starts; the extended one
        // counts from the end of its offset field (normally over a 4-byte help id).
        if (!skip(offset))
            return fail("menu template header points past the end");
        if (version == 0)
            return standardLevel(items, 0);
        if (version == 1)
            return extendedLevel(items, 0);
        return fail("unknown menu template version");
    }

private:
    bool standardLevel(std::vector<CMenuItem>& items, int depth)
    {
        if (depth >= kMaxMenuDepth)
            return fail("menu nested too deep");
        for (;;) {
            CMenuItem item;
            std::uint16_t flags = 0;
            if (!u16(flags))
                return fail("menu template ends without an end flag");
            const bool popup = (flags & kPopup) != 0;
            if (!popup) {
                std::uint16_t id = 0;
                if (!u16(id))
                    return fail("menu item runs past the end");
                item.id = id;
            }
            if (!text(item.text))
                return fail("menu text runs past the end");
            if (popup) {
                item.kind = CMenuItem::Kind::Popup;
                if (!standardLevel(item.children, depth + 1))
                    return false;
            } else if ((flags & kSeparator) != 0 || (item.id == 0 && item.text.empty())) {
                item.kind = CMenuItem::Kind::Separator;
            }
            items.push_back(std::move(item));
            if ((flags & kEnd) != 0)
                return true;
        }
    }

    bool extendedLevel(std::vector<CMenuItem>& items, int depth)
    {
        if (depth >= kMaxMenuDepth)
            return fail("menu nested too deep");
        for (;;) {
            CMenuItem item;
            std::uint32_t type = 0;
            std::uint32_t state = 0;
            std::uint16_t info = 0;
            if (!align() || !u32(type))
                return fail("menu template ends without an end flag");
            if (!u32(state) || !u32(item.id) || !u16(info))
                return fail("menu item runs past the end");
            if (!text(item.text))
                return fail("menu text runs past the end");
            if ((info & kExPopup) != 0) {
                std::uint32_t helpId = 0;
                if (!align() || !u32(helpId))
                    return fail("menu item runs past the end");
                item.kind = CMenuItem::Kind::Popup;
                if (!extendedLevel(item.children, depth + 1))
                    return false;
            } else if ((type & kExSeparatorType) != 0) {
                item.kind = CMenuItem::Kind::Separator;
            }
            items.push_back(std::move(item));
            if ((info & kExEnd) != 0)
                return true;
        }
    }

    bool u16(std::uint16_t& value)
    {
        if (bytes_.size() - pos_ < 2)
            return false;
        value = static_cast<std::uint16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool u32(std::uint32_t& value)
    {
        std::uint16_t low = 0;
        std::uint16_t high = 0;
        if (bytes_.size() - pos_ < 4 || !u16(low) || !u16(high))
            return false;
        value = static_cast<std::uint32_t>(high) << 16 | low;
        return true;
    }
    bool skip(std::size_t n)
    {
        if (bytes_.size() - pos_ < n)
            return false;
        pos_ += n;
        return true;
    }
    // Extended items and their help ids start on 4-byte boundaries of the resource.
    bool align() { return skip((4 - pos_ % 4) % 4); }
    bool text(std::u16string& out)
    {
        for (;;) {
            std::uint16_t unit = 0;
            if (!u16(unit))
                return false;
            if (unit == 0)
                return true;
            out.push_back(static_cast<char16_t>(unit));
        }
    }
    bool fail(const char* reason)
    {
        if (error_.empty())
            error_ = reason;
        return false;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    std::string& error_;
};

}  // namespace

bool parseMenuTemplate(std::span<const std::uint8_t> bytes, std::vector<CMenuItem>& items,
                       std::string& error)
{
    std::vector<CMenuItem> parsed;
    std::string reason;
    Parser parser(bytes, reason);
    if (!parser.parse(parsed)) {
        error = reason;
        return false;
    }
    items = std::move(parsed);
    return true;
}

}  // namespace vexilor
