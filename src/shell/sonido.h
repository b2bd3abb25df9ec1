// Every sound of the game, embedded and decoded once at start-up.
#pragma once

#include "platform/platform.h"

extern TSound menus;  // "sfx/menu.wav"
extern TSound enter;  // "sfx/enter.wav"
extern TSound ping;  // "sfx2/ping.wav"
extern TSound pong;  // "sfx2/pong.wav"
extern TSound rebote;  // "sfx2/rebote.wav"
extern TSound gol;  // "sfx2/gol.wav"
extern TSound beep;  // "sfx2/bonus3.wav"
extern TSound neon;  // "sfx2/neon.wav"

void CargarSonidos();
