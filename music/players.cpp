// Music players. This build plays no sound: the commands are accepted and do nothing.
#include "music/players.h"

void start_players(HWND) {}
void play_tune(HWND, int) {}
void stop_all_players() {}
void quit_all_players() {}
