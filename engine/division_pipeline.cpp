#include "division_pipeline.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "division_chain.h"
#include "division_chain_avx512.h"

namespace dalvo {

namespace {

// A chunk's quotient is written into the chunk's own memory, over the input already divided: a
// division writes at most one byte per digit it has read, and the kernels read a block or a
// pass of groups before they write its quotient, so an output that starts at least one byte
// before the input never overtakes it. The input starts kLead bytes in, 64 to keep it on
// cache-line bounds, and kSlack bytes follow it: the kernels ask for a group's room (65 bytes)
// before they write, even where they write less.
constexpr std::size_t kLead = 64;
constexpr std::size_t kSlack = 256;
constexpr std::align_val_t kCacheLine{64};

struct CacheLineDelete {
  void operator()(unsigned char* memory) const { ::operator delete[](memory, kCacheLine); }
};
using ChunkMemory = std::unique_ptr<unsigned char[], CacheLineDelete>;

ChunkMemory NewChunkMemory(std::size_t size) {
  return ChunkMemory(static_cast<unsigned char*>(::operator new[](size, kCacheLine)));
}

// One read(2), again after an interruption by a signal.
long ReadOnce(const ReadFunction& read, int input, unsigned char* buffer, std::size_t size) {
  for (;;) {
    const long got = read ? read(input, buffer, size)
                          : static_cast<long>(::read(input, buffer, size));
    if (got >= 0 || errno != EINTR) return got;
  }
}

struct Filled {
  std::size_t bytes = 0;
  bool failed = false;
};

// Reads until `buffer` is full, the input ends or a read fails. A short read is no end: only a
// read that returns nothing is, so input from pipes and terminals arrives whole.
Filled ReadFull(const ReadFunction& read, int input, unsigned char* buffer, std::size_t size) {
  Filled filled;
  while (filled.bytes < size) {
    const long got = ReadOnce(read, input, buffer + filled.bytes, size - filled.bytes);
    if (got < 0) {
      filled.failed = true;
      break;
    }
    if (got == 0) break;
    filled.bytes += static_cast<std::size_t>(got);
  }
  return filled;
}

// The whole division on the calling thread: one buffer, read, divide, hand on, repeat.
StreamDivision DivideAlone(int input, ReportBuffer& out, const PipelineOptions& options) {
  const std::size_t size = std::max<std::size_t>(options.read_bytes, 1);
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(size);
  BlockDivider divider(options.path);
  StreamDivision result;
  // After a failed write the report is lost anyway, so reading on would be wasted.
  while (!out.failed()) {
    const long got = ReadOnce(options.read, input, buffer.get(), size);
    if (got < 0) result.read_failed = true;
    if (got <= 0) break;
    divider.Consume(buffer.get(), static_cast<std::size_t>(got), out);
  }
  result.tally = divider.Tally();
  result.write_failed = out.failed();
  return result;
}

// The threads of one division and what they share. Pieces ("chunks") are numbered in reading
// order; chunk k lives in slot k mod slots_.size() from its read until it is written. Every
// hand-over between threads happens under `mutex_`; the bytes of a chunk are touched by one
// thread at a time, outside the lock.
class Pipeline {
 public:
  Pipeline(int input, ReportBuffer& out, const PipelineOptions& options)
      : input_(input),
        out_(out),
        options_(options),
        chunk_bytes_(std::max<std::size_t>(options.chunk_bytes, 1)),
        threads_(std::max(options.threads, 1u)),
        alone_(options.path) {
    // The reader fills one chunk, each division thread holds one, the writer one, and one more
    // lets the reader run ahead while the others are busy.
    const std::size_t slots = options.chunks > 0 ? options.chunks : threads_ + 3;
    slots_.resize(std::max<std::size_t>(slots, 2));
    for (Slot& slot : slots_) slot.memory = NewChunkMemory(kLead + chunk_bytes_ + kSlack);
  }
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  // Starts the writer and the division threads. False when the system refused a thread; the
  // started ones have ended again and nothing has been read.
  bool Start() {
    try {
      running_.emplace_back([this] { Write(); });
      for (unsigned i = 0; i < threads_; ++i) running_.emplace_back([this] { Divide(); });
    } catch (const std::system_error&) {
      Stop();
      for (std::thread& thread : running_) thread.join();
      return false;
    }
    return true;
  }

  // Reads on the calling thread until the end, an error or a stop, then waits for the others.
  StreamDivision Run() {
    Read();
    for (std::thread& thread : running_) thread.join();
    StreamDivision result;
    result.read_failed = read_failed_;
    result.write_failed = write_failed_ || out_.failed();
    result.tally = TallyOf(Parallel() ? end_state_ : alone_.state());
    return result;
  }

 private:
  struct Slot {
    ChunkMemory memory;  // the input from kLead on; the quotient from the start
    std::size_t input_size = 0;
    std::size_t output_size = 0;
    unsigned char* input() const { return memory.get() + kLead; }
    char* output() const { return reinterpret_cast<char*>(memory.get()); }
    DivisionState start;   // where the division stands before the chunk (parallel division)
    bool divided = false;  // the output holds the chunk's quotient digits
  };

  // With one division thread the chunks are divided in order and the state simply carries on;
  // with more, each chunk needs its start from the reader's summaries.
  bool Parallel() const { return threads_ > 1; }

  Slot& SlotOf(std::uint64_t chunk) { return slots_[chunk % slots_.size()]; }

  void Stop() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    chunk_read_.notify_all();
    chunk_divided_.notify_all();
    chunk_written_.notify_all();
  }

  void Read() {
    DivisionState state;  // before the next chunk
    for (std::uint64_t chunk = 0;; ++chunk) {
      Slot& slot = SlotOf(chunk);
      {
        std::unique_lock lock(mutex_);
        chunk_written_.wait(lock, [&] { return stopping_ || chunk < written_ + slots_.size(); });
        if (stopping_) return;
      }
      const Filled filled = ReadFull(options_.read, input_, slot.input(), chunk_bytes_);
      if (filled.failed) {
        {
          const std::lock_guard lock(mutex_);
          read_failed_ = true;
        }
        Stop();
        return;
      }
      if (filled.bytes > 0 && Parallel()) {
        slot.start = state;
        state = AdvanceState(
            state, SummarizePiece(slot.input(), filled.bytes, options_.path));
      }
      slot.input_size = filled.bytes;
      const bool last = filled.bytes < chunk_bytes_;
      {
        const std::lock_guard lock(mutex_);
        if (filled.bytes > 0) ++read_count_;
        input_done_ = last;
        end_state_ = state;
      }
      if (last) {
        // Idle division threads leave, and the writer learns where the input ends.
        chunk_read_.notify_all();
        chunk_divided_.notify_all();
        return;
      }
      chunk_read_.notify_one();
    }
  }

  void Divide() {
    for (;;) {
      std::uint64_t chunk;
      {
        std::unique_lock lock(mutex_);
        chunk_read_.wait(lock, [&] { return stopping_ || claimed_ < read_count_ || input_done_; });
        if (stopping_ || claimed_ == read_count_) return;
        chunk = claimed_++;
      }
      Slot& slot = SlotOf(chunk);
      ReportBuffer window(slot.output(), kLead + chunk_bytes_ + kSlack);
      if (Parallel()) {
        BlockDivider divider(options_.path, slot.start);
        divider.Consume(slot.input(), slot.input_size, window);
      } else {
        alone_.Consume(slot.input(), slot.input_size, window);
      }
      slot.output_size = window.written().size();
      // The window is sized for the worst case; should it ever fill, say so, never write a
      // quotient with a hole in it.
      if (window.failed()) {
        {
          const std::lock_guard lock(mutex_);
          write_failed_ = true;
        }
        Stop();
        return;
      }
      {
        const std::lock_guard lock(mutex_);
        slot.divided = true;
      }
      chunk_divided_.notify_one();
    }
  }

  void Write() {
    for (std::uint64_t chunk = 0;; ++chunk) {
      Slot& slot = SlotOf(chunk);
      {
        std::unique_lock lock(mutex_);
        chunk_divided_.wait(lock, [&] {
          return stopping_ || (chunk < read_count_ && slot.divided) ||
                 (input_done_ && chunk == read_count_);
        });
        if (stopping_ || !slot.divided) return;
      }
      const bool written = out_.Pass(std::string_view(slot.output(), slot.output_size));
      {
        const std::lock_guard lock(mutex_);
        slot.divided = false;
        written_ = chunk + 1;
        write_failed_ = write_failed_ || !written;
      }
      if (!written) {
        Stop();
        return;
      }
      chunk_written_.notify_one();
    }
  }

  const int input_;
  ReportBuffer& out_;  // only the writer touches it while the threads run
  const PipelineOptions& options_;
  const std::size_t chunk_bytes_;
  const unsigned threads_;
  std::vector<Slot> slots_;
  BlockDivider alone_;  // the one division thread's division, when there is only one
  std::vector<std::thread> running_;

  std::mutex mutex_;
  std::condition_variable chunk_read_;     // division threads wait here
  std::condition_variable chunk_divided_;  // the writer waits here
  std::condition_variable chunk_written_;  // the reader waits here
  std::uint64_t read_count_ = 0;           // chunks read (and, in parallel, summarised)
  std::uint64_t claimed_ = 0;              // chunks a division thread has taken
  std::uint64_t written_ = 0;              // chunks handed to `out_`
  bool input_done_ = false;                // read_count_ will not grow
  bool stopping_ = false;                  // a failure: every thread leaves at once
  bool read_failed_ = false;
  bool write_failed_ = false;
  DivisionState end_state_;  // after the chunks read so far (parallel division)
};

}  // namespace

unsigned DefaultDivisionThreads() {
  // Side by side only where the pass that finds each piece's start runs several times faster
  // than the division (the AVX-512 pass); the portable pass would hold the reader up longer
  // than a second division thread saves.
  if (!HasAvx512Summary()) return 1;
  return std::max(std::thread::hardware_concurrency(), 1u);
}

StreamDivision DivideDescriptor(int input, ReportBuffer& out, const PipelineOptions& options) {
  struct stat status {};
  const bool small = ::fstat(input, &status) == 0 && S_ISREG(status.st_mode) &&
                     static_cast<std::uint64_t>(status.st_size) < options.threaded_from_bytes;
  if (!small) {
    Pipeline pipeline(input, out, options);
    if (pipeline.Start()) return pipeline.Run();
  }
  return DivideAlone(input, out, options);
}

}  // namespace dalvo
