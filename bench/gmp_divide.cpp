// The GMP peer of the benchmark: reads a whole digit file, divides it by 19 with GMP and writes
// the quotient and the remainder, one line each, to standard output. Holds the whole number in
// memory (that is the big-number way); exits 1 when the file cannot be read or parsed.
#include <gmp.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIGIT_FILE\n", argv[0]);
    return 1;
  }
  std::FILE* in = std::fopen(argv[1], "rb");
  if (in == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::string digits;
  char chunk[1 << 16];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) digits.append(chunk, got);
  std::fclose(in);
  if (digits.empty()) digits.push_back('0');

  mpz_t number, quotient;
  mpz_inits(number, quotient, nullptr);
  if (mpz_set_str(number, digits.c_str(), 10) != 0) {
    std::fprintf(stderr, "%s: not a decimal number\n", argv[1]);
    return 1;
  }
  std::string().swap(digits);
  const unsigned long remainder = mpz_tdiv_q_ui(quotient, number, 19);
  char* text = mpz_get_str(nullptr, 10, quotient);
  std::fputs(text, stdout);
  std::printf("\n%lu\n", remainder);
  void (*free_function)(void*, std::size_t);
  mp_get_memory_functions(nullptr, nullptr, &free_function);
  free_function(text, std::char_traits<char>::length(text) + 1);
  mpz_clears(number, quotient, nullptr);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
