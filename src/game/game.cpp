// The run of the program: start-up, the main menu, a new game, and the loop
// that brings a finished game back to the main menu.
#include "game/game.h"

#include "game/helpers.h"
#include "game/keys.h"
#include "game/rules.h"

namespace game {
namespace {

constexpr int kJingleHalfSeconds = 33;  // 16.5 s that cannot be cut short
constexpr int kIntroSeconds = 38;

constexpr int kMainMenuItems = 5;
constexpr const char* kMainMenuNames[kMainMenuItems + 1] = {
    nullptr,
    "hangok/menu/ujjatek.wav",
    "hangok/menu/hangszoroteszt.wav",
    "hangok/menu/sugo.wav",
    "hangok/menu/keszito.wav",
    "hangok/menu/kilepes.wav",
};

}  // namespace

Game::Game(platform::Platform& platform) : platform_(platform) {}

Game::~Game() { releaseSound(); }

int Game::run(int argc) {
    try {
        // A finished game comes back here with the marker: a loop, so that the
        // stack does not grow with every game played.
        for (;;) {
            if (!startUp(argc) || !newGame()) break;
            stepLoop();
            finale();
            argc = kRestartMarker;
        }
    } catch (const ExitRequested&) {
    } catch (const platform::InputClosed&) {
    }
    releaseSound();
    return 0;
}

bool Game::startUp(int argc) {
    zenemotor_ = platform_.createSoundEngine("zenemotor");
    if (!zenemotor_) {
        soundFailure();
        return false;
    }
    if (argc != kRestartMarker) startJingle();
    play(*zenemotor_, "hangok/menu.wav");
    platform_.sleep(1000);
    playLooped(*zenemotor_, "hangok/zene/menuzene.mp3");
    mainMenu();
    return true;
}

// Swallows at most one key per half second; keys still queued at its end
// reach the main menu.
void Game::startJingle() {
    play(*zenemotor_, "hangok/zene/szignal.mp3");
    for (s_.introszignalszam = 1; s_.introszignalszam <= kJingleHalfSeconds; ++s_.introszignalszam) {
        platform_.sleep(500);
        if (platform_.kbhit()) s_.temp = platform_.getch();
    }
}

// Reads one key into billi, waiting for it; only the arrows move the item,
// with wrap-around. The plain codes of P and H are no Down and Up. True when
// the key came with a prefix, so billi holds its scan code.
bool Game::readMenuKey(int items) {
    s_.billi = platform_.getch();
    const bool prefixed = key::isPrefix(s_.billi);
    if (prefixed) {
        s_.billi = platform_.getch();
        if (s_.billi == key::kDown) ++s_.menu;
        if (s_.billi == key::kUp) --s_.menu;
    }
    if (s_.menu == items + 1) s_.menu = 1;
    if (s_.menu == 0) s_.menu = items;
    return prefixed;
}

// Both menus' help and credits: the recording starts and the menu stays deaf
// for its length, the recording is not stopped after.
void Game::playHelp() {
    play(*zenemotor_, "hangok/sugo.mp3");
    platform_.sleep(7000);
}

void Game::playCredits() {
    play(*zenemotor_, "hangok/keszito.mp3");
    platform_.sleep(18000);
}

// Returns when the player starts a new game. Only the arrows move; every key
// but Enter speaks the current item again.
void Game::mainMenu() {
    s_.menu = 1;
    for (;;) {
        play(*zenemotor_, kMainMenuNames[s_.menu]);
        readMenuKey(kMainMenuItems);
        if (s_.billi != key::kEnter) continue;

        // Keys pressed during a waiting item stay queued for the menu.
        switch (s_.menu) {
            case 1:
                return;
            case 2:
                play(*zenemotor_, "hangok/hangszoroteszt.mp3");
                platform_.sleep(5000);
                break;
            case 3:
                playHelp();
                break;
            case 4:
                playCredits();
                break;
            case 5:
                zenemotor_.reset();
                throw ExitRequested{};
        }
    }
}

bool Game::newGame() {
    zenemotor_->stopAllSounds();
    effektmotor_ = platform_.createSoundEngine("effektmotor");
    szornymotor_ = platform_.createSoundEngine("szornymotor");
    intromotor_ = platform_.createSoundEngine("intromotor");
    if (!effektmotor_ || !szornymotor_ || !intromotor_) {
        soundFailure();
        return false;
    }
    platform_.sleep(1000);
    playIntro();
    playLooped(*zenemotor_, "hangok/zene/jatekzene.mp3");
    platform_.srand(static_cast<unsigned>(platform_.time()));
    setNewGameValues();
    return true;
}

// Enter cuts the intro short at the end of that second; other keys are read
// and ignored, one per second.
void Game::playIntro() {
    play(*intromotor_, "hangok/zene/intro.mp3");
    for (int second = 1; second <= kIntroSeconds; ++second) {
        platform_.sleep(1000);
        if (!platform_.kbhit()) continue;
        s_.billi = platform_.getch();
        if (s_.billi == key::kEnter) {
            intromotor_.reset();  // releasing the engine silences the intro at once
            break;
        }
    }
}

void Game::setNewGameValues() {
    s_.szornyhatar = kTicksLevel1;
    s_.pont = 0;
    s_.elet = kStartLives;
    s_.megy = 0;
    s_.megy1 = 0;
    s_.szornyelet = kHitsLevel1;
    s_.megoltszorny = 0;
    s_.szint = 1;
    s_.golyo = kFullMagazine;
    s_.kfegyverallapot = 0;
    s_.kristalyszam = 1;
    s_.kristalyelet = kCrystalHits;
    s_.kristalyallapot = 0;
    s_.lotar = kStartMagazines;
    s_.szszornyelet = kHitsLevel1;
    s_.fegyver = 1;
    s_.egyszerol = kInstantKillReady;
    // Both draws take the next values of the one generator, in this order.
    s_.gen = drawGen();
    do {
        s_.kfegyver = platform_.rand() % 200;
    } while (s_.kfegyver <= 10);
}

void Game::soundFailure() { platform_.write("Nem sikerült inicializalni a hangot\n"); }

// Every way out releases what is left; the order follows the pause menu's exit.
void Game::releaseSound() {
    effektmotor_.reset();
    szornymotor_.reset();
    zenemotor_.reset();
    intromotor_.reset();
}

}  // namespace game
