#include "support/players.h"

namespace scripted {

Player::Player(ScriptedPlatform& machine, PlayerPlan plan) : machine_(machine), plan_(std::move(plan)) {
    machine_.setPlayer([this] { act(); });
}

// Called whenever the game reads or polls with no key due.
void Player::act() {
    if (machine_.sounding("hangok/zene/menuzene.mp3")) return inMainMenu();
    if (machine_.sounding("hangok/szorny.wav")) return inEncounter();
    if (machine_.sounding("hangok/kfegyvervesz.wav")) {
        if (plan_.takesSpecialWeapon) press({key('k')});
        return;
    }
    if (gameMusicSounding()) inStepLoop();
}

void Player::inMainMenu() {
    const int local = 0;
    menuVisits_.push_back({machine_.liveEngines(), machine_.liveSounds(), reinterpret_cast<std::uintptr_t>(&local)});
    if (gamesStarted_ == static_cast<int>(plan_.killsPerGame.size())) return;
    if (plan_.clearLogAtMenu) machine_.clearLog();
    ++gamesStarted_;
    killsBeforeThisGame_ = machine_.timesPlayed("hangok/szornyhalal.wav");
    bullets_ = 10;
    crystalPressesLeft_ = plan_.crystalPresses;
    afterwardsPressed_ = false;
    press({kEnter});
}

// Turns right until the radar sounds, then fires; an empty magazine is reloaded.
void Player::inEncounter() {
    const int kills = killsThisGame();
    if (kills >= plan_.shootsUntilKills) return;
    if (plan_.instantKillsFor.contains(kills + 1)) return press({key('4')});
    if (!machine_.sounding("hangok/radar.wav")) return press({kRight});
    if (bullets_ == 0) {
        press({kEnter});
        bullets_ = 10;
        ++reloads_;
        return;
    }
    press({kSpace});
    --bullets_;
    ++shotsFired_;
}

// Walks on; after the last monster the crystal stands (the music still plays).
void Player::inStepLoop() {
    const int kills = killsThisGame();
    if (kills >= 121) {
        if (crystalPressesLeft_ > 0) {
            --crystalPressesLeft_;
            press({kSpace});
        }
        return;
    }
    if (kills < plan_.killsPerGame.at(gamesStarted_ - 1)) return press({kUp});
    if (afterwardsPressed_) return;
    afterwardsPressed_ = true;
    machine_.pressAt(machine_.now(), plan_.afterwards);
}

// At once, ahead of any key queued for later.
void Player::press(std::initializer_list<Keys> presses) { machine_.pressAt(machine_.now(), presses); }

int Player::killsThisGame() const { return machine_.timesPlayed("hangok/szornyhalal.wav") - killsBeforeThisGame_; }

bool Player::gameMusicSounding() const {
    return machine_.sounding("hangok/zene/jatekzene.mp3") || machine_.sounding("hangok/zene/jatekzene2.mp3") ||
           machine_.sounding("hangok/zene/jatekzene3.mp3");
}

}  // namespace scripted
