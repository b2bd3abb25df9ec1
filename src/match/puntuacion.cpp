#include "match/puntuacion.h"

#include <string>

#include "match/partida.h"
#include "shell/catalogo.h"

TImage TempImage;

namespace {

constexpr int kFila = 45;        // y of both rows
constexpr int kPasoDigito = 30;  // less than a digit is wide: neighbours overlap
constexpr int kTab = 32;         // player 1's shift per digit, not 30

const TImage* const kDigitos[10] = {&cero, &uno, &dos, &tres, &cuatro,
                                    &cinco, &seis, &siete, &ocho, &nueve};

void Fila(const std::string& Texto1, int posicion) {
  const int T1length = static_cast<int>(Texto1.size());
  for (int i = 1; i <= T1length; ++i) {
    ElegirDigito(std::string_view(Texto1).substr(static_cast<size_t>(i - 1), 1));
    SetBlend(LIGHTBLEND);
    DrawImage(TempImage, static_cast<float>(posicion + i * kPasoDigito), kFila, 0);
    SetBlend(ALPHABLEND);
  }
}

}  // namespace

void ElegirDigito(std::string_view Temp) {
  if (Temp.size() == 1 && Temp[0] >= '0' && Temp[0] <= '9') TempImage = *kDigitos[Temp[0] - '0'];
}

void DibujarPuntuacion() {
  Puntuacion1(ScorePlayer1, 265);
  Puntuacion2(ScorePlayer2, 310);
}

void Puntuacion1(int player1, int posicion) {
  const std::string Texto1 = std::to_string(player1);
  const int Tab = static_cast<int>(Texto1.size()) * kTab;
  Fila(Texto1, posicion - Tab);
}

void Puntuacion2(int player1, int posicion) { Fila(std::to_string(player1), posicion); }
