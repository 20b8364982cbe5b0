"""Prints the benchmark table from the files scripts/bench leaves in DIR:
logger.json (Google Benchmark), runs.json (hyperfine), vrenlist.rss,
vrcheck.rss, vrdelist.rss and bare.rss (peak resident set sizes in KiB, one run a line),
and NAME.instructions (instructions callgrind counted in one run of each; vrcheck-json is
vrcheck --json, vrcheck-stopped is vrcheck with the runtime not running, answered from its
records, and vrcheck-stopped-json the same with --json, vrcheck-stopped-300 the same
with 300 more processes to look through for the app; vrcheck-log is vrcheck with 1 MiB
of the runtime's log to read)."""
import json
import statistics
import sys
from pathlib import Path

out = Path(sys.argv[1])

logger = {}
for bench in json.loads((out / "logger.json").read_text())["benchmarks"]:
    if bench.get("aggregate_name") == "median":
        # ns per line over all threads together: 1 / throughput
        per_second = bench.get("items_per_second")
        logger[bench["run_name"]] = 1e9 / per_second if per_second else bench["real_time"]


def ns(name, threads):
    suffix = "/real_time/threads:%d" % threads
    return logger.get(name + suffix, logger.get(name))


rows = []
for threads in (1, 2):
    ours = ns("consoleLoggerInfo", threads)
    # One thread may use spdlog's unlocked sink; two need the locked one.
    sink = "spdlogStderrSingleThreadedSink" if threads == 1 else "spdlogStderrMultiThreadedSink"
    spd = ns(sink, threads)
    floor = ns("writeFloor", threads)
    label = "%d thread%s" % (threads, "s" if threads > 1 else "")
    rows.append(("ConsoleLogger, " + label, "%.0f ns/line" % ours,
                 "ours/spdlog %.2f, ours/floor %.2f" % (ours / spd, ours / floor)))
    rows.append(("spdlog stderr sink (%s), %s" % ("_st" if threads == 1 else "_mt", label),
                 "%.0f ns/line" % spd, ""))
    rows.append(("write(2) floor, " + label, "%.0f ns/line" % floor, ""))
rows.append(("the same line through std::cerr, 1 thread", "%.0f ns/line" % ns("cerrWriteFloor", 1),
             "cerr/floor %.2f" % (ns("cerrWriteFloor", 1) / ns("writeFloor", 1))))
rows.append(("clock read + local-time conversion", "%.0f ns" % ns("clockAndLocalTime", 1), ""))
rows.append(("dropped below threshold, in the sink", "%.2f ns" % ns("droppedInSink", 1), "target < 2 ns"))
rows.append(("dropped below threshold, through ILogger", "%.2f ns" % ns("droppedThroughInterface", 1), ""))
rows.append(("composed, then dropped (front-end)", "%.0f ns" % ns("composedThenDropped", 1), ""))

runs = {r["command"]: r for r in json.loads((out / "runs.json").read_text())["results"]}
bare = runs["bare"]
for name, label in (("vrenlist", "vrenlist whole run (success road, store unchanged)"),
                    ("vrcheck", "vrcheck whole run (all in place)"),
                    ("vrdelist", "vrdelist whole run (success road, store unchanged)"),
                    ("undo", "vrdelist undoing a fresh registration")):
    tool = runs[name]
    rows.append((label, "%.2f ms mean, %.2f ms median" % (tool["mean"] * 1e3, tool["median"] * 1e3),
                 "/bare %.3f (mean), %.3f (median)" % (tool["mean"] / bare["mean"],
                                                       tool["median"] / bare["median"])))
rows.append(("bare VR_Init + VR_Shutdown", "%.2f ms mean, %.2f ms median" % (bare["mean"] * 1e3,
                                                                             bare["median"] * 1e3), ""))


def peak(name):
    return statistics.median(int(line) for line in (out / (name + ".rss")).read_text().split())


def instructions(name):
    return int((out / (name + ".instructions")).read_text().replace(",", ""))


for name in ("vrenlist", "vrcheck", "vrcheck-json", "vrcheck-log", "vrcheck-stopped",
             "vrcheck-stopped-json", "vrcheck-stopped-300", "vrdelist"):
    rows.append(("instructions, %s / bare (callgrind)" % name,
                 "%d / %d" % (instructions(name), instructions("bare")),
                 "/bare %.3f" % (instructions(name) / instructions("bare"))))

bare_rss = peak("bare")
for name in ("vrenlist", "vrcheck", "vrdelist"):
    tool_rss = peak(name)
    rows.append(("peak memory, %s / bare" % name, "%d KiB / %d KiB" % (tool_rss, bare_rss),
                 "difference %+d KiB" % (tool_rss - bare_rss)))

width = [max(len(r[i]) for r in rows) for i in range(3)]
print("| %s | %s | %s |" % ("measure".ljust(width[0]), "value".ljust(width[1]), "ratio".ljust(width[2])))
print("|%s|%s|%s|" % ("-" * (width[0] + 2), "-" * (width[1] + 2), "-" * (width[2] + 2)))
for row in rows:
    print("| %s | %s | %s |" % tuple(cell.ljust(w) for cell, w in zip(row, width)))
