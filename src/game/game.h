// The game: one Game object runs the whole program on a Platform, from the
// start jingle through menus, games and their endings, until the player quits.
#pragma once

#include <memory>

#include "game/state.h"
#include "platform/platform.h"

namespace game {

// The argument count with which a finished game starts the next run: it skips
// the start jingle.
inline constexpr int kRestartMarker = 110;

class Game {
public:
    explicit Game(platform::Platform& platform);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // The whole program from its start to its end; returns the exit status,
    // always 0. `argc` is the program's argument count (kRestartMarker skips
    // the jingle).
    int run(int argc);

    // The game's values as the run left them.
    const GameState& state() const { return s_; }

private:
    // Start-up, main menu and new game (game.cpp).
    bool startUp(int argc);
    void startJingle();
    void mainMenu();
    bool readMenuKey(int items);
    void playHelp();
    void playCredits();
    bool newGame();
    void playIntro();
    void setNewGameValues();
    void soundFailure();
    void releaseSound();

    // The step loop and its key handlers (step_loop.cpp).
    void stepLoop();
    void changeLevel();
    void enterLevel(int extraMagazines, const char* music);
    void readKey();
    void helpKey();
    void codeEntry();
    void afterEncounter();
    void answerKey();
    void chooseWeapon(int fegyver);
    bool fire();
    void reload();
    void readout(int value);
    int drawGen();

    // The stages each in a file of its own.
    void encounter();       // encounter.cpp
    void specialWeapon();   // kfegyver.cpp
    void pauseMenu();       // pause_menu.cpp
    void finale();          // finale.cpp
    void crystalPhase();
    void ending(bool good);
    void finalReadout();
    void announceResult(int value, const char* caption);

    platform::Platform& platform_;
    GameState s_;
    std::unique_ptr<platform::SoundEngine> zenemotor_;    // jingle, menus, music, weapon switch
    std::unique_ptr<platform::SoundEngine> effektmotor_;  // game effects
    std::unique_ptr<platform::SoundEngine> szornymotor_;  // monster, radar, special weapon, outros
    std::unique_ptr<platform::SoundEngine> intromotor_;   // the intro music
};

}  // namespace game
