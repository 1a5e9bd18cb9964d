#include "ui/gif_image.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tarnvel {
namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kPlainTextLabel = 0x01;

// Flags shared by the screen and picture descriptors: a colour table follows,
// with 2 << (flags & kTableSizeBits) entries.
constexpr std::uint8_t kColourTableFollows = 0x80;
constexpr std::uint8_t kTableSizeBits = 0x07;
constexpr std::uint8_t kInterlaced = 0x40;
constexpr std::uint8_t kHasTransparentIndex = 0x01;

constexpr int kMinCodeSize = 2;
constexpr int kMaxCodeSize = 8;
constexpr int kMaxCodeWidth = 12;
constexpr int kCodeLimit = 1 << kMaxCodeWidth;

// Every read that would pass the end of the data fails instead, and the
// caller gives the file up.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Byte(std::uint8_t& out) {
        if (pos_ >= size_)
            return false;
        out = data_[pos_++];
        return true;
    }

    // GIF numbers are 16 bits, low byte first.
    bool Word(int& out) {
        if (size_ - pos_ < 2)
            return false;
        out = data_[pos_] | data_[pos_ + 1] << 8;
        pos_ += 2;
        return true;
    }

    // The next `count` bytes, or nullptr when fewer are left.
    const std::uint8_t* Take(std::size_t count) {
        if (size_ - pos_ < count)
            return nullptr;
        const std::uint8_t* bytes = data_ + pos_;
        pos_ += count;
        return bytes;
    }

    // Skips data sub-blocks (a length byte, then that many bytes) up to and
    // including the empty one that ends them.
    bool SkipSubBlocks() {
        std::uint8_t length = 0;
        do {
            if (!Byte(length) || size_ - pos_ < length)
                return false;
            pos_ += length;
        } while (length != 0);
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The LZW codes of a picture are packed from the lowest bit of each byte up
// and carried in data sub-blocks, which the codes cross freely.
class CodeReader {
public:
    explicit CodeReader(ByteReader& bytes) : bytes_(bytes) {}

    // False when the sub-blocks, or the file, end before `width` more bits.
    bool Read(int width, int& code) {
        while (bitCount_ < width) {
            if (blockLeft_ == 0 && !NextBlock())
                return false;
            std::uint8_t byte = 0;
            if (!bytes_.Byte(byte))
                return false;
            --blockLeft_;
            bits_ |= std::uint32_t{byte} << bitCount_;
            bitCount_ += 8;
        }
        code = static_cast<int>(bits_ & ((1u << width) - 1));
        bits_ >>= width;
        bitCount_ -= width;
        return true;
    }

private:
    bool NextBlock() {
        std::uint8_t length = 0;
        if (ended_ || !bytes_.Byte(length) || length == 0) {
            ended_ = true;  // the empty sub-block ends the picture's data
            return false;
        }
        blockLeft_ = length;
        return true;
    }

    ByteReader& bytes_;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
    int blockLeft_ = 0;
    bool ended_ = false;
};

// Each code past the literals stands for an earlier code's string plus one
// more index. Strings are written backwards from their last index, so the
// table keeps every string's length and first index beside its links.
class LzwDecoder {
public:
    explicit LzwDecoder(int minCodeSize)
        : clear_(1 << minCodeSize), end_(clear_ + 1), minCodeSize_(minCodeSize), table_(kCodeLimit) {
        for (int literal = 0; literal < clear_; ++literal) {
            const auto index = static_cast<std::uint8_t>(literal);
            table_[literal] = Entry{0, 1, index, index};
        }
        Reset();
    }

    // Fills out[0, count). False for a code the table cannot hold yet, or when
    // the codes stop (end code, end of data) before count indices.
    bool Decode(CodeReader& codes, std::uint8_t* out, std::size_t count) {
        std::size_t pos = 0;
        while (pos < count) {
            int code = 0;
            if (!codes.Read(width_, code) || code == end_)
                return false;
            if (code == clear_) {
                Reset();
                continue;
            }
            if (previous_ < 0) {
                if (code >= clear_)
                    return false;  // a string code with no table behind it
            } else {
                if (code > next_)
                    return false;
                // A code may name the entry that it itself completes; the
                // string is then the previous one plus its own first index.
                const int firstOf = code == next_ ? previous_ : code;
                if (next_ < kCodeLimit)
                    Add(previous_, table_[firstOf].first);
            }
            pos = Emit(code, out, pos, count);
            previous_ = code;
        }
        return true;
    }

private:
    struct Entry {
        std::uint16_t prefix;
        std::uint16_t length;
        std::uint8_t last;
        std::uint8_t first;
    };

    void Reset() {
        next_ = clear_ + 2;
        width_ = minCodeSize_ + 1;
        previous_ = -1;
    }

    // Once the table holds 4096 codes it stays as it is until a clear code
    // (a "deferred clear"), and the codes stay 12 bits wide.
    void Add(int prefix, std::uint8_t last) {
        const Entry& head = table_[prefix];
        table_[next_] = Entry{static_cast<std::uint16_t>(prefix), static_cast<std::uint16_t>(head.length + 1), last,
                              head.first};
        ++next_;
        if (next_ == 1 << width_ && width_ < kMaxCodeWidth)
            ++width_;
    }

    // Writes the string of `code` at out[pos]; what would pass out[count) is
    // dropped. Returns the position after it.
    std::size_t Emit(int code, std::uint8_t* out, std::size_t pos, std::size_t count) const {
        const std::size_t end = pos + table_[code].length;
        for (std::size_t at = end; at-- > pos;) {
            const Entry& entry = table_[code];
            if (at < count)
                out[at] = entry.last;
            code = entry.prefix;
        }
        return std::min(end, count);
    }

    const int clear_;
    const int end_;
    const int minCodeSize_;
    std::vector<Entry> table_;
    int next_ = 0;
    int width_ = 0;
    int previous_ = -1;
};

bool SideAllowed(int side) {
    return side > 0 && side <= kGifMaxSide;
}

bool ReadColourTable(ByteReader& reader, std::uint8_t flags, std::vector<std::uint32_t>& table) {
    const std::size_t entries = std::size_t{2} << (flags & kTableSizeBits);
    const std::uint8_t* rgb = reader.Take(entries * 3);
    if (!rgb)
        return false;
    table.resize(entries);
    for (std::size_t i = 0; i < entries; ++i, rgb += 3)
        table[i] = std::uint32_t{rgb[0]} << 16 | std::uint32_t{rgb[1]} << 8 | rgb[2];
    return true;
}

// Keeps the transparency of the latest graphic control extension, which
// belongs to the picture after it; every other extension is skipped.
bool ReadExtension(ByteReader& reader, int& transparentIndex) {
    std::uint8_t label = 0;
    if (!reader.Byte(label))
        return false;
    if (label == kGraphicControlLabel) {
        // flags, delay (2 bytes), transparent index
        std::uint8_t length = 0;
        const std::uint8_t* block = reader.Byte(length) ? reader.Take(length) : nullptr;
        if (!block || length < 4)
            return false;
        transparentIndex = (block[0] & kHasTransparentIndex) ? block[3] : -1;
    } else if (label == kPlainTextLabel) {
        transparentIndex = -1;  // the control extension before it was the text's
    }
    return reader.SkipSubBlocks();
}

struct PictureDescriptor {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::uint8_t flags = 0;
};

bool ReadPictureDescriptor(ByteReader& reader, PictureDescriptor& picture) {
    return reader.Word(picture.left) && reader.Word(picture.top) && reader.Word(picture.width) &&
           reader.Word(picture.height) && reader.Byte(picture.flags) && SideAllowed(picture.width) &&
           SideAllowed(picture.height);
}

// The picture row that each decoded row belongs to. Interlaced pictures send
// every 8th row from row 0, then every 8th from 4, every 4th from 2 and
// every 2nd from 1, so that a coarse picture shows early.
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    static constexpr int kPassStart[] = {0, 4, 2, 1};
    static constexpr int kPassStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kPassStart[pass]; y < height; y += kPassStep[pass])
            rows.push_back(y);
    return rows;
}

// Lays the decoded rows on the screen at the picture's offset; what falls
// outside the screen is cut off.
void PlaceOnScreen(const std::vector<std::uint8_t>& pixels, const PictureDescriptor& picture, GifImage& image) {
    const std::vector<int> rows = RowOrder(picture.height, (picture.flags & kInterlaced) != 0);
    const int visibleWidth = std::max(0, std::min(picture.width, image.width - picture.left));
    for (int row = 0; row < picture.height; ++row) {
        const int y = picture.top + rows[static_cast<std::size_t>(row)];
        if (y >= image.height || visibleWidth == 0)
            continue;
        const std::uint8_t* from = pixels.data() + static_cast<std::size_t>(row) * picture.width;
        std::uint8_t* to = image.indices.data() + static_cast<std::size_t>(y) * image.width + picture.left;
        std::memcpy(to, from, static_cast<std::size_t>(visibleWidth));
    }
}

std::optional<GifImage> Decode(ByteReader& reader) {
    const std::uint8_t* signature = reader.Take(6);
    if (!signature || (std::memcmp(signature, "GIF87a", 6) != 0 && std::memcmp(signature, "GIF89a", 6) != 0))
        return std::nullopt;
    GifImage image;
    std::uint8_t screenFlags = 0;
    std::uint8_t background = 0;
    std::uint8_t aspectRatio = 0;
    if (!reader.Word(image.width) || !reader.Word(image.height) || !reader.Byte(screenFlags) ||
        !reader.Byte(background) || !reader.Byte(aspectRatio) || !SideAllowed(image.width) ||
        !SideAllowed(image.height))
        return std::nullopt;
    if ((screenFlags & kColourTableFollows) && !ReadColourTable(reader, screenFlags, image.palette))
        return std::nullopt;

    // Extensions up to the first picture; a trailer before it means there is none.
    int transparentIndex = -1;
    for (std::uint8_t introducer = 0; introducer != kImageSeparator;) {
        if (!reader.Byte(introducer))
            return std::nullopt;
        if (introducer != kImageSeparator &&
            (introducer != kExtensionIntroducer || !ReadExtension(reader, transparentIndex)))
            return std::nullopt;
    }

    PictureDescriptor picture;
    if (!ReadPictureDescriptor(reader, picture))
        return std::nullopt;
    if ((picture.flags & kColourTableFollows) && !ReadColourTable(reader, picture.flags, image.palette))
        return std::nullopt;
    if (image.palette.empty())
        return std::nullopt;  // no colours to give the indices
    const std::size_t colours = image.palette.size();
    // An index no pixel can carry makes nothing transparent.
    image.transparentIndex = transparentIndex >= 0 && static_cast<std::size_t>(transparentIndex) < colours
                                 ? transparentIndex
                                 : -1;

    std::uint8_t minCodeSize = 0;
    if (!reader.Byte(minCodeSize) || minCodeSize < kMinCodeSize || minCodeSize > kMaxCodeSize)
        return std::nullopt;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(picture.width) * picture.height);
    CodeReader codes(reader);
    LzwDecoder lzw(minCodeSize);
    if (!lzw.Decode(codes, pixels.data(), pixels.size()))
        return std::nullopt;
    if (std::any_of(pixels.begin(), pixels.end(), [colours](std::uint8_t index) { return index >= colours; }))
        return std::nullopt;

    const int fill = image.transparentIndex >= 0 ? image.transparentIndex : background < colours ? background : 0;
    image.indices.assign(static_cast<std::size_t>(image.width) * image.height, static_cast<std::uint8_t>(fill));
    PlaceOnScreen(pixels, picture, image);
    return image;
}

}  // namespace

std::optional<GifImage> DecodeGif(const std::uint8_t* data, std::size_t size) {
    if (!data)
        return std::nullopt;
    ByteReader reader(data, size);
    try {
        return Decode(reader);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace tarnvel
