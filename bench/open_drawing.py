#!/usr/bin/env python3
"""Opens the site plan of a million shapes in the desktop program and reports the wall
time to the first frame (--screenshot saves the window after its first paint and ends
the program) and the peak memory, beside two anchors from the same run: the program
started on an empty drawing, and reading the file as `cat` does.

    bench/open_drawing.py BUILD_DIR [--json OUT.json]

Runs under xvfb-run (Mesa's software renderer) when there is no display."""
import json
import os
import resource
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


def best(runs):
    """The fastest run, and the largest peak seen."""
    return min(r[0] for r in runs), max(r[1] for r in runs)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = sys.argv[1]
    out_json = sys.argv[sys.argv.index("--json") + 1] if "--json" in sys.argv else None
    program = os.path.join(build, "src/gui/marquetta")
    maker = os.path.join(build, "bench/make_site_drawing")
    work = tempfile.mkdtemp(prefix="marquetta_open_")
    drawing = os.path.join(work, "site.trn")
    subprocess.run([maker, drawing], check=True)
    size_mb = os.path.getsize(drawing) / 1e6
    env, server = start_display()
    env["HOME"] = work  # keep the runs out of the user's settings
    try:
        shot = os.path.join(work, "shot.png")
        # Each child is measured in its own interpreter so that ru_maxrss is its own.
        def measure(args):
            runs = []
            for _ in range(RUNS):
                code = ("import resource,subprocess,sys,time;t=time.monotonic();"
                        "r=subprocess.run(sys.argv[1:],stdout=subprocess.DEVNULL);"
                        "w=time.monotonic()-t;"
                        "print(r.returncode,w,resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
                out = subprocess.run([sys.executable, "-c", code] + args, env=env,
                                     capture_output=True, text=True, check=True).stdout.split()
                if out[0] != "0":
                    sys.exit(f"{args[0]} failed")
                runs.append((float(out[1]), int(out[2]) / 1024.0))
            return best(runs)
        empty = measure([program, "--screenshot", shot])
        opened = measure([program, drawing, "--screenshot", shot])
        cat = measure(["cat", drawing])
    finally:
        if server:
            server.terminate()
            server.wait()
    result = {
        "file_mb": size_mb,
        "open_s": opened[0], "open_peak_mb": opened[1],
        "empty_s": empty[0], "empty_peak_mb": empty[1],
        "cat_s": cat[0],
    }
    print(f"site plan: {size_mb:.1f} MB")
    print(f"open to first frame: {opened[0]:.2f} s, peak {opened[1]:.0f} MB "
          f"({opened[1] / size_mb:.2f} x the file)")
    print(f"anchor, empty drawing: {empty[0]:.2f} s, peak {empty[1]:.0f} MB")
    print(f"anchor, cat of the file: {cat[0]:.2f} s")
    if out_json:
        with open(out_json, "w") as f:
            json.dump(result, f, indent=1)
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
