#!/usr/bin/env python3
"""Screenshots of Kelvara as a new user of a current PC sees it: 36 sensors with three hours of history, on
X11 (Xvfb, openbox, a tint2 tray) or on Wayland (headless sway), in a light or dark palette, at 100 % or 150 %.
Root (the fixture becomes /sys/class/hwmon in a private mount namespace); needs Xvfb, openbox, tint2, xdotool
and imagemagick, or sway and grim (sway runs as the user "kelvshot", which must exist), and qt6ct for the
palettes. On sway only the first-run windows are taken (there is no xdotool there), with swaybar's tray started
after Kelvara.

Usage, from the checkout: tools/screenshots.py OUT_DIR [x11|sway] [light|dark] [SCALE] [night]
Writes OUT_DIR/<session>-<palette>-<scale>-<step>.png: the first-run windows, the tray six times enlarged, the
preferences, a zoomed graph with its tool tip, a data window made taller, and at 100 % the tool tips of a
renamed drive's row and legend entry. With "night", the history's older half was taken before a night of
suspend (8 hours), which the graphs show as a pause."""
import os, shutil, struct, subprocess, sys, tempfile, time

FOLDER = "Varnholt's Utilities"
KELVARA = os.path.join(os.getcwd(), "build", "kelvara")

# A desktop of today: a Ryzen with eight dies, a board chip, two identical NVMe drives, a graphics card,
# DDR5 modules, Wi-Fi and the ACPI zone; 36 channels in all.
CHIPS = [
    ("acpitz", [(1, 27800, None)]),
    ("k10temp", [(1, 48250, "Tctl")] + [(2 + n, 41000 + 1500 * n, "Tccd%d" % (n + 1)) for n in range(8)]),
    ("nct6799", [(n + 1, 30000 + 1200 * n, label) for n, label in enumerate(
        ["SYSTIN", "CPUTIN", "AUXTIN0", "AUXTIN1", "AUXTIN2", "AUXTIN3", "PECI Agent 0", "PCH_CHIP_TEMP"])]),
    ("nvme", [(1, 38850, "Composite"), (2, 38850, "Sensor 1"), (3, 45850, "Sensor 2")]),
    ("nvme", [(1, 36850, "Composite"), (2, 36850, "Sensor 1"), (3, 43850, "Sensor 2")]),
    ("amdgpu", [(1, 52000, "edge"), (2, 61000, "junction"), (3, 58000, "mem")]),
    ("spd5118", [(1, 37500, None)]), ("spd5118", [(1, 38250, None)]),
    ("spd5118", [(1, 37750, None)]), ("spd5118", [(1, 38500, None)]),
    ("iwlwifi_1", [(1, 42000, None)]),
    ("r8169_0_500:00", [(1, 47000, None)]),
    ("mt7921_phy0", [(1, 44000, None)]),
]
LIMITS = {("amdgpu", 2): 110000, ("nvme", 1): 84850, ("k10temp", 1): 95000}
# The devices of the drives and the card, by chip number, with the files their tool tips are made of. They live
# beside the hardware monitors in the mounted tree (/sys/class/kelvara-devices), as the real /sys/devices stays.
DEVICES = {
    3: ("pci0000:00/0000:00:01.1/0000:01:00.0/nvme/nvme0",
        {"model": "Samsung SSD 980 PRO 1TB\n", "serial": "S5GXNF0R123456A\n"}),
    4: ("pci0000:00/0000:00:01.2/0000:02:00.0/nvme/nvme1",
        {"model": "Samsung SSD 980 PRO 1TB\n", "serial": "S5GXNF0R123789B\n"}),
    5: ("pci0000:00/0000:00:03.1/0000:0a:00.0", {"vendor": "0x1002\n", "device": "0x73bf\n", "class": "0x030000\n",
                                                "power/runtime_status": "active\n"}),
}
# A sensor the user renamed: its hardware name and the name given.
RENAMED = ("nvme Composite 2", "Backup drive")


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def fixture_tree(root):
    for number, (name, channels) in enumerate(CHIPS):
        chip = os.path.join(root, "class", "hwmon", "hwmon%d" % number)
        write(os.path.join(chip, "name"), name + "\n")
        for n, millidegrees, label in channels:
            write(os.path.join(chip, "temp%d_input" % n), "%d\n" % millidegrees)
            if label:
                write(os.path.join(chip, "temp%d_label" % n), label + "\n")
            if (name, n) in LIMITS:
                write(os.path.join(chip, "temp%d_crit" % n), "%d\n" % LIMITS[(name, n)])
        if number in DEVICES:
            path, files = DEVICES[number]
            for file, text in files.items():
                write(os.path.join(root, "class", "kelvara-devices", path, file), text)
            os.symlink(os.path.join("..", "..", "kelvara-devices", path), os.path.join(chip, "device"))


def rename(home):
    """Gives one sensor a name of the user's, as a rename in the preferences or a data window keeps it."""
    path = os.path.join(home, FOLDER, "Kelvara Settings.ini")
    lines = open(path).read().split("\n")
    for line in list(lines):
        number, _, rest = line.partition("\\name=")
        if rest == RENAMED[0]:
            lines.insert(lines.index(line) + 1, "%s\\givenName=%s" % (number, RENAMED[1]))
    with open(path, "w") as f:
        f.write("\n".join(lines))


def run_kelvara(fixture, env, args=(), wait=None):
    script = 'mount -t tmpfs none /sys/class && cp -a "$0"/class/. /sys/class/ && exec "$@"'
    return subprocess.Popen(["unshare", "-m", "bash", "-c", script, fixture, KELVARA] + list(args), env=env,
                            stdout=subprocess.DEVNULL, stderr=open(os.path.join(env["HOME"], "kelvara.log"), "a"))


def give_history(home, minutes):
    """Rewrites every data file that a first short run wrote with a wandering history of that many minutes."""
    folder = os.path.join(home, FOLDER)
    for index, name in enumerate(sorted(f for f in os.listdir(folder) if f[:2].isdigit())):
        base = 30000 + 1500 * (index % 20)
        # The processor's package reads in whole degrees, the hardware monitors in 16.16 fixed point.
        unit = 1 / 1000 if name.endswith("CPU temperature") else 65536 / 1000
        wave = lambda i, period: base + 9000 * ((i * 7 + index * 13) % period) // period
        long_term = [round(wave(i, 97) * unit) for i in range(minutes)]
        short_term = [round(wave(i, 41) * unit) for i in range(500)]
        with open(os.path.join(folder, name), "wb") as f:
            f.write(struct.pack(">iii", 3, min(long_term + short_term), max(long_term + short_term)))
            f.write(struct.pack(">i%di" % minutes, minutes, *long_term))
            f.write(struct.pack(">i500i", 500, *short_term))
    os.remove(os.path.join(folder, "Kelvara Preferences"))


def give_night(home, minutes):
    """Dates the older half of every history before a night of 8 hours, through the timeline the first run
    wrote (its first field on each line is a sensor's key)."""
    path = os.path.join(home, FOLDER, "Kelvara Timeline")
    with open(path) as f:
        lines = f.read().splitlines()
    now = int(time.time())
    newer = minutes // 2
    older = minutes - newer
    newer_start = now - (newer - 1) * 60
    older_start = newer_start - 8 * 3600 - older * 60
    with open(path, "w") as f:
        f.write(lines[0] + "\n")
        for line in lines[1:]:
            f.write("%s %d %d %d %d\n" % (line.split(" ")[0], older_start, older, newer_start, newer))


def palette_settings(home, palette):
    scheme = "darker" if palette == "dark" else "airy"
    write(os.path.join(home, "qt6ct", "qt6ct.conf"),
          "[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/%s.conf\ncustom_palette=true\nstyle=Fusion\n"
          "[Fonts]\nfixed=\"DejaVu Sans Mono,10,-1,5,400,0,0,0,0,0,0,0,0,0,0,1\"\n"
          "general=\"DejaVu Sans,10,-1,5,400,0,0,0,0,0,0,0,0,0,0,1\"\n" % scheme)


def main():
    out = os.path.abspath(sys.argv[1])
    session = sys.argv[2] if len(sys.argv) > 2 else "x11"
    palette = sys.argv[3] if len(sys.argv) > 3 else "light"
    scale = sys.argv[4] if len(sys.argv) > 4 else "1"
    night = len(sys.argv) > 5 and sys.argv[5] == "night"
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp()
    os.chmod(work, 0o755)
    fixture = os.path.join(work, "sys")
    fixture_tree(fixture)
    home = os.path.join(work, "home")
    os.makedirs(home, mode=0o700)
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home, XDG_RUNTIME_DIR=home, QT_QPA_PLATFORMTHEME="qt6ct",
               QT_SCALE_FACTOR=scale, LC_ALL="C.UTF-8")
    first = run_kelvara(fixture, dict(env, QT_QPA_PLATFORM="offscreen"))
    time.sleep(3)
    first.terminate()
    first.wait(timeout=30)
    give_history(home, 180)
    rename(home)
    if night:
        give_night(home, 180)
    palette_settings(home, palette)

    helpers = []
    if session == "x11":
        # A display number that is free: other sessions may run beside this one.
        ready, told = os.pipe()
        helpers.append(subprocess.Popen(["Xvfb", "-displayfd", str(told), "-screen", "0", "1920x1080x24", "-nolisten",
                                         "tcp"], pass_fds=(told,)))
        os.close(told)
        with os.fdopen(ready) as number:
            display = ":" + number.readline().strip()
        env.update(DISPLAY=display, QT_QPA_PLATFORM="xcb")
        time.sleep(1)
        helpers.append(subprocess.Popen(["openbox"], env=env, stderr=subprocess.DEVNULL))
        helpers.append(subprocess.Popen(["tint2"], env=env, stderr=subprocess.DEVNULL))
        shot = lambda path: subprocess.run(["import", "-window", "root", path], env=env, check=True)
        key = lambda keys: subprocess.run(["xdotool", "key"] + keys.split(), env=env)
        def pointer(x, y):
            subprocess.run(["xdotool", "mousemove", str(x), str(y)], env=env)
    else:
        runtime = os.path.join(work, "runtime")
        os.makedirs(runtime, mode=0o700)
        shutil.chown(runtime, "kelvshot")
        config = os.path.join(work, "sway.conf")
        # The bar, whose tray is a StatusNotifierItem host, starts only after Kelvara, as trays do at login.
        write(config, "output HEADLESS-1 resolution 1920x1080\nbar {\n id tray\n position bottom\n"
                      " swaybar_command true\n}\n")
        sway_env = dict(PATH=os.environ["PATH"], XDG_RUNTIME_DIR=runtime, WLR_BACKENDS="headless",
                        WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman", HOME=work)
        # A session bus that both the bar (the user kelvshot) and Kelvara (root, for its fixture) may use.
        bus_config = os.path.join(work, "bus.conf")
        write(bus_config, '<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>'
                          '<policy context="default"><allow user="*"/><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/>'
                          '</policy></busconfig>\n')
        bus = subprocess.Popen(["runuser", "-u", "kelvshot", "--", "dbus-daemon", "--config-file=" + bus_config,
                                "--nofork", "--print-address=1"], env=sway_env, stdout=subprocess.PIPE, text=True)
        helpers.append(bus)
        sway_env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        helpers.append(subprocess.Popen(["runuser", "-u", "kelvshot", "--", "sway", "-c", config], env=sway_env,
                                        stderr=subprocess.DEVNULL))
        time.sleep(2)
        socket = [f for f in os.listdir(runtime) if f.startswith("wayland-") and not f.endswith(".lock")][0]
        env.update(WAYLAND_DISPLAY=os.path.join(runtime, socket), QT_QPA_PLATFORM="wayland",
                   DBUS_SESSION_BUS_ADDRESS=sway_env["DBUS_SESSION_BUS_ADDRESS"])
        ipc = [f for f in os.listdir(runtime) if f.startswith("sway-ipc.")][0]
        def start_tray():
            helpers.append(subprocess.Popen(["runuser", "-u", "kelvshot", "--", "swaybar", "-b", "tray"], env=dict(
                sway_env, WAYLAND_DISPLAY=socket, SWAYSOCK=os.path.join(runtime, ipc)), stderr=subprocess.DEVNULL))
            time.sleep(3)
        def shot(path):
            picture = subprocess.run(["runuser", "-u", "kelvshot", "--", "grim", "-"], env=dict(
                sway_env, WAYLAND_DISPLAY=socket), check=True, stdout=subprocess.PIPE).stdout
            with open(path, "wb") as f:
                f.write(picture)
        def key(keys):
            pass
        def pointer(x, y):
            pass
    name = lambda step: os.path.join(out, "%s-%s-%s%s-%s.png" % (session, palette, scale, "-night" if night else "",
                                                                  step))

    kelvara = run_kelvara(fixture, env)
    time.sleep(5)
    if session != "x11":
        start_tray()
    shot(name("1-first-run"))
    # The tray (tint2's or swaybar's), bottom right, six times as large: the icon's number must be legible.
    subprocess.run(["convert", name("1-first-run"), "-crop", "200x40+1720+1040", "+repage", "-filter", "point",
                    "-resize", "600%", name("1-tray-zoomed")], check=True)
    if session == "x11":
        # The welcome window goes; the preferences come over the graph window.
        key("Escape")
        subprocess.run(["xdotool", "search", "--name", "Welcome to Kelvara", "windowclose"], env=env)
        subprocess.run(["xdotool", "search", "--name", "Temperature History", "windowactivate", "--sync"], env=env)
        key("ctrl+comma")
        time.sleep(1.5)
        shot(name("2-preferences"))
        key("Escape")
        time.sleep(0.5)
        subprocess.run(["xdotool", "search", "--name", "Temperature History", "windowactivate", "--sync",
                        "windowsize", "1000", "600", "windowmove", "100", "440"], env=env)
        key("ctrl+plus")
        time.sleep(0.5)
        pointer(400, 700)
        time.sleep(2.5)
        shot(name("3-graph-zoomed-hover"))
        subprocess.run(["xdotool", "search", "--name", "Temperatures", "windowactivate", "--sync",
                        "windowsize", "700", "1000", "windowmove", "1200", "20"], env=env)
        time.sleep(1.5)
        shot(name("4-data-window-taller"))
        if scale == "1":
            # The renamed drive's row and legend entry, where the fixture puts them at 100 %: their tool tips
            # give the hardware's name and the drive.
            # Qt shows tool tips in the active window only.
            for step, window, (x, y) in (("5-row-tool-tip", "Temperatures", (1240, 922)),
                                         ("6-legend-tool-tip", "Temperature History", (985, 997))):
                subprocess.run(["xdotool", "search", "--name", window, "windowactivate", "--sync"], env=env)
                pointer(x, y)
                time.sleep(2.5)
                shot(name(step))
                pointer(x + 1, y - 400)
                time.sleep(1)
    kelvara.terminate()
    kelvara.wait(timeout=30)
    for helper in reversed(helpers):
        helper.terminate()
        helper.wait(timeout=30)
    shutil.rmtree(work, ignore_errors=True)
    print("\n".join(sorted(os.path.join(out, f) for f in os.listdir(out))))


main()
