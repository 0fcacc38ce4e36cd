// Writes a deterministic file of decimal digits for the benchmark: COUNT digits from a
// splitmix64 stream seeded with SEED, the first one never 0, no line end. The same arguments
// always give the same bytes. Exits 1 when the file cannot be fully written.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

std::uint64_t SplitMix64(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
  return z ^ (z >> 31);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s COUNT SEED OUT_FILE\n", argv[0]);
    return 1;
  }
  const std::uint64_t count = std::strtoull(argv[1], nullptr, 10);
  std::uint64_t state = std::strtoull(argv[2], nullptr, 10);
  std::FILE* out = std::fopen(argv[3], "wb");
  if (out == nullptr) {
    std::perror(argv[3]);
    return 1;
  }
  std::vector<char> chunk(1 << 20);
  std::uint64_t written = 0;
  bool ok = true;
  while (written < count && ok) {
    std::size_t used = 0;
    while (used < chunk.size() && written + used < count) {
      // Nineteen digits from each draw: 10^19 fits in 64 bits.
      std::uint64_t draw = SplitMix64(state);
      for (int i = 0; i < 19 && used < chunk.size() && written + used < count; ++i) {
        chunk[used++] = static_cast<char>('0' + draw % 10);
        draw /= 10;
      }
    }
    if (written == 0 && chunk[0] == '0') chunk[0] = '7';
    ok = std::fwrite(chunk.data(), 1, used, out) == used;
    written += used;
  }
  ok = std::fclose(out) == 0 && ok;
  return ok ? 0 : 1;
}
