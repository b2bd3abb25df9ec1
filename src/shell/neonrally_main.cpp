// neonrally: the game on the real display.
#include "shell/neonrally.h"

int main() { return NeonRallyMain(); }
