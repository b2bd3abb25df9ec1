// Reading the replay trace back: one record a line, tab-separated, led by
// the frame number. Shared by every test that checks a run by its trace.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace traza {

// One draw record.
struct Dibujo {
  std::string imagen;
  int celda = 0;
  float x = 0, y = 0;
  int blend = 0;
  float alpha = 0, sx = 0, sy = 0, hx = 0, hy = 0;
};

struct Sonido {
  std::string nombre;
  int canal = 0;  // -1: a fresh voice
};

// What one frame drew, played and stopped, and the state it left.
struct Cuadro {
  std::vector<Dibujo> dibujos;
  std::vector<Sonido> sonidos;
  std::vector<int> paradas;
  std::map<std::string, std::string> estado;

  bool tiene(const std::string& clave) const { return estado.count(clave) != 0; }
  int entero(const std::string& clave) const {
    auto it = estado.find(clave);
    EXPECT_NE(it, estado.end()) << "no state pair " << clave;
    return it == estado.end() ? -999999 : std::stoi(it->second);
  }
  int ms() const { return entero("ms"); }
  int seleccion() const { return entero("seleccion"); }
  // Draws of pictures other than the stars, in order.
  std::vector<Dibujo> sinEstrellas() const {
    std::vector<Dibujo> out;
    for (const Dibujo& d : dibujos)
      if (d.imagen != "gfx/star1.png") out.push_back(d);
    return out;
  }
  int estrellas() const {
    int n = 0;
    for (const Dibujo& d : dibujos) n += d.imagen == "gfx/star1.png";
    return n;
  }
  int sonidosDe(const std::string& nombre) const {
    int n = 0;
    for (const Sonido& s : sonidos) n += s.nombre == nombre;
    return n;
  }
};

inline std::vector<std::string> Campos(const std::string& line) {
  std::vector<std::string> out;
  std::string campo;
  std::istringstream in(line);
  while (std::getline(in, campo, '\t')) out.push_back(campo);
  return out;
}

// Adds one draw, sound, stop or state record (its fields) to `q`; any
// other record is a failure.
inline void LeerRegistro(const std::vector<std::string>& f, Cuadro& q) {
  if (f.size() == 12 && f[1] == "draw") {
    Dibujo d;
    d.imagen = f[2];
    d.celda = std::stoi(f[3]);
    d.x = std::stof(f[4]);
    d.y = std::stof(f[5]);
    d.blend = std::stoi(f[6]);
    d.alpha = std::stof(f[7]);
    d.sx = std::stof(f[8]);
    d.sy = std::stof(f[9]);
    d.hx = std::stof(f[10]);
    d.hy = std::stof(f[11]);
    q.dibujos.push_back(d);
  } else if (f.size() == 4 && f[1] == "sound") {
    q.sonidos.push_back({f[2], std::stoi(f[3])});
  } else if (f.size() == 3 && f[1] == "stop") {
    q.paradas.push_back(std::stoi(f[2]));
  } else if (f.size() == 3 && f[1] == "state") {
    std::istringstream pares(f[2]);
    for (std::string kv; pares >> kv;) {
      const size_t eq = kv.find('=');
      if (eq != std::string::npos) q.estado[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
  } else {
    std::string line;
    for (const std::string& c : f) line += c + "\t";
    ADD_FAILURE() << "unreadable trace record: " << line;
  }
}

// Reads every record of `texto` into `q`, whatever frame they name.
inline void LeerTraza(const std::string& texto, Cuadro& q) {
  std::istringstream lineas(texto);
  for (std::string linea; std::getline(lineas, linea);) LeerRegistro(Campos(linea), q);
}

}  // namespace traza
