#!/usr/bin/env python3
"""Writes compare/ComparisonData.h and compare/ComparisonData.cpp: the token arrays of the comparison
database, 56 machine models with their sensors and the measured (minimum, maximum) pairs of each.

The models, identifiers, speeds, sensor names and the number of measurements per sensor are those of the
machines; the readings themselves are representative values, made here from a fixed seed so that the
output is the same byte for byte at every run and on every Python 3:

    tools/generate_comparison_data.py           rewrites both files
    tools/generate_comparison_data.py --check   exits 1 when a committed file differs from its regeneration
"""

import os
import sys

SEED = 0x4B454C5641524131  # fixed: the readings must never change between runs
CREDITS = "Kelvara reference data"
DIVIDER = None

# (token array, display name, model identifier, speed token, [(sensor name, measurements), ...])
ENTRIES = [
    ("IBOOKG3_300", "iBook G3, 300MHz", "PowerBook2,1", "300.0", [("CPU temperature", 1)]),
    ("IBOOKG3_500", "iBook G3, 500MHz", "PowerBook4,1", "500.0", [("CPU temperature", 1)]),
    ("IBOOKG3_600", "iBook G3, 600MHz", "PowerBook4,1", "600.0", [("CPU temperature", 5)]),
    DIVIDER,
    ("PBG3_0400", "PowerBook G3, FireWire, 400MHz", "PowerBook3,1", "400.0", [("CPU temperature", 7)]),
    ("PBG3_0500", "PowerBook G3, FireWire, 500MHz", "PowerBook3,1", "500.0", [("CPU temperature", 4)]),
    DIVIDER,
    ("IMAC_G3_0500", "iMac G3, 500MHz", "PowerMac4,1", "500.0", [("CPU temperature", 1)]),
    ("IMAC_G3_0700", "iMac G3, 700MHz", "PowerMac4,1", "700.0", [("CPU temperature", 2)]),
    DIVIDER,
]

IBOOK_G4 = ["PWR/MEMORY BOTTOMSIDE", "CPU BOTTOMSIDE", "GPU ON DIE", "BATTERY"]
ENTRIES += [
    ("IBOOKG4_12_0800", "iBook G4, 12-in, 800MHz", "PowerBook6,3", "799.0", [(s, 51) for s in IBOOK_G4]),
    ("IBOOKG4_14_0933", "iBook G4, 14-in, 933MHz", "PowerBook6,3", "933.0", [(s, 12) for s in IBOOK_G4]),
    ("IBOOKG4_14_0999", "iBook G4, 14-in, 1GHz", "PowerBook6,3", "999.0", [(s, 10) for s in IBOOK_G4]),
    ("IBOOKG4_1066_April2004", "iBook G4, 1GHz (April 2004)", "PowerBook6,5", "1066.0", [(s, 6) for s in IBOOK_G4]),
    ("IBOOKG4_1199_April2004", "iBook G4, 1.2GHz (April 2004)", "PowerBook6,5", "1199.0",
     [(s, 20) for s in IBOOK_G4]),
    ("IBOOKG4_1333_June2004", "iBook G4, 1.3GHz (June 2004)", "PowerBook6,5", "1333.0", [(s, 9) for s in IBOOK_G4]),
    DIVIDER,
    ("G4_CUBE_0450", "Power Mac G4 Cube, 450MHz", "PowerMac5,1", "450.0", [("CPU temperature", 11)]),
    ("G4_CUBE_0500", "Power Mac G4 Cube, 500MHz", "PowerMac5,1", "500.0", [("CPU temperature", 3)]),
    DIVIDER,
]

G4_DUAL = ["CPU 1 temperature", "CPU 2 temperature"]
G4_MDD = ["Core temperature", "Fan sensor temperature"]
ENTRIES += [
    ("G4_1x_0400", "Power Mac G4, AGP, 400MHz", "PowerMac3,1", "400.0", [("CPU temperature", 3)]),
    ("G4_1x_0450", "Power Mac G4, AGP, 450MHz", "PowerMac3,1", "450.0", [("CPU temperature", 4)]),
    ("G4_2x_0450", "Power Mac G4, Gigabit, Dual 450MHz", "PowerMac3,3", "450.0", [(s, 6) for s in G4_DUAL]),
    ("G4_1x_0500", "Power Mac G4, AGP, 500MHz", "PowerMac3,1", "500.0", [("CPU temperature", 6)]),
    ("G4_2x_0500", "Power Mac G4, Gigabit, Dual 500MHz", "PowerMac3,3", "500.0", [(s, 9) for s in G4_DUAL]),
    ("G4_2x_0867", "Power Mac G4, Mirror Door, Dual 867MHz", "PowerMac3,6", "867.0", [(s, 20) for s in G4_MDD]),
    ("G4_1x_1000", "Power Mac G4, FW800, 1.0GHz", "PowerMac3,6", "999.0", [(s, 6) for s in G4_MDD]),
    ("G4_2x_1000", "Power Mac G4, Mirror Door, Dual 1.0GHz", "PowerMac3,6", "999.0", [(s, 30) for s in G4_MDD]),
    ("G4_1x_1249", "Power Mac G4, Mirror Door, 1.25GHz", "PowerMac3,6", "1249.0", [(s, 10) for s in G4_MDD]),
    ("G4_2x_1249", "Power Mac G4, Mirror Door, Dual 1.25GHz", "PowerMac3,6", "1249.0", [(s, 30) for s in G4_MDD]),
    ("G4_2x_1420", "Power Mac G4, FW800, Dual 1.42GHz", "PowerMac3,6", "1416.0", [(s, 15) for s in G4_MDD]),
    DIVIDER,
]

PB12 = ["HDD BOTTOMSIDE", "CPU TOPSIDE", "GPU ON DIE", "BATTERY"]
PB15 = ["CPU/INTREPID BOTTOMSIDE", "CPU BOTTOMSIDE", "PWR SUPPLY BOTTOMSIDE", "BATTERY"]
ENTRIES += [
    ("PBG4_12_0867", "PowerBook G4, 12-in, 867MHz", "PowerBook6,1", "867.0",
     [("GPU TOPSIDE", 91), ("CPU BOTTOMSIDE", 91)]),
    ("PBG4_12_1000", "PowerBook G4, 12-in DVI, 1.0GHz", "PowerBook6,2", "999.0", [(s, 70) for s in PB12]),
    ("PBG4_12_1333", "PowerBook G4, 12-in, 1.333GHz", "PowerBook6,4", "1333.0", [(s, 40) for s in PB12]),
    ("PBG4_12_1499", "PowerBook G4, 12-in, 1.5GHz", "PowerBook6,8", "1499.0", [(s, 15) for s in PB12]),
    ("PBG4_15_1000", "PowerBook G4, 15-in (Al), 1.0GHz", "PowerBook5,2", "999.0", [(s, 23) for s in PB15]),
    ("PBG4_15_1249", "PowerBook G4, 15-in (Al), 1.25GHz", "PowerBook5,2", "1249.0", [(s, 130) for s in PB15]),
    ("PBG4_15_1333", "PowerBook G4, 15-in (Al), 1.33GHz", "PowerBook5,4", "1333.0", [(s, 13) for s in PB15]),
    ("PBG4_15_1499", "PowerBook G4, 15-in (Al), 1.5GHz", "PowerBook5,4", "1499.0", [(s, 55) for s in PB15]),
    ("PBG4_15_1666", "PowerBook G4, 15-in (Al), 1.67GHz", "PowerBook5,6", "1666.0",
     [(s, 5) for s in PB15[:3] + ["TRACK PAD"]]),
    ("PBG4_17_1000", "PowerBook G4, 17-in, 1.0GHz", "PowerBook5,1", "999.0",
     [(s, 55) for s in ["GPU BOTTOMSIDE", "PWR SUPPLY BOTTOMSIDE", "CPU BOTTOMSIDE"]]),
    ("PBG4_17_1333", "PowerBook G4, 17-in, 1.33GHz", "PowerBook5,3", "1333.0", [(s, 49) for s in PB15]),
    ("PBG4_17_1499", "PowerBook G4, 17-in, 1.5GHz", "PowerBook5,5", "1499.0", [(s, 19) for s in PB15]),
    DIVIDER,
]

G5_SINGLE = ["DRIVE BAY", "BACKSIDE", "U3 HEATSINK", "MLB MAX6690 AMB", "MLB INLET AMB", "CPU A AD7417 AMB"]
G5_DUAL = G5_SINGLE + ["CPU B AD7417 AMB"]
G5_JUNE = ["DRIVE BAY", "BACKSIDE", "U3 HEATSINK", "CPU A AD7417 AMB", "CPU B AD7417 AMB"]
G5_QUAD = ["DRIVE BAY", "MLB INLET AMB", "BACKSIDE", "KODIAK DIODE", "TUNNEL", "TUNNEL HEATSINK", "gpu-diode",
           "CPU A0 DIODE TEMP", "CPU A1 DIODE TEMP", "CPU B0 DIODE TEMP", "CPU B1 DIODE TEMP"]
ENTRIES += [
    ("G5_1x_1600", "Power Mac G5, 1.6GHz", "PowerMac7,2", "1600.0", [(s, 28) for s in G5_SINGLE]),
    ("G5_1x_1800", "Power Mac G5, 1.8GHz", "PowerMac7,2", "1800.0", [(s, 55) for s in G5_SINGLE]),
    # Fixed tokens, with no credits: the database's telling example.
    ("G5_1x_1800_Oct2004", "Power Mac G5, 1.8GHz (OCT 2004)", "PowerMac9,1", "1800.0",
     [("CPU T-Diode", ["71.0"], ["127.0"]), ("DRIVE BAY", ["62.0"], ["86.0"])]),
    ("G5_2x_1800", "Power Mac G5, Dual 1.8GHz", "PowerMac7,2", "1800.0", [(s, 87) for s in G5_DUAL]),
    ("G5_2x_1800_June2004", "Power Mac G5, Dual 1.8GHz (June 2004)", "PowerMac7,3", "1800.0",
     [(s, 27) for s in G5_DUAL]),
    ("G5_2x_2000", "Power Mac G5, Dual 2.0GHz", "PowerMac7,2", "2000.0", [(s, 254) for s in G5_DUAL]),
    ("G5_2x_2000_June2004", "Power Mac G5, Dual 2.0GHz (June 2004)", "PowerMac7,3", "2000.0",
     [(s, 38) for s in G5_JUNE]),
    ("G5_2x_2300", "Power Mac G5, Dual 2.3GHz", "PowerMac7,3", "2300.0", [(s, 1) for s in G5_JUNE]),
    ("G5_2x_2500_June2004", "Power Mac G5, Dual 2.5GHz (June 2004)", "PowerMac7,3", "2500.0",
     [(s, 34) for s in G5_JUNE]),
    ("G5_2x_2700", "Power Mac G5, Dual 2.7GHz", "PowerMac7,3", "2700.0", [(s, 11) for s in G5_JUNE]),
    ("G5_4x_2500", "Power Mac G5, Quad 2.5GHz", "PowerMac11,2", "2500.0", [(s, 1) for s in G5_QUAD]),
    DIVIDER,
    ("XServe_G4_0999", "Xserve G4, 1GHz", "RackMac1,1", "1000.0", [(s, 1) for s in G4_MDD]),
    DIVIDER,
]

IMAC_G5 = ["CPU T-Diode", "Hard drive"]
IMAC_ISIGHT = ["ODD Temp", "HD Temp", "NB Ambient", "NB Temp", "GPU Ambient", "GPU Temp", "CPU T-Diode",
               "Incoming Air Temp"]
ENTRIES += [
    ("IMAC_G5_1600", "iMac G5, 1.6GHz", "PowerMac8,1", "1600.0", [(s, 5) for s in IMAC_G5]),
    ("IMAC_G5_1800", "iMac G5, 1.8GHz", "PowerMac8,1", "1800.0", [("CPU T-Diode", 22), ("Hard drive", 20)]),
    ("IMAC_G5_1900_ISIGHT", "iMac G5, 1.9GHz (iSight)", "PowerMac12,1", "1899.0", [(s, 1) for s in IMAC_ISIGHT]),
    ("IMAC_G5_2000", "iMac G5, 2.0GHz", "PowerMac8,1", "2000.0", [(s, 30) for s in IMAC_G5]),
    ("IMAC_G5_2100_ISIGHT", "iMac G5, 2.1GHz (iSight)", "PowerMac12,1", "2100.0", [(s, 2) for s in IMAC_ISIGHT]),
    DIVIDER,
    # Fixed tokens, with no credits; its readings are bare integers.
    ("MACPRO_4X_3000", "Mac Pro Quad 3.0GHz", "MacPro1,1", "3000.0",
     [("Thermal Sensor 1", ["80"], ["118.0"]), ("Thermal Sensor 2", ["84"], ["127.0"])]),
]

# What a kind of sensor reads, in whole degrees Fahrenheit: the span of its idle minimum and of its load
# maximum over many machines, and whether it follows the processor's speed. Drive bays and inlets sit near
# room temperature; processor diodes and heat sinks run far hotter and spread wider.
KINDS = {
    "CPU temperature": (92, 124, 118, 168, True),
    "CPU 1 temperature": (92, 120, 118, 164, True),
    "CPU 2 temperature": (94, 122, 120, 166, True),
    "Core temperature": (102, 128, 132, 176, True),
    "Fan sensor temperature": (80, 98, 94, 118, False),
    "PWR/MEMORY BOTTOMSIDE": (84, 104, 100, 126, False),
    "CPU BOTTOMSIDE": (90, 114, 114, 152, True),
    "GPU ON DIE": (104, 130, 130, 172, False),
    "BATTERY": (76, 90, 86, 106, False),
    "GPU TOPSIDE": (90, 110, 108, 140, False),
    "HDD BOTTOMSIDE": (82, 100, 96, 122, False),
    "CPU TOPSIDE": (90, 112, 114, 150, True),
    "CPU/INTREPID BOTTOMSIDE": (92, 112, 114, 146, True),
    "PWR SUPPLY BOTTOMSIDE": (84, 102, 100, 128, False),
    "TRACK PAD": (78, 90, 86, 102, False),
    "GPU BOTTOMSIDE": (92, 112, 114, 148, False),
    "DRIVE BAY": (68, 86, 80, 104, False),
    "BACKSIDE": (84, 104, 100, 132, False),
    "U3 HEATSINK": (108, 134, 128, 166, False),
    "MLB MAX6690 AMB": (80, 96, 94, 116, False),
    "MLB INLET AMB": (68, 84, 78, 98, False),
    "CPU A AD7417 AMB": (84, 104, 104, 136, True),
    "CPU B AD7417 AMB": (86, 106, 106, 138, True),
    "CPU T-Diode": (100, 130, 138, 192, True),
    "Hard drive": (86, 104, 100, 126, False),
    "ODD Temp": (80, 96, 90, 112, False),
    "HD Temp": (86, 104, 100, 126, False),
    "NB Ambient": (86, 100, 96, 118, False),
    "NB Temp": (110, 134, 130, 162, False),
    "GPU Ambient": (90, 106, 104, 126, False),
    "GPU Temp": (110, 134, 140, 182, False),
    "Incoming Air Temp": (68, 84, 78, 96, False),
    "KODIAK DIODE": (118, 140, 140, 172, False),
    "TUNNEL": (80, 96, 94, 116, False),
    "TUNNEL HEATSINK": (90, 110, 110, 136, False),
    "gpu-diode": (108, 134, 134, 176, False),
    "CPU A0 DIODE TEMP": (104, 130, 140, 200, True),
    "CPU A1 DIODE TEMP": (104, 130, 142, 202, True),
    "CPU B0 DIODE TEMP": (106, 132, 142, 204, True),
    "CPU B1 DIODE TEMP": (106, 132, 144, 206, True),
}

# The bounds of the readings: minima 24..176, maxima 32..262 degrees Fahrenheit.
MIN_LOW, MIN_HIGH = 24, 176
MAX_LOW, MAX_HIGH = 32, 262


class Random:
    """SplitMix64: small, fast and the same in every Python version."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFFFFFFFFFF

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & 0xFFFFFFFFFFFFFFFF
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
        return z ^ (z >> 31)

    def uniform(self):
        return (self.next() >> 11) / float(1 << 53)

    def between(self, low, high):
        """An integer from low to high, both included."""
        return low + self.next() % (high - low + 1)


def clamp(value, low, high):
    return max(low, min(high, value))


def readings(random, speed, sensors):
    """Each submission is one machine in one room: its warmth (room and case) and how hard it was worked
    raise all its sensors together; each sensor adds its own scatter."""
    submissions = max(count for _, count in sensors)
    machines = [(random.uniform(), random.uniform()) for _ in range(submissions)]
    # Faster processors of one family run hotter.
    heat = clamp((speed - 900) // 160, 0, 10)
    result = []
    for name, count in sensors:
        min_low, min_high, max_low, max_high, follows_speed = KINDS[name]
        extra = heat if follows_speed else heat // 3
        minima, maxima = [], []
        for warmth, load in machines[:count]:
            low = min_low + extra + round((min_high - min_low) * (0.7 * warmth + 0.3 * random.uniform()))
            high = max_low + extra + round((max_high - max_low) * (0.5 * load + 0.3 * warmth + 0.2 * random.uniform()))
            chance = random.uniform()
            if chance < 0.004:
                # A sensor that read nonsense at idle: a cold glitch.
                low = random.between(MIN_LOW, 40)
            elif chance < 0.007:
                # A spike under load.
                high = random.between(210, MAX_HIGH)
            elif chance < 0.011:
                # A submission whose maximum came out below its minimum (a reset in between).
                high = low - random.between(1, 9)
            minima.append(clamp(low, MIN_LOW, MIN_HIGH))
            maxima.append(clamp(high, MAX_LOW, MAX_HIGH))
        result.append((name, minima, maxima))
    return result


def token(random, fahrenheit):
    # Most submissions wrote "104.0"; some wrote the bare integer.
    return '"%d"' % fahrenheit if random.uniform() < 0.06 else '"%d.0"' % fahrenheit


def c_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def wrapped(tokens, indent, width=116):
    lines, line = [], indent
    for item in tokens:
        piece = item + ","
        if line.strip() and len(line) + 1 + len(piece) > width:
            lines.append(line)
            line = indent
        line = line + piece if not line.strip() else line + " " + piece
    if line.strip():
        lines.append(line)
    return lines


HEADER = """\
// The comparison database's token arrays, one per machine model, in the grammar that ComparisonSystem reads:
// name, model identifier, speed, each sensor's minimum and maximum readings (whole degrees Fahrenheit, one
// pair per measurement), the credits. The readings are representative values, not submitted measurements.
// Generated by tools/generate_comparison_data.py from a fixed seed: regenerate it, do not edit it.
"""


def source_files():
    random = Random(SEED)
    declarations, definitions = [], []
    points = 0
    for entry in ENTRIES:
        if entry is DIVIDER:
            continue
        array, name, identifier, speed, sensors = entry
        declarations.append("extern const char* const %s[];" % array)
        lines = ["const char* const %s[] = {" % array,
                 "    %s, %s, %s," % (c_string(name), c_string(identifier), c_string(speed))]
        fixed = isinstance(sensors[0][1], list)
        if fixed:
            groups = [(s, ['"%s"' % t for t in lo], ['"%s"' % t for t in hi]) for s, lo, hi in sensors]
        else:
            groups = [(s, [token(random, f) for f in lo], [token(random, f) for f in hi])
                      for s, lo, hi in readings(random, int(float(speed)), sensors)]
        for sensor, minima, maxima in groups:
            points += len(minima)
            lines.append("    %s," % c_string(sensor))
            lines += wrapped(minima + ['"DATAEND"'], " " * 8)
            lines += wrapped(maxima + ['"DATAEND"'], " " * 8)
        lines.append('    "SENSOREND",')
        if not fixed:
            lines.append("    %s," % c_string(CREDITS))
        lines.append('    "END",')
        lines.append("};")
        definitions.append("\n".join(lines))
    assert points == 6402, points

    header = (HEADER + "#pragma once\n\n// clang-format off\nnamespace ComparisonData {\n\n"
              + "\n".join(declarations) + "\n\n}\n// clang-format on\n")
    source = (HEADER + '#include "compare/ComparisonData.h"\n\n// clang-format off\nnamespace ComparisonData {\n\n'
              + "\n\n".join(definitions) + "\n\n}\n// clang-format on\n")
    return {"compare/ComparisonData.h": header, "compare/ComparisonData.cpp": source}


def main(arguments):
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    check = arguments[1:] == ["--check"]
    if arguments[1:] and not check:
        print(__doc__, file=sys.stderr)
        return 2
    differing = []
    for path, text in source_files().items():
        full = os.path.join(root, path)
        if check:
            try:
                with open(full, "rb") as existing:
                    if existing.read() != text.encode("utf-8"):
                        differing.append(path)
            except OSError:
                differing.append(path)
        else:
            with open(full, "wb") as out:
                out.write(text.encode("utf-8"))
    for path in differing:
        print("%s differs from its regeneration" % path, file=sys.stderr)
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
