#include "shell/catalogo.h"

TImage titulo;
TImage oneplayer;
TImage twoplayer;
TImage forescape;
TImage adios;
TImage IplayerOFF;
TImage IplayerON;
TImage IIplayerOFF;
TImage IIplayerON;
TImage ExitOff;
TImage ExitOn;
TImage plimodrevan;
TImage M7Off;
TImage M7On;
TImage M15Off;
TImage M15On;
TImage M21Off;
TImage M21On;
TImage infoff;
TImage infon;
TImage backoff;
TImage backon;
TImage seguirOff;
TImage seguirOn;
TImage winner;
TImage ncampo;
TImage gcampo;
TImage ledplayer1;
TImage ledplayer2;
TImage ledcomputer;
TImage velmarino;
TImage nraqueta1;
TImage ggraqueta1;
TImage nraqueta2;
TImage ggraqueta2;
TImage superpelota;
TImage gsuperpelota;
TImage cero;
TImage uno;
TImage dos;
TImage tres;
TImage cuatro;
TImage cinco;
TImage seis;
TImage siete;
TImage ocho;
TImage nueve;
TImage dospuntos;
TImage ready;
TImage start;
TImage glowm;
TImage estrella;
TImage Omorada;
TImage Oazul;
TImage Oroja;
TImage Overde;
TImage gOmorada;
TImage gOazul;
TImage gOroja;
TImage gOverde;
TImage brillo;
TImage energiaesfera;
TImage plimo;
TImage drevan;
TImage oskel;

namespace {

struct Entrada {
  TImage* global;
  const char* nombre;
  int celdaAncho, celdaAlto, celdas;  // 0 cells: a single image
};

const Entrada kImagenes[] = {
    {&titulo, "gfx2/titulo.png", 0, 0, 0},
    {&oneplayer, "gfx/for1player.png", 0, 0, 0},
    {&twoplayer, "gfx/for2players.png", 0, 0, 0},
    {&forescape, "gfx/forescape.png", 0, 0, 0},
    {&adios, "gfx/forsystem.png", 0, 0, 0},
    {&IplayerOFF, "gfx/poneplayeroff.png", 0, 0, 0},
    {&IplayerON, "gfx/poneplayeron.png", 0, 0, 0},
    {&IIplayerOFF, "gfx/ptwoplayeroff.png", 0, 0, 0},
    {&IIplayerON, "gfx/ptwoplayeron.png", 0, 0, 0},
    {&ExitOff, "gfx/exitoff.png", 0, 0, 0},
    {&ExitOn, "gfx/exiton.png", 0, 0, 0},
    {&plimodrevan, "gfx2/plimodrevanoskel.png", 0, 0, 0},
    {&M7Off, "gfx/psieteoff.png", 0, 0, 0},
    {&M7On, "gfx/psieteon.png", 0, 0, 0},
    {&M15Off, "gfx/pquinceoff.png", 0, 0, 0},
    {&M15On, "gfx/pquinceon.png", 0, 0, 0},
    {&M21Off, "gfx/pveintiunooff.png", 0, 0, 0},
    {&M21On, "gfx/pveintiunoon.png", 0, 0, 0},
    {&infoff, "gfx/pinfinitooff.png", 0, 0, 0},
    {&infon, "gfx/pinfinitoon.png", 0, 0, 0},
    {&backoff, "gfx/back.png", 0, 0, 0},
    {&backon, "gfx/backon.png", 0, 0, 0},
    {&seguirOff, "gfx/continueoff.png", 0, 0, 0},
    {&seguirOn, "gfx/continue.png", 0, 0, 0},
    {&winner, "gfx2/youwinr.png", 0, 0, 0},
    {&ncampo, "gfx2/campo.png", 0, 0, 0},
    {&gcampo, "gfx2/glowcampo.png", 0, 0, 0},
    {&ledplayer1, "gfx2/ledplayer1.png", 0, 0, 0},
    {&ledplayer2, "gfx2/ledplayer2.png", 0, 0, 0},
    {&ledcomputer, "gfx2/ledcomputer.png", 0, 0, 0},
    {&velmarino, "gfx2/velmarino.png", 0, 0, 0},
    {&nraqueta1, "gfx2/raqueta1.png", 0, 0, 0},
    {&ggraqueta1, "gfx2/graqueta1.png", 0, 0, 0},
    {&nraqueta2, "gfx2/raqueta2.png", 0, 0, 0},
    {&ggraqueta2, "gfx2/graqueta2.png", 0, 0, 0},
    {&superpelota, "gfx2/superpelota.png", 25, 25, 10},
    {&gsuperpelota, "gfx2/gsuperpelota.png", 25, 25, 10},
    {&cero, "gfx2/cero.png", 0, 0, 0},
    {&uno, "gfx2/uno.png", 0, 0, 0},
    {&dos, "gfx2/dos.png", 0, 0, 0},
    {&tres, "gfx2/tres.png", 0, 0, 0},
    {&cuatro, "gfx2/cuatro.png", 0, 0, 0},
    {&cinco, "gfx2/cinco.png", 0, 0, 0},
    {&seis, "gfx2/seis.png", 0, 0, 0},
    {&siete, "gfx2/siete.png", 0, 0, 0},
    {&ocho, "gfx2/ocho.png", 0, 0, 0},
    {&nueve, "gfx2/nueve.png", 0, 0, 0},
    {&dospuntos, "gfx2/puntos.png", 0, 0, 0},
    {&ready, "gfx2/ready.png", 0, 0, 0},
    {&start, "gfx2/start.png", 0, 0, 0},
    {&glowm, "gfx2/starts.png", 0, 0, 0},
    {&estrella, "gfx/star1.png", 0, 0, 0},
    {&Omorada, "gfx2/ondamorada.png", 100, 100, 25},
    {&Oazul, "gfx2/ondaazul.png", 100, 100, 25},
    {&Oroja, "gfx2/ondaroja.png", 100, 100, 25},
    {&Overde, "gfx2/ondaverde.png", 100, 100, 25},
    {&gOmorada, "gfx2/gondamorada.png", 100, 100, 25},
    {&gOazul, "gfx2/gondaazul.png", 100, 100, 25},
    {&gOroja, "gfx2/gondaroja.png", 100, 100, 25},
    {&gOverde, "gfx2/gondaverde.png", 100, 100, 25},
    {&brillo, "gfx2/linea.png", 100, 100, 25},
    {&energiaesfera, "gfx2/energiaesfera2.png", 0, 0, 0},
    {&plimo, "gfx2/plimo.png", 0, 0, 0},
    {&drevan, "gfx2/drevan.png", 0, 0, 0},
    {&oskel, "gfx2/oskel.png", 0, 0, 0},
};

}  // namespace

void CargarImagenes() {
  for (const Entrada& e : kImagenes) {
    *e.global = e.celdas ? LoadAnimImage(e.nombre, e.celdaAncho, e.celdaAlto, 0, e.celdas, -1)
                         : LoadImage(e.nombre, -1);
  }
}
