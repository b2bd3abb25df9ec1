// A match: its state globals, its set-up and the frame that runs it.
#pragma once

#include "platform/trace.h"

extern int Tantos;        // points that win; kSinLimite for a match without limit
extern int Nplayers;      // 1: against the computer, 2: two players
extern int ScorePlayer1;
extern int ScorePlayer2;
extern int empezar;       // 1 while play runs
extern int lanzarReady;   // 1: the next match frame starts the ready/start sequence
extern int pausarjuego;   // 1 while paused
extern int abandono;      // 1 once the players quit from the pause menu

// No score ever equals it, so such a match ends only by quitting.
constexpr int kSinLimite = -1;

// Start-up values of every global of the match and its effects (the ball's
// flags, the clock, the ready/start sequence, the waves and the trail), and
// the audio channels the match owns. Called once at start-up, after the
// catalogue is loaded.
void IniciarModulosPartida();
// Creates raqueta1, raqueta2, pelota and continuar, in that order.
void CrearObjetosPartida();

void iniciarJuego();
void FramePartida();  // one frame of screen state 3
void DibujarCampo();

// The match's pairs of the replay trace's state record.
void EstadoPartida(nr::StateWriter& w);
