// The step loop: one iteration per key press, from the level changes at its
// top to the key handlers at its end.
#include <exception>
#include <string>

#include "game/game.h"
#include "game/helpers.h"
#include "game/keys.h"
#include "game/rules.h"
#include "game/weapons.h"
#include "speech/numbers.h"

namespace game {
namespace {

bool isEither(int code, char lower, char upper) { return code == lower || code == upper; }

}  // namespace

void Game::stepLoop() {
    do {
        platform_.srand(static_cast<unsigned>(platform_.time()));
        changeLevel();
        readKey();
        if (s_.megy1 == s_.gen) encounter();
        if (s_.szornyelet == 0) afterEncounter();
        if (s_.megy == s_.kfegyver) specialWeapon();
        answerKey();
        // An iteration always runs to its end, also after the last life or kill.
    } while (s_.elet != 0 && s_.megoltszorny < kLastKill);
}

// A new level: its fanfare, extra magazines, a fresh instant kill and its music.
void Game::enterLevel(int extraMagazines, const char* music) {
    play(*effektmotor_, "hangok/szintlepes.wav");
    s_.lotar += extraMagazines;
    s_.egyszerol = kInstantKillReady;
    zenemotor_->stopAllSounds();
    playLooped(*zenemotor_, music);
}

// Each level's sound, magazines, instant kill and music come once; the level
// parameters are written on every iteration.
void Game::changeLevel() {
    if (s_.megoltszorny == kKillsForLevel2) {
        if (s_.szint != 2) enterLevel(kMagazinesLevel2, "hangok/zene/jatekzene2.mp3");
        s_.szint = 2;
    }
    if (s_.megoltszorny == kKillsForLevel3) {
        if (s_.szint == 2) enterLevel(kMagazinesLevel3, "hangok/zene/jatekzene3.mp3");
        s_.szint = 3;
    }
    if (s_.szint == 2) {
        s_.szornyhatar = kTicksLevel2;
        s_.szszornyelet = kHitsLevel2;
    }
    if (s_.szint == 3) {
        s_.szornyhatar = kTicksLevel3;
        s_.szszornyelet = kHitsLevel3;
    }
}

// Down and Right are marked used so that they do not act as 'P' and 'M';
// every other scan code is answered as if typed without its prefix.
void Game::readKey() {
    s_.billi = platform_.getch();
    if (!key::isPrefix(s_.billi)) return;
    s_.billi = platform_.getch();
    if (s_.billi == key::kUp) {
        play(*effektmotor_, "hangok/lepes.wav");
        ++s_.megy;
        ++s_.megy1;
    }
    if (s_.billi == key::kDown) s_.billi = kUsedKey;
    if (s_.billi == key::kRight) s_.billi = kUsedKey;
    if (s_.billi == key::kF1) helpKey();
}

// F1 waits for a second key, whose scan code is taken untranslated.
void Game::helpKey() {
    platform_.write("Sugo");
    s_.billi = platform_.getch();
    if (key::isPrefix(s_.billi)) {
        s_.billi = platform_.getch();
        if (s_.billi == key::kDelete) codeEntry();
    }
    if (s_.billi == key::kEsc) s_.billi = kUsedKey;
}

// At the end of input no word is read, and the word of an earlier entry is
// compared again.
void Game::codeEntry() {
    platform_.write("Enter code");
    play(*effektmotor_, "hangok/kodker.wav");
    if (std::optional<std::string> word = platform_.readWord()) s_.code = *word;
    if (s_.code == "|bonuszvit|") {
        ++s_.elet;
        play(*effektmotor_, "hangok/kodelfogadva.wav");
    } else if (s_.code == "|pipacsok|") {
        ++s_.lotar;
        play(*effektmotor_, "hangok/kodelfogadva.wav");
    }
}

// A finished encounter gives its point and sets up the next monster. Its
// hits are set here, before a level change at the top of the next iteration.
void Game::afterEncounter() {
    ++s_.pont;
    s_.szornyelet = s_.szszornyelet;
    s_.megy1 = 0;
    s_.gen = drawGen();
}

// The handlers in their fixed order, each testing billi as it is at its turn.
// Only the pause menu changes billi, to Enter, which no later turn tests.
void Game::answerKey() {
    if (isEither(s_.billi, 'p', 'P')) readout(s_.pont);
    if (s_.billi == '1') chooseWeapon(1);
    if (s_.billi == '2' && (s_.szint == 2 || s_.szint == 3)) chooseWeapon(2);
    if (s_.billi == '3' && s_.szint == 3) chooseWeapon(3);
    if (isEither(s_.billi, 'e', 'E')) readout(s_.elet);
    if (isEither(s_.billi, 't', 'T')) readout(s_.lotar);
    if (s_.billi == key::kSpace) fire();  // nothing is hit outside an encounter
    if (s_.billi == key::kEnter) reload();
    if (s_.billi == key::kEsc) pauseMenu();
    if (isEither(s_.billi, 'm', 'M')) readout(s_.megoltszorny);
    if (isEither(s_.billi, 'g', 'G')) readout(s_.golyo);
}

// Also when that weapon is already selected.
void Game::chooseWeapon(int fegyver) {
    s_.fegyver = fegyver;
    play(*zenemotor_, "hangok/fegyvervaltas.wav");
}

// True when a bullet left the gun; an empty magazine only clicks.
bool Game::fire() {
    if (s_.golyo == 0) {
        play(*effektmotor_, "hangok/uresloves.wav");
        return false;
    }
    --s_.golyo;
    play(*effektmotor_, weaponSounds(s_.fegyver).shot);
    return true;
}

// Only an empty magazine is reloaded, and only from a spare one.
void Game::reload() {
    if (s_.golyo != 0 || s_.lotar <= 0) return;
    s_.golyo = kFullMagazine;
    --s_.lotar;
    play(*effektmotor_, weaponSounds(s_.fegyver).reload);
}

// Speaks the value without waiting and prints it with nothing around it, so
// successive readouts run together on the console. A number that cannot be
// built is not spoken (the player would hear an older one) but still printed.
void Game::readout(int value) {
    try {
        speech::szbesz(value);
        platform_.playSound("szamok.wav", platform::Wait::no);
    } catch (const char*) {
    } catch (const std::exception&) {
    }
    platform_.write(std::to_string(value));
}

// 1..19: a zero is drawn again.
int Game::drawGen() {
    int gen = 0;
    do {
        gen = platform_.rand() % 20;
    } while (gen == 0);
    return gen;
}

}  // namespace game
