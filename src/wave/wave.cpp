#include "wave/wave.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <limits>
#include <string_view>
#include <utility>

#include "wave/file_io.h"

namespace {

using Bytes = std::span<const std::uint8_t>;

// Hands out the file's bytes in order and refuses to go past the end.
class ByteReader {
public:
    ByteReader(Bytes bytes, const std::string& file) : bytes_(bytes), file_(file) {}

    Bytes take(std::size_t count, std::string_view faultWhenShort) {
        if (count > bytes_.size() - position_) throw wave::fileFault(file_, faultWhenShort);
        Bytes piece = bytes_.subspan(position_, count);
        position_ += count;
        return piece;
    }

private:
    Bytes bytes_;
    std::size_t position_ = 0;
    const std::string& file_;
};

std::uint16_t u16(Bytes bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t u32(Bytes bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void copyId(char (&id)[4], Bytes bytes, std::size_t at) {
    std::memcpy(id, bytes.data() + at, 4);
}

RiffHeader decodeRiffHeader(Bytes bytes) {
    RiffHeader header{};
    copyId(header.riffId, bytes, 0);
    header.riffSize = u32(bytes, 4);
    copyId(header.waveId, bytes, 8);
    return header;
}

FormatChunk decodeFormatChunk(Bytes bytes) {
    FormatChunk chunk{};
    copyId(chunk.fmtId, bytes, 0);
    chunk.fmtSize = u32(bytes, 4);
    chunk.formatTag = u16(bytes, 8);
    chunk.channels = u16(bytes, 10);
    chunk.sampleRate = u32(bytes, 12);
    chunk.byteRate = u32(bytes, 16);
    chunk.blockAlign = u16(bytes, 20);
    chunk.bitsPerSample = u16(bytes, 22);
    return chunk;
}

FactChunk decodeFactChunk(Bytes bytes) {
    return FactChunk{u32(bytes, 0), u32(bytes, 4)};
}

DataHeader decodeDataHeader(Bytes bytes) {
    DataHeader header{};
    copyId(header.dataId, bytes, 0);
    header.dataSize = u32(bytes, 4);
    return header;
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putId(std::vector<std::uint8_t>& out, const char (&id)[4]) {
    out.insert(out.end(), id, id + 4);
}

bool isFactId(const char (&id)[4]) {
    return id[0] == 'f' && id[1] == 'a' && id[2] == 'c' && id[3] == 't';
}

constexpr const char* kDifferentTags = "Can't concatenate waves with different format tags";
constexpr const char* kJoinTooLarge = "Can't concatenate waves: the joined file would exceed 4 GiB";

}  // namespace

CWave::CWave(std::string fileName) : CWave(fromBytes(wave::readWholeFile(fileName), fileName)) {}

void CWave::FreeBytes::operator()(std::uint8_t* bytes) const noexcept {
    std::free(bytes);
}

// A fresh array holding `count` bytes from `from`; none for zero bytes.
CWave::ByteArray CWave::ownCopy(const std::uint8_t* from, std::size_t count) {
    if (count == 0) return nullptr;
    ByteArray copy(static_cast<std::uint8_t*>(std::malloc(count)));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy.get(), from, count);
    return copy;
}

CWave CWave::fromBytes(std::span<const std::uint8_t> bytes, std::string fileName) {
    CWave wave;
    wave.fileName = std::move(fileName);
    const std::string& file = wave.fileName;
    if (bytes.empty()) throw wave::fileFault(file, "the file is empty");

    ByteReader in(bytes, file);
    wave.riffHeader = decodeRiffHeader(in.take(kRiffHeaderBytes, "the file ends inside the RIFF header"));
    wave.formatChunk = decodeFormatChunk(in.take(kFormatChunkBytes, "the file ends inside the format chunk"));

    // Every tag but PCM is read with an extension size and its bytes.
    if (wave.formatChunk.formatTag != 1) {
        wave.extraFormatSize = u16(in.take(2, "the file ends inside the format extension size"), 0);
        Bytes extension =
            in.take(wave.extraFormatSize, "the format extension size is larger than the rest of the file");
        wave.extraFormatBytes = ownCopy(extension.data(), extension.size());
    }

    copyId(wave.dataHeader.dataId, in.take(4, "the file ends inside the chunk identifier after the format"), 0);
    if (isFactId(wave.dataHeader.dataId)) {
        wave.factChunk = decodeFactChunk(in.take(kFactChunkBytes, "the file ends inside the fact chunk"));
        wave.dataHeader = decodeDataHeader(in.take(kDataHeaderBytes, "the file ends inside the data chunk header"));
    } else {
        wave.dataHeader.dataSize = u32(in.take(4, "the file ends inside the data size"), 0);
    }

    Bytes samples = in.take(wave.dataHeader.dataSize, "the data size is larger than the rest of the file");
    wave.sampleData = ownCopy(samples.data(), samples.size());
    return wave;
}

CWave::CWave() = default;

CWave::CWave(const CWave& other) : CWave() {
    init(other);
}

CWave::CWave(CWave&& other) noexcept : CWave() {
    swapContents(other);
}

CWave& CWave::operator=(const CWave& other) {
    init(other);
    return *this;
}

CWave& CWave::operator=(CWave&& other) noexcept {
    if (this != &other) {
        CWave emptied;
        swapContents(other);
        other.swapContents(emptied);
    }
    return *this;
}

CWave::~CWave() = default;

void CWave::init(const CWave& other) {
    if (this == &other) return;
    // Copy first, then take over: a failed allocation leaves this record as it was.
    auto samples = ownCopy(other.sampleData.get(), other.dataHeader.dataSize);
    auto extension = ownCopy(other.extraFormatBytes.get(), other.extraFormatSize);
    std::string name = other.fileName;

    formatChunk = other.formatChunk;
    riffHeader = other.riffHeader;
    dataHeader = other.dataHeader;
    factChunk = other.factChunk;
    fileName = std::move(name);
    extraFormatSize = other.extraFormatSize;
    extraFormatBytes = std::move(extension);
    sampleData = std::move(samples);
}

void CWave::swapContents(CWave& other) noexcept {
    std::swap(sampleData, other.sampleData);
    std::swap(riffHeader, other.riffHeader);
    std::swap(formatChunk, other.formatChunk);
    std::swap(factChunk, other.factChunk);
    std::swap(dataHeader, other.dataHeader);
    std::swap(fileName, other.fileName);
    std::swap(extraFormatSize, other.extraFormatSize);
    std::swap(extraFormatBytes, other.extraFormatBytes);
}

std::vector<std::uint8_t> CWave::encodeHeaders() const {
    std::vector<std::uint8_t> out;
    out.reserve(kRiffHeaderBytes + kFormatChunkBytes + 2 + extraFormatSize + 12 + kDataHeaderBytes);

    putId(out, riffHeader.riffId);
    put32(out, riffHeader.riffSize);
    putId(out, riffHeader.waveId);

    putId(out, formatChunk.fmtId);
    put32(out, formatChunk.fmtSize);
    put16(out, formatChunk.formatTag);
    put16(out, formatChunk.channels);
    put32(out, formatChunk.sampleRate);
    put32(out, formatChunk.byteRate);
    put16(out, formatChunk.blockAlign);
    put16(out, formatChunk.bitsPerSample);

    // Tag 0 is read with an extension but written without one; only tags above 1 carry it.
    if (formatChunk.formatTag > 1) {
        put16(out, extraFormatSize);
        auto extension = getExtraFormatBytes();
        out.insert(out.end(), extension.begin(), extension.end());
    }

    // A fact chunk read from the file goes back where it was, so the RIFF
    // size held from that file stays true.
    if (factChunk.factSize != kNoFact) {
        putId(out, {'f', 'a', 'c', 't'});
        put32(out, factChunk.factSize);
        put32(out, factChunk.factSampleCount);
    }

    putId(out, dataHeader.dataId);
    put32(out, dataHeader.dataSize);
    return out;
}

std::vector<std::uint8_t> CWave::toBytes() const {
    std::vector<std::uint8_t> bytes = encodeHeaders();
    auto samples = getSampleData();
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    return bytes;
}

void CWave::saveToFile() const {
    if (fileName.empty()) throw wave::lastingText("Can't save a wave that has no file name");
    std::vector<std::uint8_t> headers = encodeHeaders();
    wave::writeFileAtomically(fileName, {headers, getSampleData()});
}

std::string CWave::getFileName() const {
    return fileName;
}

void CWave::setFileName(std::string newName) {
    fileName = std::move(newName);
}

CWave::JoinSizes CWave::joinSizes(const CWave& right) const {
    if (formatChunk.formatTag != right.formatChunk.formatTag) throw kDifferentTags;

    const std::uint64_t dataSize = std::uint64_t{dataHeader.dataSize} + right.dataHeader.dataSize;
    // The bytes after the RIFF size field: "WAVE" (4), the format chunk (24),
    // the extension with its size for tags above 1, the data header (8), the samples.
    std::uint64_t riffSize = 4 + kFormatChunkBytes + kDataHeaderBytes + dataSize;
    if (right.formatChunk.formatTag > 1) riffSize += 2 + right.extraFormatSize;
    if (riffSize > std::numeric_limits<std::uint32_t>::max()) throw kJoinTooLarge;
    return {static_cast<std::uint32_t>(dataSize), static_cast<std::uint32_t>(riffSize)};
}

// The join's record around samples already in place: the right operand's
// headers and extension, the summed sizes, no fact values, and the name
// made of the left folder and title and the right title.
CWave CWave::joinedWith(const CWave& right, JoinSizes sizes, ByteArray samples) const {
    CWave result;
    result.formatChunk = right.formatChunk;
    result.riffHeader = right.riffHeader;
    result.dataHeader = right.dataHeader;
    result.extraFormatSize = right.extraFormatSize;
    result.extraFormatBytes = ownCopy(right.extraFormatBytes.get(), right.extraFormatSize);
    result.dataHeader.dataSize = sizes.dataSize;
    result.riffHeader.riffSize = sizes.riffSize;
    result.sampleData = std::move(samples);
    result.fileName = getFileFolder(fileName) + getFileTitle(fileName) + getFileTitle(right.fileName) + ".wav";
    return result;
}

CWave CWave::operator+(const CWave& right) const {
    const JoinSizes sizes = joinSizes(right);
    ByteArray samples;
    if (sizes.dataSize != 0) {
        samples.reset(static_cast<std::uint8_t*>(std::malloc(sizes.dataSize)));
        if (!samples) throw std::bad_alloc();
        auto leftSamples = getSampleData();
        auto rightSamples = right.getSampleData();
        if (!leftSamples.empty()) std::memcpy(samples.get(), leftSamples.data(), leftSamples.size());
        if (!rightSamples.empty())
            std::memcpy(samples.get() + leftSamples.size(), rightSamples.data(), rightSamples.size());
    }
    return joinedWith(right, sizes, std::move(samples));
}

CWave operator+(CWave&& left, const CWave& right) {
    if (&left == &right) return std::as_const(left) + right;  // cannot grow what it reads from
    const CWave::JoinSizes sizes = left.joinSizes(right);
    auto rightSamples = right.getSampleData();
    if (!rightSamples.empty()) {
        const std::size_t leftBytes = left.dataHeader.dataSize;
        // realloc keeps the left samples and, at the top of the heap, does not move them.
        auto* grown = static_cast<std::uint8_t*>(std::realloc(left.sampleData.get(), sizes.dataSize));
        if (grown == nullptr) throw std::bad_alloc();  // the left operand still holds its samples
        left.sampleData.release();
        left.sampleData.reset(grown);
        std::memcpy(grown + leftBytes, rightSamples.data(), rightSamples.size());
    }
    CWave::ByteArray samples = std::move(left.sampleData);
    left.dataHeader.dataSize = 0;
    return left.joinedWith(right, sizes, std::move(samples));
}

std::string CWave::getFileFolder(std::string path) {
    std::size_t backslash = path.rfind('\\');
    if (backslash == std::string::npos) return "";
    return path.substr(0, backslash + 1);
}

std::string CWave::getFileTitle(std::string path) {
    std::size_t backslash = path.rfind('\\');
    std::size_t start = backslash == std::string::npos ? 0 : backslash + 1;
    std::size_t dot = path.rfind('.');
    // Without a dot after the last backslash the title is the rest of the path.
    if (dot == std::string::npos || dot < start) return path.substr(start);
    return path.substr(start, dot - start);
}

std::span<const std::uint8_t> CWave::getSampleData() const {
    if (!sampleData) return {};
    return {sampleData.get(), dataHeader.dataSize};
}

std::span<const std::uint8_t> CWave::getExtraFormatBytes() const {
    if (!extraFormatBytes) return {};
    return {extraFormatBytes.get(), extraFormatSize};
}
