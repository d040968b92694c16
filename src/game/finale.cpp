// The end of a game: the crystal (for a surviving player with 100 points or
// more), the good or bad ending, and the printed and spoken result.
#include <exception>
#include <string>

#include "game/game.h"
#include "game/helpers.h"
#include "game/keys.h"
#include "game/rules.h"
#include "speech/numbers.h"

namespace game {
namespace {

constexpr int kCrystalTicks = 10000;
constexpr int kGoodOutroSeconds = 52;
constexpr int kBadOutroSeconds = 25;
// A caption that gave no handle cannot be watched: wait about as long as one
// is heard, then go on.
constexpr int kCaptionWithoutHandleMs = 1500;
constexpr int kCaptionPollMs = 10;

}  // namespace

void Game::finale() {
    if (s_.elet > 0 && s_.pont >= kPointsForCrystal) crystalPhase();
    // Every other end (the last life lost, the crystal left standing) is the bad one.
    const bool good =
        s_.elet > 0 && s_.pont >= kPointsForCrystal && s_.kristalyallapot == 1 && s_.megoltszorny >= kLastKill;
    ending(good);
    finalReadout();
}

// Only the special weapon breaks the crystal, one Space per tick; keys pressed
// during the message wait in the queue and count afterwards.
void Game::crystalPhase() {
    play(*effektmotor_, "hangok/kristalyuzenet.wav");
    platform_.sleep(4500);
    for (s_.kristalyszam = 1; s_.kristalyszam <= kCrystalTicks; ++s_.kristalyszam) {
        platform_.sleep(1);
        if (platform_.kbhit()) s_.billi = platform_.getch();
        if (s_.billi == key::kSpace) {
            if (s_.kfegyverallapot == kWeaponHeld) {
                play(*effektmotor_, "hangok/kristalyzuz.wav");
                --s_.kristalyelet;
                play(*effektmotor_, "hangok/kristaly.wav");
            } else {
                play(*effektmotor_, "hangok/uresloves.wav");
            }
            s_.billi = kUsedKey;
        }
        if (s_.kristalyelet == 0) {
            s_.kristalyallapot = 1;
            return;
        }
    }
}

void Game::ending(bool good) {
    zenemotor_.reset();
    effektmotor_.reset();
    play(*szornymotor_, good ? "hangok/zene/outro_joveg.mp3" : "hangok/zene/outro_rosszveg.mp3");
    // The outro is not stopped after the wait; keys are swallowed meanwhile.
    const int seconds = good ? kGoodOutroSeconds : kBadOutroSeconds;
    for (s_.eszam = 1; s_.eszam <= seconds; ++s_.eszam) {
        platform_.sleep(1000);
        if (platform_.kbhit()) s_.temp = platform_.getch();
    }
    // Item by item, with no line end: the next run's output follows on the line.
    platform_.write(good ? "Gratulalok! A jateknak vege! " : "Sajnalom, a jateknak vege! ");
    platform_.write(std::to_string(s_.pont));
    platform_.write(" pontod lett. ");
    platform_.write(std::to_string(s_.elet));
    platform_.write(" eleted maradt. ");
    platform_.write(std::to_string(s_.megoltszorny));
    platform_.write(" szornyet oltel meg!");
}

// Each number is heard to its end before its caption, so they never overlap.
// Keys pressed meanwhile are dropped; those of the closing phrase stay queued
// for the main menu.
void Game::finalReadout() {
    announceResult(s_.pont, "hangok/pontodlett.wav");
    announceResult(s_.elet, "hangok/eletedmaradt.wav");
    announceResult(s_.megoltszorny, "hangok/szornyetoltelmeg.wav");
    platform_.sleep(200);
    platform_.playSound("hangok/gratulalok.wav", platform::Wait::untilEnd);
    platform_.sleep(500);
    szornymotor_.reset();
    intromotor_.reset();  // still held when the intro ran to its end
}

void Game::announceResult(int value, const char* caption) {
    try {
        speech::szbesz(value);
        platform_.playSound("szamok.wav", platform::Wait::untilEnd);
    } catch (const char*) {
    } catch (const std::exception&) {
    }
    platform::Sound* heard = szornymotor_->play2D(caption, false, false, true);
    for (int waited = 0; heard != nullptr ? !heard->isFinished() : waited < kCaptionWithoutHandleMs;
         waited += kCaptionPollMs) {
        platform_.sleep(kCaptionPollMs);
        if (platform_.kbhit()) s_.temp = platform_.getch();
    }
}

}  // namespace game
