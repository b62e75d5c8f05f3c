# SPDX-License-Identifier: GPL-3.0-or-later
"""The measuring half of bench/startup-ratios (which installs the tools and builds first).

Every pair of commands runs alternately, in swapped order every other round, so that a change in
the machine's load hits both sides alike; the ratio is that of the medians.

CPU time and peak memory come from wait4() (user + system time in microseconds, max RSS). The
window's "mapped" moment is given by the programs themselves: with HYPSOR_STARTUP_PROBE set, hypsor
and the bare window print "mapped NS" (the monotonic clock) once their window is exposed and its
first picture painted, and quit; the start is the monotonic clock read just before spawning. The
windows run maximised on Xvfb (1920x1080) under openbox, as on a desktop.
"""
import argparse
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def spawn(cmd, env, stdout_fd):
    return os.posix_spawn(cmd[0], cmd, env, file_actions=[
        (os.POSIX_SPAWN_DUP2, stdout_fd, 1),
        (os.POSIX_SPAWN_OPEN, 0, os.devnull, os.O_RDONLY, 0),
    ])


def reap(pid, cmd):
    _, status, usage = os.wait4(pid, 0)
    if not os.WIFEXITED(status) or os.WEXITSTATUS(status) != 0:
        sys.exit(f"failed ({status:#x}): {' '.join(cmd)}")
    return usage


def cpu_run(cmd, env):
    """CPU seconds (user + system) and peak memory (KiB) of one run."""
    with open(os.devnull, "wb") as null:
        usage = reap(spawn(cmd, env, null.fileno()), cmd)
    return {"cpu": usage.ru_utime + usage.ru_stime, "rss": usage.ru_maxrss}


def window_run(cmd, env):
    """Seconds from exec to the window's first picture, and peak memory (KiB)."""
    read_end, write_end = os.pipe()
    start = time.monotonic_ns()
    pid = spawn(cmd, env, write_end)
    os.close(write_end)
    output = b""
    deadline = time.monotonic() + 60
    while True:
        ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
        if not ready:
            os.kill(pid, signal.SIGKILL)
            sys.exit(f"no window within 60 s: {' '.join(cmd)}")
        chunk = os.read(read_end, 4096)
        if not chunk:
            break
        output += chunk
    os.close(read_end)
    usage = reap(pid, cmd)
    mapped = [line for line in output.decode().splitlines() if line.startswith("mapped ")]
    if not mapped:
        sys.exit(f"no 'mapped' line from: {' '.join(cmd)}")
    return {"wall": (int(mapped[0].split()[1]) - start) / 1e9, "rss": usage.ru_maxrss}


def alternate(runs, measure, commands, env):
    """Runs each command `runs` times (after two warm-up rounds), interleaved."""
    results = {name: [] for name in commands}
    names = list(commands)
    for round_ in range(runs + 2):
        order = names if round_ % 2 == 0 else names[::-1]
        for name in order:
            sample = measure(commands[name], env)
            if round_ >= 2:
                results[name].append(sample)
    return results


def median(samples, key):
    return statistics.median(s[key] for s in samples)


class Report:
    def __init__(self):
        self.missed = False

    def ratio(self, what, ours, base, key, unit, target=None):
        a, b = median(ours, key), median(base, key)
        r = a / b
        scale = 1000 if unit == "ms" else 1
        verdict = ""
        if target is not None:
            ok = r <= target
            self.missed |= not ok
            verdict = f"target {target:.2f}  {'ok' if ok else 'MISSED'}"
        else:
            verdict = "reference"
        print(f"{what:<52} {a * scale:9.1f} / {b * scale:9.1f} {unit:<3} = {r:5.2f}  {verdict}")


def start_display(tmp):
    """Xvfb at 1920x1080 with openbox; returns (env additions, processes to stop)."""
    for number in range(90, 200):
        if not os.path.exists(f"/tmp/.X11-unix/X{number}") and \
                not os.path.exists(f"/tmp/.X{number}-lock"):
            break
    display = f":{number}"
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=display)
    for _ in range(100):
        if subprocess.run(["xprop", "-root"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0:
            break
        time.sleep(0.1)
    wm = subprocess.Popen(["openbox", "--config-file", os.devnull], env=env,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The window manager is ready once it has announced itself on the root window.
    for _ in range(100):
        probe = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env,
                               capture_output=True, text=True)
        if "window id" in probe.stdout:
            break
        time.sleep(0.1)
    return display, [wm, xvfb]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--runs", type=int, default=40)
    args = parser.parse_args()

    examples = os.path.join(args.root, "examples")
    cli = os.path.join(args.build, "cli", "hypsor-cli")
    gui = os.path.join(args.build, "hypsor")
    bench = os.path.join(args.build, "bench")
    gnuplot = shutil.which("gnuplot")
    largest = max((os.path.join(examples, f) for f in os.listdir(examples) if f.endswith(".hyp")),
                  key=os.path.getsize)
    flight = os.path.join(examples, "flight-50hz-9000.hyp")
    second = os.path.join(examples, "sample-flight.hyp")

    tmp = tempfile.mkdtemp(prefix="hypsor-ratios-")
    base_env = {k: v for k, v in os.environ.items()
                if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                             "HYPSOR_STARTUP_PROBE")}
    # Our settings and preferences, and Qt's runtime folder, stay inside the temporary folder.
    base_env.update(XDG_CONFIG_HOME=os.path.join(tmp, "config"),
                    XDG_RUNTIME_DIR=os.path.join(tmp, "runtime"))
    os.makedirs(base_env["XDG_RUNTIME_DIR"], mode=0o700)

    csv = os.path.join(tmp, "flight.csv")
    with open(csv, "wb") as out:
        subprocess.run([cli, "export", flight], stdout=out, check=True)
    # gnuplot draws what the tool's chart shows: altitude on the left axis, acceleration on the
    # right, both against time.
    script = os.path.join(tmp, "plot.gp")
    with open(script, "w") as gp:
        gp.write(f"""set terminal pngcairo size 1280,720
set output '{tmp}/gnuplot.png'
set datafile separator ','
set key autotitle columnhead
set xlabel '[s]'
set ylabel '[m]'
set y2tics
set grid
plot '{csv}' using 2:5 with lines lw 2 lc rgb 'red', '' using 2:6 axes x1y2 with lines lc rgb 'blue'
""")

    report = Report()
    print(f"{args.runs} alternating runs each; medians (ours / bare)\n")

    info = alternate(args.runs, cpu_run, {
        "cli": [cli, "info", largest],
        "bare": [os.path.join(bench, "hypsor_baseline_info"), largest],
    }, base_env)
    report.ratio(f"hypsor-cli info {os.path.basename(largest)}: CPU", info["cli"], info["bare"],
                 "cpu", "ms", 1.5)

    plots = alternate(args.runs, cpu_run, {
        "cli": [cli, "plot", flight, "--size", "1280x720", "--out", os.path.join(tmp, "cli.png")],
        "gnuplot": [gnuplot, script],
        "bare": [os.path.join(bench, "hypsor_baseline_plot"), csv, "1280", "720",
                 os.path.join(tmp, "bare.png")],
    }, base_env)
    report.ratio("hypsor-cli plot 1280x720 PNG vs gnuplot: CPU", plots["cli"], plots["gnuplot"],
                 "cpu", "ms", 1.10)
    report.ratio("bare QCustomPlot PNG from the CSV vs gnuplot: CPU", plots["bare"],
                 plots["gnuplot"], "cpu", "ms")

    display, servers = start_display(tmp)
    try:
        window_env = dict(base_env, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                          HYPSOR_STARTUP_PROBE="1")
        settings = os.path.join(tmp, "hypsor.par")
        cases = {
            "no file": [],
            "one flight": [flight],
            "two flights": [flight, second],
        }
        for label, files in cases.items():
            windows = alternate(args.runs, window_run, {
                "hypsor": [gui, "--settings", settings] + files,
                "bare": [os.path.join(bench, "hypsor_baseline_window")],
            }, window_env)
            report.ratio(f"hypsor ({label}): exec -> window mapped", windows["hypsor"],
                         windows["bare"], "wall", "ms", 1.25)
            report.ratio(f"hypsor ({label}): peak memory", windows["hypsor"], windows["bare"],
                         "rss", "KiB", 1.20)
    finally:
        for p in servers:
            p.terminate()
            p.wait()
        shutil.rmtree(tmp, ignore_errors=True)

    sys.exit(1 if report.missed else 0)


if __name__ == "__main__":
    main()
