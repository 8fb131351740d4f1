// A sample's distance against the whole picture's: does a mosaic of squares foretell Butteraugli?
//   sample REF.png Q...        (env B, M, GX, GY: square side, margin, grid; 128, 16, 4 x 3)
// REF is the fitted picture written losslessly. For each JPEG quality Q (libvips, Q only), the
// whole picture and the mosaic of GX x GY squares (corners on a 16-pixel grid, the middle of each
// cell) are encoded, decoded and scored: 3-norm at 80 nits, the mosaic over the pixels at least
// M inside each square. Prints "qQ whole/sample"; standard error has each pair's seconds.
// Build: g++ -O2 -std=c++17 sample.cpp -o sample $(pkg-config --cflags --libs vips-cpp libjxl)
#include <jxl/butteraugli.h>
#include <jxl/butteraugli_cxx.h>
#include <vips/vips8>
#include <cmath>
#include <cstdio>
#include <vector>
#include <chrono>
#include <algorithm>
using vips::VImage;
static int B = 128, M = 16, GX = 4, GY = 3;
struct Norm { double s[3] = {}; double n = 0; void add(double v){double v3=v*v*v;s[0]+=v3;s[1]+=v3*v3;s[2]+=v3*v3*v3*v3;n+=1;} double d() const {return (std::pow(s[0]/n,1.0/3)+std::pow(s[1]/n,1.0/6)+std::pow(s[2]/n,1.0/12))/3;} };
Norm dist(const VImage& a, const VImage& b, int block) {
  size_t sa, sb; void* pa = a.write_to_memory(&sa); void* pb = b.write_to_memory(&sb);
  JxlButteraugliApiPtr api(JxlButteraugliApiCreate(nullptr));
  JxlButteraugliApiSetIntensityTarget(api.get(), 80);
  JxlPixelFormat f{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  JxlButteraugliResultPtr r(JxlButteraugliCompute(api.get(), a.width(), a.height(), &f, pa, sa, &f, pb, sb));
  g_free(pa); g_free(pb);
  const float* d; uint32_t stride; JxlButteraugliResultGetDistmap(r.get(), &d, &stride);
  Norm n;
  for (int y = 0; y < a.height(); ++y) for (int x = 0; x < a.width(); ++x) {
    if (block) { int bx = x % block, by = y % block; if (bx < M || by < M || bx >= block-M || by >= block-M) continue; }
    n.add(d[y*stride+x]); }
  return n;
}
VImage mosaic(const VImage& im) {
  std::vector<VImage> tiles;
  for (int j = 0; j < GY; ++j) for (int i = 0; i < GX; ++i) {
    int cx = (2*i+1)*im.width()/(2*GX), cy = (2*j+1)*im.height()/(2*GY);
    int x = std::clamp((cx - B/2)/16*16, 0, im.width()-B), y = std::clamp((cy-B/2)/16*16, 0, im.height()-B);
    tiles.push_back(im.crop(x, y, B, B));
  }
  return VImage::arrayjoin(tiles, VImage::option()->set("across", GX)).copy_memory();
}
VImage enc(const VImage& im, int q) {
  void* buf = nullptr; size_t len = 0;
  im.write_to_buffer(".jpg", &buf, &len, VImage::option()->set("Q", q)->set("strip", true));
  VImage d = VImage::new_from_buffer(buf, len, "").copy_memory();
  g_free(buf);
  return d;
}
int main(int argc, char** argv) {
  VIPS_INIT(argv[0]);
  if (getenv("B")) B = atoi(getenv("B"));
  if (getenv("M")) M = atoi(getenv("M"));
  if (getenv("GX")) GX = atoi(getenv("GX"));
  if (getenv("GY")) GY = atoi(getenv("GY"));
  VImage a = VImage::new_from_file(argv[1]).extract_band(0, VImage::option()->set("n",3)).copy_memory();
  VImage sample = mosaic(a);
  std::printf("%s", argv[1]);
  for (int k = 2; k < argc; ++k) {
    int q = atoi(argv[k]);
    auto t0 = std::chrono::steady_clock::now();
    double full = dist(a, enc(a, q), 0).d();
    auto t1 = std::chrono::steady_clock::now();
    double est = dist(sample, enc(sample, q), B).d();
    auto t2 = std::chrono::steady_clock::now();
    std::printf("  q%d %.3f/%.3f", q, full, est);
    std::fprintf(stderr, "full %.3fs est %.3fs\n", std::chrono::duration<double>(t1-t0).count(), std::chrono::duration<double>(t2-t1).count());
  }
  std::printf("\n");
}
