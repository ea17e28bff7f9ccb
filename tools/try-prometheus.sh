#!/usr/bin/env bash
# A real Prometheus (Debian's prometheus) scrapes a Kelvara without a display that reads a fixture sysfs
# tree, and node_exporter's hwmon collector (Debian's prometheus-node-exporter) on the same tree. The query API
# must then return the fixture's temperatures under the chip and sensor labels node_exporter gives them, every
# Kelvara series must join a node_exporter series, and the dashboard's and the alert rule's queries must run.
# The tree is mounted over /sys in a private mount namespace, so it runs as root.
# Usage, from the checkout: tools/try-prometheus.sh [path of kelvara]   (default: build/kelvara)
set -euo pipefail
cd "$(dirname "$0")/.."
kelvara=$(realpath "${1:-build/kelvara}")
for program in prometheus prometheus-node-exporter promtool curl python3 unshare; do
    command -v "$program" >/dev/null || { echo "try-prometheus: $program is missing (apt install prometheus prometheus-node-exporter curl)" >&2; exit 2; }
done
[ "$(id -u)" -eq 0 ] || { echo "try-prometheus: run as root: the fixture is mounted over /sys in a private mount namespace" >&2; exit 2; }
[ -x "$kelvara" ] || { echo "try-prometheus: no program at $kelvara (build it first)" >&2; exit 2; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# The fixture: a coretemp chip (its package channel is Kelvara's CPU package), a graphics card on PCI, a chip
# without a device, and an NVMe drive below a PCI bridge.
sys=$work/sys
chip() { # chip hwmonN device-path-below-devices-or-- name
    mkdir -p "$sys/class/hwmon/$1"
    echo "$3" >"$sys/class/hwmon/$1/name"
    if [ "$2" != -- ]; then
        mkdir -p "$sys/devices/$2"
        ln -s "../../../devices/$2" "$sys/class/hwmon/$1/device"
    fi
}
temp() { # temp hwmonN N millidegrees [label]
    echo "$3" >"$sys/class/hwmon/$1/temp$2_input"
    [ -z "${4:-}" ] || echo "$4" >"$sys/class/hwmon/$1/temp$2_label"
}
chip hwmon0 platform/coretemp.0 coretemp
temp hwmon0 1 52000 "Package id 0"
temp hwmon0 2 45125 "Core 0"
echo 100000 >"$sys/class/hwmon/hwmon0/temp2_max"
echo 110000 >"$sys/class/hwmon/hwmon0/temp2_crit"
chip hwmon1 pci0000:00/0000:02:00.0 amdgpu
temp hwmon1 1 61500 edge
echo 60000 >"$sys/class/hwmon/hwmon1/temp1_max" # the card is in alarm
chip hwmon2 -- acpitz
temp hwmon2 1 27800
chip hwmon3 pci0000:00/0000:00:01.1/0000:01:00.0/nvme/nvme0 nvme
temp hwmon3 1 38850 Composite
mkdir -p "$sys/devices/system/cpu/cpu0/topology"
echo 0 >"$sys/devices/system/cpu/cpu0/topology/physical_package_id"

kelvara_port=$(free_port)
node_port=$(free_port)
prometheus_port=$(free_port)
home=$work/home
mkdir -p "$home"
# Without a display: the lean program when this build has it, else the desktop program on Qt's offscreen platform.
mode=()
if "$kelvara" --help 2>/dev/null | grep -q -- --headless; then mode=(--headless); fi
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
    unshare -m bash -c 'mount --bind "$0" /sys && exec "$@"' "$sys" \
    "$kelvara" "${mode[@]}" --metrics-listen "127.0.0.1:$kelvara_port" >"$work/kelvara.log" 2>&1 &
pids+=($!)
prometheus-node-exporter --path.sysfs="$sys" --collector.disable-defaults --collector.hwmon \
    --web.listen-address="127.0.0.1:$node_port" >"$work/node.log" 2>&1 &
pids+=($!)
cat >"$work/prometheus.yml" <<YAML
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - $PWD/packaging/prometheus/kelvara-rules.yml
scrape_configs:
  - job_name: kelvara
    static_configs: [{ targets: ['127.0.0.1:$kelvara_port'] }]
  - job_name: node
    static_configs: [{ targets: ['127.0.0.1:$node_port'] }]
YAML
promtool check config "$work/prometheus.yml" >/dev/null
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/tsdb" \
    --web.listen-address="127.0.0.1:$prometheus_port" >"$work/prometheus.log" 2>&1 &
pids+=($!)

if KELVARA_LOG=$work/kelvara.log PROMETHEUS="http://127.0.0.1:$prometheus_port" python3 - <<'PYTHON'
import json, os, sys, time, urllib.parse, urllib.request

api = os.environ["PROMETHEUS"] + "/api/v1/query?query="

def query(expression):
    with urllib.request.urlopen(api + urllib.parse.quote(expression), timeout=10) as reply:
        answer = json.load(reply)
    if answer["status"] != "success":
        sys.exit("query failed: %s: %s" % (expression, answer))
    return answer["data"]["result"]

# The fixture's temperatures, as node_exporter labels them.
expected = {
    ("platform_coretemp_0", "temp1"): 52.0,
    ("platform_coretemp_0", "temp2"): 45.125,
    ("pci0000:00_0000:02:00_0", "temp1"): 61.5,
    ("acpitz", "temp1"): 27.8,
    ("nvme_nvme0", "temp1"): 38.85,
}
deadline = time.time() + 60
while True:
    try:
        kelvara = {(s["metric"]["chip"], s["metric"]["sensor"]): float(s["value"][1])
                   for s in query("kelvara_temperature_celsius")}
        node = {(s["metric"]["chip"], s["metric"]["sensor"]): float(s["value"][1])
                for s in query("node_hwmon_temp_celsius")}
        if len(kelvara) == len(expected) and len(node) >= len(expected):
            break
    except OSError:  # Prometheus is starting
        kelvara, node = {}, {}
    if time.time() > deadline:
        print("Kelvara said:\n" + open(os.environ["KELVARA_LOG"]).read(), file=sys.stderr)
        sys.exit("after 60 s Prometheus holds %d Kelvara and %d node_exporter series" % (len(kelvara), len(node)))
    time.sleep(1)

failures = 0
for labels, value in sorted(expected.items()):
    got, theirs = kelvara.get(labels), node.get(labels)
    ok = got == value and theirs == value
    failures += not ok
    print("%-4s chip=%-26s sensor=%-6s kelvara %-8s node_exporter %-8s fixture %s"
          % ("ok" if ok else "FAIL", labels[0], labels[1], got, theirs, value))
joined = query("kelvara_temperature_celsius - on (chip, sensor) node_hwmon_temp_celsius")
if len(joined) != len(expected) or any(float(s["value"][1]) != 0 for s in joined):
    failures += 1
    print("FAIL the join on chip and sensor: %s" % joined)
else:
    print("ok   every Kelvara series joins node_exporter's on chip and sensor, at the same value")

# The dashboard's queries, for every machine, and the alert rule's.
with open("packaging/grafana/kelvara.json") as f:
    dashboard = json.load(f)
expressions = [t["expr"] for p in dashboard["panels"] for t in p.get("targets", [])]
expressions.append("kelvara_temperature_alarm == 1")
instance = query("kelvara_build_info")[0]["metric"]["instance"]
for expression in expressions:
    result = query(expression.replace('=~"$instance"', '=~".+"').replace('"$instance"', '"%s"' % instance))
    print("ok   %d series: %s" % (len(result), expression))
for what, expression in (("the hottest sensor", expressions[0]), ("the sensors in alarm", expressions[1])):
    names = [s["metric"]["name"] for s in query(expression.replace('=~"$instance"', '=~".+"'))]
    ok = names == ["amdgpu edge"]
    failures += not ok
    print("%-4s %s: %s" % ("ok" if ok else "FAIL", what, names))
sys.exit(1 if failures else 0)
PYTHON
then
    echo "try-prometheus: Prometheus scraped Kelvara and node_exporter on the same fixture; the labels join."
else
    echo "try-prometheus: FAILED (the programs' output is in the lines above)" >&2
    exit 1
fi
