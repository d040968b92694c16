// The one seam between the game and the machine. The game asks this interface
// for sound, keys, text, time and chance, and nothing else; the real machine
// (system_platform) and the tests' virtual machine (ScriptedPlatform) both
// implement it, and the trace decorates either.
#pragma once

#include <ctime>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// X right, Y up, Z forward; the listener stays at the origin.
struct vec3df {
    float X, Y, Z;
};

// A tracked sound. Its engine owns it: the handle stays valid until the
// engine is released, and the game never frees it.
class Sound {
public:
    virtual void setIsPaused(bool paused) = 0;
    virtual void setPosition(vec3df position) = 0;
    virtual bool isFinished() = 0;

protected:
    ~Sound() = default;
};

// A group of sounds. Destroying an engine releases it: all its sounds end at once.
class SoundEngine {
public:
    virtual ~SoundEngine() = default;
    // A handle only when `track` was asked and the sound started; a file that
    // cannot be opened or decoded plays nothing and gives none.
    virtual Sound* play2D(const std::string& file, bool looped, bool startPaused, bool track) = 0;
    virtual Sound* play3D(const std::string& file, vec3df at, bool looped, bool startPaused,
                          bool track) = 0;
    virtual void stopAllSounds() = 0;
};

enum class Wait { no, untilEnd };

// Thrown by getch when standard input has ended: the game releases its sound
// and ends with status 0.
class InputClosed : public std::exception {
public:
    const char* what() const noexcept override { return "standard input closed"; }
};

class Platform {
public:
    virtual ~Platform() = default;
    // Null when there is no sound output. `name` is the game's name for the engine.
    virtual std::unique_ptr<SoundEngine> createSoundEngine(std::string_view name) = 0;
    // The WAV player: a new request ends the sound of the last one.
    virtual void playSound(const std::string& wavFile, Wait wait) = 0;
    virtual bool kbhit() = 0;
    // 0..255; waits for a key. Throws InputClosed at the end of input.
    virtual int getch() = 0;
    // One word, echoed as it is typed; nullopt at the end of input.
    virtual std::optional<std::string> readWord() = 0;
    // Console text; reaches the screen at once.
    virtual void write(std::string_view text) = 0;
    virtual void sleep(int ms) = 0;
    virtual std::time_t time() = 0;
    virtual void srand(unsigned seed) = 0;
    virtual int rand() = 0;
};

}  // namespace platform
