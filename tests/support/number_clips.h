// A working directory with the 24 number clips, small and valid, so that
// spoken numbers can be built without the generated recordings. The test's
// working directory comes back when the fixture ends.
#pragma once

#include <filesystem>
#include <string_view>

namespace scripted {

class NumberClipsDirectory {
public:
    NumberClipsDirectory();
    ~NumberClipsDirectory();
    NumberClipsDirectory(const NumberClipsDirectory&) = delete;
    NumberClipsDirectory& operator=(const NumberClipsDirectory&) = delete;

    // Takes one clip away ("0.wav"), so that numbers needing it cannot be built.
    void removeClip(std::string_view name);
    const std::filesystem::path& path() const { return directory_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path directory_;
};

}  // namespace scripted
