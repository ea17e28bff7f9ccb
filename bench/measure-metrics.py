#!/usr/bin/env python3
"""The median time to answer GET /metrics, Kelvara side by side with node_exporter's hwmon collector, on one
fixture sysfs tree of CHANNELS temperature channels (default 40, on five chips): each request on a new
connection, as Prometheus's scrapes come, timed from the connect to the last byte. Kelvara answers from the
readings it already holds; node_exporter reads the tree at every scrape. Kelvara reads the tree mounted over
/sys in a private mount namespace, node_exporter the same tree through --path.sysfs, so it runs as root.
Usage, from the checkout: bench/measure-metrics.py [REQUESTS] [CHANNELS] [path of kelvara]"""
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from measuring import free_port, write


def make_sysfs(root, channels):
    """Chips of eight channels each on platform devices, each channel with a label, max and crit."""
    for n in range(channels):
        chip, channel = divmod(n, 8)
        folder = os.path.join(root, "class", "hwmon", "hwmon%d" % chip)
        if channel == 0:
            device = os.path.join(root, "devices", "platform", "nct6775.%d" % (656 + chip))
            os.makedirs(device, exist_ok=True)
            os.makedirs(folder, exist_ok=True)
            os.symlink(os.path.relpath(device, folder), os.path.join(folder, "device"))
            write(os.path.join(folder, "name"), "nct6798\n")
        prefix = os.path.join(folder, "temp%d_" % (channel + 1))
        write(prefix + "input", "%d\n" % (30000 + 125 * n))
        write(prefix + "label", "SENSOR %d\n" % n)
        write(prefix + "max", "90000\n")
        write(prefix + "crit", "100000\n")


def scrape(port):
    """Seconds from the connect to the end of the response, and the response."""
    start = time.perf_counter()
    with socket.create_connection(("127.0.0.1", port)) as s:
        s.sendall(b"GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n")
        chunks = []
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            chunks.append(chunk)
    return time.perf_counter() - start, b"".join(chunks)


def wait_for(port, needle, seconds=30):
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            _, body = scrape(port)
            if needle in body:
                return
        except OSError:
            pass
        time.sleep(0.2)
    sys.exit("nothing answered on port %d with %r" % (port, needle))


def median_ms(port, requests):
    times = [scrape(port)[0] for _ in range(requests)]
    return statistics.median(times) * 1000, statistics.quantiles(times, n=20)[-1] * 1000


def main():
    requests = int(sys.argv[1]) if len(sys.argv) > 1 else 500
    channels = int(sys.argv[2]) if len(sys.argv) > 2 else 40
    kelvara = os.path.realpath(sys.argv[3] if len(sys.argv) > 3 else "build/kelvara")
    if os.geteuid() != 0:
        sys.exit("run as root: the fixture is mounted over /sys in a private mount namespace")
    sysfs, home = tempfile.mkdtemp(), tempfile.mkdtemp()
    processes = []
    try:
        make_sysfs(sysfs, channels)
        kelvara_port, node_port = free_port(), free_port()
        help_text = subprocess.run([kelvara, "--help"], capture_output=True, text=True).stdout
        mode = ["--headless"] if "--headless" in help_text else []
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update(HOME=home, XDG_CONFIG_HOME=home, XDG_RUNTIME_DIR=home, QT_QPA_PLATFORM="offscreen")
        mount = 'mount --bind "$0" /sys && exec "$@"'
        processes.append(subprocess.Popen(
            ["unshare", "-m", "bash", "-c", mount, sysfs, kelvara] + mode
            + ["--metrics-listen", "127.0.0.1:%d" % kelvara_port],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        processes.append(subprocess.Popen(
            ["prometheus-node-exporter", "--path.sysfs=" + sysfs, "--collector.disable-defaults",
             "--collector.hwmon", "--web.listen-address=127.0.0.1:%d" % node_port],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for(kelvara_port, b"kelvara_temperature_celsius{")
        wait_for(node_port, b"node_hwmon_temp_celsius{")
        for _ in range(20):  # warm both up
            scrape(kelvara_port)
            scrape(node_port)
        results = {}
        # Taking turns, so that other work on the machine weighs on both alike.
        for _ in range(5):
            for name, port in (("kelvara", kelvara_port), ("node_exporter", node_port)):
                results.setdefault(name, []).append(median_ms(port, requests // 5))
        for name, runs in results.items():
            size = len(scrape(kelvara_port if name == "kelvara" else node_port)[1])
            print("%-14s median %.2f ms, 95th percentile %.2f ms over %d requests (%d channels, %d bytes)"
                  % (name, statistics.median(r[0] for r in runs), statistics.median(r[1] for r in runs),
                     requests, channels, size))
    finally:
        for process in processes:
            process.terminate()
            process.wait(timeout=30)
        shutil.rmtree(sysfs)
        shutil.rmtree(home)


if __name__ == "__main__":
    main()
