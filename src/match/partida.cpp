#include "match/partida.h"

#include "effects/TestelaBola.h"
#include "effects/TwaveF.h"
#include "effects/estrellasM.h"
#include "match/Tball.h"
#include "match/TRaqueta.h"
#include "match/Treloj.h"
#include "match/puntuacion.h"
#include "match/readyM.h"
#include "menus/Tmenu.h"
#include "menus/Tminivel.h"
#include "menus/Tpausar.h"
#include "platform/platform.h"
#include "shell/catalogo.h"
#include "shell/neonrally.h"

int Tantos = 7;
int Nplayers = 1;
int ScorePlayer1 = 0;
int ScorePlayer2 = 0;
int empezar = 0;
int lanzarReady = 1;
int pausarjuego = 0;
int abandono = 0;

void IniciarModulosPartida() {
  Tantos = 7;
  Nplayers = 1;
  ScorePlayer1 = 0;
  ScorePlayer2 = 0;
  empezar = 0;
  lanzarReady = 1;
  pausarjuego = 0;
  abandono = 0;

  horizontal = 0;
  daleangulo = 0;
  acambiar = 0;

  TempImage = nullptr;

  segundos = 0;
  minutos = 0;
  horas = 0;
  milise = MilliSecs() + 1000;

  ReadyEstado = 1;
  ReadyRender = 0;
  MitiempoPausa = 0;
  escala = 0.0f;
  tempor = 0;
  CrearAviso = 0;
  Mtime = 0;
  ImagenEfecto = nullptr;
  canal1 = AllocChannel();
  canal2 = AllocChannel();

  ListaO = CreateList<LanzarOnda>();
  lanzando = 0;
  ondatiempo = 0;
  ondatiempo2 = 0;
  PelotazoX = 0.0f;
  PelotazoY = 0.0f;
  PelotazoC = 0.0f;

  pposx.fill(0);
  pposy.fill(0);
  ppesc.fill(0.0f);
}

void CrearObjetosPartida() {
  raqueta1 = std::make_unique<TRaqueta1>();
  raqueta2 = std::make_unique<TRaqueta2>();
  pelota = std::make_unique<Tball>();
  continuar = std::make_unique<Tpausar>();
}

void iniciarJuego() {
  salir = 0;
  Tantos = 7;
  Nplayers = 1;
  ScorePlayer1 = 0;
  ScorePlayer2 = 0;
  pausarjuego = 0;
  if (Mimenu) Mimenu->opcion = 1;
  if (Minivel) Minivel->opcion = 1;
  if (continuar) continuar->opcion = 1;
  if (Mimenu) Mimenu->pausa = MilliSecs() + 160;
  if (Minivel) Minivel->pausa = MilliSecs() + 160;
  if (continuar) continuar->pausa = MilliSecs() + 160;
  abandono = 0;
  raqueta1->iniciar();
  raqueta2->iniciar();
  pelota->iniciar();
  ClearList(ListaO);
  empezar = 0;
  lanzarReady = 1;
  IniciarNodosEnergia(320, 200);
}

void FramePartida() {
  if (lanzarReady != 0) {
    IniciarReadyStar();
    lanzarReady = 0;
    empezar = 0;
  }

  EstrellasH();

  // Equality, not >=: kSinLimite is never reached.
  if (ScorePlayer1 == Tantos || ScorePlayer2 == Tantos) seleccion = 4;

  // The joystick is asked only when no ESC is pending, so its press waits.
  if (KeyHit(KEY_ESCAPE) || JoyHit(1, 0)) pausarjuego = 1;

  if (pausarjuego == 0) {
    if (empezar != 0) {
      pelota->update();
      UpdateNodosEnergia(pelota->bx + static_cast<float>(ImageWidth(superpelota) / 2),
                         pelota->by + static_cast<float>(ImageHeight(superpelota) / 2));
      TemporizadorUpdate();
    }
    raqueta1->update();
    raqueta2->update();
  }

  if (abandono != 0) {
    seleccion = 1;
    iniciarRelojaCero();
  }

  ChorroOndas();

  DibujarCampo();
  DibujarPuntuacion();
  raqueta1->render();
  raqueta2->render();
  if (empezar != 0) {
    RenderNodosEnergia();
    pelota->render();
  }
  RenderOnda();
  RenderReadyStar();
  temporizadorRender(253, 8);

  if (pausarjuego != 0) {
    continuar->update();
    continuar->dibujarNivelPrincipal();
    continuar->NivelSeleccionado();
  }
}

void DibujarCampo() {
  // Banner and labels take the blend and alpha in force on entry.
  SetScale(0.6f, 0.6f);
  DrawImage(velmarino, 190, 450, 0);
  SetScale(0.4f, 0.4f);
  DrawImage(ledplayer1, 30, 0, 0);
  if (Nplayers == 1) {
    DrawImage(ledcomputer, 460, 0, 0);
  } else if (Nplayers == 2) {
    DrawImage(ledplayer2, 460, 0, 0);
  }
  SetScale(1, 1);
  SetBlend(ALPHABLEND);
  DrawImage(ncampo, 0, 0, 0);
  SetBlend(LIGHTBLEND);
  DrawImage(gcampo, 0, 0, 0);
  DrawImage(gcampo, 0, 0, 0);
  SetBlend(ALPHABLEND);
}

void EstadoPartida(nr::StateWriter& w) {
  w.put("ScorePlayer1", ScorePlayer1);
  w.put("ScorePlayer2", ScorePlayer2);
  w.put("pausarjuego", pausarjuego);
  w.put("abandono", abandono);
  w.put("empezar", empezar);
  w.put("lanzarReady", lanzarReady);
  // During the intro the match objects do not exist yet.
  if (pelota) {
    w.put("pelota.bx", pelota->bx);
    w.put("pelota.by", pelota->by);
    w.put("pelota.sx", pelota->sx);
    w.put("pelota.sy", pelota->sy);
    w.put("pelota.incremento", pelota->incremento);
  }
  if (raqueta1) w.put("raqueta1.y", raqueta1->y);
  if (raqueta2) w.put("raqueta2.y", raqueta2->y);
  w.put("horas", horas);
  w.put("minutos", minutos);
  w.put("segundos", segundos);
  w.put("ReadyEstado", ReadyEstado);
  w.put("escala", escala);
  if (continuar) w.put("continuar.opcion", continuar->opcion);
  if (ListaO) w.put("ListaO.count", ListaO->Count());
  w.put("lanzando", lanzando);
  w.put("ondatiempo2", ondatiempo2);
}
