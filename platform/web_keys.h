#pragma once

namespace delve {

// The virtual-key code of a browser key event, from its `key` (what the key
// types in the active layout) and `code` (the key's place on the keyboard):
// letters go by the letter they type, so Z and M are the keys labelled so on
// any Latin layout, and by their US place elsewhere; the other keys by
// place. 0 for a key the program has no code for.
int webVirtualKey(const char* key, const char* code);

// True for keys whose browser default (focus moves, page scrolls, the page
// reloads or goes back, help opens) would fight the game.
bool webKeyDefaultBlocked(int virtualKey);

} // namespace delve
