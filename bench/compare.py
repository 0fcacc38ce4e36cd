#!/usr/bin/env python3
"""Whole-program benchmark: dalvo's division by 19 against GMP, Python's int, bc and dd.

Makes deterministic digit files, checks that every program finds the same quotient, then times
each program several times per size and prints a table: median wall time, MB/s of input, peak
resident memory (from /usr/bin/time -f %M) and ratios. On tmpfs (/dev/shm), where no disk
write-back blurs the figures, dalvo and dd copying the same file run in turns, and the ratio is
the median of the turns' ratios; an older dalvo given with --baseline joins those turns.
Started by bench/run.sh, which builds the programs first; exits 1 when any quotient disagrees or
a program fails.
"""

import argparse
import hashlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

# Each peer runs only at sizes where it finishes within its limit (seconds), judged from its
# last size with the given growth exponent; a run that still overruns is stopped and skipped.
# GMP is not slow, but at 10^9 digits it would hold the shared machine for many minutes.
PEER_LIMITS = {"GMP": (300.0, 1.3), "python3": (60.0, 2.0), "bc": (60.0, 2.0)}
SINGLE_RUN_AFTER_S = 5.0  # a program slower than this is timed once, not --runs times

PEER_LABELS = {"GMP": "GMP mpz_set_str, mpz_tdiv_q_ui, mpz_get_str",
               "python3": "python3 int, divmod, str", "bc": "bc n/19, n%19"}

PYTHON_DIVIDE = (
    "import sys\n"
    "sys.set_int_max_str_digits(0)\n"
    "n = int(open(sys.argv[1], 'rb').read())\n"
    "q, r = divmod(n, 19)\n"
    "sys.stdout.write(str(q) + '\\n' + str(r) + '\\n')\n"
)


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="build directory with app/ and bench-bin/")
    parser.add_argument("--big", action="store_true", help="also 10^9 digits (1 GB of scratch)")
    parser.add_argument("--runs", type=int, default=5, help="timed runs per program and size")
    parser.add_argument("--exponents", default="4,5,6,7,8",
                        help="digit counts as powers of ten, comma-separated")
    parser.add_argument("--small-runs", type=int, default=21,
                        help="turns on tmpfs for sizes up to 10^6 digits, where the start of a "
                        "process dominates and single runs scatter most")
    parser.add_argument("--tmpfs", default=default_tmpfs(),
                        help="a tmpfs directory for the turns of dalvo and dd (default: /dev/shm "
                        "when it is a tmpfs; empty: no such rows)")
    parser.add_argument("--baseline", default=None,
                        help="another dalvo program (an older build, say) to time in the same "
                        "turns on tmpfs")
    parser.add_argument("--scratch", default=None, help="directory for the files (default: a "
                        "fresh one below the temporary directory, removed afterwards)")
    return parser.parse_args()


def default_tmpfs():
    try:
        with open("/proc/mounts") as mounts:
            for line in mounts:
                fields = line.split()
                if len(fields) > 2 and fields[1] == "/dev/shm" and fields[2] == "tmpfs":
                    return "/dev/shm"
    except OSError:
        pass
    return ""


class Bench:
    def __init__(self, args):
        build = os.path.abspath(args.build)
        self.dalvo = os.path.join(build, "app", "dalvo")
        self.gmp = os.path.join(build, "bench-bin", "dalvo_gmp_divide")
        self.make_digits = os.path.join(build, "bench-bin", "dalvo_make_digits")
        self.runs = max(1, args.runs)
        self.small_runs = max(1, args.small_runs)
        self.tmpfs = args.tmpfs
        self.baseline = os.path.abspath(args.baseline) if args.baseline else None
        self.own_scratch = args.scratch is None
        self.scratch = os.path.abspath(args.scratch or tempfile.mkdtemp(prefix="dalvo-bench-"))
        os.makedirs(self.scratch, exist_ok=True)
        self.rss_file = os.path.join(self.scratch, "rss.txt")
        self.failures = []
        self.checked = []  # "10^e peer" for every quotient compared with dalvo's
        self.peer_last = {}  # peer name -> (digits, seconds) of its last timed size

    def path(self, name):
        return os.path.join(self.scratch, name)

    # One run under /usr/bin/time: (wall seconds, peak RSS in KiB, CPU seconds), or None on
    # time-out. CPU time shows how much of the wall time the shared machine took away.
    def run_once(self, command, stdout_path, env=None, timeout=None):
        with open(stdout_path, "wb") as out:
            start = time.perf_counter()
            try:
                result = subprocess.run(["/usr/bin/time", "-f", "%M %U %S", "-o", self.rss_file] +
                                        command, stdout=out, stderr=subprocess.PIPE,
                                        cwd=self.scratch, env=env, timeout=timeout)
            except subprocess.TimeoutExpired:
                return None
            wall = time.perf_counter() - start
        if result.returncode != 0:
            raise RuntimeError("%s failed (%d): %s" % (" ".join(command), result.returncode,
                                                       result.stderr.decode(errors="replace")))
        with open(self.rss_file) as rss:
            rss_kib, user, system = rss.read().split()[-3:]
        return wall, int(rss_kib), float(user) + float(system)

    # Median wall time, the largest peak RSS, the number of runs and the median CPU time; None
    # when a run timed out. A peer slower than SINGLE_RUN_AFTER_S is timed once. `output`, a file
    # the command writes, is removed before each run, untimed: truncating the last run's output
    # would otherwise wait for the disk to finish writing it back, charging one run's write-back
    # to the next.
    def measure(self, command, stdout_path="/dev/null", env=None, timeout=None, peer=False,
                output=None):
        samples = []
        for _ in range(self.runs):
            if output is not None and os.path.exists(output):
                os.remove(output)
            sample = self.run_once(command, stdout_path, env, timeout)
            if sample is None:
                return None
            samples.append(sample)
            if peer and sample[0] > SINGLE_RUN_AFTER_S:
                break
        return (statistics.median(s[0] for s in samples), max(s[1] for s in samples),
                len(samples), statistics.median(s[2] for s in samples))

    # The commands in turns, `runs` times over: a list of samples per command, as run_once gives
    # them. Each command is (argv, output file or None); the output is removed before each run,
    # untimed, and standard output goes to /dev/null.
    def measure_in_turns(self, commands, runs):
        samples = [[] for _ in commands]
        for _ in range(runs):
            for (command, output), own in zip(commands, samples):
                if output is not None and os.path.exists(output):
                    os.remove(output)
                own.append(self.run_once(command, "/dev/null"))
        return samples

    # Whether a peer is expected to finish `digits` within its limit.
    def peer_fits(self, name, digits):
        limit, growth = PEER_LIMITS[name]
        last = self.peer_last.get(name)
        if last is None:
            return True
        last_digits, last_seconds = last
        if last_seconds < 1.0:  # mostly start-up time: says nothing about growth, just try
            return True
        return last_seconds * (digits / last_digits) ** growth <= limit


def quotient_digest(path, stop):
    """SHA-256 and length of the file's bytes before the first `stop` byte, read in chunks."""
    digest = hashlib.sha256()
    length = 0
    with open(path, "rb") as f:
        while True:
            chunk = f.read(1 << 20)
            if not chunk:
                break
            end = chunk.find(stop)
            if end >= 0:
                digest.update(chunk[:end])
                length += end
                break
            digest.update(chunk)
            length += len(chunk)
    return digest.hexdigest(), length


def last_number(path):
    """The last whitespace-separated word of the file, as an integer (a peer's remainder)."""
    with open(path, "rb") as f:
        f.seek(0, os.SEEK_END)
        f.seek(max(0, f.tell() - 64))
        return int(f.read().split()[-1])


def dalvo_fraction(path, quotient_length):
    """The four decimals that follow the quotient's point in a dalvo report."""
    with open(path, "rb") as f:
        f.seek(quotient_length + 1)
        return f.read(4).decode()


def check_and_time(bench, exponent):
    digits = 10 ** exponent
    number = bench.path("n%d.txt" % exponent)
    subprocess.run([bench.make_digits, str(digits), str(exponent), number], check=True)
    report = bench.path("report.txt")
    rows = []

    def add(label, measured, peer_of=None):
        rows.append((label, measured, peer_of))

    # Correctness first: both dalvo forms, then every peer that runs at this size.
    subprocess.run([bench.dalvo, "-awo", "d", "19", number, report], cwd=bench.scratch,
                   check=True)
    stdout_report = bench.path("stdout.txt")
    with open(stdout_report, "wb") as out:
        subprocess.run([bench.dalvo, number], stdout=out, cwd=bench.scratch, check=True)
    if not filecmp_equal(report, stdout_report):
        bench.failures.append("10^%d: dalvo's file and standard-output reports differ" % exponent)
    expected = quotient_digest(report, b".")
    fraction = dalvo_fraction(report, expected[1])

    peers = [("GMP", [bench.gmp, number], None),
             ("python3", [sys.executable, "-c", PYTHON_DIVIDE, number], None),
             ("bc", ["bc", "-q", bench.path("divide.bc")], dict(os.environ, BC_LINE_LENGTH="0"))]
    with open(bench.path("divide.bc"), "wb") as script, open(number, "rb") as source:
        script.write(b"n=")
        shutil.copyfileobj(source, script)
        script.write(b"\nn/19\nn%19\nquit\n")

    peer_results = []
    for name, command, env in peers:
        limit = PEER_LIMITS[name][0]
        if not bench.peer_fits(name, digits):
            peer_results.append((name, "skipped (expected over %d s)" % limit))
            continue
        out_path = bench.path("peer.txt")
        first = bench.run_once(command, out_path, env, limit)
        if first is None:
            peer_results.append((name, "skipped (over %d s)" % limit))
            bench.peer_last[name] = (digits, float("inf"))
            continue
        if quotient_digest(out_path, b"\n") != expected:
            bench.failures.append("10^%d: %s's quotient differs from dalvo's" % (exponent, name))
        remainder = last_number(out_path)
        if "%04d" % ((remainder * 20000 + 19) // 38) != fraction:
            bench.failures.append("10^%d: %s's remainder %d does not give dalvo's .%s" %
                                  (exponent, name, remainder, fraction))
        bench.checked.append("10^%d %s" % (exponent, name))
        bench.peer_last[name] = (digits, first[0])
        peer_results.append((name, (command, env, limit, first)))

    # Then the timings, all in one stretch so that the machine's load is shared alike.
    dalvo_null = bench.measure([bench.dalvo, number])
    dalvo_file = bench.measure([bench.dalvo, "-awo", "d", "19", number, report], output=report)
    dd_null = bench.measure(["dd", "if=" + number, "of=/dev/null", "bs=128K", "status=none"])
    dd_file = bench.measure(["dd", "if=" + number, "of=" + bench.path("dd.txt"), "bs=128K",
                             "status=none"], output=bench.path("dd.txt"))
    add("dalvo IN > /dev/null", dalvo_null, ("dd > /dev/null", dd_null))
    add("dalvo -awo d 19 IN OUT", dalvo_file, ("dd to a file", dd_file))
    for name, what in peer_results:
        if isinstance(what, str):
            add(PEER_LABELS[name], what)
            continue
        command, env, limit, first = what
        if first[0] > SINGLE_RUN_AFTER_S:  # the checking run is its one timed run
            measured = (first[0], first[1], 1, first[2])
        else:
            measured = bench.measure(command, env=env, timeout=limit, peer=True)
        add(PEER_LABELS[name], measured, "dalvo")
    add("dd bs=128K > /dev/null (floor)", dd_null)
    add("dd bs=128K to a file (floor)", dd_file)
    if bench.tmpfs:
        for row in time_on_tmpfs(bench, number, digits):
            add(*row)
    for name in ("dd.txt", "peer.txt", "report.txt", "stdout.txt", "divide.bc"):
        if os.path.exists(bench.path(name)):
            os.remove(bench.path(name))
    os.remove(number)
    return digits, rows, dalvo_null


def summarize(samples):
    """(median wall, largest peak RSS, runs, median CPU) of run_once samples."""
    return (statistics.median(s[0] for s in samples), max(s[1] for s in samples), len(samples),
            statistics.median(s[2] for s in samples))


def time_on_tmpfs(bench, number, digits):
    """Rows for dalvo (and the baseline) against dd, the input and every output on tmpfs: to a
    file against dd copying the file, and to /dev/null against dd reading it. Each group runs in
    turns; a ratio is the median of the per-turn ratios, so a slow moment of the shared machine
    weighs on both sides of it alike."""
    folder = tempfile.mkdtemp(prefix="dalvo-bench-", dir=bench.tmpfs)
    rows = []
    try:
        source = os.path.join(folder, "in.txt")
        shutil.copyfile(number, source)
        out = os.path.join(folder, "out.txt")
        copy = os.path.join(folder, "copy.txt")
        programs = [("dalvo", bench.dalvo)]
        if bench.baseline:
            programs.append(("baseline dalvo", bench.baseline))
        runs = bench.small_runs if digits <= 10 ** 6 else bench.runs
        groups = [
            ("%s -awo d 19 IN OUT, tmpfs", lambda p: ([p, "-awo", "d", "19", source, out], out),
             ("dd bs=128K IN COPY, tmpfs (copy floor)",
              ["dd", "if=" + source, "of=" + copy, "bs=128K", "status=none"], copy)),
            ("%s IN > /dev/null, tmpfs", lambda p: ([p, source], None),
             ("dd bs=128K IN > /dev/null, tmpfs (read floor)",
              ["dd", "if=" + source, "of=/dev/null", "bs=128K", "status=none"], None)),
        ]
        for label, dalvo_command, (floor_label, floor_command, floor_output) in groups:
            commands = [dalvo_command(path) for _, path in programs]
            commands.append((floor_command, floor_output))
            samples = bench.measure_in_turns(commands, runs)
            floor = samples[-1]
            for (name, _), own in zip(programs, samples):
                ratio = statistics.median(a[0] / b[0] for a, b in zip(own, floor))
                rows.append((label % name, summarize(own), "%.2fx dd, median of turns" % ratio))
            rows.append((floor_label, summarize(floor)))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return rows


def filecmp_equal(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        while True:
            ca, cb = fa.read(1 << 20), fb.read(1 << 20)
            if ca != cb:
                return False
            if not ca:
                return True


def print_table(digits, rows, dalvo_null):
    print("\n| digits | program | median s | MB/s | CPU s | peak RSS KiB | runs | ratio |")
    print("|---:|---|---:|---:|---:|---:|---:|---|")
    for label, measured, relation in rows:
        if isinstance(measured, str) or measured is None:
            text = measured or "skipped (timed out)"
            print("| %d | %s | %s | | | | | |" % (digits, label, text))
            continue
        seconds, rss, runs, cpu = measured
        rate = digits / seconds / 1e6
        if relation == "dalvo":
            ratio = "%.1fx dalvo's time" % (seconds / dalvo_null[0])
        elif isinstance(relation, str):
            ratio = relation
        elif relation is not None and relation[1] is not None:
            ratio = "%.2fx %s" % (seconds / relation[1][0], relation[0])
        else:
            ratio = ""
        print("| %d | %s | %.4f | %.0f | %.2f | %d | %d | %s |" % (digits, label, seconds, rate,
                                                                  cpu, rss, runs, ratio))


def loadavg():
    try:
        with open("/proc/loadavg") as f:
            return " ".join(f.read().split()[:3])
    except OSError:
        return "unknown"


def main():
    args = parse_args()
    bench = Bench(args)
    exponents = [int(e) for e in args.exponents.split(",") if e]
    if args.big and 9 not in exponents:
        exponents.append(9)
    print("dalvo division benchmark, %s, %d cores, scratch %s, median of up to %d runs"
          % (time.strftime("%Y-%m-%d"), os.cpu_count(), bench.scratch, bench.runs))
    print("load average at the start: %s" % loadavg())
    try:
        for exponent in exponents:
            print_table(*check_and_time(bench, exponent))
            sys.stdout.flush()
    finally:
        if bench.own_scratch:
            shutil.rmtree(bench.scratch, ignore_errors=True)
    print("\nload average at the end: %s" % loadavg())
    for failure in bench.failures:
        print("MISMATCH: " + failure)
    print("\nquotients compared with dalvo's: " + ", ".join(bench.checked))
    print("quotients: " + ("all agree" if not bench.failures else "DISAGREE"))
    return 1 if bench.failures else 0


if __name__ == "__main__":
    sys.exit(main())
