#include "engine/division_pipeline.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "engine/division_chain.h"
#include "engine/division_chain_avx512.h"

namespace dalvo {

namespace {

// One read of at most `size` bytes at `offset` (-1: where the descriptor stands), through the
// options' read hook when one is set (tests), else read(2), or pread(2) at an offset; again
// after an interruption by a signal. The contract of read(2): bytes read, 0 at the end, -1 with
// errno set.
long ReadOnce(const ReadFunction& read, int input, unsigned char* buffer, std::size_t size,
              std::int64_t offset) {
  for (;;) {
    long got;
    if (read) {
      got = read(input, buffer, size, offset);
    } else if (offset < 0) {
      got = static_cast<long>(::read(input, buffer, size));
    } else {
      got = static_cast<long>(::pread(input, buffer, size, static_cast<off_t>(offset)));
    }
    if (got >= 0 || errno != EINTR) return got;
  }
}

struct Filled {
  std::size_t bytes = 0;
  bool failed = false;
  int error = 0;  // errno of the failed read
};

// Reads until `buffer` is full, the input ends or a read fails. A short read is no end: only a
// read that returns nothing is, so input from pipes and terminals arrives whole.
Filled ReadFull(const ReadFunction& read, int input, unsigned char* buffer, std::size_t size,
                std::int64_t offset) {
  Filled filled;
  while (filled.bytes < size) {
    const std::int64_t at = offset < 0 ? -1 : offset + static_cast<std::int64_t>(filled.bytes);
    const long got = ReadOnce(read, input, buffer + filled.bytes, size - filled.bytes, at);
    if (got < 0) {
      filled.failed = true;
      filled.error = errno;
      break;
    }
    if (got == 0) break;
    filled.bytes += static_cast<std::size_t>(got);
  }
  return filled;
}

// A chunk's quotient is written into the chunk's own memory, over the input already divided: a
// division writes at most one byte per digit it has read, and the kernels read a block or a
// pass of groups before they write its quotient, so an output that starts at least one byte
// before the input never overtakes it. The input starts kLead bytes in, 64 to keep it on
// cache-line bounds, and kSlack bytes follow it: the kernels ask for a group's room (65 bytes)
// before they write, even where they write less.
constexpr std::size_t kLead = 64;
constexpr std::size_t kSlack = 256;
constexpr std::align_val_t kCacheLine{64};

// How long a thread without a job watches for one before it sleeps: longer than most jobs of a
// chunk take, far shorter than anything a person notices.
constexpr std::chrono::microseconds kWatch{200};

// A hint to the processor that this is a wait loop (it then spares the other hardware thread
// of its core, and the memory bus).
void Pause() {
#if defined(__x86_64__)
  __builtin_ia32_pause();
#endif
}

struct CacheLineDelete {
  void operator()(unsigned char* memory) const { ::operator delete[](memory, kCacheLine); }
};
using ChunkMemory = std::unique_ptr<unsigned char[], CacheLineDelete>;

ChunkMemory NewChunkMemory(std::size_t size) {
  return ChunkMemory(static_cast<unsigned char*>(::operator new[](size, kCacheLine)));
}

// The whole division on the calling thread: one buffer, read, divide, hand on, repeat.
StreamDivision DivideAlone(int input, ReportBuffer& out, const PipelineOptions& options) {
  const std::size_t size = std::max<std::size_t>(options.read_bytes, 1);
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(size);
  BlockDivider divider(options.path);
  StreamDivision result;
  // After a failed write the report is lost anyway, so reading on would be wasted.
  while (!out.failed()) {
    const long got = ReadOnce(options.read, input, buffer.get(), size, -1);
    if (got < 0) {
      result.read_failed = true;
      result.read_error = errno;
    }
    if (got <= 0) break;
    divider.Consume(buffer.get(), static_cast<std::size_t>(got), out);
  }
  result.tally = divider.Tally();
  result.write_failed = out.failed();
  return result;
}

// The threads of one division and what they share. Chunks are numbered in the order of the
// input; chunk k lives in slot k mod slots_.size() from its read until it is written. There
// are no fixed roles: every thread, the calling one included, takes whatever is ready (write
// the next chunk in order, divide a chunk, read a chunk) and waits only when nothing is. A file
// is read at known offsets, several chunks at once; anything else one chunk after another. The
// chunks read so far from the start, without a gap, are the ones that may be divided. Every
// hand-over happens under `mutex_`; a chunk's bytes are touched by one thread at a time,
// outside the lock.
class Pipeline {
 public:
  // `offset` is where chunk 0 starts in the file, or -1 when the input can only be read in
  // order (a pipe, a terminal).
  Pipeline(int input, std::int64_t offset, ReportBuffer& out, const PipelineOptions& options)
      : input_(input),
        offset_(offset),
        out_(out),
        options_(options),
        chunk_bytes_(std::max<std::size_t>(options.chunk_bytes, 1)),
        threads_(std::max(options.threads, 1u)),
        alone_(options.path) {
    // A chunk being written, one being read or divided by each thread, and one more so that
    // reading need not wait for the write of the oldest.
    const std::size_t slots = options.chunks > 0 ? options.chunks : threads_ + 3;
    slots_.resize(std::max<std::size_t>(slots, 2));
    for (Slot& slot : slots_) slot.memory = NewChunkMemory(kLead + chunk_bytes_ + kSlack);
  }
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  // Starts the other threads. False when the system refused one; those started have ended
  // again, and nothing has been read.
  bool Start() {
    helpers_.reserve(threads_ - 1);
    // The lock keeps the helpers from taking a job before all of them run.
    std::unique_lock lock(mutex_);
    try {
      for (unsigned i = 1; i < threads_; ++i) helpers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      stopping_ = true;
      Changed(lock);
      for (std::thread& helper : helpers_) helper.join();
      return false;
    }
    return true;
  }

  // Works on the calling thread until everything is written or something failed, then waits
  // for the other threads.
  StreamDivision Run() {
    Work();
    for (std::thread& helper : helpers_) helper.join();
    StreamDivision result;
    result.read_failed = read_failed_;
    result.read_error = read_error_;
    result.write_failed = write_failed_ || out_.failed();
    result.tally = TallyOf(options_.side_by_side ? chain_ : alone_.state());
    return result;
  }

 private:
  struct Slot {
    ChunkMemory memory;  // the input from kLead on; the quotient from the start
    std::size_t input_size = 0;
    std::size_t output_size = 0;
    PieceSummary summary;  // of the input (side by side)
    DivisionState start;   // where the division stands before the chunk (side by side)
    bool read = false;
    bool divided = false;
    unsigned char* input() const { return memory.get() + kLead; }
    char* output() const { return reinterpret_cast<char*>(memory.get()); }
  };

  enum class Job { kWrite, kDivide, kRead, kLeave };

  static constexpr std::uint64_t kUnknown = std::numeric_limits<std::uint64_t>::max();

  Slot& SlotOf(std::uint64_t chunk) { return slots_[chunk % slots_.size()]; }

  void Stop() {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    Changed(lock);
  }

  // After a change of the shared state, under the lock (which it releases): tells the threads
  // that watch for changes, and wakes those asleep.
  void Changed(std::unique_lock<std::mutex>& lock) {
    changes_.fetch_add(1, std::memory_order_release);
    const bool wake = sleeping_ > 0;
    lock.unlock();
    if (wake) ready_.notify_all();
  }

  // Under the lock: the job this thread does next, taken so that no other thread takes it, or
  // nullopt when there is none yet. Writing comes first, so the output never waits when it
  // could go on; reading comes last, so read chunks do not pile up undivided.
  std::optional<std::pair<Job, std::uint64_t>> TakeJob() {
    if (stopping_ || written_ == end_) return std::pair{Job::kLeave, 0};
    if (!writing_ && written_ < usable_ && SlotOf(written_).divided) {
      writing_ = true;
      return std::pair{Job::kWrite, written_};
    }
    // One at a time and in order, unless each chunk knows its start from the summaries.
    if (claimed_ < usable_ && (options_.side_by_side || !dividing_)) {
      dividing_ = true;
      return std::pair{Job::kDivide, claimed_++};
    }
    if ((offset_ >= 0 || readers_ == 0) && next_read_ < end_ &&
        next_read_ < written_ + slots_.size()) {
      ++readers_;
      return std::pair{Job::kRead, next_read_++};
    }
    return std::nullopt;
  }

  // The next job for this thread. The job another thread is doing usually makes one ready
  // within microseconds, while waking a sleeping thread can cost tens of them where processors
  // are virtual (an interrupt to the other processor, through the hypervisor), about as long as
  // dividing a whole chunk. So a thread that finds nothing to do first watches for a change
  // for a while, and only then sleeps.
  std::pair<Job, std::uint64_t> NextJob() {
    const auto give_up = std::chrono::steady_clock::now() + kWatch;
    for (;;) {
      const std::uint64_t seen = changes_.load(std::memory_order_acquire);
      {
        const std::lock_guard lock(mutex_);
        if (const auto job = TakeJob()) return *job;
      }
      while (changes_.load(std::memory_order_acquire) == seen &&
             std::chrono::steady_clock::now() < give_up) {
        Pause();
      }
      if (changes_.load(std::memory_order_acquire) == seen) break;
    }
    std::unique_lock lock(mutex_);
    std::optional<std::pair<Job, std::uint64_t>> taken;
    ++sleeping_;
    ready_.wait(lock, [&] { return (taken = TakeJob()).has_value(); });
    --sleeping_;
    return *taken;
  }

  void Work() {
    for (;;) {
      const auto [job, chunk] = NextJob();
      bool ok = true;
      switch (job) {
        case Job::kLeave: {
          std::unique_lock lock(mutex_);
          Changed(lock);  // the others may be watching or asleep
          return;
        }
        case Job::kWrite:
          ok = Write(chunk);
          break;
        case Job::kDivide:
          ok = Divide(chunk);
          break;
        case Job::kRead:
          ok = Read(chunk);
          break;
      }
      if (!ok) {
        Stop();
        return;
      }
    }
  }

  bool Read(std::uint64_t chunk) {
    Slot& slot = SlotOf(chunk);
    const std::int64_t at =
        offset_ < 0 ? -1 : offset_ + static_cast<std::int64_t>(chunk * chunk_bytes_);
    const Filled filled = ReadFull(options_.read, input_, slot.input(), chunk_bytes_, at);
    if (filled.failed) {
      const std::lock_guard lock(mutex_);
      read_failed_ = true;
      read_error_ = filled.error;
      return false;
    }
    slot.input_size = filled.bytes;
    if (options_.side_by_side) {
      slot.summary = SummarizePiece(slot.input(), filled.bytes, options_.path);
    }
    std::unique_lock lock(mutex_);
    --readers_;
    slot.read = true;
    // The first short chunk ends the input (an empty one before it); later ones are dropped.
    if (filled.bytes < chunk_bytes_) end_ = std::min(end_, filled.bytes > 0 ? chunk + 1 : chunk);
    // Chunks join the usable ones in order, each starting where the chain stands.
    while (usable_ < end_ && usable_ < next_read_ && SlotOf(usable_).read) {
      Slot& next = SlotOf(usable_);
      next.read = false;
      if (options_.side_by_side) {
        next.start = chain_;
        chain_ = AdvanceState(chain_, next.summary);
      }
      ++usable_;
    }
    Changed(lock);
    return true;
  }

  bool Divide(std::uint64_t chunk) {
    Slot& slot = SlotOf(chunk);
    ReportBuffer window(slot.output(), kLead + chunk_bytes_ + kSlack);
    if (options_.side_by_side) {
      BlockDivider divider(options_.path, slot.start);
      divider.Consume(slot.input(), slot.input_size, window);
    } else {
      alone_.Consume(slot.input(), slot.input_size, window);
    }
    slot.output_size = window.written().size();
    std::unique_lock lock(mutex_);
    dividing_ = false;
    // The window is sized for the worst case; should it ever fill, say so, never write a
    // quotient with a hole in it.
    if (window.failed()) {
      write_failed_ = true;
      return false;
    }
    slot.divided = true;
    Changed(lock);
    return true;
  }

  bool Write(std::uint64_t chunk) {
    Slot& slot = SlotOf(chunk);
    const bool written = out_.Pass(std::string_view(slot.output(), slot.output_size));
    std::unique_lock lock(mutex_);
    writing_ = false;
    slot.divided = false;
    written_ = chunk + 1;
    write_failed_ = write_failed_ || !written;
    Changed(lock);
    return written;
  }

  const int input_;
  const std::int64_t offset_;
  ReportBuffer& out_;  // only the thread that holds the writing job touches it
  const PipelineOptions& options_;
  const std::size_t chunk_bytes_;
  const unsigned threads_;
  std::vector<Slot> slots_;
  BlockDivider alone_;  // the division, when chunks are divided one after another
  std::vector<std::thread> helpers_;

  std::mutex mutex_;
  std::condition_variable ready_;          // a job may have become ready, or all have ended
  std::atomic<std::uint64_t> changes_{0};  // counts the changes of the state below
  unsigned sleeping_ = 0;                  // threads waiting on ready_
  std::uint64_t next_read_ = 0;            // the next chunk to read
  unsigned readers_ = 0;                   // threads reading a chunk
  std::uint64_t end_ = kUnknown;           // the number of chunks, once a short one was read
  std::uint64_t usable_ = 0;               // chunks read from the start without a gap
  std::uint64_t claimed_ = 0;              // chunks a thread has taken to divide
  std::uint64_t written_ = 0;              // chunks handed to `out_`
  bool dividing_ = false;  // only looked at when chunks are divided one after another
  bool writing_ = false;
  bool stopping_ = false;  // a failure: every thread leaves at once
  bool read_failed_ = false;
  int read_error_ = 0;
  bool write_failed_ = false;
  DivisionState chain_;  // after the usable chunks (side by side)
};

}  // namespace

unsigned DefaultDivisionThreads() { return std::max(std::thread::hardware_concurrency(), 1u); }

bool DefaultSideBySide(unsigned threads) {
  // Only where the pass that finds each chunk's start runs several times faster than the
  // division (the AVX-512 pass); the portable pass would cost more than it saves.
  return threads >= 3 && HasAvx512Summary();
}

StreamDivision DivideDescriptor(int input, ReportBuffer& out, const PipelineOptions& options) {
  struct stat status {};
  const bool file = ::fstat(input, &status) == 0 && S_ISREG(status.st_mode);
  if (file && static_cast<std::uint64_t>(status.st_size) < options.threaded_from_bytes) {
    return DivideAlone(input, out, options);
  }
  // A file is read at offsets from where its descriptor stands, several chunks at once.
  const std::int64_t offset = file ? static_cast<std::int64_t>(::lseek(input, 0, SEEK_CUR)) : -1;
  Pipeline pipeline(input, offset, out, options);
  if (pipeline.Start()) return pipeline.Run();
  return DivideAlone(input, out, options);
}

}  // namespace dalvo
