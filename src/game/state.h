// The whole state of a game: the game's integers and the last code word, in
// one struct, under the game's own names. All zero and empty at program start;
// a restart keeps them, and a new game sets what it needs.
#pragma once

#include <string>

namespace game {

struct GameState {
    int szornyhatar = 0;       // ticks an encounter may last: 2400, 1500, 800 by level
    int pont = 0;              // score
    int gen = 0;               // steps since the last encounter at which the next monster comes, 1..19
    int elet = 0;              // lives
    int megy = 0;              // steps walked in this game
    int megy1 = 0;             // steps since the last encounter
    int szornyelet = 0;        // hits the current monster can still take; 0 right after an encounter
    int szamol = 0;            // tick counter of the running encounter
    int megoltszorny = 0;      // monsters killed
    int szint = 0;             // level, 1..3
    int billi = 0;             // the key code the game acts on; kUsedKey once a handler used it
    int golyo = 0;             // bullets in the loaded magazine, 0..10
    int menu = 0;              // current item of the menu being spoken
    int kfegyver = 0;          // value of megy at which the special weapon calls, 11..199
    int kfegyverallapot = 0;   // special weapon: 0 not held, 20 held
    int kfegyverszam = 0;      // tick counter of the special weapon's call
    int kristalyszam = 0;      // tick counter of the crystal phase
    int kristalyelet = 0;      // hits the crystal can still take
    int kristalyallapot = 0;   // crystal broken: 0 no, 1 yes
    int eszam = 0;             // seconds counter of the outro
    int lotar = 0;             // spare magazines
    int szszornyelet = 0;      // hits a new monster gets: 3, 4, 5 by level
    int fegyver = 0;           // selected weapon, 1..3
    int introszignalszam = 0;  // half-second counter of the start jingle's wait
    int temp = 0;              // sink for key codes a wait swallows; never read
    int szornyhely = 0;        // side of the current monster, 0..2
    int emberall = 0;          // facing of the player in an encounter, 0..3
    int egyszerol = 0;         // instant kill: 20 available, 10 used on this level
    std::string code;          // the word typed at the last code entry
};

}  // namespace game
