// The whole program: start-up, the logo intro, the main loop and the exit.
// Runs on whichever platform backend is installed; returns the exit status.
#pragma once

// Screen state: 1 main menu, 2 match-length menu, 3 match, 4 winner screen.
extern int seleccion;
// Exit request of the main loop.
extern int salir;
// Joysticks found at start-up; nothing reads it afterwards.
extern int Njoysticks;

int NeonRallyMain();

// Registers the frame-state pairs the replay trace records every frame:
// seleccion, salir, Tantos and Nplayers from the first frame on; the menus'
// opcion and pausa and the match's own pairs once the intro is over (the
// match's are asked for only when its objects exist).
void RegistrarEstadoTraza();
