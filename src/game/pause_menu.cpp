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
        s_.billi = platform_.getch();
        if (key::isPrefix(s_.billi)) {
            s_.billi = platform_.getch();
            if (s_.billi == key::kDown) ++s_.menu;
            if (s_.billi == key::kUp) --s_.menu;
        } else if (s_.billi == key::kEsc) {
            s_.menu = 1;
            s_.billi = key::kEnter;
        }
        if (s_.menu == kPauseMenuItems + 1) s_.menu = 1;
        if (s_.menu == 0) s_.menu = kPauseMenuItems;
        if (s_.billi != key::kEnter) continue;

        // Keys pressed during a waiting item stay queued for the menu.
        switch (s_.menu) {
            case 1:
                return;
            case 2:
                play(*zenemotor_, "hangok/sugo.mp3");
                platform_.sleep(7000);
                break;
            case 3:
                play(*zenemotor_, "hangok/keszito.mp3");
                platform_.sleep(18000);
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
