#pragma once

namespace delve {

// Scancodes are USB HID usage numbers (the numbering SDL uses): the key in
// the position of a US keyboard's A is 4, Z is 29.
constexpr int ScancodeLetterA = 4;
constexpr int ScancodeUnknown = 0;

// The scancode of the key that types letter virtual key `vk` ('A'..'Z') in
// the active keyboard layout, so that Z and M and the console's letters are
// the keys labelled so on AZERTY, QWERTZ or Dvorak keyboards.
// `scancodeOfKey` maps a lower-case ASCII key symbol to the scancode that
// produces it in the layout (SDL_GetScancodeFromKey), or ScancodeUnknown
// when no key does: then, as on a non-Latin layout, the letter stays at its
// US position. Returns ScancodeUnknown for a `vk` that is not a letter.
template <class Lookup>
int letterScancode(int vk, Lookup&& scancodeOfKey) {
    if (vk < 'A' || vk > 'Z') return ScancodeUnknown;
    int sc = int(scancodeOfKey('a' + (vk - 'A')));
    return sc != ScancodeUnknown ? sc : ScancodeLetterA + (vk - 'A');
}

} // namespace delve
