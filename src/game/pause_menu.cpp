// The pause menu that Esc opens during a game: back to the game, help,
// credits, exit. The game stands still while it is open.
#include "game/game.h"
#include "game/helpers.h"
#include "game/keys.h"

namespace game {
namespace {

constexpr int kPauseMenuItems = 4;
constexpr const char* kPauseMenuNames[kPauseMenuItems + 1] = {
    nullptr,
    "hangok/menu/visszaajatekhoz.wav",
    "hangok/menu/sugo.wav",
    "hangok/menu/keszito.wav",
    "hangok/menu/kilepes.wav",
};

}  // namespace

// Returns with billi at Enter; the reload handler has had its turn already,
// so going back to the game does not reload. Esc acts as Enter on item 1.
void Game::pauseMenu() {
    play(*zenemotor_, "hangok/menu.wav");
    platform_.sleep(500);
    s_.menu = 1;
    for (;;) {
        play(*zenemotor_, kPauseMenuNames[s_.menu]);
        // Only a 27 read without a prefix is Esc; a scan code 27 after a
        // prefix just speaks the item again.
        const bool prefixed = readMenuKey(kPauseMenuItems);
        if (!prefixed && s_.billi == key::kEsc) {
            s_.menu = 1;
            s_.billi = key::kEnter;
        }
        if (s_.billi != key::kEnter) continue;

        // Keys pressed during a waiting item stay queued for the menu.
        switch (s_.menu) {
            case 1:
                return;
            case 2:
                playHelp();
                break;
            case 3:
                playCredits();
                break;
            case 4:
                effektmotor_.reset();
                szornymotor_.reset();
                zenemotor_.reset();
                throw ExitRequested{};
        }
    }
}

}  // namespace game
