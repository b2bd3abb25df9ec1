// The pause menu over a match, and the winner screen after one.
#pragma once

// One winner-screen frame (screen state 4), then its exit test.
void Ganador();
void SalidaGanador();
