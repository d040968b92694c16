// The numbers that make the game's rules, shared by its stage files.
#pragma once

namespace game {

// Levels change at these kill counts; the game ends after the last kill.
inline constexpr int kKillsForLevel2 = 30;
inline constexpr int kKillsForLevel3 = 70;
inline constexpr int kLastKill = 121;

// Ticks (1 ms sleeps) an encounter may last, and hits of a new monster, by level.
inline constexpr int kTicksLevel1 = 2400;
inline constexpr int kTicksLevel2 = 1500;
inline constexpr int kTicksLevel3 = 800;
inline constexpr int kHitsLevel1 = 3;
inline constexpr int kHitsLevel2 = 4;
inline constexpr int kHitsLevel3 = 5;

// Spare magazines given on reaching levels 2 and 3.
inline constexpr int kMagazinesLevel2 = 16;
inline constexpr int kMagazinesLevel3 = 25;

inline constexpr int kStartLives = 3;
inline constexpr int kStartMagazines = 10;
inline constexpr int kFullMagazine = 10;

// The crystal stands for a surviving player with this many points, and takes
// this many hits of the special weapon.
inline constexpr int kPointsForCrystal = 100;
inline constexpr int kCrystalHits = 100;

// egyszerol: the level's one instant kill.
inline constexpr int kInstantKillReady = 20;
inline constexpr int kInstantKillUsed = 10;

// kfegyverallapot: the special weapon held.
inline constexpr int kWeaponHeld = 20;

}  // namespace game
