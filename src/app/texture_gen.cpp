// tarvo-texgen OUTDIR: writes the five board pictures (marble in three
// colours, oak, stone) as 24-bit BMP files into OUTDIR. The pictures are
// procedural (fractal value noise), so the build makes them itself.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int WIDTH = 512;
constexpr int HEIGHT = 384;

struct Rgb {
  double R, G, B;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

// Lattice hash to 0..1.
double Hash(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / static_cast<double>(0xFFFFFF);
}

double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }

double ValueNoise(double x, double y, uint32_t seed) {
  const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  const double fx = Smooth(x - xi), fy = Smooth(y - yi);
  const double a = Hash(xi, yi, seed), b = Hash(xi + 1, yi, seed);
  const double c = Hash(xi, yi + 1, seed), d = Hash(xi + 1, yi + 1, seed);
  return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

// Fractal sum of octaves, 0..1.
double Fbm(double x, double y, int octaves, uint32_t seed) {
  double sum = 0.0, amplitude = 0.5, total = 0.0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * ValueNoise(x, y, seed + static_cast<uint32_t>(i) * 31u);
    total += amplitude;
    x *= 2.03;
    y *= 2.03;
    amplitude *= 0.5;
  }
  return sum / total;
}

using Shader = std::function<Rgb(double x, double y)>;

Shader Marble(Rgb base, Rgb vein, uint32_t seed) {
  return [=](double x, double y) {
    const double turbulence = Fbm(x / 48.0, y / 48.0, 6, seed);
    const double v = std::sin((x * 0.6 + y * 0.35) / 40.0 + turbulence * 9.0);
    const double veins = std::pow(1.0 - std::fabs(v), 7.0);
    const double cloud = Fbm(x / 90.0, y / 90.0, 4, seed + 7);
    return Mix(Mix(base, vein, 0.25 * cloud), vein, veins * 0.85);
  };
}

Rgb Oak(double x, double y) {
  const double warp = Fbm(x / 120.0, y / 30.0, 5, 11) * 6.0;
  const double rings = std::fmod((y + 900.0) / 11.0 + warp + std::sin(x / 150.0) * 2.0, 1.0);
  const double grain = Fbm(x / 3.0, y / 60.0, 3, 23);
  const Rgb light {222, 184, 128}, dark {168, 118, 62};
  return Mix(Mix(light, dark, std::pow(rings, 3.0)), dark, 0.35 * grain);
}

Rgb Stone(double x, double y) {
  const double large = Fbm(x / 70.0, y / 70.0, 5, 41);
  const double speck = Hash(static_cast<int>(x), static_cast<int>(y), 43);
  const Rgb sand {206, 196, 170}, grey {150, 144, 132}, dark {96, 90, 80};
  Rgb c = Mix(sand, grey, large * 1.2 - 0.2);
  if (speck > 0.94) c = Mix(c, dark, 0.6);
  if (speck < 0.04) c = Mix(c, Rgb {240, 236, 225}, 0.7);
  return c;
}

bool WriteBmp(const std::string& path, const Shader& shader) {
  const int rowBytes = (WIDTH * 3 + 3) & ~3;
  const uint32_t imageBytes = static_cast<uint32_t>(rowBytes * HEIGHT);
  std::vector<uint8_t> data(54 + imageBytes, 0);
  const auto put16 = [&](size_t at, uint32_t v) {
    data[at] = static_cast<uint8_t>(v);
    data[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  const auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  data[0] = 'B';
  data[1] = 'M';
  put32(2, 54 + imageBytes);
  put32(10, 54);
  put32(14, 40);
  put32(18, WIDTH);
  put32(22, HEIGHT);
  put16(26, 1);
  put16(28, 24);
  put32(34, imageBytes);
  put32(38, 2835);
  put32(42, 2835);
  for (int y = 0; y < HEIGHT; ++y) {
    uint8_t* row = &data[54 + static_cast<size_t>(HEIGHT - 1 - y) * rowBytes];  // bottom-up
    for (int x = 0; x < WIDTH; ++x) {
      const Rgb c = shader(x, y);
      row[x * 3 + 0] = static_cast<uint8_t>(std::clamp(c.B, 0.0, 255.0));
      row[x * 3 + 1] = static_cast<uint8_t>(std::clamp(c.G, 0.0, 255.0));
      row[x * 3 + 2] = static_cast<uint8_t>(std::clamp(c.R, 0.0, 255.0));
    }
  }
  // Written under a temporary name and renamed, so a half-written picture never stands.
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!out) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tarvo-texgen OUTDIR\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  const struct {
    const char* Name;
    Shader Draw;
  } pictures[] = {
      {"graymarb_2.bmp", Marble({200, 200, 198}, {92, 92, 96}, 1)},
      {"marbpale_2.bmp", Marble({214, 196, 220}, {120, 84, 140}, 2)},
      {"marbteal_2.bmp", Marble({150, 196, 180}, {28, 96, 84}, 3)},
      {"oak_bed2_2.bmp", Oak},
      {"benediti_2.bmp", Stone},
  };
  for (const auto& picture : pictures) {
    if (!WriteBmp(dir + picture.Name, picture.Draw)) {
      std::fprintf(stderr, "tarvo-texgen: cannot write %s%s\n", dir.c_str(), picture.Name);
      return 1;
    }
  }
  return 0;
}
