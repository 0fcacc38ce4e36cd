#include "division_pipeline.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
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
  int error = 0;  // errno of the failed read
};

// Reads until `buffer` is full, the input ends or a read fails. A short read is no end: only a
// read that returns nothing is, so input from pipes and terminals arrives whole.
Filled ReadFull(const ReadFunction& read, int input, unsigned char* buffer, std::size_t size) {
  Filled filled;
  while (filled.bytes < size) {
    const long got = ReadOnce(read, input, buffer + filled.bytes, size - filled.bytes);
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

// The whole division on the calling thread: one buffer, read, divide, hand on, repeat.
StreamDivision DivideAlone(int input, ReportBuffer& out, const PipelineOptions& options) {
  const std::size_t size = std::max<std::size_t>(options.read_bytes, 1);
  const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(size);
  BlockDivider divider(options.path);
  StreamDivision result;
  // After a failed write the report is lost anyway, so reading on would be wasted.
  while (!out.failed()) {
    const long got = ReadOnce(options.read, input, buffer.get(), size);
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

// The threads of one division and what they share. Pieces ("chunks") are numbered in reading
// order; chunk k lives in slot k mod slots_.size() from its read until it is written. There
// are no fixed roles: every thread, the calling one included, takes whatever is ready (write
// the next chunk in order, divide a chunk, read the next one) and waits only when nothing is.
// So no chunk waits for one particular thread to be woken, which on a busy machine can take
// milliseconds, and with one thread the same loop divides on the calling thread alone. Every
// hand-over happens under `mutex_`; a chunk's bytes are touched by one thread at a time,
// outside the lock.
class Pipeline {
 public:
  Pipeline(int input, ReportBuffer& out, const PipelineOptions& options)
      : input_(input),
        out_(out),
        options_(options),
        chunk_bytes_(std::max<std::size_t>(options.chunk_bytes, 1)),
        threads_(std::max(options.threads, 1u)),
        alone_(options.path) {
    // One chunk being read, one being written, one being divided by each thread, and one more
    // so that reading need not wait for the write of the oldest.
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
    try {
      for (unsigned i = 1; i < threads_; ++i) helpers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      Stop();
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
    result.tally = TallyOf(options_.side_by_side ? end_state_ : alone_.state());
    return result;
  }

 private:
  struct Slot {
    ChunkMemory memory;  // the input from kLead on; the quotient from the start
    std::size_t input_size = 0;
    std::size_t output_size = 0;
    DivisionState start;   // where the division stands before the chunk (side by side)
    bool divided = false;  // the output holds the chunk's quotient digits
    unsigned char* input() const { return memory.get() + kLead; }
    char* output() const { return reinterpret_cast<char*>(memory.get()); }
  };

  enum class Job { kWrite, kDivide, kRead, kLeave };

  Slot& SlotOf(std::uint64_t chunk) { return slots_[chunk % slots_.size()]; }

  void Stop() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    ready_.notify_all();
  }

  // Under the lock: the job this thread does next, taken so that no other thread takes it, or
  // nullopt when there is none yet. Writing comes first, so the output never waits when it
  // could go on; reading comes last, so read chunks do not pile up undivided.
  std::optional<std::pair<Job, std::uint64_t>> TakeJob() {
    if (stopping_) return std::pair{Job::kLeave, 0};
    if (!writing_ && written_ < read_count_ && SlotOf(written_).divided) {
      writing_ = true;
      return std::pair{Job::kWrite, written_};
    }
    // One at a time and in order, unless each chunk knows its start from the summaries.
    if (claimed_ < read_count_ && (options_.side_by_side || !dividing_)) {
      dividing_ = true;
      return std::pair{Job::kDivide, claimed_++};
    }
    if (!reading_ && !input_done_ && read_count_ < written_ + slots_.size()) {
      reading_ = true;
      return std::pair{Job::kRead, read_count_};
    }
    if (input_done_ && written_ == read_count_) return std::pair{Job::kLeave, 0};
    return std::nullopt;
  }

  void Work() {
    for (;;) {
      std::pair<Job, std::uint64_t> job;
      {
        std::unique_lock lock(mutex_);
        std::optional<std::pair<Job, std::uint64_t>> taken;
        ready_.wait(lock, [&] { return (taken = TakeJob()).has_value(); });
        job = *taken;
      }
      bool ok = true;
      switch (job.first) {
        case Job::kLeave:
          ready_.notify_all();  // the others may be waiting for this end too
          return;
        case Job::kWrite:
          ok = Write(job.second);
          break;
        case Job::kDivide:
          ok = Divide(job.second);
          break;
        case Job::kRead:
          ok = Read(job.second);
          break;
      }
      if (!ok) {
        Stop();
        return;
      }
      // What this job made ready may be more than this thread can take next.
      ready_.notify_all();
    }
  }

  bool Read(std::uint64_t chunk) {
    Slot& slot = SlotOf(chunk);
    const Filled filled = ReadFull(options_.read, input_, slot.input(), chunk_bytes_);
    if (filled.failed) {
      const std::lock_guard lock(mutex_);
      read_failed_ = true;
      read_error_ = filled.error;
      return false;
    }
    slot.input_size = filled.bytes;
    // Only the reading thread touches next_start_, and only one thread reads at a time.
    if (filled.bytes > 0 && options_.side_by_side) {
      slot.start = next_start_;
      next_start_ = AdvanceState(next_start_,
                                 SummarizePiece(slot.input(), filled.bytes, options_.path));
    }
    const std::lock_guard lock(mutex_);
    reading_ = false;
    if (filled.bytes > 0) ++read_count_;
    input_done_ = filled.bytes < chunk_bytes_;
    end_state_ = next_start_;
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
    const std::lock_guard lock(mutex_);
    dividing_ = false;
    // The window is sized for the worst case; should it ever fill, say so, never write a
    // quotient with a hole in it.
    if (window.failed()) {
      write_failed_ = true;
      return false;
    }
    slot.divided = true;
    return true;
  }

  bool Write(std::uint64_t chunk) {
    Slot& slot = SlotOf(chunk);
    const bool written = out_.Pass(std::string_view(slot.output(), slot.output_size));
    const std::lock_guard lock(mutex_);
    writing_ = false;
    slot.divided = false;
    written_ = chunk + 1;
    write_failed_ = write_failed_ || !written;
    return written;
  }

  const int input_;
  ReportBuffer& out_;  // only the thread that holds the writing job touches it
  const PipelineOptions& options_;
  const std::size_t chunk_bytes_;
  const unsigned threads_;
  std::vector<Slot> slots_;
  BlockDivider alone_;          // the division, when chunks are divided one after another
  DivisionState next_start_;    // before the next chunk to read (side by side)
  std::vector<std::thread> helpers_;

  std::mutex mutex_;
  std::condition_variable ready_;  // a job may have become ready, or everything ended
  std::uint64_t read_count_ = 0;   // chunks read (and, side by side, summarised)
  std::uint64_t claimed_ = 0;      // chunks a thread has taken to divide
  std::uint64_t written_ = 0;      // chunks handed to `out_`
  bool reading_ = false;
  bool dividing_ = false;  // only looked at when chunks are divided one after another
  bool writing_ = false;
  bool input_done_ = false;  // read_count_ will not grow
  bool stopping_ = false;    // a failure: every thread leaves at once
  bool read_failed_ = false;
  int read_error_ = 0;
  bool write_failed_ = false;
  DivisionState end_state_;  // after the chunks read so far (side by side)
};

}  // namespace

unsigned DefaultDivisionThreads() { return std::max(std::thread::hardware_concurrency(), 1u); }

bool DefaultSideBySide() {
  // Only where the pass that finds each piece's start runs several times faster than the
  // division (the AVX-512 pass); the portable pass would cost more than a second division
  // thread saves.
  return HasAvx512Summary();
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
