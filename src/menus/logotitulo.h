// The title and the maker's banner, shared by the main menu and the
// match-length menu.
#pragma once

void dibujartitulo();
// Draws the banner at scale 0.6 and puts the scale back to 1 x 1.
void LogoPlimoDrevan();
