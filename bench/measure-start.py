#!/usr/bin/env python3
"""Time from launch to the first window shown, for Kelvara on 12 sensors whose data files hold full
histories (15000 + 500 samples), under Xvfb in a private mount namespace. Root; needs xvfb and xdotool.
Usage, from the checkout: bench/measure-start.py [RUNS] [COMMAND...]"""
import os, shutil, subprocess, sys, tempfile, time

from measuring import FOLDER, write, write_full_history


runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
command = sys.argv[2:] or [os.path.join(os.getcwd(), "build", "kelvara")]
fixture = tempfile.mkdtemp()
chip = os.path.join(fixture, "class", "hwmon", "hwmon0")
write(os.path.join(chip, "name"), "it8728\n")
for n in range(1, 13):
    write(os.path.join(chip, "temp%d_input" % n), "%d\n" % (30000 + 1000 * n))
display = ":85"
xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x900x24", "-nolisten", "tcp"],
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
while subprocess.run(["xdotool", "getdisplaygeometry"], env=dict(os.environ, DISPLAY=display),
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
    time.sleep(0.1)
script = 'mount -t tmpfs none /sys/class && cp -a "$0"/class/. /sys/class/ && exec "$@"'
times = []
for run in range(runs + 1):
    home = tempfile.mkdtemp()
    folder = os.path.join(home, FOLDER)
    os.makedirs(folder, mode=0o700)
    for n in range(1, 13):
        write_full_history(os.path.join(folder, "%02d it8728 temp%d" % (n, n)), 30000 + 1000 * n)
    env = dict(os.environ, DISPLAY=display, HOME=home, XDG_CONFIG_HOME=home, XDG_RUNTIME_DIR=home,
               QT_QPA_PLATFORM="xcb")
    start = time.monotonic()
    process = subprocess.Popen(["unshare", "-m", "bash", "-c", script, fixture] + command, env=env,
                               stdout=subprocess.DEVNULL)
    while subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(process.pid), "--name", "."],
                         env=env, stdout=subprocess.DEVNULL).returncode != 0:
        if process.poll() is not None:
            sys.exit("%s ended before it showed a window" % command[0])
        time.sleep(0.005)
    elapsed = time.monotonic() - start
    process.terminate()
    process.wait(timeout=30)
    shutil.rmtree(home)
    if run > 0:  # the first run warms the caches
        times.append(elapsed * 1000)
xvfb.terminate()
shutil.rmtree(fixture)
times.sort()
print("%s: first window after %.0f ms (median of %d; %.0f to %.0f)"
      % (os.path.basename(command[0]), times[len(times) // 2], len(times), times[0], times[-1]))
