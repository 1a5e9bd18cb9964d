#include "pictures/gif_image.h"

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
// Strings of indices are copied this many bytes at a time.
constexpr std::size_t kCopyChunk = 8;

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

    std::size_t Left() const { return size_ - pos_; }

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
            if (!Byte(length) || Left() < length)
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

// Reads the LZW codes of a picture from its data sub-blocks once they are
// joined: codes are packed from the lowest bit of each byte up.
class CodeReader {
public:
    explicit CodeReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    // False when the data ends before `width` more bits.
    bool Read(int width, int& code) {
        if (bitCount_ < width) {
            // Whole bytes, while one more fits into the 64 bits.
            for (; bitCount_ <= 64 - 8 && pos_ < bytes_.size(); bitCount_ += 8)
                bits_ |= std::uint64_t{bytes_[pos_++]} << bitCount_;
            if (bitCount_ < width)
                return false;
        }
        code = static_cast<int>(bits_ & ((1u << width) - 1));
        bits_ >>= width;
        bitCount_ -= width;
        return true;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t pos_ = 0;
    std::uint64_t bits_ = 0;
    int bitCount_ = 0;
};

// The string of each new code is the previous code's string followed by the
// first index written after it, so it already lies in the output in one
// piece. The table therefore keeps only where each string starts in the
// output and how long it is, and a code is written by copying from there.
class LzwDecoder {
public:
    LzwDecoder(int minCodeSize, std::size_t colours)
        : clear_(1 << minCodeSize), end_(clear_ + 1), minCodeSize_(minCodeSize), colours_(colours), table_(kCodeLimit) {
        Reset();
    }

    // The picture's first `count` indices into `pixels`. False for a code the
    // table cannot hold yet, a literal outside the palette, or when the codes
    // stop (end code, end of data) before count indices.
    bool Decode(CodeReader& codes, std::size_t count, std::vector<std::uint8_t>& pixels) {
        pixels.assign(count + kCopyChunk - 1, 0);  // room for a copy's last chunk
        std::uint8_t* out = pixels.data();
        std::size_t pos = 0;
        while (pos < count) {
            int code = 0;
            if (!codes.Read(width_, code) || code == end_)
                return false;
            if (code == clear_) {
                Reset();
                continue;
            }
            const bool literal = code < clear_;
            if (literal ? static_cast<std::size_t>(code) >= colours_ : (!hasPrevious_ || code > next_))
                return false;
            // Added before the copy: a code may name the very string that it
            // completes, the previous one plus its own first index.
            if (hasPrevious_ && next_ < kCodeLimit)
                Add(Span{previous_.start, previous_.length + 1});
            std::uint32_t length = 1;
            if (literal) {
                out[pos] = static_cast<std::uint8_t>(code);
            } else {
                const Span string = table_[static_cast<std::size_t>(code)];
                CopyForward(out, string.start, pos, std::min<std::size_t>(string.length, count - pos));
                length = string.length;
            }
            hasPrevious_ = true;
            previous_ = Span{static_cast<std::uint32_t>(pos), length};
            pos += length;
        }
        pixels.resize(count);
        return true;
    }

private:
    struct Span {
        std::uint32_t start;
        std::uint32_t length;
    };

    void Reset() {
        next_ = clear_ + 2;
        width_ = minCodeSize_ + 1;
        hasPrevious_ = false;
    }

    // Once the table holds 4096 codes it stays as it is until a clear code
    // (a "deferred clear"), and the codes stay 12 bits wide.
    void Add(Span string) {
        table_[static_cast<std::size_t>(next_)] = string;
        ++next_;
        if (next_ == 1 << width_ && width_ < kMaxCodeWidth)
            ++width_;
    }

    // Whole chunks when the source lies at least a chunk back, so that no
    // chunk reads bytes it writes; the last one may run up to kCopyChunk - 1
    // bytes on, where later codes write anyway. Closer, the source runs into
    // the bytes being written: byte by byte.
    static void CopyForward(std::uint8_t* out, std::size_t from, std::size_t to, std::size_t length) {
        if (to - from >= kCopyChunk) {
            for (std::size_t i = 0; i < length; i += kCopyChunk)
                std::memcpy(out + to + i, out + from + i, kCopyChunk);
            return;
        }
        for (std::size_t i = 0; i < length; ++i)
            out[to + i] = out[from + i];
    }

    const int clear_;
    const int end_;
    const int minCodeSize_;
    const std::size_t colours_;
    std::vector<Span> table_;
    int next_ = 0;
    int width_ = 0;
    bool hasPrevious_ = false;
    Span previous_{0, 0};
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

// Joins the data sub-blocks of a picture (a length byte, then that many
// bytes; an empty one ends them). A file cut short among them keeps what it
// has: the codes show whether that was enough.
std::vector<std::uint8_t> JoinSubBlocks(ByteReader& reader) {
    std::vector<std::uint8_t> joined;
    joined.reserve(reader.Left());
    std::uint8_t length = 0;
    while (reader.Byte(length) && length != 0) {
        const std::size_t available = std::min<std::size_t>(length, reader.Left());
        const std::uint8_t* bytes = reader.Take(available);
        joined.insert(joined.end(), bytes, bytes + available);
    }
    return joined;
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
    const int visibleWidth = std::min(picture.width, image.width - picture.left);
    if (visibleWidth <= 0)
        return;
    for (int row = 0; row < picture.height; ++row) {
        const int y = picture.top + rows[static_cast<std::size_t>(row)];
        if (y >= image.height)
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
    image.transparentIndex =
        transparentIndex >= 0 && static_cast<std::size_t>(transparentIndex) < colours ? transparentIndex : -1;

    std::uint8_t minCodeSize = 0;
    if (!reader.Byte(minCodeSize) || minCodeSize < kMinCodeSize || minCodeSize > kMaxCodeSize)
        return std::nullopt;
    const std::vector<std::uint8_t> data = JoinSubBlocks(reader);
    CodeReader codes(data);
    LzwDecoder lzw(minCodeSize, colours);
    std::vector<std::uint8_t> pixels;
    if (!lzw.Decode(codes, static_cast<std::size_t>(picture.width) * picture.height, pixels))
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
