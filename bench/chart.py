#!/usr/bin/python3
"""Draws the side-by-side chart of docs/PERFORMANCE.md from the results of
bench/process.sh (JSON lines): one panel per CGI case and one for the process
start, a bar per program (PHP 8 + PDO, the floor, zylgrid, and the old
zylgrid when the run had one), median wall time with its standard deviation;
then the server CPU per request of `zylgrid serve` when the run measured it.

    bench/chart.py RESULTS.jsonl docs/images/side-by-side.png

Needs Debian's python3-matplotlib (scripts/install-deps bench), hence Debian's python3.
"""
import json
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

LABELS = {"php": "PHP 8 + PDO", "floor": "floor (C, SQLite)", "zylgrid": "zylgrid",
          "old": "zylgrid before"}
COLOURS = {"php": "#7a86b8", "floor": "#9aa5b1", "zylgrid": "#2f7d4f", "old": "#d9a441"}
ORDER = ["php", "floor", "old", "zylgrid"]


def bars(axis, values, errors, unit):
    names = [n for n in ORDER if n in values]
    xs = range(len(names))
    axis.bar(xs, [values[n] for n in names], yerr=[errors.get(n, 0) for n in names],
             color=[COLOURS[n] for n in names], capsize=3)
    axis.set_xticks(list(xs), [LABELS[n] for n in names], rotation=30, ha="right", fontsize=8)
    top = max(values[n] + errors.get(n, 0) for n in names)
    axis.set_ylim(0, top * 1.18)
    for x, n in zip(xs, names):
        axis.text(x, values[n] + errors.get(n, 0) + top * 0.02,
                  ("%.2f" if values[n] < 10 else "%.1f") % values[n],
                  ha="center", fontsize=8)
    axis.set_ylabel(unit, fontsize=8)
    axis.tick_params(axis="y", labelsize=8)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    records = [json.loads(line) for line in open(sys.argv[1]) if line.strip()]
    cases = [r for r in records if r["section"] in ("cgi", "start")]
    serve = [r for r in records if r["section"] == "serve-cpu"]
    if not cases and not serve:
        sys.exit("chart.py: %s holds no figures" % sys.argv[1])
    panels = len(cases) + (1 if serve else 0)
    figure, axes = plt.subplots(1, panels, figsize=(2.6 * panels, 3.8), squeeze=False)
    for axis, record in zip(axes[0], cases):
        bars(axis, record["median_ms"], record["stddev_ms"], "ms per request")
        title = record["case"].split(" (")[0] if record["section"] == "cgi" else "process start"
        axis.set_title(title.replace(", ", "\n", 1), fontsize=9)
    if serve:
        axis = axes[0][-1]
        names = {r["program"]: r["cpu_ms"] for r in serve}
        bars(axis, {n: v["40"] for n, v in names.items()}, {}, "server CPU ms per request")
        axis.set_title("zylgrid serve, 10k rows\n40 per page", fontsize=9)
    load = max(r["load"] for r in records if "load" in r)
    figure.suptitle("One request, side by side in one run (CGI: process start to last byte; "
                    "1-minute load up to %.1f)" % load, fontsize=10)
    figure.tight_layout()
    figure.savefig(sys.argv[2], dpi=110)


if __name__ == "__main__":
    main()
