// Scripted players that listen to the virtual machine and answer with keys,
// as a person would: they walk, turn until the radar sounds, shoot, reload,
// take the special weapon and break the crystal, as their plan says.
#pragma once

#include <vector>

#include "support/scripted_platform.h"

namespace scripted {

struct PlayerPlan {
    int gamesToStart = 1;      // Enter on "new game" this many times, then no more keys at the menu
    int killsPerGame = 121;    // stops walking after this many kills
    int shootsUntilKills = 1000;  // from this many kills on, lets every monster's time run out
    bool takesSpecialWeapon = true;
    bool breaksCrystal = true;
    std::vector<Keys> afterwards;  // pressed once the kills are reached, then nothing more
};

class Player {
public:
    // Installs itself as the machine's player; it must outlive the run.
    Player(ScriptedPlatform& machine, PlayerPlan plan);

    int gamesStarted() const { return gamesStarted_; }
    int shotsFired() const { return shotsFired_; }
    int reloads() const { return reloads_; }

private:
    void act();
    void inMainMenu();
    void inEncounter();
    void inStepLoop();
    int killsThisGame() const;
    bool gameMusicSounding() const;

    ScriptedPlatform& machine_;
    PlayerPlan plan_;
    int gamesStarted_ = 0;
    int killsBeforeThisGame_ = 0;
    int bullets_ = 0;  // what the player counts in the magazine
    int shotsFired_ = 0;
    int reloads_ = 0;
    bool afterwardsPressed_ = false;
};

}  // namespace scripted
