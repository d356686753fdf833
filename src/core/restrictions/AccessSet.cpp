#include "restrictions/AccessSet.h"

#include <algorithm>
#include <cstring>

namespace vexilor {
namespace {

using Word = std::uint64_t;
constexpr Word kOnes = ~Word{0};

// Sets bits lo to hi (inclusive) of an array of words.
void setBits(Word* words, std::uint32_t lo, std::uint32_t hi)
{
    std::uint32_t w = lo / 64;
    const std::uint32_t last = hi / 64;
    Word mask = kOnes << (lo % 64);
    for (; w < last; ++w, mask = kOnes)
        words[w] |= mask;
    words[w] |= mask & (kOnes >> (63 - hi % 64));
}

// Clears bits lo to hi (inclusive) of an array of words.
void clearBits(Word* words, std::uint32_t lo, std::uint32_t hi)
{
    std::uint32_t w = lo / 64;
    const std::uint32_t last = hi / 64;
    Word mask = kOnes << (lo % 64);
    for (; w < last; ++w, mask = kOnes)
        words[w] &= ~mask;
    words[w] &= ~(mask & (kOnes >> (63 - hi % 64)));
}

// Clears the bits of the last word that lie past count.
void maskTail(Word* words, std::uint32_t count)
{
    if (count % 64 != 0)
        words[(count - 1) / 64] &= (Word{1} << (count % 64)) - 1;
}

// The valid part of a run of a range list: (lo, hi) ordered and clipped to kMaxResourceNumber;
// false when nothing of it is a resource number.
bool clipRun(const std::pair<std::uint32_t, std::uint32_t>& run, std::uint32_t& lo,
             std::uint32_t& hi)
{
    lo = std::min(run.first, run.second);
    hi = std::min(std::max(run.first, run.second), kMaxResourceNumber);
    return lo <= hi;
}

// The length a set of these runs has: the highest number plus one, 0 when there is none.
std::uint32_t runsLength(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs)
{
    std::uint32_t length = 0;
    for (const auto& run : runs) {
        std::uint32_t lo = 0;
        std::uint32_t hi = 0;
        if (clipRun(run, lo, hi))
            length = std::max(length, hi + 1);
    }
    return length;
}

std::uint32_t wordsFor(std::uint32_t length)
{
    return (length + 63) / 64;
}

std::unique_ptr<Word[]> copyOf(const Word* words, std::size_t count)
{
    if (count == 0)
        return nullptr;
    std::unique_ptr<Word[]> copy(new Word[count]);
    std::memcpy(copy.get(), words, count * sizeof(Word));
    return copy;
}

}  // namespace

CAccessSet::CAccessSet(const CAccessSet& other)
    : bits_(copyOf(other.bits_.get(), other.storedWords())),
      length_(other.length_),
      all_(other.all_),
      form_(other.form_),
      fill_(other.fill_)
{
}

CAccessSet::CAccessSet(CAccessSet&& other) noexcept
    : bits_(std::move(other.bits_)),
      length_(other.length_),
      all_(other.all_),
      form_(other.form_),
      fill_(other.fill_)
{
    other.length_ = 0;
    other.form_ = Form::None;
}

CAccessSet& CAccessSet::operator=(const CAccessSet& other)
{
    if (this == &other)
        return *this;
    const std::size_t n = other.storedWords();
    if (n != storedWords() || !bits_)
        bits_.reset(n ? new Word[n] : nullptr);
    length_ = other.length_;
    all_ = other.all_;
    form_ = other.form_;
    fill_ = other.fill_;
    if (n)
        std::memcpy(bits_.get(), other.bits_.get(), n * sizeof(Word));
    return *this;
}

CAccessSet& CAccessSet::operator=(CAccessSet&& other) noexcept
{
    bits_ = std::move(other.bits_);
    length_ = other.length_;
    all_ = other.all_;
    form_ = other.form_;
    fill_ = other.fill_;
    other.length_ = 0;
    other.form_ = Form::None;
    return *this;
}

CAccessSet CAccessSet::uniform(bool v)
{
    CAccessSet s;
    s.all_ = v;
    return s;
}

std::size_t CAccessSet::storedWords() const
{
    switch (form_) {
    case Form::None:
    case Form::Filled: return 0;
    case Form::Dense:
    case Form::Mirrored: return words();
    case Form::Split: break;
    }
    return 2 * std::size_t(words());
}

CBitArray CAccessSet::specified() const
{
    CBitArray a(length_);
    for (std::uint32_t i = 0; i < a.byteCount(); ++i)
        a.data()[i] = static_cast<std::uint8_t>(specifiedWordAt(i / 8) >> (8 * (i % 8)));
    return a;
}

CBitArray CAccessSet::values() const
{
    CBitArray a(length_);
    for (std::uint32_t i = 0; i < a.byteCount(); ++i)
        a.data()[i] = static_cast<std::uint8_t>(ownValueWordAt(i / 8) >> (8 * (i % 8)));
    return a;
}

bool CAccessSet::isUniform(std::uint32_t first, std::uint32_t last, bool v) const
{
    if (first > last)
        return true;
    // Past the arrays every value is all.
    if (last >= length_) {
        if (all_ != v)
            return false;
        if (first >= length_)
            return true;
        last = length_ - 1;
    }
    const Word want = v ? kOnes : 0;
    for (std::uint32_t w = first / 64; w <= last / 64; ++w) {
        Word mask = kOnes;
        if (w == first / 64)
            mask &= kOnes << (first % 64);
        if (w == last / 64)
            mask &= kOnes >> (63 - last % 64);
        if (((valueWord(w) ^ want) & mask) != 0)
            return false;
    }
    return true;
}

void CAccessSet::toSplit()
{
    if (form_ == Form::Split)
        return;
    const std::uint32_t n = words();
    if (n == 0) {
        bits_.reset();
        form_ = Form::None;
        return;
    }
    std::unique_ptr<Word[]> fresh(new Word[2 * std::size_t(n)]);
    for (std::uint32_t w = 0; w < n; ++w) {
        fresh[w] = specifiedWordAt(w);
        fresh[n + w] = ownValueWordAt(w);
    }
    bits_ = std::move(fresh);
    form_ = Form::Split;
}

bool CAccessSet::oneValueOver(std::uint32_t length, bool& v) const
{
    if (form_ == Form::None) {
        v = all_;
        return true;
    }
    if (form_ == Form::Filled && (fill_ == all_ || length == length_)) {
        v = fill_;
        return true;
    }
    return false;
}

void CAccessSet::toFilled(std::uint32_t length, bool v)
{
    bits_.reset();
    length_ = length;
    form_ = length ? Form::Filled : Form::None;
    fill_ = v;
}

void CAccessSet::toDense(std::uint32_t length)
{
    if (length == 0)
        return;  // nothing below it, and the length was 0 too
    const std::uint32_t old = words();
    const std::uint32_t n = wordsFor(length);
    const Word tail = all_ ? kOnes : 0;
    if (form_ != Form::Dense || n != old) {
        std::unique_ptr<Word[]> fresh(new Word[n]);
        for (std::uint32_t w = 0; w < old; ++w) {
            const Word spec = specifiedWordAt(w);
            fresh[w] = (spec & ownValueWordAt(w)) | (~spec & tail);
        }
        std::fill(fresh.get() + old, fresh.get() + n, tail);
        bits_ = std::move(fresh);
    } else if (all_ && length > length_) {
        // Same words: the numbers from the old length up become specified with all.
        setBits(bits_.get(), length_, length - 1);
    }
    maskTail(bits_.get(), length);
    length_ = length;
    form_ = Form::Dense;
}

void CAccessSet::growTo(std::uint32_t length)
{
    length = std::min(length, kMaxResourceNumber + 1);
    if (length <= length_)
        return;
    if (form_ == Form::None) {
        length_ = length;
        return;
    }
    // The new numbers are not specified, so a form that specifies everything cannot stay.
    if (form_ == Form::Dense || form_ == Form::Filled)
        toSplit();
    const std::uint32_t old = words();
    const std::uint32_t n = wordsFor(length);
    if (n != old) {
        const std::uint32_t arrays = form_ == Form::Split ? 2 : 1;
        std::unique_ptr<Word[]> fresh(new Word[arrays * std::size_t(n)]());
        for (std::uint32_t a = 0; a < arrays; ++a)
            std::copy_n(bits_.get() + a * old, old, fresh.get() + a * n);
        bits_ = std::move(fresh);
    }
    length_ = length;
}

void CAccessSet::set(std::uint32_t n, bool v)
{
    if (n > kMaxResourceNumber)
        return;
    growTo(n + 1);
    const Word mask = Word{1} << (n % 64);
    const std::uint32_t w = n / 64;
    switch (form_) {
    case Form::Filled:
        if (fill_ == v)
            return;
        toDense(length_);
        [[fallthrough]];
    case Form::Dense:
        bits_[w] = v ? bits_[w] | mask : bits_[w] & ~mask;
        return;
    case Form::Mirrored:
        if (v) {
            bits_[w] |= mask;
            return;
        }
        toSplit();
        break;
    case Form::None: toSplit(); break;
    case Form::Split: break;
    }
    Word& value = bits_[words() + w];
    bits_[w] |= mask;
    value = v ? value | mask : value & ~mask;
}

void CAccessSet::setRange(std::uint32_t a, std::uint32_t b)
{
    const std::pair<std::uint32_t, std::uint32_t> run{a, b};
    setRanges({&run, 1});
}

void CAccessSet::setRanges(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs)
{
    const std::uint32_t length = runsLength(runs);
    if (length == 0)
        return;
    growTo(length);
    if (form_ == Form::Filled) {
        if (fill_)
            return;  // every number of the runs is specified and allowed already
        toDense(length_);
    }
    if (form_ == Form::None) {
        // Nothing specified yet: the runs are specified exactly where allowed.
        bits_.reset(new Word[words()]());
        form_ = Form::Mirrored;
    }
    for (const auto& run : runs) {
        std::uint32_t lo = 0;
        std::uint32_t hi = 0;
        if (!clipRun(run, lo, hi))
            continue;
        setBits(bits_.get(), lo, hi);
        if (form_ == Form::Split)
            setBits(bits_.get() + words(), lo, hi);
    }
}

void CAccessSet::assignRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs)
{
    const std::uint32_t length = runsLength(runs);
    all_ = false;
    if (length == 0) {
        toFilled(0, false);
        return;
    }
    const std::uint32_t n = wordsFor(length);
    if (storedWords() != n || !bits_)
        bits_.reset(new Word[n]);
    std::fill_n(bits_.get(), n, Word{0});
    length_ = length;
    form_ = Form::Mirrored;
    for (const auto& run : runs) {
        std::uint32_t lo = 0;
        std::uint32_t hi = 0;
        if (clipRun(run, lo, hi))
            setBits(bits_.get(), lo, hi);
    }
}

void CAccessSet::combineRuns(std::span<const std::pair<std::uint32_t, std::uint32_t>> runs,
                             bool remove)
{
    const std::uint32_t length = std::max(length_, runsLength(runs));
    if (length == 0)
        return;
    // A set of one value over the whole new length that the runs cannot change stays one value.
    bool v = false;
    if (oneValueOver(length, v) && v != remove) {
        toFilled(length, v);
        return;
    }
    toDense(length);
    for (const auto& run : runs) {
        std::uint32_t lo = 0;
        std::uint32_t hi = 0;
        if (!clipRun(run, lo, hi))
            continue;
        if (remove)
            clearBits(bits_.get(), lo, hi);
        else
            setBits(bits_.get(), lo, hi);
    }
}

void CAccessSet::setAll()
{
    bits_.reset();
    form_ = Form::None;
    all_ = true;
}

// Shared body of the three in-place operations: every resource below the new length becomes
// specified with the combined value; only the all flag differs between them. b may be this set:
// making it dense keeps its values.
void CAccessSet::combineWith(const CAccessSet& b, Combine how)
{
    const std::uint32_t length = std::max(length_, b.length_);
    if (length == 0)
        return;
    // When b has one value over the whole new length, the result is this set's values (b false)
    // or one value (b true).
    bool t = false;
    if (b.oneValueOver(length, t)) {
        bool v = false;
        if (t)
            toFilled(length, how == Combine::Or);
        else if (oneValueOver(length, v))
            toFilled(length, v);
        else
            toDense(length);
        return;
    }
    toDense(length);
    Word* mine = bits_.get();
    const std::uint32_t n = words();
    if (how == Combine::Or) {
        for (std::uint32_t w = 0; w < n; ++w)
            mine[w] |= b.valueWord(w);
    } else {
        for (std::uint32_t w = 0; w < n; ++w)
            mine[w] &= ~b.valueWord(w);
    }
    maskTail(mine, length);
}

void CAccessSet::uniteWith(const CAccessSet& b)
{
    combineWith(b, Combine::Or);
    all_ = all_ || b.all_;
}

void CAccessSet::subtract(const CAccessSet& b)
{
    // Every resource keeps its own value unless b takes it away, also where this set was not
    // specified and its all flag turns from true to false.
    combineWith(b, Combine::AndNot);
    all_ = all_ && !b.all_;
}

void CAccessSet::markUniteWith(const CAccessSet& b)
{
    combineWith(b, Combine::Or);
    all_ = all_ && b.all_;
}

CAccessSet CAccessSet::unite(const CAccessSet& a, const CAccessSet& b)
{
    CAccessSet r = a;
    r.uniteWith(b);
    return r;
}

CAccessSet CAccessSet::difference(const CAccessSet& a, const CAccessSet& b)
{
    CAccessSet r = a;
    r.subtract(b);
    return r;
}

CAccessSet CAccessSet::markUnion(const CAccessSet& a, const CAccessSet& b)
{
    CAccessSet r = a;
    r.markUniteWith(b);
    return r;
}

bool CAccessSet::sameAs(const CAccessSet& other) const
{
    if (all_ != other.all_ || length_ != other.length_)
        return false;
    if (form_ == other.form_) {
        if (form_ == Form::Filled)
            return fill_ == other.fill_;
        const std::size_t n = storedWords();
        return n == 0 || std::memcmp(bits_.get(), other.bits_.get(), n * sizeof(Word)) == 0;
    }
    for (std::uint32_t w = 0; w < words(); ++w) {
        const Word spec = specifiedWordAt(w);
        if (spec != other.specifiedWordAt(w)
            || (spec & ownValueWordAt(w)) != (spec & other.ownValueWordAt(w)))
            return false;
    }
    return true;
}

}  // namespace vexilor
