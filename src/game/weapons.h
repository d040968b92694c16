// The shot and reload sound of each weapon; the three weapons differ in
// nothing else.
#pragma once

namespace game {

struct WeaponSounds {
    const char* shot;
    const char* reload;
};

// By fegyver, 1..3.
inline const WeaponSounds& weaponSounds(int fegyver) {
    static constexpr WeaponSounds table[] = {
        {"hangok/loves.wav", "hangok/toltes.wav"},
        {"hangok/loves2.wav", "hangok/toltes2.wav"},
        {"hangok/loves3.wav", "hangok/toltes3.wav"},
    };
    return table[fegyver - 1];
}

}  // namespace game
