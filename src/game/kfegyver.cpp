// The special weapon's call: once per game, at a drawn step, it calls out for
// up to 999 ticks and K takes it. Without it the crystal cannot be broken.
#include "game/game.h"
#include "game/helpers.h"
#include "game/keys.h"
#include "game/rules.h"

namespace game {
namespace {

constexpr int kCallTicks = 999;

}  // namespace

// Keys are taken one code at a time without prefixes, so the Left arrow's
// scan code 75 takes the weapon like 'K'. Every tick moves megy on, so the
// call never comes again in this game, and restarts the next monster's count.
void Game::specialWeapon() {
    playLooped(*szornymotor_, "hangok/kfegyvervesz.wav");
    for (s_.kfegyverszam = 1; s_.kfegyverszam <= kCallTicks; ++s_.kfegyverszam) {
        platform_.sleep(1);
        if (platform_.kbhit()) s_.billi = platform_.getch();
        const bool pickedUp = s_.billi == 'K' || s_.billi == 'k';
        if (pickedUp) {
            play(*effektmotor_, "hangok/kfegyvermegvan.wav");
            s_.kfegyverallapot = kWeaponHeld;
            s_.billi = kUsedKey;
        }
        ++s_.megy;
        s_.megy1 = 0;
        s_.gen = drawGen();
        if (pickedUp) break;
    }
    szornymotor_->stopAllSounds();  // the pick-up sound, on the other engine, plays on
}

}  // namespace game
