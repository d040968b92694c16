#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// The four header blocks, each laid out as its bytes stand in the file:
// integers little-endian, identifiers as four raw characters. They are
// decoded and encoded field by field, never by casting file bytes.
struct RiffHeader {
    char riffId[4];           // "RIFF"
    std::uint32_t riffSize;   // bytes after this field
    char waveId[4];           // "WAVE"
};

struct FormatChunk {
    char fmtId[4];            // "fmt "
    std::uint32_t fmtSize;
    std::uint16_t formatTag;  // 1 = PCM
    std::uint16_t channels;
    std::uint32_t sampleRate;
    std::uint32_t byteRate;
    std::uint16_t blockAlign;
    std::uint16_t bitsPerSample;
};

struct FactChunk {
    std::uint32_t factSize;         // kNoFact when the record holds no fact values
    std::uint32_t factSampleCount;
};

struct DataHeader {
    char dataId[4];           // "data"
    std::uint32_t dataSize;   // bytes of samples
};

inline constexpr std::size_t kRiffHeaderBytes = 12;
inline constexpr std::size_t kFormatChunkBytes = 24;
inline constexpr std::size_t kFactChunkBytes = 8;
inline constexpr std::size_t kDataHeaderBytes = 8;
static_assert(sizeof(RiffHeader) == kRiffHeaderBytes);
static_assert(sizeof(FormatChunk) == kFormatChunkBytes);
static_assert(sizeof(FactChunk) == kFactChunkBytes);
static_assert(sizeof(DataHeader) == kDataHeaderBytes);

// One WAV file held in memory with its file name. It reads the plain layout
// of short clips (format chunk with its extension when the tag is not 1, at
// most a fact chunk, then the data chunk) and is not a general RIFF reader.
// Every failure is thrown as a const char* whose text stays valid for the
// whole run.
class CWave {
public:
    static constexpr std::uint32_t kNoFact = 0xFFFFFFFF;

    // Reads the whole file. An open failure throws the system's text for the
    // error; a damaged or short file throws "<file>: <what is wrong>".
    explicit CWave(std::string fileName);
    // The same reader over bytes already in memory; fileName names the record
    // and appears in the messages.
    static CWave fromBytes(std::span<const std::uint8_t> bytes, std::string fileName);

    CWave();  // empty: no arrays, no name, no fact values
    CWave(const CWave& other);
    CWave(CWave&& other) noexcept;  // leaves the other record empty
    CWave& operator=(const CWave& other);
    CWave& operator=(CWave&& other) noexcept;
    virtual ~CWave();

    void init(const CWave& other);  // makes this record a copy of the other

    // Writes the record to fileName through a temporary file beside it, so
    // the old file stays whole until the new one is complete. Throws
    // "<file>: <what failed>" when the file cannot be written.
    void saveToFile() const;
    // The bytes saveToFile writes.
    std::vector<std::uint8_t> toBytes() const;

    std::string getFileName() const;
    void setFileName(std::string fileName);

    // Left samples, then right samples, under the right record's headers.
    // Throws "Can't concatenate waves with different format tags".
    CWave operator+(const CWave& right) const;
    // The same join for a left operand that is about to go: its sample array
    // grows in place where it can, so a chain of joins does not copy the
    // earlier samples at every step. The left operand is left empty.
    friend CWave operator+(CWave&& left, const CWave& right);

    // Only the backslash separates folders here.
    static std::string getFileFolder(std::string path);
    static std::string getFileTitle(std::string path);

    // Read-only views for callers that inspect a record.
    const RiffHeader& getRiffHeader() const { return riffHeader; }
    const FormatChunk& getFormatChunk() const { return formatChunk; }
    const FactChunk& getFactChunk() const { return factChunk; }
    const DataHeader& getDataHeader() const { return dataHeader; }
    std::uint16_t getExtraFormatSize() const { return extraFormatSize; }
    std::span<const std::uint8_t> getSampleData() const;
    std::span<const std::uint8_t> getExtraFormatBytes() const;

private:
    // Arrays come from malloc so that a join can grow them with realloc.
    struct FreeBytes {
        void operator()(std::uint8_t* bytes) const noexcept;
    };
    using ByteArray = std::unique_ptr<std::uint8_t[], FreeBytes>;
    static ByteArray ownCopy(const std::uint8_t* from, std::size_t count);

    struct JoinSizes {
        std::uint32_t dataSize;
        std::uint32_t riffSize;
    };
    JoinSizes joinSizes(const CWave& right) const;
    CWave joinedWith(const CWave& right, JoinSizes sizes, ByteArray samples) const;
    std::vector<std::uint8_t> encodeHeaders() const;
    void swapContents(CWave& other) noexcept;

    ByteArray sampleData;  // dataHeader.dataSize bytes, or none
    RiffHeader riffHeader{};
    FormatChunk formatChunk{};
    FactChunk factChunk{kNoFact, 0};
    DataHeader dataHeader{};
    std::string fileName;
    std::uint16_t extraFormatSize = 0;
    ByteArray extraFormatBytes;  // extraFormatSize bytes, or none
};
