#!/usr/bin/env python3
"""Turns cipher_bench's JSON output (run with repetitions) into the markdown results table.

    cipher_table.py cipher_bench.json

Each row is the median of the repetitions; each routine is compared with memcpy of the same
size from the same run. The routines come in the cipher catalogue's order (their place
counter), and each says through its preserves_length counter which target it has.
"""
import json
import sys

REFERENCES = ["Memcpy", "CopyToNewText"]
FLOOR = 300e6  # bytes per second for the run-length and codebook routines


def medians(report):
    """The median rate of every (routine, size), the routines that keep the length, and the
    routines in catalogue order."""
    rates, preserving, places = {}, set(), {}
    for b in report["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name, size = b["run_name"].split("/")
        rates[(name, int(size))] = b["bytes_per_second"]
        if b.get("preserves_length"):
            preserving.add(name)
        places[name] = b.get("place", -1)
    return rates, preserving, sorted(places, key=places.get)


def size_label(size):
    return f"{size >> 20} MiB" if size >= 1 << 20 else f"{size} B"


def rate_label(rate):
    return f"{rate / 1e9:.1f} GB/s" if rate >= 1e9 else f"{rate / 1e6:.0f} MB/s"


def main():
    with open(sys.argv[1]) as f:
        report = json.load(f)
    rates, preserving, routines = medians(report)
    sizes = sorted({size for _, size in rates})
    ciphers = [name for name in routines if name not in REFERENCES]
    names = REFERENCES + [n for n in ciphers if n in preserving] + [n for n in ciphers if n not in preserving]

    print("| Routine | Size | Throughput (median) | Share of memcpy | Target | Met |")
    print("|---|---|---|---|---|---|")
    for size in sizes:
        memcpy = rates[("Memcpy", size)]
        for name in names:
            rate = rates.get((name, size))
            if rate is None:
                continue
            share = f"{100 * rate / memcpy:.0f} %"
            if name in REFERENCES:
                target, met = "reference", ""
            elif name in preserving:
                target, met = "≥ 50 % of memcpy", "yes" if rate >= memcpy / 2 else "**no**"
            else:
                target, met = "≥ 300 MB/s", "yes" if rate >= FLOOR else "**no**"
            print(f"| {name} | {size_label(size)} | {rate_label(rate)} | {share} | {target} | {met} |")


if __name__ == "__main__":
    main()
