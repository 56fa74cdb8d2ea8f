#!/usr/bin/python3
"""Compares the Netscape bookmark import with a BeautifulSoup-based import of the same file.

Usage: bs4_compare.py BUILD_DIR [LINKS]

Generates the benchmark's bookmark file (LINKS links, default 100000) with bench_netscape,
parses it with BeautifulSoup (python3-bs4, html.parser) into folders and links, times the
C++ import through the benchmark, and prints both times and their ratio.
"""
import json
import os
import subprocess
import sys
import tempfile
import time

from bs4 import BeautifulSoup


def bs4_import(path):
    """Folders and links the way a BeautifulSoup importer would collect them."""
    with open(path, encoding="utf-8") as f:
        soup = BeautifulSoup(f, "html.parser")
    folders = 0
    links = []
    for tag in soup.find_all(["h3", "a"]):
        if tag.name == "h3":
            folders += 1
        else:
            links.append((tag.get_text(), tag.get("href")))
    return folders, links


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
    bench = os.path.join(build, "bench", "formats", "bench_netscape")
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "bookmarks.htm")
        subprocess.run([bench, "--generate", path, str(count)], check=True)
        start = time.perf_counter()
        folders, links = bs4_import(path)
        bs4_seconds = time.perf_counter() - start
    out = subprocess.run([bench, "--benchmark_filter=^Import/%d/" % count, "--benchmark_format=json"],
                         check=True, capture_output=True, text=True).stdout
    run = json.loads(out)["benchmarks"][0]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
    cpp_seconds = run["real_time"] * scale
    print("links: %d in %d folders" % (len(links), folders))
    print("BeautifulSoup import: %.3f s" % bs4_seconds)
    print("Brindlex import:      %.3f s" % cpp_seconds)
    print("ratio:                %.1fx faster" % (bs4_seconds / cpp_seconds))
    return 0


if __name__ == "__main__":
    sys.exit(main())
