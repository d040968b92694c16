// The monster encounter: a timed loop of 1 ms ticks in which the player turns
// to the monster's side, heard in 3D, and shoots it before the ticks run out.
#include "game/game.h"
#include "game/helpers.h"
#include "game/keys.h"
#include "game/rules.h"
#include "game/weapons.h"

namespace game {
namespace {

using platform::Sound;
using platform::vec3df;

constexpr int kSides = 3;
constexpr int kFacings = 4;    // facing 3 never matches a side
constexpr int kStartFacing = 1;

// Where the monster is heard, by d = (side - facing) mod 4: ahead when faced
// (where the radar sounds too), then to the right, behind and to the left.
constexpr vec3df kMonsterPosition[kFacings] = {
    {0.0f, 2.0f, 0.0f},
    {0.0f, 0.0f, -2.0f},
    {0.0f, -2.0f, 0.0f},
    {0.0f, 0.0f, 2.0f},
};

int facingDifference(int szornyhely, int emberall) { return ((szornyhely - emberall) % kFacings + kFacings) % kFacings; }

// A sound that could not be started gave no handle and is simply not heard.
void placeMonster(Sound* szornyhang, Sound* radarhang, int szornyhely, int emberall) {
    const int d = facingDifference(szornyhely, emberall);
    if (szornyhang != nullptr) szornyhang->setPosition(kMonsterPosition[d]);
    if (radarhang != nullptr) radarhang->setIsPaused(d != 0);
}

}  // namespace

void Game::encounter() {
    Sound* szornyhang = szornymotor_->play3D("hangok/szorny.wav", {0, 0, 0}, true, false, true);
    Sound* radarhang = szornymotor_->play3D("hangok/radar.wav", {0, 0, 0}, true, true, true);
    s_.szornyhely = platform_.rand() % kSides;
    if (szornyhang != nullptr) szornyhang->setPosition(kMonsterPosition[facingDifference(s_.szornyhely, kStartFacing)]);
    s_.emberall = kStartFacing;
    if (s_.szornyhely == s_.emberall && radarhang != nullptr) radarhang->setIsPaused(false);

    // Keys the ticks do not consume stay in billi for the step loop's handlers.
    for (s_.szamol = 1; s_.szamol <= s_.szornyhatar; ++s_.szamol) {
        platform_.sleep(1);
        if (platform_.kbhit()) s_.billi = platform_.getch();

        // Only 224 is a prefix here: a key sent with 0 arrives as two plain codes.
        if (s_.billi == key::kExtendedPrefix) {
            s_.billi = platform_.getch();
            if (s_.billi == key::kLeft) s_.emberall = (s_.emberall + kFacings - 1) % kFacings;
            if (s_.billi == key::kRight) s_.emberall = (s_.emberall + 1) % kFacings;
            if (s_.billi == key::kLeft || s_.billi == key::kRight)
                placeMonster(szornyhang, radarhang, s_.szornyhely, s_.emberall);
            s_.billi = kUsedKey;
        }
        if (s_.billi == '1') {
            chooseWeapon(1);
            s_.billi = kUsedKey;
        }
        if (s_.billi == '2') {
            if (s_.szint == 2 || s_.szint == 3) chooseWeapon(2);
            s_.billi = kUsedKey;
        }
        if (s_.billi == '3') {
            if (s_.szint == 3) chooseWeapon(3);
            s_.billi = kUsedKey;
        }
        // The instant kill, once per level: no sound of its own and no point.
        if (s_.billi == '4') {
            if (s_.egyszerol == kInstantKillReady) {
                s_.szornyelet = 0;
                s_.egyszerol = kInstantKillUsed;
            }
            s_.billi = kUsedKey;
        }
        if (s_.billi == key::kSpace) {
            if (fire() && s_.emberall == s_.szornyhely) {
                --s_.szornyelet;
                if (s_.szornyelet != 0) play(*effektmotor_, "hangok/szornyserul.wav");
                ++s_.pont;  // the killing hit scores too
            }
            s_.billi = kUsedKey;
        }
        if (s_.billi == key::kEnter) reload();  // billi stays Enter
        if (s_.szornyelet == 0) {
            szornymotor_->stopAllSounds();
            play(*effektmotor_, "hangok/szornyhalal1.wav");
            play(*effektmotor_, "hangok/szornyhalal.wav");
            ++s_.megoltszorny;
            return;
        }
    }

    // The ticks ran out: a life and a point are lost (the step loop gives the
    // point back).
    --s_.elet;
    s_.szornyelet = 0;
    --s_.pont;
    szornymotor_->stopAllSounds();
    if (s_.elet != 0) play(*effektmotor_, "hangok/halal.wav");
}

}  // namespace game
