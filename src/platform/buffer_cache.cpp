#include "platform/buffer_cache.h"

#include <sys/stat.h>

namespace platform {

std::optional<FileStamp> stampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return FileStamp{static_cast<long long>(info.st_size),
                     static_cast<long long>(info.st_mtim.tv_sec) * 1'000'000'000LL +
                         info.st_mtim.tv_nsec};
}

std::shared_ptr<const AlBuffer> BufferCache::find(const std::string& path, Layout layout,
                                                  const FileStamp& stamp) const {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(std::pair(path, layout));
    if (found == entries_.end() || !(found->second.stamp == stamp)) return nullptr;
    return found->second.buffer;
}

void BufferCache::store(const std::string& path, Layout layout, const FileStamp& stamp,
                        std::shared_ptr<const AlBuffer> buffer) {
    std::lock_guard lock(mutex_);
    // A buffer still playing from the old version lives on with its voices.
    entries_[std::pair(path, layout)] = Entry{stamp, std::move(buffer)};
}

std::size_t BufferCache::size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

}  // namespace platform
