#include "support/scripted_platform.h"

#include <algorithm>
#include <cctype>

namespace scripted {

// ---------------------------------------------------------------- the trace read back

TraceLog TraceLog::parse(const std::string& text) {
    std::vector<Line> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        lines.push_back({std::stoll(line.substr(0, space)), line.substr(space + 1)});
    }
    return TraceLog(std::move(lines));
}

namespace {
bool matches(const std::string& line, std::string_view entry) {
    if (line.size() < entry.size() || line.compare(0, entry.size(), entry) != 0) return false;
    return line.size() == entry.size() || line[entry.size()] == ' ';
}
}  // namespace

long long TraceLog::find(std::string_view entry, std::size_t from, int nth) const {
    for (std::size_t i = from; i < lines_.size(); ++i)
        if (matches(lines_[i].entry, entry) && --nth == 0) return static_cast<long long>(i);
    return -1;
}

int TraceLog::count(std::string_view entry) const {
    return static_cast<int>(
        std::count_if(lines_.begin(), lines_.end(), [&](const Line& line) { return matches(line.entry, entry); }));
}

bool TraceLog::inOrder(std::initializer_list<std::string_view> entries) const {
    std::size_t from = 0;
    for (std::string_view entry : entries) {
        const long long at = find(entry, from);
        if (at < 0) return false;
        from = static_cast<std::size_t>(at) + 1;
    }
    return true;
}

long long TraceLog::timeOf(std::string_view entry) const {
    const long long at = find(entry);
    return at < 0 ? -1 : lines_[static_cast<std::size_t>(at)].ms;
}

TraceLog TraceLog::after(std::string_view entry, int nth) const {
    const long long at = find(entry, 0, nth);
    if (at < 0) return TraceLog({});
    return TraceLog(std::vector<Line>(lines_.begin() + at + 1, lines_.end()));
}

TraceLog TraceLog::before(std::string_view entry) const {
    const long long at = find(entry);
    if (at < 0) return *this;
    return TraceLog(std::vector<Line>(lines_.begin(), lines_.begin() + at));
}

std::vector<std::string> TraceLog::startingWith(std::string_view text) const {
    std::vector<std::string> found;
    for (const Line& line : lines_)
        if (line.entry.compare(0, text.size(), text) == 0) found.push_back(line.entry);
    return found;
}

std::ostream& operator<<(std::ostream& out, const TraceLog& log) {
    out << "trace:\n";
    for (const TraceLog::Line& line : log.lines_) out << "  " << line.ms << ' ' << line.entry << '\n';
    return out;
}

// ---------------------------------------------------------------- virtual sounds

namespace {

class VirtualSound final : public platform::Sound {
public:
    VirtualSound(const VirtualMachine& machine, std::string file, bool looped, bool paused, bool tracked)
        : machine_(machine),
          file_(std::move(file)),
          looped_(looped),
          paused_(paused),
          tracked_(tracked),
          endsAt_(machine.now + machine.durationOf(file_)) {}

    void setIsPaused(bool paused) override { paused_ = paused; }
    void setPosition(platform::vec3df) override {}
    bool isFinished() override { return finished(); }

    bool finished() const { return stopped_ || (!looped_ && machine_.now >= endsAt_); }
    bool sounding() const { return !finished() && !paused_; }
    bool tracked() const { return tracked_; }
    const std::string& file() const { return file_; }
    void stop() { stopped_ = true; }

private:
    const VirtualMachine& machine_;
    std::string file_;
    bool looped_;
    bool paused_;
    bool tracked_;
    long long endsAt_;
    bool stopped_ = false;
};

}  // namespace

class VirtualEngine final : public platform::SoundEngine {
public:
    explicit VirtualEngine(VirtualMachine& machine) : machine_(machine) { machine_.attach(this); }
    ~VirtualEngine() override { machine_.detach(this); }

    platform::Sound* play2D(const std::string& file, bool looped, bool startPaused, bool track) override {
        return play(file, looped, startPaused, track);
    }
    platform::Sound* play3D(const std::string& file, platform::vec3df, bool looped, bool startPaused,
                            bool track) override {
        return play(file, looped, startPaused, track);
    }
    void stopAllSounds() override {
        for (auto& sound : sounds_) sound->stop();
    }

    bool sounding(std::string_view file) const {
        return std::any_of(sounds_.begin(), sounds_.end(),
                           [&](const auto& sound) { return sound->file() == file && sound->sounding(); });
    }
    int liveSounds() const {
        return static_cast<int>(std::count_if(sounds_.begin(), sounds_.end(),
                                              [](const auto& sound) { return !sound->finished(); }));
    }

private:
    platform::Sound* play(const std::string& file, bool looped, bool startPaused, bool track) {
        machine_.heard(file);
        // Untracked sounds that have ended are forgotten; tracked ones live as
        // long as their engine, as the handle promises.
        std::erase_if(sounds_, [](const auto& sound) { return !sound->tracked() && sound->finished(); });
        auto sound = std::make_unique<VirtualSound>(machine_, file, looped, startPaused, track);
        if (machine_.filesWithoutHandle.contains(file)) return nullptr;  // cannot be opened: not heard
        platform::Sound* handle = track ? sound.get() : nullptr;
        sounds_.push_back(std::move(sound));
        return handle;
    }

    VirtualMachine& machine_;
    std::vector<std::unique_ptr<VirtualSound>> sounds_;
};

// ---------------------------------------------------------------- the virtual machine

std::unique_ptr<platform::SoundEngine> VirtualMachine::createSoundEngine(std::string_view name) {
    if (failingEngines.contains(name)) return nullptr;
    return std::make_unique<VirtualEngine>(*this);
}

void VirtualMachine::detach(VirtualEngine* engine) { std::erase(engines_, engine); }

bool VirtualMachine::sounding(std::string_view file) const {
    return std::any_of(engines_.begin(), engines_.end(), [&](const VirtualEngine* e) { return e->sounding(file); });
}

int VirtualMachine::timesPlayed(std::string_view file) const {
    auto found = playCounts_.find(file);
    return found == playCounts_.end() ? 0 : found->second;
}

int VirtualMachine::liveSounds() const {
    int live = 0;
    for (const VirtualEngine* engine : engines_) live += engine->liveSounds();
    return live;
}

long long VirtualMachine::durationOf(std::string_view file) const {
    auto found = durations.find(file);
    return found == durations.end() ? defaultDuration : found->second;
}

void VirtualMachine::playSound(const std::string& wavFile, platform::Wait wait) {
    heard(wavFile);
    if (wait == platform::Wait::untilEnd) now += durationOf(wavFile);
}

bool VirtualMachine::kbhit() {
    if (!keyDue() && player) player();
    return keyDue();
}

int VirtualMachine::getch() {
    if (!keyDue() && player) player();
    if (keys.empty()) throw platform::InputClosed();
    now = std::max(now, keys.front().first);  // a blocking read waits for the key
    const int code = keys.front().second;
    keys.pop_front();
    return code;
}

std::optional<std::string> VirtualMachine::readWord() {
    auto isSpace = [](int code) { return code == ' ' || code == '\t' || code == '\r' || code == '\n'; };
    while (!keys.empty() && isSpace(keys.front().second)) getch();
    if (keys.empty()) return std::nullopt;
    std::string word;
    while (!keys.empty() && !isSpace(keys.front().second)) word += static_cast<char>(getch());
    if (!keys.empty()) getch();  // the Enter (or space) that ended the word
    return word;
}

void VirtualMachine::write(std::string_view text) { console += text; }

void VirtualMachine::sleep(int ms) { now += ms; }

std::time_t VirtualMachine::time() { return timeBase + static_cast<std::time_t>(now / 1000); }

void VirtualMachine::srand(unsigned seed) { generator_ = seed; }

// A small linear congruential generator: deterministic for a seed, 0..32767.
int VirtualMachine::rand() {
    if (!randValues.empty()) {
        const int value = randValues.front();
        randValues.pop_front();
        return value;
    }
    generator_ = generator_ * 1103515245u + 12345u;
    return static_cast<int>((generator_ / 65536u) % 32768u);
}

// ---------------------------------------------------------------- the traced platform

ScriptedPlatform::ScriptedPlatform() : traced_(machine_, trace_, [this] { return machine_.now; }) {}

long long ScriptedPlatform::lastDue() const {
    return machine_.keys.empty() ? machine_.now : std::max(machine_.now, machine_.keys.back().first);
}

void ScriptedPlatform::press(std::initializer_list<Keys> presses) { pressAt(lastDue(), presses); }
void ScriptedPlatform::press(const std::vector<Keys>& presses) { pressAt(lastDue(), presses); }
void ScriptedPlatform::pressAt(long long ms, std::initializer_list<Keys> presses) {
    pressAt(ms, std::vector<Keys>(presses));
}

void ScriptedPlatform::pressAt(long long ms, const std::vector<Keys>& presses) {
    // Keys are kept in due order; a press never overtakes one queued for the same time.
    for (const Keys& codes : presses) {
        for (int code : codes) {
            auto at = std::upper_bound(machine_.keys.begin(), machine_.keys.end(), ms,
                                       [](long long due, const auto& queued) { return due < queued.first; });
            machine_.keys.insert(at, {ms, code});
        }
    }
}

void ScriptedPlatform::type(std::string_view text) {
    const long long due = lastDue();
    for (char c : text) machine_.keys.push_back({due, static_cast<unsigned char>(c)});
}

void ScriptedPlatform::randValues(std::initializer_list<int> values) {
    machine_.randValues.insert(machine_.randValues.end(), values);
}

std::unique_ptr<platform::SoundEngine> ScriptedPlatform::createSoundEngine(std::string_view name) {
    return traced_.createSoundEngine(name);
}
void ScriptedPlatform::playSound(const std::string& wavFile, platform::Wait wait) { traced_.playSound(wavFile, wait); }
bool ScriptedPlatform::kbhit() { return traced_.kbhit(); }
int ScriptedPlatform::getch() { return traced_.getch(); }
std::optional<std::string> ScriptedPlatform::readWord() { return traced_.readWord(); }
void ScriptedPlatform::write(std::string_view text) { traced_.write(text); }
void ScriptedPlatform::sleep(int ms) { traced_.sleep(ms); }
std::time_t ScriptedPlatform::time() { return traced_.time(); }
void ScriptedPlatform::srand(unsigned seed) { traced_.srand(seed); }
int ScriptedPlatform::rand() { return traced_.rand(); }

}  // namespace scripted
