#!/usr/bin/env python3
"""Opens the benchmarks' drawings in the desktop program and reports the wall time to
the first frame (--screenshot saves the window after its first paint and ends the
program), the processor time it took (all its threads, user and system: what the load
of other work on the machine stretches least) and the peak memory, beside anchors from the same run: the program started on
an empty drawing, reading the file as `cat` does, and, with --baseline, another build
of the program (today's way of painting, built from an earlier commit) opening the same
files. Each figure is the best of three runs (the largest peak of the three); the runs
of the programs take turns, so that a change in the machine's load falls on all alike.

    bench/open_drawing.py BUILD_DIR [--json OUT.json] [--baseline PROGRAM]
                          [--drawings site,spread]

The drawings: "site", the site plan of a million shapes over 20 km; "spread", 800,000
lines and 160,000 circles scattered over 100 km. Runs under a virtual display (Mesa's
software renderer) when there is no display."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

RUNS = 3


def start_display():
    """A virtual display for the runs, unless one is set: (environment, server)."""
    env = dict(os.environ)
    if env.get("DISPLAY"):
        return env, None
    display = ":%d" % (90 + os.getpid() % 400)
    server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    env["DISPLAY"] = display
    env["LIBGL_ALWAYS_SOFTWARE"] = "1"
    return env, server


def option(name, default=None):
    return sys.argv[sys.argv.index(name) + 1] if name in sys.argv else default


def main():
    if len(sys.argv) < 2 or sys.argv[1].startswith("-"):
        sys.exit(__doc__)
    build = sys.argv[1]
    out_json = option("--json")
    baseline = option("--baseline")
    drawings = option("--drawings", "site,spread").split(",")
    program = os.path.join(build, "src/gui/marquetta")
    maker = os.path.join(build, "bench/make_site_drawing")
    work = tempfile.mkdtemp(prefix="marquetta_open_")
    env, server = start_display()
    env["HOME"] = work  # keep the runs out of the user's settings
    shot = os.path.join(work, "shot.png")

    def once(args):
        """One run in an interpreter of its own, so that ru_maxrss is the child's own."""
        code = ("import resource,subprocess,sys,time;t=time.monotonic();"
                "r=subprocess.run(sys.argv[1:],stdout=subprocess.DEVNULL);"
                "w=time.monotonic()-t;"
                "u=resource.getrusage(resource.RUSAGE_CHILDREN);"
                "print(r.returncode,w,u.ru_maxrss,u.ru_utime+u.ru_stime)")
        out = subprocess.run([sys.executable, "-c", code] + args, env=env,
                             capture_output=True, text=True, check=True).stdout.split()
        if out[0] != "0":
            sys.exit(f"{' '.join(args)} failed")
        return float(out[1]), int(out[2]) / 1024.0, float(out[3])

    def measure(commands):
        """{name: (best seconds, largest peak MB, least processor seconds)} over RUNS
        rounds, taking turns."""
        runs = {name: [] for name in commands}
        for _ in range(RUNS):
            for name, args in commands.items():
                runs[name].append(once(args))
        return {name: (min(r[0] for r in rs), max(r[1] for r in rs), min(r[2] for r in rs))
                for name, rs in runs.items()}

    result = {"load_before": os.getloadavg()[0]}
    try:
        programs = {"new": program}
        if baseline:
            programs["baseline"] = baseline
        for drawing in drawings:
            path = os.path.join(work, drawing + ".trn")
            subprocess.run([maker, path] + (["--spread"] if drawing == "spread" else []), check=True)
            size_mb = os.path.getsize(path) / 1e6
            # The empty program takes its turns among the same runs, so that it meets
            # the same load.
            commands = {}
            for name, p in programs.items():
                commands["empty_" + name] = [p, "--screenshot", shot]
                commands[name] = [p, path, "--screenshot", shot]
            commands["cat"] = ["cat", path]
            opened = measure(commands)
            result[f"{drawing}_file_mb"] = size_mb
            result[f"{drawing}_cat_s"] = opened["cat"][0]
            print(f"{drawing}: {size_mb:.1f} MB, cat {opened['cat'][0]:.2f} s")
            for name in programs:
                seconds, peak, cpu = opened[name]
                empty_s, empty_peak, empty_cpu = opened["empty_" + name]
                result[f"{drawing}_{name}_s"], result[f"{drawing}_{name}_peak_mb"] = seconds, peak
                result[f"{drawing}_{name}_cpu_s"] = cpu
                result[f"{drawing}_empty_{name}_s"] = empty_s
                result[f"{drawing}_empty_{name}_peak_mb"] = empty_peak
                result[f"{drawing}_empty_{name}_cpu_s"] = empty_cpu
                print(f"  {name}: first frame {seconds:.2f} s ({seconds - empty_s:+.2f} s on the empty "
                      f"program's {empty_s:.2f} s), processor {cpu:.2f} s ({cpu - empty_cpu:+.2f} s on "
                      f"its {empty_cpu:.2f} s), peak {peak:.0f} MB ({peak - empty_peak:+.0f} MB on "
                      f"its {empty_peak:.0f} MB, {(peak - empty_peak) / size_mb:.2f} x the file)")
            os.remove(path)
    finally:
        if server:
            server.terminate()
            server.wait()
        shutil.rmtree(work, ignore_errors=True)
    result["load_after"] = os.getloadavg()[0]
    print(f"load {result['load_before']:.1f} before, {result['load_after']:.1f} after")
    if out_json:
        with open(out_json, "w") as f:
            json.dump(result, f, indent=1)


if __name__ == "__main__":
    main()
