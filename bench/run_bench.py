#!/usr/bin/env python3
"""Times vantrel-gen against `cp -r` of the tree it writes, for workloads of N actions.

For each N: vantrel-gen generates into a fresh folder, then `cp -r` copies that finished tree
into another fresh folder, alternately, after one warm-up of each; each round times every N in
turn. Medians, peak memory (from /usr/bin/time -v) and the ratio vantrel-gen / cp -r are
printed per N, on the disk of the work folder and on tmpfs when /dev/shm exists. Nothing is
deleted on the disk while timing: every output is moved into a trash folder that is emptied at
the very end, because creating files right after a large deletion is several times slower on
some file systems. On tmpfs the trees of the pairs that time the record are deleted after each
pair, outside the timings: kept, they fill memory, and creating files there grows slower as
they pile up.

usage: run_bench.py --gen VANTREL_GEN --work FOLDER [--gui-startup HARNESS]
                    [--preview-latency HARNESS] [--repeat K] [--record-pairs P] [--no-tmpfs]
                    [N ...]
"""

import argparse
import filecmp
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PROBE_FILES = 2000
# Pairs of first runs with and without the record in each round (see Workload.record_pairs).
RECORD_PAIRS = 3


def run_timed(argv, cwd):
    """Wall time of one process run in seconds; the run must succeed."""
    start = time.perf_counter()
    result = subprocess.run(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("bench: %s failed (%d): %s" % (argv[0], result.returncode, result.stderr.decode()))
    return elapsed


def peak_memory_kb(argv, cwd):
    """Maximum resident set size of one run, as /usr/bin/time -v reports it."""
    result = subprocess.run(["/usr/bin/time", "-v"] + argv, cwd=cwd, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        sys.exit("bench: %s failed under /usr/bin/time: %s" % (argv[0], result.stderr))
    for line in result.stderr.splitlines():
        if "Maximum resident set size" in line:
            return int(line.rsplit(":", 1)[1])
    sys.exit("bench: /usr/bin/time -v gave no peak memory")


def probe_creation(root):
    """Files created per millisecond in a fresh folder below root (the folder is kept)."""
    folder = tempfile.mkdtemp(prefix="probe-", dir=root)
    start = time.perf_counter()
    for i in range(PROBE_FILES):
        with open(os.path.join(folder, "f%05d" % i), "w") as file:
            file.write("x")
    return PROBE_FILES / ((time.perf_counter() - start) * 1000.0), folder


def settled_creation(area, pause=15.0, longest=480.0):
    """The file-creation rate once it has stopped rising: after a large deletion (an earlier
    bench's, say) it is far lower for minutes, and timings taken then say little. Waits at
    most `longest` seconds."""
    rate, probe = probe_creation(area.root)
    area.discard(probe)
    waited = 0.0
    while waited < longest:
        time.sleep(pause)
        waited += pause
        next_rate, probe = probe_creation(area.root)
        area.discard(probe)
        if next_rate < rate * 1.2:
            return max(rate, next_rate)
        print("file creation %.1f files/ms, rising: waiting (%.0f s so far)" % (next_rate, waited),
              flush=True)
        rate = next_rate
    return rate


class Area:
    """A place to time in: fresh run folders are made here and moved to its trash when used.
    In memory (tmpfs), folders no figure looks at again are deleted instead."""

    def __init__(self, name, root, in_memory=False):
        self.name = name
        self.in_memory = in_memory
        self.root = root
        self.trash = os.path.join(root, "trash")
        os.makedirs(self.trash, exist_ok=True)
        self.count = 0

    def fresh(self):
        self.count += 1
        folder = os.path.join(self.root, "run-%05d" % self.count)
        os.makedirs(folder)
        return folder

    def discard(self, folder):
        os.rename(folder, os.path.join(self.trash, os.path.basename(folder)))

    def drop(self, folders):
        """Folders no figure looks at again: deleted on tmpfs, kept in the trash on a disk."""
        for folder in folders:
            if self.in_memory:
                shutil.rmtree(folder)
            else:
                self.discard(folder)


def without_record_time(path):
    """A record's file without the line that says when it was written."""
    with open(path, "rb") as manifest:
        return [line for line in manifest.read().split(b"\n") if not line.startswith(b"written ")]


def same_tree(first, second):
    """True when both trees hold the same folders and files with the same bytes (a record's
    files apart from when it was written)."""
    compare = filecmp.dircmp(first, second)
    if compare.left_only or compare.right_only or compare.funny_files:
        return False
    _, mismatch, errors = filecmp.cmpfiles(first, second, compare.common_files, shallow=False)
    for timed in ("manifest.txt", "local.txt"):
        if os.path.basename(first) == ".vantrel" and timed in mismatch:
            mismatch.remove(timed)
            if without_record_time(os.path.join(first, timed)) != without_record_time(
                    os.path.join(second, timed)):
                return False
    if mismatch or errors:
        return False
    return all(same_tree(os.path.join(first, d), os.path.join(second, d))
               for d in compare.common_dirs)


class Workload:
    """The runs of one N in one area: its warm-up, timings, tree check and peak memory."""

    def __init__(self, area, gen, work, count, record_pairs):
        self.pairs = record_pairs
        self.area = area
        self.count = count
        self.gen_argv = [gen, "--config", os.path.join(work, "vantrel.cfg"),
                         os.path.join(work, "project.json")]
        self.preview_argv = self.gen_argv[:1] + ["--dry-run"] + self.gen_argv[1:]
        self.norecord_argv = self.gen_argv[:1] + ["--no-record"] + self.gen_argv[1:]
        self.gen_times, self.copy_times, self.record_ratios = [], [], []
        self.preview_times, self.regen_times = [], []
        self.first_tree = None
        self.identical = True
        self.leftovers = []

    def generate(self):
        folder = self.area.fresh()
        return folder, run_timed(self.gen_argv, folder)

    def copy(self, source):
        folder = self.area.fresh()
        return folder, run_timed(["cp", "-r", os.path.join(source, "tree"), "tree"], folder)

    def warm_up(self):
        """Caches, the executable and the workload files."""
        warm_gen, _ = self.generate()
        warm_copy, _ = self.copy(warm_gen)
        self.leftovers += [warm_gen, warm_copy]
        self.warm_gen = warm_gen

    def no_record(self):
        """The same first run without its record: what keeping one costs."""
        folder = self.area.fresh()
        return folder, run_timed(self.norecord_argv, folder)

    def record_pairs(self, first_with_record):
        """More pairs of first runs with and without the record, each pair one right after the
        other: the record's cost is a few percent, below the machine's wander between rounds."""
        for i in range(self.pairs - 1):
            with_first = first_with_record == (i % 2 == 0)
            if not with_first:
                without_folder, without = self.no_record()
            folder, with_record = self.generate()
            if with_first:
                without_folder, without = self.no_record()
            self.record_ratios.append(with_record / without)
            self.area.drop([folder, without_folder])

    def round(self):
        # The first runs with and without the record one right after the other, each first in
        # every other round: the disk's drift falls on both alike.
        record_first = len(self.gen_times) % 2 == 0
        if not record_first:
            no_record_folder, no_record_time = self.no_record()
        gen_folder, gen_time = self.generate()
        if record_first:
            no_record_folder, no_record_time = self.no_record()
        self.record_ratios.append(gen_time / no_record_time)
        self.area.drop([no_record_folder])
        self.record_pairs(not record_first)
        copy_folder, copy_time = self.copy(gen_folder)
        self.gen_times.append(gen_time)
        self.copy_times.append(copy_time)
        # A preview with nothing on the disk yet, and a second run over the finished tree,
        # where every file is identical and none is written.
        preview_folder = self.area.fresh()
        self.preview_times.append(run_timed(self.preview_argv, preview_folder))
        self.area.discard(preview_folder)
        self.regen_times.append(run_timed(self.gen_argv, gen_folder))
        if self.first_tree is None:
            self.first_tree = gen_folder
            self.leftovers.append(gen_folder)
        else:
            if self.identical:
                self.identical = same_tree(os.path.join(self.first_tree, "tree"),
                                           os.path.join(gen_folder, "tree"))
            self.area.discard(gen_folder)
        self.area.discard(copy_folder)

    def result(self):
        # Peak memory, untimed, into folders of their own.
        mem_gen_folder = self.area.fresh()
        gen_kb = peak_memory_kb(self.gen_argv, mem_gen_folder)
        mem_copy_folder = self.area.fresh()
        copy_kb = peak_memory_kb(["cp", "-r", os.path.join(self.warm_gen, "tree"), "tree"],
                                 mem_copy_folder)
        tree = os.path.join(self.first_tree, "tree")
        files = sum(len(names) for _, _, names in os.walk(tree))
        size = sum(os.path.getsize(os.path.join(d, n))
                   for d, _, names in os.walk(tree) for n in names)
        for folder in self.leftovers + [mem_gen_folder, mem_copy_folder]:
            self.area.discard(folder)
        return {
            "n": self.count,
            "files": files,
            "bytes": size,
            "gen": statistics.median(self.gen_times),
            "copy": statistics.median(self.copy_times),
            "preview": statistics.median(self.preview_times),
            "regen": statistics.median(self.regen_times),
            # Round by round: each pair ran on the disk as it was at that moment.
            "record": statistics.median(self.record_ratios) - 1,
            "record_ratios": self.record_ratios,
            "gen_kb": gen_kb,
            "copy_kb": copy_kb,
            "identical": self.identical,
        }


def measure(area, gen, workloads, counts, repeat, record_pairs):
    """Every N once per round, round after round: a disk that speeds up or slows down during
    the run does so for all of them alike, and the per-action times stay comparable."""
    runs = [Workload(area, gen, workloads[c], c, record_pairs) for c in counts]
    for run in runs:
        run.warm_up()
    for _ in range(repeat):
        for run in runs:
            run.round()
    return [run.result() for run in runs]


def gui_startup(harness, work, runs=10):
    """Medians, in seconds, from starting the start-up harness (bench/GuiStartup.cpp) to the
    main dialog's first paint, and from its main() to that paint, on the offscreen platform.

    Each run is a process of its own, started in a workload folder so that the dialog reads a
    configuration as a user's start does; the first run only warms the caches.
    """
    runtime = tempfile.mkdtemp(prefix="xdg-", dir=work)
    os.chmod(runtime, 0o700)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime)
    from_start, from_main = [], []
    for i in range(runs + 1):
        started = time.monotonic_ns()
        result = subprocess.run([harness], cwd=work, env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True, timeout=60)
        if result.returncode != 0:
            sys.exit("bench: %s failed (%d): %s" % (harness, result.returncode, result.stderr))
        figures = dict(line.split() for line in result.stdout.splitlines())
        # Both clocks are CLOCK_MONOTONIC: the paint's time counts from this process's start.
        to_paint = int(figures["paint-at-ns"]) - started
        if not 0 < to_paint < 60e9:
            sys.exit("bench: %s gave a paint time outside its run" % harness)
        if i > 0:
            from_start.append(to_paint / 1e9)
            from_main.append(int(figures["main-to-paint-ns"]) / 1e9)
    shutil.rmtree(runtime, ignore_errors=True)
    return statistics.median(from_start), statistics.median(from_main)


def preview_latency(harness, gen, folder, edits=200):
    """The preview pane's figures over a scripted session of edits (bench/PreviewLatency.cpp),
    on the offscreen platform: into a new project, then over the same project generated."""
    runtime = tempfile.mkdtemp(prefix="xdg-", dir=folder)
    os.chmod(runtime, 0o700)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime,
               XDG_CONFIG_HOME=runtime)
    project = [name for name in os.listdir(folder) if name.endswith(".json")][0]
    shutil.rmtree(os.path.join(folder, "tree"), ignore_errors=True)
    figures = []
    for generated in (False, True):
        if generated:
            subprocess.run([gen, project], cwd=folder, check=True, stdout=subprocess.DEVNULL)
        result = subprocess.run([harness, project, str(edits)], cwd=folder, env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                timeout=600)
        if result.returncode != 0:
            sys.exit("bench: %s failed (%d): %s" % (harness, result.returncode, result.stderr))
        figures.append(dict(line.split() for line in result.stdout.splitlines()))
    shutil.rmtree(os.path.join(folder, "tree"), ignore_errors=True)
    shutil.rmtree(runtime, ignore_errors=True)
    return figures


def median_interval(values):
    """About 95 % sure to hold the true median, whatever the pairs' spread looks like: the
    sorted values whose ranks lie 1.96 standard deviations of a fair coin's count either side
    of the middle."""
    ordered = sorted(values)
    n = len(ordered)
    reach = 0.98 * n ** 0.5
    first = max(0, int(n / 2 - reach))
    last = min(n - 1, int(n / 2 + reach + 0.999))
    return ordered[first], ordered[last]


def print_table(area, rate_before, rate_after, rows, record_pairs):
    print()
    print("== %s (%s); file creation %.1f files/ms before, %.1f after"
          % (area.name, area.root, rate_before, rate_after))
    print("%8s %7s %9s %11s %10s %7s %12s %9s %10s %9s %9s %9s %9s" % (
        "N", "files", "MB", "gen ms", "cp -r ms", "ratio", "gen us/act", "gen MB", "cp MB",
        "same", "preview", "regen", "record"))
    for r in rows:
        print("%8d %7d %9.1f %11.1f %10.1f %7.2f %12.1f %9.1f %10.1f %9s %9.2f %9.2f %8.1f%%" % (
            r["n"], r["files"], r["bytes"] / 1e6, r["gen"] * 1000, r["copy"] * 1000,
            r["gen"] / r["copy"], r["gen"] / r["n"] * 1e6, r["gen_kb"] / 1024.0,
            r["copy_kb"] / 1024.0, "yes" if r["identical"] else "NO",
            r["preview"] / r["copy"], r["regen"] / r["copy"],
            r["record"] * 100))
    print("preview: a --dry-run with nothing on the disk; regen: a second run over the finished"
          " tree (every file identical, its record read); both as ratios to cp -r; record: what"
          " keeping the record adds to a first run (the median ratio of %d pairs a round, each"
          " pair one run right after the other)" % record_pairs)
    # The pairs' spread says how far the median can be trusted: a few percent of wander between
    # two runs a second apart is usual on a shared machine.
    for r in rows:
        ratios = r["record_ratios"]
        if len(ratios) >= 4:
            low, _, high = statistics.quantiles(ratios, n=4)
            first, last = median_interval(ratios)
            print("record at N=%d: median %.1f %%, 95 %% interval of the median %.1f to %.1f %%,"
                  " middle half of the pairs %.1f to %.1f %% (%d pairs)"
                  % (r["n"], r["record"] * 100, (first - 1) * 100, (last - 1) * 100,
                     (low - 1) * 100, (high - 1) * 100, len(ratios)))
    if rate_before < rate_after / 2 or rate_after < rate_before / 2:
        print("note: file creation speed changed during the run (a large deletion nearby?);"
              " the cp -r figures are unreliable, run again in a few minutes")
    by_n = {r["n"]: r for r in rows}
    if 1000 in by_n and 10000 in by_n:
        growth = (by_n[10000]["gen"] / 10000) / (by_n[1000]["gen"] / 1000)
        copy_growth = (by_n[10000]["copy"] / 10000) / (by_n[1000]["copy"] / 1000)
        print("per-action time at N=10000 / at N=1000: %.2f (cp -r per action: %.2f)"
              % (growth, copy_growth))


def machine():
    cpu = platform.processor() or "unknown CPU"
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return "%s, %d cores, %s %s" % (cpu, os.cpu_count() or 0, platform.system(),
                                    platform.release())


def file_system(path):
    result = subprocess.run(["df", "--output=fstype", path], stdout=subprocess.PIPE, text=True)
    lines = result.stdout.split()
    return lines[-1] if lines else "unknown"


def main():
    parser = argparse.ArgumentParser(description="vantrel-gen against cp -r")
    parser.add_argument("--gen", required=True, help="the vantrel-gen executable")
    parser.add_argument("--work", required=True, help="folder for workloads and runs")
    parser.add_argument("--repeat", type=int, default=7, help="timed runs of each (at least 5)")
    parser.add_argument("--record-pairs", type=int, default=RECORD_PAIRS,
                        help="pairs with and without the record in each round (default %d)"
                        % RECORD_PAIRS)
    parser.add_argument("--no-tmpfs", action="store_true", help="time on the work folder only")
    parser.add_argument("--gui-startup", metavar="HARNESS",
                        help="the GUI start-up harness (vantrel_gui_startup), to time it as well")
    parser.add_argument("--preview-latency", metavar="HARNESS",
                        help="the preview pane's harness (vantrel_preview_latency), to time it "
                        "at 1,000 actions")
    parser.add_argument("counts", nargs="*", type=int, default=[100, 1000, 10000])
    args = parser.parse_args()
    repeat = max(5, args.repeat)
    record_pairs = max(1, args.record_pairs)
    gen = os.path.abspath(args.gen)
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)

    print("machine: %s" % machine())
    print("vantrel-gen: %s; %d timed runs of each after a warm-up; medians" % (gen, repeat))
    workloads = {}
    for count in args.counts:
        folder = os.path.join(work, "workload-%d" % count)
        subprocess.run([sys.executable, os.path.join(HERE, "workload.py"), str(count), folder],
                       check=True)
        workloads[count] = folder

    if args.gui_startup:
        startup, in_main = gui_startup(os.path.abspath(args.gui_startup), workloads[args.counts[0]])
        print("GUI start-up to the main dialog's first paint (offscreen platform): %.1f ms from"
              " the process's start, %.1f ms of it from main(); medians of 10"
              % (startup * 1000, in_main * 1000))

    if args.preview_latency:
        folder = os.path.join(work, "workload-preview-1000")
        subprocess.run([sys.executable, os.path.join(HERE, "workload.py"), "1000", folder],
                       check=True)
        for kind, figures in zip(("a new project", "the project generated"),
                                 preview_latency(os.path.abspath(args.preview_latency), gen,
                                                 folder)):
            print("preview pane at 1,000 actions, %s: from the edit to the pane %s ms median, "
                  "%s ms 95th percentile (%s edits); longest event-loop gap %s ms"
                  % (kind, figures["median-ms"], figures["p95-ms"], figures["edits"],
                     figures["longest-gap-ms"]))

    roots = [("disk, " + file_system(work), tempfile.mkdtemp(prefix="runs-", dir=work), False)]
    if not args.no_tmpfs and os.path.isdir("/dev/shm"):
        roots.append(("tmpfs", tempfile.mkdtemp(prefix="vantrel-bench-", dir="/dev/shm"), True))

    areas = []
    try:
        for name, root, in_memory in roots:
            area = Area(name, root, in_memory)
            areas.append(area)
            rate_before = settled_creation(area)
            rows = measure(area, gen, workloads, args.counts, repeat, record_pairs)
            rate_after, probe = probe_creation(root)
            area.discard(probe)
            print_table(area, rate_before, rate_after, rows, record_pairs)
            if not all(r["identical"] for r in rows):
                print("bench: two runs gave different trees", file=sys.stderr)
                return 1
    finally:
        # Only now, with every timing done, is anything deleted.
        for area in areas:
            shutil.rmtree(area.root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
