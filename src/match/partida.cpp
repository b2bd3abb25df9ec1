// Placeholder until the match lands: the globals and an empty match frame.
#include "match/partida.h"

int Tantos, Nplayers, ScorePlayer1, ScorePlayer2, empezar, lanzarReady, pausarjuego, abandono;

void IniciarModulosPartida() {
  Tantos = 7;
  Nplayers = 1;
  ScorePlayer1 = ScorePlayer2 = 0;
  pausarjuego = abandono = empezar = 0;
  lanzarReady = 1;
}
void CrearObjetosPartida() {}
void iniciarJuego() {}
void FramePartida() {}
void DibujarCampo() {}
void EstadoPartida(nr::StateWriter&) {}
