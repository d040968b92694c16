#include "platform/openal_objects.h"

#include <AL/alext.h>

#include <limits>

namespace platform {

AlSource AlSource::create() {
    alGetError();
    AlSource source;
    alGenSources(1, &source.id_);
    if (alGetError() != AL_NO_ERROR) source.id_ = 0;
    return source;
}

AlSource& AlSource::operator=(AlSource&& other) noexcept {
    if (this != &other) {
        reset();
        id_ = other.id_;
        other.id_ = 0;
    }
    return *this;
}

ALint AlSource::state() const {
    ALint state = AL_STOPPED;
    if (id_ != 0) alGetSourcei(id_, AL_SOURCE_STATE, &state);
    return state;
}

void AlSource::reset() {
    if (id_ == 0) return;
    alSourceStop(id_);
    alSourcei(id_, AL_BUFFER, 0);  // also unqueues a stream's buffers
    alDeleteSources(1, &id_);
    id_ = 0;
}

AlBuffer AlBuffer::create() {
    alGetError();
    AlBuffer buffer;
    alGenBuffers(1, &buffer.id_);
    if (alGetError() != AL_NO_ERROR) buffer.id_ = 0;
    return buffer;
}

AlBuffer& AlBuffer::operator=(AlBuffer&& other) noexcept {
    if (this != &other) {
        reset();
        id_ = other.id_;
        other.id_ = 0;
    }
    return *this;
}

bool bufferPcm(ALuint buffer, std::span<const std::int16_t> samples, int channels, int sampleRate) {
    if ((channels != 1 && channels != 2) || sampleRate <= 0) return false;
    // alBufferData takes its size as an ALsizei.
    if (samples.size_bytes() > static_cast<std::size_t>(std::numeric_limits<ALsizei>::max()))
        return false;
    alGetError();
    alBufferData(buffer, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, samples.data(),
                 static_cast<ALsizei>(samples.size_bytes()), sampleRate);
    return alGetError() == AL_NO_ERROR;
}

void AlBuffer::reset() {
    if (id_ == 0) return;
    alDeleteBuffers(1, &id_);
    id_ = 0;
}

vec3df toOpenAlFrame(vec3df game) {
    // A negated zero stays a plain zero.
    return {game.X, game.Y, game.Z == 0.0f ? 0.0f : -game.Z};
}

void applyPlacement(ALuint source, const Placement& placement) {
    if (placement.spatial) {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
        moveSource(source, placement.at);
        return;
    }
    // At the listener itself, with no distance attenuation; a stereo buffer
    // goes straight to the output channels so music keeps its stereo.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    static const bool directChannels = alIsExtensionPresent("AL_SOFT_direct_channels") == AL_TRUE;
    if (directChannels) alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
}

void moveSource(ALuint source, vec3df gamePosition) {
    const vec3df p = toOpenAlFrame(gamePosition);
    alSource3f(source, AL_POSITION, p.X, p.Y, p.Z);
}

}  // namespace platform
