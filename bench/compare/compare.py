#!/usr/bin/python3
"""Times bdxtool against its peers on generated files and prints the ratios.

Usage: compare.py --bdxtool PATH --peer PATH --work DIR [--rounds N] [--sizes 100k,1m]
                  [--window-bench PATH] [--explorer-bench PATH]

Run through bench/compare.sh, which builds bdxtool and the libxml2 peer first. For each
size it makes a Firefox-style bookmark file (gen_netscape.py, 20 links a folder) and,
by importing it, the database the other tasks read. Then, round after round, each task
runs once as Brindlex and once as its peer, one after the other (A B A B ...), each in a
fresh process; the figures are the medians over the rounds: wall and CPU seconds (user
plus system, which a busy machine does not inflate) and the peak resident memory of the
process. A ratio is the median of the per-round ratios, so that a drift of the machine's
speed during the run cancels out. Every run starts with nothing left to write to the disk.
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = {"100k": (100000, 5000), "1m": (1000000, 50000)}


def run(argv, before=None):
    """Runs argv once; returns (wall seconds, cpu seconds, peak RSS in MiB)."""
    if before:
        before()
    # What the commands before this one left unwritten (a peer's output is never synced)
    # goes to the disk first: a command that syncs its own file would otherwise wait for it.
    os.sync()
    start = time.perf_counter()
    with open(os.devnull, "wb") as null:
        proc = subprocess.Popen(argv, stdout=null, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        err = proc.stderr.read().decode(errors="replace")
        proc.stderr.close()
        proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (proc.returncode, " ".join(argv), err))
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def remove(path):
    def go():
        if os.path.exists(path):
            os.remove(path)
    return go


class Task:
    def __init__(self, name, brindlex, peer=None, before=None, peer_name=""):
        self.name = name
        self.brindlex = brindlex
        self.peer = peer
        self.before = before
        self.peer_name = peer_name
        self.a = []  # (wall, cpu, rss) per round
        self.b = []


def google_benchmark(program, name, repetitions, **environment):
    """Runs one benchmark of a Google Benchmark program; returns its median (wall, cpu) seconds."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", **environment)
    out = subprocess.run([program, "--benchmark_filter=^%s" % name, "--benchmark_repetitions=%d" % repetitions,
                          "--benchmark_format=json"], env=env, capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (out.returncode, program, out.stderr))
    report = json.loads(out.stdout)
    for run in report["benchmarks"]:
        if run.get("error_occurred"):
            sys.exit("%s: %s" % (name, run.get("error_message", "failed")))
    runs = [run for run in report["benchmarks"] if run.get("run_type") == "iteration"]
    if not runs:
        sys.exit("%s: no runs in the report of %s" % (name, program))
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[runs[0].get("time_unit", "ns")]
    return (median([r["real_time"] * scale for r in runs]), median([r["cpu_time"] * scale for r in runs]))


def median(values):
    return statistics.median(values) if values else float("nan")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bdxtool", required=True)
    parser.add_argument("--peer", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--sizes", default="100k,1m")
    parser.add_argument("--window-bench", default="")
    parser.add_argument("--explorer-bench", default="")
    args = parser.parse_args()
    sizes = [s for s in args.sizes.split(",") if s]
    for s in sizes:
        if s not in SIZES:
            sys.exit("unknown size %s (one of %s)" % (s, ", ".join(SIZES)))
    os.makedirs(args.work, exist_ok=True)
    tool = args.bdxtool
    peers = os.path.join(HERE, "peers.py")
    python = sys.executable

    tasks = []
    for size in sizes:
        links, folders = SIZES[size]
        w = lambda name: os.path.join(args.work, name)
        html = w("bookmarks-%s.htm" % size)
        if not os.path.exists(html):
            print("generating %s (%d links in %d folders)" % (html, links, folders), flush=True)
            subprocess.run([python, os.path.join(HERE, "gen_netscape.py"), html, str(links), str(folders)],
                           check=True)
        db = w("links-%s.bdx" % size)
        remove(db)()
        subprocess.run([tool, "import", "netscape", html, "--into", db], check=True)
        into = w("import-%s.bdx" % size)
        tasks += [
            Task("import %s" % size, [tool, "import", "netscape", html, "--into", into],
                 [args.peer, html], remove(into), "libxml2 SAX parse"),
            Task("info %s" % size, [tool, "info", db], [python, peers, "count", db], None, "Python csv.reader"),
            Task("export netscape %s" % size,
                 [tool, "export", "netscape", w("out-%s.htm" % size), "--from", db, "--range", "3"],
                 [python, peers, "netscape", db, w("peer-%s.htm" % size)], None, "Python writer"),
            Task("export bdx %s" % size, [tool, "export", "bdx", w("out-%s.bdx" % size), "--from", db],
                 [python, peers, "bdx", db, w("peer-%s.bdx" % size)], None, "Python csv.writer"),
        ]

    for r in range(args.rounds):
        print("round %d of %d" % (r + 1, args.rounds), flush=True)
        for task in tasks:
            task.a.append(run(task.brindlex, task.before))
            if task.peer:
                task.b.append(run(task.peer, task.before))

    print()
    print("%d rounds, medians; cpu = user + system seconds; ratio = median of the per-round ratios" % args.rounds)
    print("%-24s %8s %8s %8s | %-18s %8s %8s %8s | %7s %7s" % (
        "task", "wall s", "cpu s", "MiB", "peer", "wall s", "cpu s", "MiB", "wall x", "cpu x"))
    by_name = {}
    for t in tasks:
        by_name[t.name] = t
        aw, ac, am = (median([x[i] for x in t.a]) for i in range(3))
        bw, bc, bm = (median([x[i] for x in t.b]) for i in range(3))
        rw = median([a[0] / b[0] for a, b in zip(t.a, t.b)])
        rc = median([a[1] / b[1] for a, b in zip(t.a, t.b)])
        print("%-24s %8.3f %8.3f %8.1f | %-18s %8.3f %8.3f %8.1f | %7.2f %7.2f" % (
            t.name, aw, ac, am, t.peer_name, bw, bc, bm, rw, rc))

    print()
    print("memory (peak RSS, medians)")
    for size in sizes:
        info = median([x[2] for x in by_name["info %s" % size].a])
        for name in ("import %s" % size, "export netscape %s" % size, "export bdx %s" % size):
            rss = median([x[2] for x in by_name[name].a])
            print("  %-24s %8.1f MiB = %.2f x info %s (%.1f MiB)" % (name, rss, rss / info, size, info))

    if "100k" in sizes and "1m" in sizes:
        print()
        print("growth 100k -> 1m (medians)         wall      cpu")
        for name in ("import", "info", "export netscape", "export bdx"):
            small, large = by_name[name + " 100k"].a, by_name[name + " 1m"].a
            wall, cpu = (median([x[i] for x in large]) / median([x[i] for x in small]) for i in range(2))
            print("  %-24s %6.2f x %7.2f x" % (name, wall, cpu))

    if "100k" in sizes and (args.window_bench or args.explorer_bench):
        print()
        print("the window, 100k (Google Benchmark in one process, offscreen; medians of %d)" % args.rounds)
        imported = by_name["import 100k"]
        if args.window_bench:
            wall, cpu = google_benchmark(args.window_bench, "BM_ImportNetscapeGivenFile", args.rounds,
                                         BRINDLEX_BENCH_BOOKMARKS=os.path.join(args.work, "bookmarks-100k.htm"))
            aw = median([x[0] for x in imported.a])
            ac = median([x[1] for x in imported.a])
            print("  %-44s %8.3f s wall %8.3f s cpu = %.2f x / %.2f x bdxtool import 100k" % (
                "import bookmarks-100k.htm (progress, refill)", wall, cpu, wall / aw, cpu / ac))
        if args.explorer_bench:
            wall, cpu = google_benchmark(args.explorer_bench, "BM_StartupWithGivenDatabase", args.rounds,
                                         BRINDLEX_BENCH_DATABASE=os.path.join(args.work, "links-100k.bdx"))
            print("  %-44s %8.3f s wall %8.3f s cpu" % ("start-up with links-100k.bdx", wall, cpu))
    return 0


if __name__ == "__main__":
    sys.exit(main())
