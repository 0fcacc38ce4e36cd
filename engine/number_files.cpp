#include "engine/number_files.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "engine/last_digit.h"
#include "engine/replacement_file.h"

namespace dalvo {
namespace {

// One buffered output stream, reused for every file. Items are formatted straight into a large
// buffer that goes to the file whenever it fills and at Close, so a whole generation costs a
// handful of system calls per file and never holds more than one buffer of digits.
class ItemWriter {
 public:
  ItemWriter() : buffer_(std::make_unique<char[]>(kBufferSize)) {}
  ItemWriter(const ItemWriter&) = delete;
  ItemWriter& operator=(const ItemWriter&) = delete;

  // Begins writing into `file`, opened to become `path`. False when it cannot be opened.
  bool Open(ReplacementFile& file, const std::filesystem::path& path) {
    file_ = &file;
    ok_ = file.Open(path.string(), kNumberFile);
    error_ = ok_ ? 0 : file.error();
    used_ = 0;
    return ok_;
  }

  void Put(std::int32_t value) {
    if (kBufferSize - used_ < kMaxItemChars) Drain();
    char* const begin = buffer_.get() + used_;
    const std::to_chars_result result = std::to_chars(begin, begin + kMaxItemChars, value);
    used_ += static_cast<std::size_t>(result.ptr - begin);
  }

  void Text(std::string_view text) {
    for (char c : text) {
      if (used_ == kBufferSize) Drain();
      buffer_[used_++] = c;
    }
  }

  // Writes out what is buffered. True when every byte of the file got there; the file is then
  // whole but not yet in place (the caller commits it). Otherwise the partial file is discarded.
  bool Finish() {
    if (file_ == nullptr || file_->file() == nullptr) return false;
    Drain();
    if (!ok_) file_->Discard();
    file_ = nullptr;
    return ok_;
  }

  // The errno value of the failure that made Open or Finish return false.
  int error() const { return error_; }

 private:
  static constexpr std::size_t kBufferSize = std::size_t{1} << 16;
  static constexpr std::size_t kMaxItemChars = 12;  // "-2147483648" and one to spare
  // A link planted under a file's name is replaced, never written through; a device keeps
  // taking the digits in place.
  static constexpr ReplaceOptions kNumberFile{.write_special_in_place = true,
                                              .follow_links_in_place = false};

  void Drain() {
    // After a failed write the rest of the file is dropped; Close then reports the failure.
    if (ok_ && used_ > 0 && std::fwrite(buffer_.get(), 1, used_, file_->file()) != used_) {
      ok_ = false;
      error_ = errno;
    }
    used_ = 0;
  }

  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  ReplacementFile* file_ = nullptr;
  bool ok_ = false;
  int error_ = 0;
};

void PutVerses(ItemWriter& out, std::int32_t verse_count) {
  for (std::int32_t v = 1; v <= verse_count; ++v) out.Put(v);
}

// The files in writing order; kNumberFileNames holds their names at the same positions.
using FileBody = void (*)(const SuraTable&, ItemWriter&);

constexpr std::array<FileBody, kNumberFileCount> kFileBodies = {
    // number1.txt
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        out.Put(t.VerseCount(k));
        PutVerses(out, t.VerseCount(k));
      }
    },
    // number2.txt
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        PutVerses(out, t.VerseCount(k));
        out.Put(t.VerseCount(k));
      }
      out.Put(t.TotalVerses());
    },
    // number3.txt
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        PutVerses(out, t.VerseCount(k));
        out.Put(k);
        out.Put(t.VerseCount(k));
      }
      out.Put(t.TotalVerses());
    },
    // number4.txt
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        out.Put(t.VerseCount(k));
        PutVerses(out, t.VerseCount(k));
        out.Put(k);
      }
      out.Put(t.TotalVerses());
    },
    // number5.txt
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        PutVerses(out, t.VerseCount(k));
        out.Put(t.VerseNumberSum(k));
      }
    },
    // number6.txt
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        out.Put(t.VerseNumberSum(k));
        PutVerses(out, t.VerseCount(k));
      }
    },
    // number7.txt: the one file that walks the suras from the last to the first.
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = kSuraCount; k >= 1; --k) {
        PutVerses(out, t.VerseCount(k));
        out.Put(t.VerseNumberSum(k));
      }
    },
    // number8.txt
    [](const SuraTable& t, ItemWriter& out) {
      out.Put(t.TotalVerseNumberSum());
      out.Put(t.TotalVerses());
      out.Text("114");
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        out.Put(k);
        out.Put(t.VerseCount(k));
      }
    },
    // number9.txt
    [](const SuraTable& t, ItemWriter& out) {
      out.Put(t.TotalVerseNumberSum());
      out.Put(t.TotalVerses());
      out.Text("114");
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        out.Put(t.VerseCount(k));
        out.Put(k);
      }
    },
    // number10.txt
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) out.Put(t.VerseNumberSum(k));
      out.Put(t.TotalVerseNumberSum());
    },
    // number11.txt
    [](const SuraTable& t, ItemWriter& out) {
      out.Text("114");
      out.Put(t.TotalVerses());
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        out.Put(k);
        out.Put(t.VerseNumberSum(k));
      }
    },
    // number12.txt
    [](const SuraTable& t, ItemWriter& out) {
      out.Text("114");
      out.Put(t.TotalVerses());
      out.Put(t.TotalVerseNumberSum());
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        out.Put(k);
        PutVerses(out, t.VerseCount(k));
      }
    },
    // number13.txt
    [](const SuraTable& t, ItemWriter& out) {
      out.Put(t.TotalVerses());
      for (std::int32_t k = 1; k <= kSuraCount; ++k) out.Put(t.VerseCount(k));
      out.Put(t.TotalVerses());
    },
    // number14.txt
    [](const SuraTable& t, ItemWriter& out) {
      out.Put(t.TotalVerses());
      out.Text("114");
      for (std::int32_t k = 1; k <= kSuraCount; ++k) PutVerses(out, t.VerseCount(k));
      out.Put(t.TotalVerses());
      out.Text("114");
    },
    // number15.txt
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        PutVerses(out, t.VerseCount(k));
        out.Put(k + t.VerseCount(k));
      }
    },
    // n13038d.txt: the unnumbered opening stands as a verse "0" ahead of verse 1.
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        out.Put(k);
        out.Put(t.VerseCount(k));
        if (t.UnnumberedOpening(k) == 1) out.Text("0");
        PutVerses(out, t.VerseCount(k));
      }
    },
    // n37088d.txt: every verse and every unnumbered opening, each followed by its running number
    // over the whole table; the counter is never reset between suras.
    [](const SuraTable& t, ItemWriter& out) {
      std::int32_t counter = 0;
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        out.Put(k);
        if (t.UnnumberedOpening(k) == 1) {
          out.Text("0");
          out.Put(++counter);
        }
        for (std::int32_t v = 1; v <= t.VerseCount(k); ++v) {
          out.Put(v);
          out.Put(++counter);
        }
      }
    },
    // ap24-63.txt: sura 9 alone.
    [](const SuraTable& t, ItemWriter& out) {
      out.Put(9);
      out.Put(t.VerseCount(9));
      PutVerses(out, t.VerseCount(9));
    },
    // ap24-64.txt
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        out.Put(t.VerseCount(k));
        for (std::int32_t v = 1; v <= t.VerseCount(k); v += 2) out.Put(LastDigit(v));
      }
    },
    // ap24-65.txt: only the suras without initial letters.
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        if (t.InitialLetterCount(k) == 0) PutVerses(out, t.VerseCount(k));
      }
    },
    // n14453d.txt
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        for (std::int32_t v = 1; v <= t.VerseCount(k); ++v) out.Put(k + v);
      }
    },
    // n20257d.txt: the partial sums restart with each sura.
    [](const SuraTable& t, ItemWriter& out) {
      for (std::int32_t k = 1; k <= kSuraCount; ++k) {
        std::int32_t sum = 0;
        for (std::int32_t v = 1; v <= t.VerseCount(k); ++v) out.Put(sum += v);
      }
    },
};

}  // namespace

GenerationOutcome GenerateNumberFiles(const SuraTable& table,
                                      const std::filesystem::path& directory) {
  GenerationOutcome outcome;
  // Every file is written whole before any takes its name, so a generation that fails on one
  // (a full disk at the last file) leaves all the files of an earlier one as they were.
  std::array<ReplacementFile, kNumberFileCount> files;
  ItemWriter out;
  for (std::size_t i = 0; i < kNumberFileCount; ++i) {
    bool written = false;
    if (out.Open(files[i], directory / std::string(kNumberFileNames[i]))) {
      kFileBodies[i](table, out);
      written = out.Finish();
    }
    if (!written) {
      outcome.failed_files.emplace_back(kNumberFileNames[i]);
      outcome.failure_reasons.push_back(out.error());
    }
  }
  if (!outcome.ok()) return outcome;  // the destructors remove every new file
  for (std::size_t i = 0; i < kNumberFileCount; ++i) {
    if (!files[i].Commit()) {
      outcome.failed_files.emplace_back(kNumberFileNames[i]);
      outcome.failure_reasons.push_back(files[i].error());
    }
  }
  return outcome;
}

}  // namespace dalvo
