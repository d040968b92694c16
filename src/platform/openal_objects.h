// One owner per OpenAL handle, and the few things every sound source needs:
// the buffer format for a channel count, and where a source is heard.
#pragma once

#include <AL/al.h>

#include <cstdint>
#include <span>

#include "platform/platform.h"

namespace platform {

// Hands 16-bit PCM of one or two channels to a buffer; false when OpenAL refused it.
bool bufferPcm(ALuint buffer, std::span<const std::int16_t> samples, int channels, int sampleRate);

// A source name; deleted (and so silenced) with its owner.
class AlSource {
public:
    AlSource() = default;
    static AlSource create();  // empty when the device has no source left
    ~AlSource() { reset(); }
    AlSource(AlSource&& other) noexcept : id_(other.id_) { other.id_ = 0; }
    AlSource& operator=(AlSource&& other) noexcept;
    AlSource(const AlSource&) = delete;
    AlSource& operator=(const AlSource&) = delete;

    explicit operator bool() const { return id_ != 0; }
    ALuint id() const { return id_; }
    ALint state() const;  // AL_INITIAL, AL_PLAYING, AL_PAUSED or AL_STOPPED
    void reset();         // stops it, lets go of its buffers and deletes it

private:
    ALuint id_ = 0;
};

// A buffer name holding 16-bit PCM.
class AlBuffer {
public:
    AlBuffer() = default;
    static AlBuffer create();
    ~AlBuffer() { reset(); }
    AlBuffer(AlBuffer&& other) noexcept : id_(other.id_) { other.id_ = 0; }
    AlBuffer& operator=(AlBuffer&& other) noexcept;
    AlBuffer(const AlBuffer&) = delete;
    AlBuffer& operator=(const AlBuffer&) = delete;

    explicit operator bool() const { return id_ != 0; }
    ALuint id() const { return id_; }
    bool fill(std::span<const std::int16_t> samples, int channels, int sampleRate) {
        return id_ != 0 && bufferPcm(id_, samples, channels, sampleRate);
    }
    void reset();

private:
    ALuint id_ = 0;
};

// Where a source is heard: 2D sounds play unspatialized at the listener,
// 3D sounds at a position in the game's frame.
struct Placement {
    bool spatial = false;
    vec3df at{0, 0, 0};
};

// The game's X right, Y up, Z forward in OpenAL's frame, whose listener looks down -Z.
vec3df toOpenAlFrame(vec3df game);

void applyPlacement(ALuint source, const Placement& placement);
void moveSource(ALuint source, vec3df gamePosition);

}  // namespace platform
