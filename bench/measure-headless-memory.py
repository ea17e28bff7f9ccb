#!/usr/bin/env python3
"""Resident memory of Kelvara without windows (`kelvara --headless`) beside node_exporter's, on the same
machine of 40 hardware monitor channels: Kelvara with every sensor's history full (15000 + 500 samples), and
Debian's prometheus-node-exporter with only its hwmon collector, reading the same fixture through
--path.sysfs. Both serve /metrics on the loopback address and are scraped every 5 seconds; at the end each
is scraped 50 times in a row for the median response time. The goal: Kelvara at most node_exporter's
figures.
The fixture is mounted over /sys/class in a private mount namespace for Kelvara, so it runs as root.
Usage, from the checkout: bench/measure-headless-memory.py [SECONDS]   (needs prometheus-node-exporter)"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.request

from measuring import FOLDER, free_port, resident_kilobytes, write, write_full_history

# Four chips of ten channels, as a desktop with a board chip, a processor, a graphics card and drives has.
CHIPS = ["nct6799", "k10temp", "amdgpu", "nvme"]
CHANNELS = 10
NODE_EXPORTER = "prometheus-node-exporter"


def make_sysfs(root):
    for number, name in enumerate(CHIPS):
        chip = os.path.join(root, "class", "hwmon", "hwmon%d" % number)
        write(os.path.join(chip, "name"), name + "\n")
        for n in range(1, CHANNELS + 1):
            write(os.path.join(chip, "temp%d_input" % n), "%d\n" % (30000 + 1000 * n + 250 * number))
            write(os.path.join(chip, "temp%d_crit" % n), "%d\n" % 100000)


def fill_histories(folder):
    """Every data file a first short run wrote, rewritten with both histories full."""
    names = sorted(f for f in os.listdir(folder) if f[:2].isdigit())
    for index, name in enumerate(names):
        write_full_history(os.path.join(folder, name), 30000 + 500 * index)
    return len(names)


def scrape(port):
    return urllib.request.urlopen("http://127.0.0.1:%d/metrics" % port, timeout=5).read()


def watch(process, port, seconds, series):
    """Scrapes every 5 seconds for the given time; then the resident memory in kB of the process (or of the
    program it started, as unshare does) and the median of 50 scrapes in a row in milliseconds."""
    deadline = time.time() + seconds
    scraped, body = 0, b""
    while time.time() < deadline:
        if process.poll() is not None:
            sys.exit("%s ended early (exit code %d)" % (process.args[0], process.returncode))
        try:
            body = scrape(port)
            scraped += 1
        except OSError:
            pass
        time.sleep(min(5, max(0, deadline - time.time())))
    if scraped == 0 or series not in body:
        sys.exit("%s served no %s" % (process.args[0], series.decode()))
    pid = process.pid
    while True:  # unshare, bash and the program they become
        children = open("/proc/%d/task/%d/children" % (pid, pid)).read().split()
        if not children:
            break
        pid = int(children[0])
    resident = resident_kilobytes(pid)
    times = []
    for _ in range(50):
        start = time.perf_counter()
        scrape(port)
        times.append((time.perf_counter() - start) * 1000)
    return resident, statistics.median(times)


def run_kelvara(sysfs, env, seconds):
    port = free_port()
    mount = 'mount -t tmpfs none /sys/class && cp -a "$0"/class/. /sys/class/ && exec "$@"'
    command = [os.path.join(os.getcwd(), "build", "kelvara"), "--headless", "--metrics-listen", str(port)]
    process = subprocess.Popen(["unshare", "-m", "bash", "-c", mount, sysfs] + command, env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        return watch(process, port, seconds, b"kelvara_temperature_celsius")
    finally:
        process.terminate()
        process.wait(timeout=30)


def run_node_exporter(sysfs, seconds):
    port = free_port()
    process = subprocess.Popen([NODE_EXPORTER, "--collector.disable-defaults", "--collector.hwmon",
                                "--path.sysfs=" + sysfs, "--web.listen-address=127.0.0.1:%d" % port],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        return watch(process, port, seconds, b"node_hwmon_temp_celsius")
    finally:
        process.terminate()
        process.wait(timeout=30)


def main():
    seconds = int(sys.argv[1]) if len(sys.argv) > 1 else 30
    if os.geteuid() != 0:
        sys.exit("run as root: the fixture is mounted over /sys/class in a private mount namespace")
    if shutil.which(NODE_EXPORTER) is None:
        sys.exit("%s is not installed (apt-get install prometheus-node-exporter)" % NODE_EXPORTER)
    sysfs, home = tempfile.mkdtemp(), tempfile.mkdtemp()
    try:
        make_sysfs(sysfs)
        env = {key: value for key, value in os.environ.items()
               if key not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS")}
        env.update(HOME=home, XDG_CONFIG_HOME=home, XDG_RUNTIME_DIR=home)
        run_kelvara(sysfs, env, 6)
        sensors = fill_histories(os.path.join(home, FOLDER))
        kelvara, kelvara_ms = run_kelvara(sysfs, env, seconds)
        node_exporter, node_exporter_ms = run_node_exporter(sysfs, seconds)
    finally:
        shutil.rmtree(sysfs)
        shutil.rmtree(home)
    print("kelvara --headless: resident memory %.1f MB, median /metrics %.2f ms (%d sensors, full histories)"
          % (kelvara / 1024, kelvara_ms, sensors))
    print("node_exporter, hwmon collector only: resident memory %.1f MB, median /metrics %.2f ms"
          % (node_exporter / 1024, node_exporter_ms))
    met = kelvara <= node_exporter and kelvara_ms <= node_exporter_ms
    print("goal (Kelvara at most node_exporter's): %s; memory %.0f %%, response time %.0f %% of node_exporter's"
          % ("met" if met else "NOT met", 100.0 * kelvara / node_exporter, 100.0 * kelvara_ms / node_exporter_ms))
    sys.exit(0 if met else 1)


if __name__ == "__main__":
    main()
