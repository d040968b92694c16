// Scripted players that listen to the virtual machine and answer with keys,
// as a person would: they walk, turn until the radar sounds, shoot, reload,
// take the special weapon and break the crystal, as their plan says.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "support/scripted_platform.h"

namespace scripted {

struct PlayerPlan {
    // One entry per game to start from the main menu: the kills after which
    // the player stops walking (121 plays the game to its end). After the
    // last game the player presses nothing more at the menu, ending the input.
    std::vector<int> killsPerGame = {121};
    int shootsUntilKills = 1000;    // from this many kills on, lets every monster's time run out
    std::set<int> instantKillsFor;  // the monsters (1 = first of the game) met with '4' instead of shots
    bool takesSpecialWeapon = true;
    int crystalPresses = 100;       // Spaces pressed in the crystal phase
    std::vector<Keys> afterwards;   // pressed once a game's kills are reached, then nothing more
    bool clearLogAtMenu = false;    // keeps the trace small over many games

    PlayerPlan& games(std::vector<int> kills) { killsPerGame = std::move(kills); return *this; }
    PlayerPlan& shootingUntil(int kills) { shootsUntilKills = kills; return *this; }
    PlayerPlan& instantKilling(std::set<int> monsters) { instantKillsFor = std::move(monsters); return *this; }
    PlayerPlan& leavingTheWeapon() { takesSpecialWeapon = false; return *this; }
    PlayerPlan& pressingInCrystal(int presses) { crystalPresses = presses; return *this; }
    PlayerPlan& thenPressing(std::vector<Keys> presses) { afterwards = std::move(presses); return *this; }
    PlayerPlan& clearingLogAtMenu() { clearLogAtMenu = true; return *this; }
};

// What the machine looked like each time the main menu waited for a key.
struct MenuVisit {
    int liveEngines;
    int liveSounds;
    std::uintptr_t stackDepth;  // address of a local: equal on every visit when runs do not nest
};

class Player {
public:
    // Installs itself as the machine's player; it must outlive the run.
    Player(ScriptedPlatform& machine, PlayerPlan plan);

    int shotsFired() const { return shotsFired_; }
    int reloads() const { return reloads_; }
    const std::vector<MenuVisit>& menuVisits() const { return menuVisits_; }

private:
    void act();
    void inMainMenu();
    void inEncounter();
    void inStepLoop();
    void press(std::initializer_list<Keys> presses);
    int killsThisGame() const;
    bool gameMusicSounding() const;

    ScriptedPlatform& machine_;
    PlayerPlan plan_;
    int gamesStarted_ = 0;
    int killsBeforeThisGame_ = 0;
    int bullets_ = 0;  // what the player counts in the magazine
    int shotsFired_ = 0;
    int reloads_ = 0;
    int crystalPressesLeft_ = 0;
    bool afterwardsPressed_ = false;
    std::vector<MenuVisit> menuVisits_;
};

}  // namespace scripted
