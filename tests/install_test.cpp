// What `cmake --install` gives a packager: the binary, the desktop entry,
// the icon and the manual page in their usual places, each one valid, and
// the manual agreeing with the binary it describes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/codec.h"

namespace fs = std::filesystem;

namespace {

struct Orden {
  int codigo = -1;
  std::string salida;  // stdout and stderr together
};

// Runs a shell command, its output captured.
Orden Ejecutar(const std::string& cmd) {
  Orden o;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return o;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) o.salida.append(buf, n);
  const int status = pclose(p);
  o.codigo = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return o;
}

// A path quoted for the shell (paths here hold no quote of their own).
std::string Comillas(const fs::path& path) {
  std::string s = "'";
  s += path.string();
  s += '\'';
  return s;
}

bool Hay(const std::string& programa) { return Ejecutar("command -v " + programa).codigo == 0; }

std::string Leer(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class Instalacion : public ::testing::Test {
 protected:
  // One install into a fresh prefix for the whole suite.
  static void SetUpTestSuite() {
    prefijo_ = fs::path(::testing::TempDir()) / ("neonrally-install." + std::to_string(getpid()));
    fs::remove_all(prefijo_);
    instalado_ = Ejecutar("cmake --install " + Comillas(NR_BINARY_DIR) + " --prefix " + Comillas(prefijo_));
  }
  static void TearDownTestSuite() { fs::remove_all(prefijo_); }

  void SetUp() override {
    ASSERT_EQ(instalado_.codigo, 0) << instalado_.salida;
  }

  static fs::path prefijo_;
  static Orden instalado_;
};

fs::path Instalacion::prefijo_;
Orden Instalacion::instalado_;

TEST_F(Instalacion, PutsTheBinaryTheEntryTheIconAndTheManualInTheUsualPlaces) {
  const char* archivos[] = {"bin/neonrally", "share/applications/neonrally.desktop",
                            "share/icons/hicolor/256x256/apps/neonrally.png", "share/man/man6/neonrally.6"};
  for (const char* a : archivos) {
    EXPECT_TRUE(fs::is_regular_file(prefijo_ / a)) << a << " not installed; cmake said:\n" << instalado_.salida;
    EXPECT_GT(fs::file_size(prefijo_ / a), 0u) << a;
  }
  const fs::perms p = fs::status(prefijo_ / "bin/neonrally").permissions();
  EXPECT_NE(p & fs::perms::others_exec, fs::perms::none) << "the binary is not executable by all";
  EXPECT_EQ(p & fs::perms::others_write, fs::perms::none);
  // The installed binary is the game, and it starts without a display.
  const Orden v = Ejecutar(Comillas(prefijo_ / "bin/neonrally") + " --version");
  EXPECT_EQ(v.codigo, 0) << v.salida;
  EXPECT_EQ(v.salida, "neonrally " NR_VERSION "\n");
  // Nothing but those four (and their folders).
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(prefijo_))
    if (e.is_regular_file()) {
      const std::string rel = fs::relative(e.path(), prefijo_).string();
      bool esperado = false;
      for (const char* a : archivos) esperado |= rel == a;
      EXPECT_TRUE(esperado) << "also installed: " << rel;
    }
}

TEST_F(Instalacion, TheDesktopEntryStartsTheGameUnderItsIconAmongArcadeGames) {
  const fs::path entrada = prefijo_ / "share/applications/neonrally.desktop";
  std::istringstream lineas(Leer(entrada));
  std::string linea, grupo;
  std::map<std::string, std::string> claves;
  while (std::getline(lineas, linea)) {
    if (linea.empty() || linea[0] == '#') continue;
    if (linea[0] == '[') {
      grupo = linea;
      continue;
    }
    const size_t eq = linea.find('=');
    ASSERT_NE(eq, std::string::npos) << linea;
    if (grupo == "[Desktop Entry]") claves[linea.substr(0, eq)] = linea.substr(eq + 1);
  }
  EXPECT_EQ(claves["Type"], "Application");
  EXPECT_EQ(claves["Name"], "Neon Rally");
  EXPECT_EQ(claves["Exec"], "neonrally");
  EXPECT_EQ(claves["Icon"], "neonrally");
  EXPECT_EQ(claves["Categories"], "Game;ArcadeGame;");
  EXPECT_EQ(claves["Terminal"], "false");
  if (!Hay("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed (scripts/install-deps)";
  const Orden o = Ejecutar("desktop-file-validate " + Comillas(entrada));
  EXPECT_EQ(o.codigo, 0) << o.salida;
  EXPECT_EQ(o.salida, "") << "warnings or hints";
}

TEST_F(Instalacion, TheIconIsASquarePictureOfTheTitle) {
  const std::string png = Leer(prefijo_ / "share/icons/hicolor/256x256/apps/neonrally.png");
  ASSERT_FALSE(png.empty());
  const auto img = nr::DecodePng(reinterpret_cast<const uint8_t*>(png.data()), png.size(), false);
  ASSERT_TRUE(img) << "not a PNG the game can read";
  // It sits in the 256x256 folder, so it must be that size.
  EXPECT_EQ(img->width, 256);
  EXPECT_EQ(img->height, 256);
  // A rounded square: opaque in the middle, clear in the corners; the
  // title's lettering makes bright, saturated pixels in several hues.
  auto px = [&](int x, int y) { return img->at(x, y); };
  EXPECT_EQ(px(128, 128)[3], 255);
  EXPECT_EQ(px(0, 0)[3], 0);
  EXPECT_EQ(px(255, 255)[3], 0);
  int vivos = 0;
  bool rojo = false, verde = false, azul = false;
  for (int y = 0; y < img->height; ++y)
    for (int x = 0; x < img->width; ++x) {
      const uint8_t* p = px(x, y);
      const int mx = std::max({p[0], p[1], p[2]}), mn = std::min({p[0], p[1], p[2]});
      if (p[3] < 255 || mx < 200 || mx - mn < 120) continue;
      ++vivos;
      rojo |= p[0] == mx;
      verde |= p[1] == mx;
      azul |= p[2] == mx;
    }
  EXPECT_GT(vivos, 256 * 256 / 50) << "hardly any lettering";
  EXPECT_TRUE(rojo && verde && azul) << "the lettering is not many-coloured";
}

// The manual renders without a warning and documents what the installed
// binary's --help lists.
TEST_F(Instalacion, TheManualRendersCleanlyAndDescribesTheBinary) {
  const fs::path pagina = prefijo_ / "share/man/man6/neonrally.6";
  const std::string fuente = Leer(pagina);
  EXPECT_NE(fuente.find(std::string(".TH NEONRALLY 6 ")), std::string::npos);
  EXPECT_NE(fuente.find("Neon Rally " NR_VERSION), std::string::npos) << "the manual's version";
  if (!Hay("groff")) GTEST_SKIP() << "groff is not installed (scripts/install-deps)";
  const Orden avisos = Ejecutar("groff -t -man -Tutf8 -ww -z -rLL=78n " + Comillas(pagina));
  EXPECT_EQ(avisos.codigo, 0) << avisos.salida;
  EXPECT_EQ(avisos.salida, "") << "groff warnings";
  const Orden texto = Ejecutar("groff -t -man -Tascii -P-cbou -rLL=78n " + Comillas(pagina));
  ASSERT_EQ(texto.codigo, 0) << texto.salida;
  for (const char* seccion : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "CONTROLS", "FILES", "EXIT STATUS",
                              "SEE ALSO"})
    EXPECT_NE(texto.salida.find(std::string("\n") + seccion + "\n"), std::string::npos) << seccion;
  if (Hay("man")) {
    const Orden man = Ejecutar("MANWIDTH=80 man --warnings -l " + Comillas(pagina) + " >/dev/null");
    EXPECT_EQ(man.salida, "") << "man warnings";
  }
  // Every option of --help is in the manual, and its exit statuses too.
  const Orden ayuda = Ejecutar(Comillas(prefijo_ / "bin/neonrally") + " --help");
  ASSERT_EQ(ayuda.codigo, 0) << ayuda.salida;
  std::istringstream lineas(ayuda.salida);
  std::string linea;
  int opciones = 0;
  while (std::getline(lineas, linea)) {
    const size_t i = linea.find_first_not_of(' ');
    if (i == std::string::npos || linea.compare(i, 2, "--") != 0) continue;
    const std::string opcion = linea.substr(i, linea.find(' ', i) - i);
    ++opciones;
    EXPECT_NE(texto.salida.find(opcion), std::string::npos) << opcion << " is not in the manual";
  }
  EXPECT_GE(opciones, 4) << "--help lists no options:\n" << ayuda.salida;
  for (const char* tecla : {"SPACE", "ESC", "LEFT", "RIGHT", "UP", "DOWN", "Q up", "A down"})
    EXPECT_NE(texto.salida.find(tecla), std::string::npos) << tecla;
}

}  // namespace
