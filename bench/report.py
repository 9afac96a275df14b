#!/usr/bin/env python3
"""Prints one table from the benchmark JSON files and the Python peer's timings.
usage: report.py PEER_JSON BENCH_JSON..."""
import json
import sys


def load_benchmarks(paths):
    rows = {}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            for b in json.load(f)["benchmarks"]:
                if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                    continue
                rows[b["name"].removesuffix("_median")] = b
    return rows


def millis(bench):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[bench["time_unit"]]
    return bench["real_time"] * scale


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        peer = json.load(f)
    rows = load_benchmarks(sys.argv[2:])

    print(f"{'measurement':<44}{'ours':>12}{'peer (python re)':>18}{'peer/ours':>11}{'MB/s':>9}")
    print("-" * 94)
    for name, bench in rows.items():
        ours = millis(bench)
        shown = name.replace("/repeats:1", "").replace("/manual_time", "")
        line = f"{shown:<44}{ours:>10.2f}ms"
        if name.startswith("BM_Extraction/"):
            songs = name.split("/")[1]
            peer_ms = peer[songs]["seconds"] * 1e3
            mbps = peer[songs]["bytes"] / 1e6 / (ours / 1e3)
            line += f"{peer_ms:>16.2f}ms{peer_ms / ours:>10.1f}x{mbps:>9.1f}"
        elif "peak_rss_mb" in bench:
            line += (f"{'':>29}   peak RSS {bench['peak_rss_mb']:.0f} MB, "
                     f"longest GUI stall {bench['longest_stall_ms']:.1f} ms")
        elif "bytes_per_second" in bench:
            line += f"{'':>29}{bench['bytes_per_second'] / 1e6:>9.1f}"
        print(line)


if __name__ == "__main__":
    main()
