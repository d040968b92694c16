// Decoded recordings, kept in OpenAL buffers per file so that an effect played
// again costs no decoding.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "platform/audio_file.h"
#include "platform/openal_objects.h"

namespace platform {

// Which version of a file a buffer holds: a rewritten file is decoded anew.
struct FileStamp {
    long long size = 0;
    long long modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

// Empty when the file cannot be looked at (missing, not readable by stat).
std::optional<FileStamp> stampOf(const std::string& path);

class BufferCache {
public:
    std::shared_ptr<const AlBuffer> find(const std::string& path, Layout layout,
                                         const FileStamp& stamp) const;
    void store(const std::string& path, Layout layout, const FileStamp& stamp,
               std::shared_ptr<const AlBuffer> buffer);
    std::size_t size() const;

private:
    struct Entry {
        FileStamp stamp;
        std::shared_ptr<const AlBuffer> buffer;
    };
    mutable std::mutex mutex_;
    std::map<std::pair<std::string, Layout>, Entry, std::less<>> entries_;
};

}  // namespace platform
