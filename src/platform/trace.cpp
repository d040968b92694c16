#include "platform/trace.h"

#include <charconv>
#include <utility>
#include <vector>

namespace platform {
namespace {

std::string formatCoordinate(float value) {
    if (value == 0.0f) return "0";  // also a negative zero
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);  // shortest round trip
    return std::string(buffer, result.ptr);
}

std::string flag(bool value) { return value ? "1" : "0"; }


// A tracked sound seen through the trace: each change is logged under its id.
class TracedSound final : public Sound {
public:
    TracedSound(Sound& inner, int id, TracePlatform& trace) : inner_(inner), id_(id), trace_(trace) {}

    void setIsPaused(bool paused) override {
        inner_.setIsPaused(paused);
        trace_.log("setIsPaused #" + std::to_string(id_) + " " + flag(paused));
    }
    void setPosition(vec3df position) override {
        inner_.setPosition(position);
        trace_.log("setPosition #" + std::to_string(id_) + " " + formatPosition(position));
    }
    bool isFinished() override { return inner_.isFinished(); }
    int id() const { return id_; }

private:
    Sound& inner_;
    int id_;
    TracePlatform& trace_;
};

class TracedEngine final : public SoundEngine {
public:
    TracedEngine(std::unique_ptr<SoundEngine> inner, std::string name, TracePlatform& trace)
        : inner_(std::move(inner)), name_(std::move(name)), trace_(trace) {}

    ~TracedEngine() override {
        trace_.log("drop " + name_);
        inner_.reset();  // the inner engine goes after its line, as the trace reads
    }

    Sound* play2D(const std::string& file, bool looped, bool startPaused, bool track) override {
        TracedSound* handle = wrap(inner_->play2D(file, looped, startPaused, track));
        trace_.log("play2D " + name_ + " " + file + " looped=" + flag(looped) + " tracked=" + flag(track) +
                   handleSuffix(handle));
        return handle;
    }

    Sound* play3D(const std::string& file, vec3df at, bool looped, bool startPaused, bool track) override {
        TracedSound* handle = wrap(inner_->play3D(file, at, looped, startPaused, track));
        trace_.log("play3D " + name_ + " " + file + " " + formatPosition(at) + " looped=" + flag(looped) +
                   " paused=" + flag(startPaused) + " tracked=" + flag(track) + handleSuffix(handle));
        return handle;
    }

    void stopAllSounds() override {
        inner_->stopAllSounds();
        trace_.log("stopAllSounds " + name_);
    }

private:
    TracedSound* wrap(Sound* inner) {
        if (inner == nullptr) return nullptr;
        return sounds_.emplace_back(std::make_unique<TracedSound>(*inner, trace_.nextSoundId(), trace_)).get();
    }

    // The id is written only when a handle was handed out.
    static std::string handleSuffix(const TracedSound* handle) {
        return handle == nullptr ? "" : " #" + std::to_string(handle->id());
    }

    std::unique_ptr<SoundEngine> inner_;
    std::string name_;
    TracePlatform& trace_;
    // The wrappers live as long as the engine, as the inner handles do.
    std::vector<std::unique_ptr<TracedSound>> sounds_;
};

}  // namespace

std::string formatPosition(vec3df position) {
    return formatCoordinate(position.X) + "," + formatCoordinate(position.Y) + "," + formatCoordinate(position.Z);
}

std::string escapeLine(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '\n')
            escaped += "\\n";
        else if (c == '\\')
            escaped += "\\\\";
        else
            escaped += c;
    }
    return escaped;
}

TracePlatform::TracePlatform(Platform& inner, std::ostream& out, Millis now)
    : inner_(inner), out_(out), now_(std::move(now)) {}

void TracePlatform::log(std::string_view text) {
    out_ << now_() << ' ' << text << '\n';
    out_.flush();
}

std::unique_ptr<SoundEngine> TracePlatform::createSoundEngine(std::string_view name) {
    std::unique_ptr<SoundEngine> engine = inner_.createSoundEngine(name);
    std::string engineName(name);
    if (!engine) {
        log("create-failed " + engineName);
        return nullptr;
    }
    log("create " + engineName);
    return std::make_unique<TracedEngine>(std::move(engine), std::move(engineName), *this);
}

void TracePlatform::playSound(const std::string& wavFile, Wait wait) {
    // Logged at the request: a waiting play returns only when it has been heard.
    log("PlaySound " + wavFile + (wait == Wait::untilEnd ? " sync" : " async"));
    inner_.playSound(wavFile, wait);
}

bool TracePlatform::kbhit() { return inner_.kbhit(); }

int TracePlatform::getch() {
    int code = inner_.getch();  // InputClosed passes through unlogged
    log("key " + std::to_string(code));
    return code;
}

std::optional<std::string> TracePlatform::readWord() {
    std::optional<std::string> word = inner_.readWord();
    if (word) log("word " + *word);
    return word;
}

void TracePlatform::write(std::string_view text) {
    inner_.write(text);
    log("out " + escapeLine(text));
}

void TracePlatform::sleep(int ms) { inner_.sleep(ms); }

std::time_t TracePlatform::time() { return inner_.time(); }

void TracePlatform::srand(unsigned seed) { inner_.srand(seed); }

int TracePlatform::rand() { return inner_.rand(); }

}  // namespace platform
