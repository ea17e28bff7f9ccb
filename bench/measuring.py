"""What the measuring scripts share: fixture files as the kernel and Kelvara write them, and what they read
of a running process."""
import os
import socket
import struct

# The data folder below the home folder.
FOLDER = "Varnholt's Utilities"


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def fixed(millidegrees):
    """A hardware monitor reading as the 16.16 fixed point of the data files."""
    return int(round(millidegrees * 65536 / 1000))


def write_full_history(path, base):
    """A version 3 data file whose two histories are full, so that nothing grows while we measure."""
    long_term = [fixed(base + (i % 600) * 10) for i in range(15000)]
    short_term = [fixed(base + (i % 50) * 10) for i in range(500)]
    with open(path, "wb") as f:
        f.write(struct.pack(">iii", 3, min(long_term), max(long_term)))
        for history in (long_term, short_term):
            f.write(struct.pack(">i%di" % len(history), len(history), *history))


def resident_kilobytes(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]
