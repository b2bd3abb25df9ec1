// The whole program: start-up, the logo intro, the main loop and the exit.
// Runs on whichever platform backend is installed; returns the exit status.
#pragma once

int NeonRallyMain();

// Registers the frame-state pairs the replay trace records every frame.
void RegistrarEstadoTraza();
