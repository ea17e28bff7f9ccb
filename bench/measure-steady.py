#!/usr/bin/env python3
"""What a temperature monitor costs while it just watches: its CPU share of one core and its resident
memory, measured over SECONDS after a 10 s warm-up, on a machine of 12 hardware monitor channels whose
data files already hold full histories (15000 + 500 samples), with the windows of a first run open under
Xvfb. The fixture tree is mounted over /sys/class in a private mount namespace, so it runs as root.
Run it on build/kelvara and on another monitor in one session to compare them. It also counts the memory
pages the monitor touches in a round of 5 seconds, a measure that moves less from hour to hour. With
--scrape-every S, the monitor is also given --metrics-listen on a free port of this machine, and /metrics is
fetched every S seconds throughout, as a Prometheus server would.
Usage, from the checkout: bench/measure-steady.py [--scrape-every S] [SECONDS] [COMMAND...]   (needs xvfb)"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

from measuring import FOLDER, free_port, resident_kilobytes, write, write_full_history

SENSORS = 12
WARM_UP_SECONDS = 10


def make_sysfs(root):
    """One sensor chip with twelve channels below <root>/class, as the kernel lays out /sys/class."""
    chip = os.path.join(root, "class", "hwmon", "hwmon0")
    write(os.path.join(chip, "name"), "it8728\n")
    for n in range(1, SENSORS + 1):
        write(os.path.join(chip, "temp%d_input" % n), "%d\n" % (30000 + 1000 * n))


def start_xvfb():
    """An X server on a free display; -displayfd tells its number once it accepts clients."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x900x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        sys.exit("Xvfb did not start")
    return server, ":" + number


def cpu_times(pid):
    """Nanoseconds on a CPU so far, per thread of the process: the scheduler counts them exactly, where
    the clock ticks of /proc/PID/stat (10 ms) are too coarse for a process that mostly sleeps."""
    times = {}
    for thread in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, thread)) as f:
                times[thread] = int(f.read().split()[0])
        except FileNotFoundError:  # the thread ended meanwhile
            pass
    return times


def cpu_seconds_between(before, after):
    """The CPU time the threads alive at the end used since before (a thread started since counts whole)."""
    return sum(ns - before.get(thread, 0) for thread, ns in after.items()) / 1e9


def pages_touched(pid, program, rounds=3):
    """The memory pages the monitor touches in a 5-second sampling round, all its threads together: the
    median over a few rounds, in all and of its own (its heap, stacks and program file; a page of a shared
    library counts when any process on the machine touched it). On a virtual machine whose processor sleeps
    between wake-ups, every page a wake-up touches is cold again, so the CPU time of a round grows with this
    count more than with the work done. It is a steadier measure than the CPU share, which moves by two or
    three times from one hour to the next on a shared machine."""
    counts = []
    for _ in range(rounds):
        with open("/proc/%d/clear_refs" % pid, "w") as f:
            f.write("1")
        time.sleep(5)
        whole = own = 0
        mapping = ""
        with open("/proc/%d/smaps" % pid) as f:
            for line in f:
                fields = line.split()
                if not fields[0].endswith(":"):
                    mapping = fields[5] if len(fields) > 5 else "[anon]"
                elif fields[0] == "Referenced:":
                    pages = int(fields[1]) // 4
                    whole += pages
                    # A program may exec a lean one of its own in its place (kelvara --headless).
                    if mapping in ("[heap]", "[anon]", "[stack]") or os.path.basename(mapping).startswith(program):
                        own += pages
        counts.append((whole, own))
    return sorted(counts)[len(counts) // 2]


def scrape(port):
    """One GET /metrics on a new connection, as Prometheus makes it; the bytes of the response."""
    with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
        s.sendall(b"GET /metrics HTTP/1.1\r\nHost: localhost\r\nAccept: text/plain\r\n\r\n")
        received = b""
        while chunk := s.recv(65536):
            received += chunk
    return received


def keep_scraping(port, every, stop, scrapes):
    while not stop.wait(every):
        try:
            if scrape(port).startswith(b"HTTP/1.1 200"):
                scrapes.append(time.monotonic())
        except OSError as error:
            print("scrape failed: %s" % error, file=sys.stderr)


def main():
    arguments = sys.argv[1:]
    every = None
    if arguments[:1] == ["--scrape-every"]:
        every = float(arguments[1])
        arguments = arguments[2:]
    seconds = int(arguments[0]) if arguments else 60
    command = arguments[1:] or [os.path.join(os.getcwd(), "build", "kelvara")]
    port = free_port() if every else None
    if port:
        command = command + ["--metrics-listen", "127.0.0.1:%d" % port]
    if os.geteuid() != 0:
        sys.exit("run as root: the fixture is mounted over /sys/class in a private mount namespace")
    sysfs, home = tempfile.mkdtemp(), tempfile.mkdtemp()
    server = monitor = None
    try:
        make_sysfs(sysfs)
        folder = os.path.join(home, FOLDER)
        os.makedirs(folder, mode=0o700)
        for n in range(1, SENSORS + 1):
            write_full_history(os.path.join(folder, "%02d it8728 temp%d" % (n, n)), 30000 + 1000 * n)
        server, display = start_xvfb()
        env = dict(os.environ, DISPLAY=display, HOME=home, XDG_CONFIG_HOME=home, XDG_RUNTIME_DIR=home,
                   QT_QPA_PLATFORM="xcb")
        mount = 'mount -t tmpfs none /sys/class && cp -a "$0"/class/. /sys/class/ && exec "$@"'
        monitor = subprocess.Popen(["unshare", "-m", "bash", "-c", mount, sysfs] + command, env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(WARM_UP_SECONDS)
        if monitor.poll() is not None:
            sys.exit("%s ended during the warm-up (exit code %d)" % (command[0], monitor.returncode))
        stop, scrapes = threading.Event(), []
        scraper = threading.Thread(target=keep_scraping, args=(port, every, stop, scrapes)) if port else None
        start = cpu_times(monitor.pid)
        if scraper:
            scraper.start()
        time.sleep(seconds)
        used = cpu_seconds_between(start, cpu_times(monitor.pid))
        resident = resident_kilobytes(monitor.pid)
        touched, own = pages_touched(monitor.pid, os.path.basename(command[0]))
        if scraper:
            stop.set()
            scraper.join()
    finally:
        for process in (monitor, server):
            if process is not None and process.poll() is None:
                process.terminate()
                process.wait(timeout=30)
        shutil.rmtree(sysfs)
        shutil.rmtree(home)
    scraped = ", /metrics fetched %d times" % len(scrapes) if port else ""
    print("%s: CPU %.3f %% of one core over %d s, resident memory %d MB,"
          " %d pages touched a round (%d of its own) (%d sensors, full histories%s)" % (os.path.basename(command[0]), 100.0 * used / seconds, seconds,
                                               resident // 1024, touched, own, SENSORS, scraped))


if __name__ == "__main__":
    main()
