// Long play: the whole program under seeded random input for hours of
// virtual play, through every screen, with the game's invariants checked
// after every frame and the heap watched for growth. A player that works the
// keys and sticks at random, leaning towards what reaches every screen,
// drives it; each program run ends through the menus with Exit Game, and
// the next run starts the program afresh.
#include <gtest/gtest.h>

#include <malloc.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "effects/TwaveF.h"
#include "match/TRaqueta.h"
#include "match/Tball.h"
#include "match/Treloj.h"
#include "match/partida.h"
#include "menus/Tmenu.h"
#include "menus/Tminivel.h"
#include "menus/Tpausar.h"
#include "platform/embed.h"
#include "platform/platform.h"
#include "platform/replay.h"
#include "shell/neonrally.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// A wave is in ListaO at the end of the frames of its first 24 draws (the
// 25th removes it), and waves of a burst are more than 100 ms apart, which
// at 16 or 17 ms a frame is at least 7 frames: 24 frames hold at most
// 1 + 23 / 7 = 4 of them.
constexpr int kMaxOndas = 1 + (25 - 2) / 7;
constexpr long kUnMinuto = 3600;
// Heap in use may differ by this much between two moments of the same run
// (a burst of waves, fresh sound voices not yet pruned by the backend).
constexpr long kHolguraHeap = 64 * 1024;

long HeapEnUso() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
  // Small blocks in the arenas and large ones mapped on their own.
  const struct mallinfo2 m = mallinfo2();
  return static_cast<long>(m.uordblks + m.hblkhd);
#endif
}

bool Sanitizado() {
  const char* v = std::getenv("NR_SANITIZED");
  return v && *v && std::string(v) != "0";
}

bool HayCatalogo() { return nr::FindEmbedded("gfx2/campo.png") != nullptr; }

// splitmix64, seeded per test: the same run every time.
class Dados {
 public:
  explicit Dados(uint64_t semilla) : s_(semilla) {}
  uint64_t siguiente() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in lo ... hi, both included.
  long entre(long lo, long hi) {
    return lo + static_cast<long>(siguiente() % static_cast<uint64_t>(hi - lo + 1));
  }
  bool prob(double p) { return static_cast<double>(siguiente() >> 11) * 0x1.0p-53 < p; }
  template <typename T, size_t N>
  const T& uno(const std::array<T, N>& a) {
    return a[static_cast<size_t>(entre(0, static_cast<long>(N) - 1))];
  }

 private:
  uint64_t s_;
};

const std::array<int, 8> kTeclas = {KEY_ESCAPE, KEY_SPACE, KEY_LEFT, KEY_UP,
                                    KEY_RIGHT,  KEY_DOWN,  KEY_A,    KEY_Q};
// Raw axis readings: both ends (-32768 reads as full deflection too), one
// short of them, the middle and a few partial deflections.
const std::array<int, 10> kCrudos = {-32768, -32767, -32766, -16384, -1, 0, 1, 16383, 32766, 32767};

nr::InputEvent Tecla(long frame, int key, bool abajo) {
  nr::InputEvent e;
  e.frame = frame;
  e.kind = abajo ? nr::InputEvent::kPress : nr::InputEvent::kRelease;
  e.key = key;
  return e;
}

nr::InputEvent Eje(long frame, int port, int axis, int raw) {
  nr::InputEvent e;
  e.frame = frame;
  e.kind = nr::InputEvent::kAxis;
  e.port = port;
  e.index = axis;
  e.value = raw;
  return e;
}

nr::InputEvent Boton(long frame, int port, int button, bool abajo) {
  nr::InputEvent e;
  e.frame = frame;
  e.kind = abajo ? nr::InputEvent::kButton : nr::InputEvent::kUnbutton;
  e.port = port;
  e.index = button;
  return e;
}

// Background noise delivered by the harness itself (so through its own
// filtering of unattached ports): sticks swung to every kind of reading on
// ports 0 to 2, buttons 2 and 3 everywhere and 0 to 3 on ports 1 and 2, and
// now and then a tap of a key that only moves things. Buttons 0 and 1 of
// port 0, SPACE and ESC are the player's.
std::vector<nr::InputEvent> Ruido(Dados& d, long frames) {
  std::vector<nr::InputEvent> out;
  for (long f = d.entre(1, 90); f < frames; f += d.entre(1, 240)) {
    switch (d.entre(0, 3)) {
      case 0:
      case 1:
        out.push_back(Eje(f, static_cast<int>(d.entre(0, 2)), static_cast<int>(d.entre(0, 1)),
                          d.prob(0.3) ? static_cast<int>(d.entre(-32768, 32767)) : d.uno(kCrudos)));
        break;
      case 2: {
        const int port = static_cast<int>(d.entre(0, 2));
        const int button = static_cast<int>(port == 0 ? d.entre(2, 3) : d.entre(0, 3));
        out.push_back(Boton(f, port, button, true));
        out.push_back(Boton(f + d.entre(1, 30), port, button, false));
        break;
      }
      default: {
        const std::array<int, 6> mueven = {KEY_LEFT, KEY_UP, KEY_RIGHT, KEY_DOWN, KEY_A, KEY_Q};
        const int key = d.uno(mueven);
        out.push_back(Tecla(f, key, true));
        out.push_back(Tecla(f + d.entre(1, 40), key, false));
        break;
      }
    }
  }
  return out;
}

// A match the player means to have: players, the length menu's item
// (1 ... 5) and whether to play it out.
struct Eleccion {
  int jugadores, item;
  bool hastaElFinal;
  bool cola = false;  // one of those every test must have
};

// What the observer has seen over all runs of one test, and the matches
// still to be had.
struct Cuentas {
  std::vector<Eleccion> cola;
  bool colaHecha = false;
  long ultimaDeLaCola = -1;  // frame (over all runs) at which the last of them was chosen
  long cuadros = 0;
  long intro = 0;
  std::array<long, 5> porEstado{};  // by seleccion
  long pausados = 0;
  long continuados = 0;
  // By (Tantos, Nplayers).
  std::map<std::pair<int, int>, long> empezados, ganados, abandonados;
  long introsCompletas = 0, introsSaltadas = 0;
  int maxOndas = 0;
  int maxPuntosSinLimite = 0;
  long puntos = 0;
  long corridas = 0;
};

// The player and the referee in one: reads the game's globals after every
// frame, checks them against the frame before, and chooses the input of the
// next frame.
class Soak final : public nr::FrameObserver {
 public:
  Soak(Dados& d, Cuentas& c, int joysticks, long presupuesto, bool saltaIntro)
      : d_(d), c_(c), joysticks_(joysticks), presupuesto_(presupuesto), saltaIntro_(saltaIntro) {
    eventos_.reserve(64);
    pendientes_.reserve(64);
  }

  void beforePresent(long, const std::vector<nr::DrawCmd>&) override {}

  void afterPresent(long frame) override {
    frame_ = frame;
    Revisar();
    Jugar();
    Entregar();
  }

  long heapMinuto = -1, heapFinal = -1;
  long respondio = -1;   // frame at which the final sequence reached the match-length menu
  long finalDesde = -1;  // frame at which it began

 private:
  // ---- The referee --------------------------------------------------------

  struct Visto {
    bool valido = false;
    int sel = 0;
    int s1 = 0, s2 = 0;
    int pausa = 0, abandono = 0, empezar = 0;
    long reloj = 0;
    int ms = 0;
  };

  // The first few faults are enough to tell what went wrong.
  void Falla(const std::string& que) {
    if (++fallos_ > 20) return;
    ADD_FAILURE() << "frame " << frame_ << " (run " << c_.corridas << "): " << que;
  }

  static bool Finito(float v) { return std::isfinite(v); }

  void Revisar() {
    ++c_.cuadros;
    const bool objetos = Mimenu && Minivel && continuar && raqueta1 && raqueta2 && pelota;
    Visto v;
    v.valido = objetos;
    v.sel = seleccion;
    v.ms = nr::ReplayBackend()->millis();
    if (ant_.ms != 0 && !(v.ms > ant_.ms)) Falla("the clock went from " + std::to_string(ant_.ms) + " to " + std::to_string(v.ms));
    if (seleccion < 1 || seleccion > 4) Falla("seleccion " + std::to_string(seleccion));
    if (!objetos) {
      // The intro: the menus and the match objects are made when it ends.
      ++c_.intro;
      enIntro_ = true;
      ant_ = v;
      return;
    }
    if (enIntro_) {
      enIntro_ = false;
      if (frame_ < 120) ++c_.introsSaltadas;
      else ++c_.introsCompletas;
    }
    ++c_.porEstado[static_cast<size_t>(std::clamp(seleccion, 0, 4))];

    const float ys[2] = {raqueta1->y, raqueta2->y};
    for (int i = 0; i < 2; ++i)
      if (!(ys[i] >= 40.0f && ys[i] <= 373.0f))
        Falla("raqueta" + std::to_string(i + 1) + ".y = " + std::to_string(ys[i]));
    const float bola[7] = {pelota->bx,    pelota->by,    pelota->sx,        pelota->sy,
                           pelota->azarx, pelota->azary, pelota->incremento};
    for (float f : bola)
      if (!Finito(f)) {
        Falla("the ball holds a value that is no number: bx " + std::to_string(pelota->bx) + " by " +
              std::to_string(pelota->by) + " sx " + std::to_string(pelota->sx) + " sy " +
              std::to_string(pelota->sy) + " azar " + std::to_string(pelota->azarx) + "," +
              std::to_string(pelota->azary) + " incremento " + std::to_string(pelota->incremento));
        break;
      }
    if (!Finito(PelotazoX) || !Finito(PelotazoY) || !Finito(PelotazoC)) Falla("a wave's centre is no number");
    const int ondas = ListaO ? ListaO->Count() : 0;
    c_.maxOndas = std::max(c_.maxOndas, ondas);
    if (ondas > kMaxOndas) Falla(std::to_string(ondas) + " waves alive");
    if (Mimenu->opcion < 1 || Mimenu->opcion > 3) Falla("Mimenu.opcion " + std::to_string(Mimenu->opcion));
    if (Minivel->opcion < 1 || Minivel->opcion > 5) Falla("Minivel.opcion " + std::to_string(Minivel->opcion));
    if (continuar->opcion < 1 || continuar->opcion > 2) Falla("continuar.opcion " + std::to_string(continuar->opcion));
    if (Tantos != 7 && Tantos != 15 && Tantos != 21 && Tantos != kSinLimite) Falla("Tantos " + std::to_string(Tantos));
    if (Nplayers != 1 && Nplayers != 2) Falla("Nplayers " + std::to_string(Nplayers));
    if ((pausarjuego != 0 && pausarjuego != 1) || (abandono != 0 && abandono != 1) || (abandono && !pausarjuego))
      Falla("pausarjuego " + std::to_string(pausarjuego) + " abandono " + std::to_string(abandono));

    v.s1 = ScorePlayer1;
    v.s2 = ScorePlayer2;
    v.pausa = pausarjuego;
    v.abandono = abandono;
    v.empezar = empezar;
    if (segundos < 0 || segundos > 59 || minutos < 0 || minutos > 59 || horas < 0)
      Falla("clock " + std::to_string(horas) + ":" + std::to_string(minutos) + ":" + std::to_string(segundos));
    v.reloj = horas * 3600L + minutos * 60L + segundos;

    if (ant_.valido) {
      // The ball and the clock move only in a match frame that was in play
      // from its start: not paused before it nor by it, released before it
      // and not held back by it.
      const bool juego = ant_.sel == 3 && ant_.pausa == 0 && v.pausa == 0 && ant_.empezar != 0 && v.empezar != 0;
      const int d1 = v.s1 - ant_.s1, d2 = v.s2 - ant_.s2;
      if (d1 != 0 || d2 != 0) {
        const bool punto = juego && d1 >= 0 && d2 >= 0 && d1 + d2 == 1;
        // iniciarJuego, from the main menu, puts both back to zero.
        const bool nuevo = ant_.sel == 1 && v.s1 == 0 && v.s2 == 0;
        if (!punto && !nuevo)
          Falla("scores went from " + std::to_string(ant_.s1) + ":" + std::to_string(ant_.s2) + " to " +
                std::to_string(v.s1) + ":" + std::to_string(v.s2) + " in state " + std::to_string(ant_.sel) +
                (juego ? " in play" : " out of play"));
        if (punto) ++c_.puntos;
        if (Tantos == kSinLimite) c_.maxPuntosSinLimite = std::max({c_.maxPuntosSinLimite, v.s1, v.s2});
      }
      const long dr = v.reloj - ant_.reloj;
      if (dr != 0) {
        const bool segundo = juego && dr == 1;
        // Reset on leaving the match from the pause menu or the winner screen.
        const bool cero = v.reloj == 0 && ((ant_.sel == 3 && ant_.abandono) || (ant_.sel == 4 && v.sel == 1));
        if (!segundo && !cero)
          Falla("match clock went from " + std::to_string(ant_.reloj) + " s to " + std::to_string(v.reloj) +
                " s in state " + std::to_string(ant_.sel));
      }
      // The transitions between screens, and what each one means.
      if (ant_.sel == 2 && v.sel == 3) {
        ++c_.empezados[{Tantos, Nplayers}];
        if (v.reloj != 0 || v.s1 != 0 || v.s2 != 0) Falla("a match starts with its clock or scores not at zero");
      }
      if (ant_.sel == 3 && v.sel == 4) {
        ++c_.ganados[{Tantos, Nplayers}];
        if (Tantos == kSinLimite) Falla("a match without limit was won");
      }
      if (ant_.sel == 3 && v.sel == 1) {
        ++c_.abandonados[{Tantos, Nplayers}];
        if (!ant_.abandono) Falla("the match left for the main menu without Back To Menu");
      }
      if (v.sel == 4 && std::max(v.s1, v.s2) != Tantos)
        Falla("winner screen with " + std::to_string(v.s1) + ":" + std::to_string(v.s2) + " to " + std::to_string(Tantos));
      const bool permitido = ant_.sel == v.sel || (ant_.sel == 1 && v.sel == 2) || (ant_.sel == 2 && v.sel != 4) ||
                             (ant_.sel == 3 && v.sel != 2) || (ant_.sel == 4 && v.sel == 1);
      if (!permitido) Falla("screen " + std::to_string(ant_.sel) + " went to " + std::to_string(v.sel));
      if (v.sel == 3 && v.pausa && !ant_.pausa) ++c_.pausados;
      if (v.sel == 3 && ant_.sel == 3 && ant_.pausa && !v.pausa) ++c_.continuados;
    }
    ant_ = v;

    if (frame_ == kUnMinuto) heapMinuto = HeapEnUso();
  }

  // ---- The player ---------------------------------------------------------

  // Where a paddle's input comes from, and what it is doing for a while.
  struct Mano {
    int port = 0;       // its stick
    int abajo = KEY_DOWN, arriba = KEY_UP;
    bool stick = false;
    int modo = 0;       // 0 follows the ball, 1 holds a fixed way, 2 nothing, 3 shuns the ball
    int fijo = 0;       // 1 down, -1 up, 2 both, 0 neither
    int error = 0;      // where on itself it aims
    int zona = 8;       // dead band
    long hasta = 0;
    bool teclaAbajo = false, teclaArriba = false;
    int crudo = 0;
  };

  void Pulsar(int key) {
    eventos_.push_back(Tecla(frame_ + 1, key, true));
    pendientes_.push_back(Tecla(frame_ + 2, key, false));
  }
  void Apretar(int port, int button) {
    eventos_.push_back(Boton(frame_ + 1, port, button, true));
    pendientes_.push_back(Boton(frame_ + 1 + d_.entre(1, 6), port, button, false));
  }
  void Mantener(int key, bool abajo) { eventos_.push_back(Tecla(frame_ + 1, key, abajo)); }
  void Stick(int port, int axis, int raw) { eventos_.push_back(Eje(frame_ + 1, port, axis, raw)); }
  int Parcial() { return d_.prob(0.5) ? 0 : static_cast<int>(d_.entre(-32766, 32766)); }

  // Confirms the highlighted item with SPACE or, when there is a stick,
  // with its button 0 now and then.
  void Confirmar() {
    // Nothing else may move the highlight in the frame that takes the press.
    if (sostenido_ == 0) {
      Mantener(KEY_LEFT, false);
      Mantener(KEY_RIGHT, false);
      if (joysticks_ > 0) Stick(0, 0, Parcial());
    }
    if (joysticks_ > 0 && d_.prob(0.35)) Apretar(0, 0);
    else Pulsar(KEY_SPACE);
    espera_ = frame_ + 20;  // let the press act before judging the screen
  }

  // Steps a menu's highlight towards `objetivo`, holding RIGHT or LEFT (or
  // the stick of port 0 at full deflection) and letting go on arrival.
  // True once the highlight is there and nothing is held.
  bool Llevar(int opcion, int objetivo) {
    const bool llegado = opcion == objetivo;
    if (!llegado && direccion_ == 0) {
      direccion_ = d_.prob(0.5) ? 1 : -1;
      conStick_ = joysticks_ > 0 && d_.prob(0.3);
    }
    const int quiere = llegado ? 0 : direccion_;
    if (conStick_) {
      if (quiere != sostenido_) Stick(0, 0, quiere > 0 ? 32767 : quiere < 0 ? (d_.prob(0.5) ? -32768 : -32767) : Parcial());
    } else if (quiere != sostenido_) {
      if (sostenido_ > 0) Mantener(KEY_RIGHT, false);
      if (sostenido_ < 0) Mantener(KEY_LEFT, false);
      if (quiere > 0) Mantener(KEY_RIGHT, true);
      if (quiere < 0) Mantener(KEY_LEFT, true);
    }
    sostenido_ = quiere;
    if (llegado) direccion_ = 0;
    return llegado;
  }

  void SoltarTodo() {
    for (int key : kTeclas) Mantener(key, false);
    if (joysticks_ > 0)
      for (int p = 0; p < joysticks_; ++p) {
        Stick(p, 0, Parcial());
        Stick(p, 1, Parcial());
      }
    sostenido_ = 0;
    direccion_ = 0;
    manos_[0].teclaAbajo = manos_[0].teclaArriba = manos_[1].teclaAbajo = manos_[1].teclaArriba = false;
  }

  // A screen was entered: choose what to do on it.
  void Entrar(int sel) {
    // A match that was to be played out but was cut short (the run's end
    // came first, or a confirmation met a moving highlight) is had again.
    if (selJugada_ == 3 && sel == 1 && eleccion_.cola && hastaElFinal_) c_.cola.push_back(eleccion_);
    SoltarTodo();
    objetivo_ = -1;
    dwell_ = frame_ + d_.entre(0, 90);
    vagar_ = d_.prob(0.3) ? static_cast<int>(d_.entre(1, 5)) : 0;
    if (sel == 3) EmpezarPartido();
  }

  // The first matches of a test cover every length with one and two
  // players, finite ones played out, plus a seven abandoned; after that the
  // player picks at random.
  Eleccion Siguiente() {
    std::vector<Eleccion>& cola = c_.cola;
    if (cola.empty() && !c_.colaHecha) {
      c_.colaHecha = true;
      for (int j = 1; j <= 2; ++j)
        for (int item = 1; item <= 4; ++item) cola.push_back({j, item, item != 4, true});
      cola.push_back({1, 1, false, true});
      for (size_t i = cola.size() - 1; i > 0; --i)
        std::swap(cola[i], cola[static_cast<size_t>(d_.entre(0, static_cast<long>(i)))]);
    }
    if (!cola.empty()) {
      Eleccion e = cola.back();
      cola.pop_back();
      if (cola.empty()) c_.ultimaDeLaCola = c_.cuadros;
      return e;
    }
    const std::array<int, 10> items = {1, 1, 1, 1, 2, 2, 3, 4, 4, 5};
    return {static_cast<int>(d_.entre(1, 2)), d_.uno(items), d_.prob(0.6), false};
  }

  void EmpezarPartido() {
    hastaElFinal_ = eleccion_.hastaElFinal && Tantos != kSinLimite;
    const long tope = eleccion_.cola ? 1500 : Tantos == kSinLimite ? 20000 : 6000;
    abandonarEn_ = hastaElFinal_ ? -1 : frame_ + d_.entre(60, tope);
    proximaPausa_ = frame_ + d_.entre(30, 4000);
    puntoPendiente_ = d_.prob(0.15);
    // A match to be played out is played badly, so that it ends soon.
    torpe_ = hastaElFinal_ && (eleccion_.cola || d_.prob(0.5));
    for (int i = 0; i < 2; ++i) NuevoModo(manos_[i], i);
  }

  void NuevoModo(Mano& m, int lado) {
    const bool dos = Nplayers == 2;
    m.port = lado == 0 ? 0 : 1;
    if (lado == 0) {
      m.abajo = dos ? KEY_A : KEY_DOWN;
      m.arriba = dos ? KEY_Q : KEY_UP;
    } else {
      m.abajo = KEY_DOWN;
      m.arriba = KEY_UP;
    }
    m.stick = (m.port < joysticks_ && d_.prob(0.5)) || d_.prob(0.03);
    const long r = d_.entre(0, 99);
    m.modo = torpe_ ? (r < 10 ? 0 : r < 25 ? 1 : r < 40 ? 2 : 3) : (r < 75 ? 0 : r < 92 ? 1 : 2);
    m.fijo = static_cast<int>(d_.entre(-1, 2));
    m.error = static_cast<int>(d_.entre(-30, 30));
    m.zona = static_cast<int>(d_.entre(2, 24));
    m.hasta = frame_ + d_.entre(30, 1500);
  }

  void Paleta(Mano& m, int lado) {
    if (frame_ >= m.hasta) {
      const bool stick = m.stick;
      NuevoModo(m, lado);
      if (stick != m.stick) {
        Mantener(m.abajo, false);
        Mantener(m.arriba, false);
        m.teclaAbajo = m.teclaArriba = false;
        Stick(m.port, 1, Parcial());
      }
    }
    int quiere = 0;  // 1 down, -1 up, 2 both
    if (m.modo == 0 || m.modo == 3) {
      const float y = lado == 0 ? raqueta1->y : raqueta2->y;
      const float bola = pelota->by + 12, centro = y + 32 + static_cast<float>(m.error);
      if (bola > centro + static_cast<float>(m.zona)) quiere = 1;
      else if (bola < centro - static_cast<float>(m.zona)) quiere = -1;
      if (m.modo == 3) quiere = bola > 240 ? -1 : 1;
    } else if (m.modo == 1) {
      quiere = m.fijo;
    }
    if (m.stick) {
      int crudo = quiere == 1 ? 32767 : quiere == -1 ? -32767 : 0;
      if (quiere == -1 && d_.prob(0.5)) crudo = -32768;
      if (quiere == 0 || quiere == 2) crudo = m.crudo;  // keep whatever partial value it has
      if (crudo != m.crudo || d_.prob(0.01)) {
        m.crudo = (quiere == 0 || quiere == 2) && d_.prob(0.05) ? Parcial() : crudo;
        Stick(m.port, 1, m.crudo);
      }
    } else {
      const bool abajo = quiere == 1 || quiere == 2, arriba = quiere == -1 || quiere == 2;
      if (abajo != m.teclaAbajo) Mantener(m.abajo, abajo);
      if (arriba != m.teclaArriba) Mantener(m.arriba, arriba);
      m.teclaAbajo = abajo;
      m.teclaArriba = arriba;
    }
  }

  void Jugar() {
    if (!(Mimenu && Minivel && continuar && raqueta1 && raqueta2 && pelota)) {
      // The intro: SPACE ends it early in some runs.
      if (saltaIntro_ && frame_ == 5) Pulsar(KEY_SPACE);
      return;
    }
    const int sel = seleccion;
    const bool cambio = sel != selJugada_ || (sel == 3 && pausarjuego != pausaJugada_);
    if (sel != selJugada_) Entrar(sel);
    if (sel == 3 && pausarjuego != pausaJugada_) {
      sostenido_ = 0;
      direccion_ = 0;
      objetivo_ = -1;
      dwell_ = frame_ + d_.entre(0, 120);
      vagar_ = d_.prob(0.3) ? static_cast<int>(d_.entre(1, 4)) : 0;
    }
    selJugada_ = sel;
    pausaJugada_ = pausarjuego;
    if (cambio || frame_ < espera_) return;
    if (!final_ && frame_ >= presupuesto_) {
      final_ = true;
      finalDesde = frame_;
    }

    switch (sel) {
      case 1: {
        // Wandering over Exit Game is fine; only confirming it ends the run.
        if (vagar_ > 0) {
          if (Llevar(Mimenu->opcion, objetivo_ < 0 ? (objetivo_ = static_cast<int>(d_.entre(1, 3))) : objetivo_)) {
            --vagar_;
            objetivo_ = -1;
          }
          return;
        }
        int quiero;
        if (final_) {
          quiero = respondio < 0 ? 1 : 3;
        } else {
          if (objetivo_ < 0) {
            eleccion_ = Siguiente();
            objetivo_ = eleccion_.jugadores;
          }
          quiero = objetivo_;
        }
        if (Llevar(Mimenu->opcion, quiero) && frame_ >= dwell_) {
          if (quiero == 3) heapFinal = HeapEnUso();
          Confirmar();
        }
        return;
      }
      case 2: {
        if (final_ && respondio < 0) respondio = frame_;
        if (vagar_ > 0) {
          if (Llevar(Minivel->opcion, objetivo_ < 0 ? (objetivo_ = static_cast<int>(d_.entre(1, 5))) : objetivo_)) {
            --vagar_;
            objetivo_ = -1;
          }
          return;
        }
        const int quiero = final_ ? 5 : eleccion_.item;
        if (Llevar(Minivel->opcion, quiero) && frame_ >= dwell_) Confirmar();
        return;
      }
      case 3:
        if (pausarjuego) Pausado();
        else EnJuego();
        return;
      case 4:
        if (frame_ >= dwell_ || final_) Confirmar();
        return;
    }
  }

  void EnJuego() {
    Paleta(manos_[0], 0);
    if (Nplayers == 2) Paleta(manos_[1], 1);
    // Pending presses: SPACE now and then during play, where nobody asks
    // for it, to be taken by the next pause menu or winner screen.
    // With Back To Menu highlighted that abandons the match at once.
    if (puntoPendiente_ && (!hastaElFinal_ || continuar->opcion == 2) && d_.prob(0.002)) {
      Pulsar(KEY_SPACE);
      puntoPendiente_ = false;
    }
    const bool salirYa = final_ || (abandonarEn_ >= 0 && frame_ >= abandonarEn_);
    if (salirYa || frame_ >= proximaPausa_) {
      if (joysticks_ > 0 && d_.prob(0.3)) Apretar(0, 1);
      else Pulsar(KEY_ESCAPE);
      proximaPausa_ = frame_ + d_.entre(300, 6000);
      espera_ = frame_ + 3;
    }
  }

  void Pausado() {
    if (abandono) return;  // the main menu follows
    // ESC while paused changes nothing; press it now and then anyway.
    if (d_.prob(0.005)) Pulsar(KEY_ESCAPE);
    if (vagar_ > 0) {
      if (objetivo_ < 0) objetivo_ = continuar->opcion == 1 ? 2 : 1;
      if (Llevar(continuar->opcion, objetivo_)) {
        --vagar_;
        objetivo_ = -1;
      }
      return;
    }
    const bool salirYa = final_ || (abandonarEn_ >= 0 && frame_ >= abandonarEn_);
    const int quiero = salirYa ? 1 : 2;
    if (Llevar(continuar->opcion, quiero) && frame_ >= dwell_) Confirmar();
  }

  void Entregar() {
    nr::InputSink& in = nr::Input();
    auto dar = [&](const nr::InputEvent& e) {
      switch (e.kind) {
        case nr::InputEvent::kPress:
        case nr::InputEvent::kRelease:
          in.key(e.key, e.kind == nr::InputEvent::kPress);
          break;
        case nr::InputEvent::kAxis:
          in.joyAxis(e.port, e.index, e.value);
          break;
        case nr::InputEvent::kButton:
        case nr::InputEvent::kUnbutton:
          in.joyButton(e.port, e.index, e.kind == nr::InputEvent::kButton);
          break;
      }
    };
    for (const nr::InputEvent& e : eventos_) dar(e);
    eventos_.clear();
    size_t quedan = 0;
    for (size_t i = 0; i < pendientes_.size(); ++i) {
      if (pendientes_[i].frame <= frame_ + 1) dar(pendientes_[i]);
      else pendientes_[quedan++] = pendientes_[i];
    }
    pendientes_.resize(quedan);
  }

  Dados& d_;
  Cuentas& c_;
  const int joysticks_;
  const long presupuesto_;
  const bool saltaIntro_;
  long frame_ = 0;
  int fallos_ = 0;
  Visto ant_;
  bool enIntro_ = false;

  std::vector<nr::InputEvent> eventos_, pendientes_;
  int selJugada_ = 0, pausaJugada_ = 0;
  long espera_ = 0, dwell_ = 0;
  int objetivo_ = -1, vagar_ = 0;
  int direccion_ = 0, sostenido_ = 0;
  bool conStick_ = false;
  bool final_ = false;
  Eleccion eleccion_{1, 1, true};
  bool hastaElFinal_ = true, puntoPendiente_ = false, torpe_ = false;
  long abandonarEn_ = -1, proximaPausa_ = 0;
  std::array<Mano, 2> manos_{};
};

class SoakTest : public ::testing::TestWithParam<int> {};

TEST_P(SoakTest, HoursOfRandomPlayThroughEveryScreenKeepEveryInvariant) {
  if (!HayCatalogo()) GTEST_SKIP() << "no game assets in this build";
  const int joysticks = GetParam();
  // Three tests of a third each: over a million frames in all, about 4.6
  // hours of play; under the sanitizers a seventh of it, still enough for
  // every kind of match.
  // NR_SOAK_FRAMES sets another length for each of them, for a longer run by hand.
  long total = Sanitizado() ? 50000 : 340000;
  if (const char* n = std::getenv("NR_SOAK_FRAMES")) total = std::max(1L, std::atol(n));
  const long porCorrida = Sanitizado() ? 25000 : 85000;
  Dados d(0x50A4 + static_cast<uint64_t>(joysticks));
  Cuentas c;
  RegistrarEstadoTraza();
  long cuadros = 0, heapPrimero = -1;
  while (cuadros < total) {
    ++c.corridas;
    const long presupuesto = std::min(porCorrida, total - cuadros);
    nr::ReplayOptions o;
    o.events = Ruido(d, presupuesto + 30000);
    o.joysticks = joysticks;
    // A run that does not find its way out through the menus is stopped.
    o.frames = presupuesto + 30000;
    const bool salta = c.corridas % 2 == 1;
    Soak soak(d, c, joysticks, presupuesto, salta);
    const nr::ReplayResult r = nr::RunReplay(o, NeonRallyMain, &soak);
    cuadros += r.frames;
    EXPECT_TRUE(r.ended) << "run " << c.corridas << " did not end through Exit Game";
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_GE(soak.finalDesde, 0) << "run " << c.corridas << " ended before its time, after " << r.frames << " frames";
    EXPECT_GE(soak.respondio, 0) << "the menus did not answer at the end of run " << c.corridas;
    EXPECT_LT(soak.respondio - soak.finalDesde, 1800) << "run " << c.corridas;
    ASSERT_GE(soak.heapMinuto, 0);
    ASSERT_GE(soak.heapFinal, 0);
    EXPECT_LE(soak.heapFinal - soak.heapMinuto, kHolguraHeap)
        << "heap in use grew over run " << c.corridas << " from " << soak.heapMinuto << " to " << soak.heapFinal;
    // A fresh start of the program leaves no more behind than the first did.
    if (heapPrimero < 0) heapPrimero = soak.heapMinuto;
    EXPECT_LE(soak.heapMinuto - heapPrimero, kHolguraHeap)
        << "run " << c.corridas << " starts with more heap in use than the first";
    std::printf("[ soak ] run %ld: %ld frames, heap %ld after a minute, %ld at the end\n", c.corridas, r.frames,
                soak.heapMinuto, soak.heapFinal);
  }
  EXPECT_GE(cuadros, total);

  // Every screen, and every kind of match, was reached.
  EXPECT_GT(c.intro, 0);
  EXPECT_GT(c.introsSaltadas + c.introsCompletas, 0);
  for (int s = 1; s <= 4; ++s) EXPECT_GT(c.porEstado[static_cast<size_t>(s)], 0) << "screen " << s;
  EXPECT_GT(c.pausados, 0);
  EXPECT_GT(c.continuados, 0);
  for (int tantos : {7, 15, 21, kSinLimite})
    for (int jugadores : {1, 2}) {
      EXPECT_GT(c.empezados[std::make_pair(tantos, jugadores)], 0) << tantos << " points, " << jugadores << " players";
      if (tantos != kSinLimite)
        EXPECT_GT(c.ganados[std::make_pair(tantos, jugadores)], 0) << tantos << " points, " << jugadores << " players, won";
      else
        EXPECT_GT(c.abandonados[std::make_pair(tantos, jugadores)], 0) << "no limit, " << jugadores << " players, abandoned";
    }
  EXPECT_GT(c.abandonados[std::make_pair(7, 1)], 0) << "a seven-point match abandoned";
  // The wave bound was reached, not merely respected.
  EXPECT_EQ(c.maxOndas, kMaxOndas);

  long empezados = 0, ganados = 0, abandonados = 0;
  for (auto& [k, n] : c.empezados) empezados += n;
  for (auto& [k, n] : c.ganados) ganados += n;
  for (auto& [k, n] : c.abandonados) abandonados += n;
  std::printf(
      "[ soak ] %d joysticks: %ld frames in %ld runs (%ld intro, %ld menu, %ld length menu, %ld match, %ld winner); "
      "%ld matches, %ld won, %ld abandoned, %ld points, %ld pauses; intros %ld skipped, %ld whole; most waves %d; "
      "highest score without limit %d; every kind of match chosen by frame %ld\n",
      joysticks, c.cuadros, c.corridas, c.intro, c.porEstado[1], c.porEstado[2], c.porEstado[3], c.porEstado[4],
      empezados, ganados, abandonados, c.puntos, c.pausados, c.introsSaltadas, c.introsCompletas, c.maxOndas,
      c.maxPuntosSinLimite, c.ultimaDeLaCola);
}

INSTANTIATE_TEST_SUITE_P(Joysticks, SoakTest, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& i) {
                           return std::to_string(i.param) + (i.param == 1 ? "Joystick" : "Joysticks");
                         });

}  // namespace
