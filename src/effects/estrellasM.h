// The two star layers behind every screen, scrolling left or up.
#pragma once

// Moves and draws both layers to the left; leaves ALPHABLEND, scale 1 x 1.
void EstrellasH();
// Moves and draws both layers upwards; leaves ALPHABLEND, scale 1 x 1.
void EstrellasV();
