"""Measures what a user waits for against the tools they would compare the program
with, each side by side with its reference in the same run, and prints one line a
measure:

    NAME: ratio R (goal G) met|missed - what was compared

Usage: bench.py BUILD_DIR [--quick]. BUILD_DIR is the optimised build (linux-release);
--quick takes fewer runs and smaller files, to try the suite out. Everything runs on
a display of its own against the stand-in server on loopback; the figures also go
to BUILD_DIR/bench-run/results.md as a table.
"""

import os
import random
import shutil
import statistics
import subprocess
import sys
import time
import zipfile

SOURCE = os.path.realpath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(SOURCE, "tests", "support"))

import xvfb  # noqa: E402

MEGABYTE = 1024 * 1024
TICK_MILLISECONDS = 500


class Bench:
    def __init__(self, build, quick):
        self.build = os.path.realpath(build)
        self.quick = quick
        self.runs = 3 if quick else 5
        self.large_bytes = (20 if quick else 200) * MEGABYTE
        self.state = os.path.join(self.build, "bench-run")
        self.www = os.path.join(self.state, "server", "www")
        self.scratch = os.path.join(self.state, "scratch")
        self.results = []

    def program(self, name):
        return os.path.join(self.build, "bench", name) if name != "QuenzInstall" else os.path.join(self.build, name)

    # ------------------------------------------------------------------ set-up
    def start(self, display):
        self.display = display
        shutil.rmtree(self.state, ignore_errors=True)
        subprocess.run(["bash", os.path.join(SOURCE, "tests", "support", "maker-server.sh"), "start",
                        os.path.join(self.state, "server")], check=True)
        with open(os.path.join(self.state, "server", "url")) as f:
            self.url = f.read().strip()

        home = os.path.join(self.state, "home")
        for folder in ("config", "cache", "data", "tmp"):
            os.makedirs(os.path.join(home, folder), exist_ok=True)
        self.environment = display.environment(
            XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_CACHE_HOME=os.path.join(home, "cache"),
            XDG_DATA_HOME=os.path.join(home, "data"), TMPDIR=os.path.join(home, "tmp"),
            QUENZ_CATALOGUE_URL=self.url + "/list.xml")
        self.make_files()

    def stop(self):
        subprocess.run(["bash", os.path.join(SOURCE, "tests", "support", "maker-server.sh"), "stop",
                        os.path.join(self.state, "server")], check=False)

    def make_files(self):
        rng = random.Random(7)
        os.makedirs(os.path.join(self.www, "pictures"))
        os.makedirs(self.scratch)

        # A maker's catalogue of 10,000 items: 1,250 products of eight items each,
        # a picture and software for every platform and area. Eight of the products
        # are plugged in.
        self.connected = [0x1000 + 97 * n for n in range(8)]
        lines = ['<?xml version="1.0" encoding="UTF-8"?>', f'<list driverBaseUrlCN="{self.url}">']
        kinds = [("nuvo", "win64", "cn/en"), ("nuvo", "win32", "cn/en"), ("tw4", "win64", ""),
                 ("tw4", "win32", "cn"), ("echodeck", "win32", "cn"), ("nuvomax", "win64", "en"),
                 ("nuvo", "mac", "cn/en")]
        for product in range(1250):
            pid = self.connected[product] if product < 8 else 0x2000 + product
            name = f"Quenz P{product}"
            lines.append(f'  <item pid="{pid}" area="cn/en" name="{name}" type="pic" file="pictures/p{pid}.png"/>')
            for kind, os_word, area in kinds:
                lines.append(f'  <item pid="{pid}" area="{area}" name="{name}" type="{kind}" os="{os_word}" '
                             f'file="{kind}/{name} {os_word}.zip"/>')
        lines.append("</list>")
        self.catalogue = os.path.join(self.www, "list.xml")
        with open(self.catalogue, "w") as f:
            f.write("\n".join(lines) + "\n")
        for pid in self.connected:
            shutil.copy(os.path.join(SOURCE, "tests", "data", "pictures", "q2.png"),
                        os.path.join(self.www, "pictures", f"p{pid}.png"))

        def devices(pids):
            return "".join(f"P: /devices/pci0000:00/0000:00:14.0/usb1/1-{n + 1}\nE: SUBSYSTEM=usb\n"
                           f"E: DEVTYPE=usb_device\nA: idVendor=2e71\nA: idProduct={pid:04x}\n"
                           f"A: bcdDevice=0100\n\n" for n, pid in enumerate(pids))

        self.eight_devices = os.path.join(self.state, "eight-devices.umockdev")
        with open(self.eight_devices, "w") as f:
            f.write(devices(self.connected))
        self.one_device = os.path.join(self.state, "one-device.umockdev")
        with open(self.one_device, "w") as f:
            f.write(devices(self.connected[:1]))

        # An installer: compressed code and data, which deflate hardly shrinks, and
        # stretches of padding and text, which it does.
        installer = os.path.join(self.www, "Setup.exe")
        with open(installer, "wb") as f:
            written = 0
            while written < self.large_bytes:
                piece = rng.randbytes(MEGABYTE // 2) + bytes(MEGABYTE // 4) + b"Quenz Install " * (MEGABYTE // 56)
                piece = piece[:MEGABYTE]
                f.write(piece)
                written += len(piece)
        self.installer = installer
        self.archive = os.path.join(self.scratch, "Setup.zip")
        with zipfile.ZipFile(self.archive, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
            archive.write(installer, "Setup.exe")

        self.small_archive = os.path.join(self.www, "EchoDeck.zip")
        shutil.copy(os.path.join(SOURCE, "tests", "data", "archives", "one-installer.zip"), self.small_archive)

    # ------------------------------------------------------------------ helpers
    def wall(self, command, **options):
        started = time.monotonic()
        result = subprocess.run(command, env=self.environment, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                text=True, timeout=300, **options)
        elapsed = time.monotonic() - started
        if result.returncode != 0:
            raise RuntimeError(f"{' '.join(command)} ended with {result.returncode}:\n{result.stderr[-3000:]}")
        return elapsed, result.stdout

    def figures(self, command):
        """Runs a command that prints "NAME VALUE" lines; returns each name's values in order."""
        _, output = self.wall(command)
        values = {}
        for line in output.splitlines():
            name, value = line.split()
            values.setdefault(name, []).append(float(value))
        return values

    def shown_milliseconds(self, program):
        _, output = self.wall([self.program("window_watch"), self.program(program)])
        return float(output.split()[1])

    def report(self, name, ratio, goal, at_most, compared, detail):
        met = ratio <= goal if at_most else ratio >= goal
        sign = "≤" if at_most else "≥"
        line = f"{name}: ratio {ratio:.2f} (goal {sign} {goal}) {'met' if met else 'missed'} — {compared}"
        print(line, flush=True)
        print(f"    {detail}", flush=True)
        self.results.append((name, compared, f"{sign} {goal}", f"{ratio:.2f}", "met" if met else "missed", detail))

    # ------------------------------------------------------------------ measures
    def start_up(self):
        ours, theirs = [], []
        for _ in range(self.runs):
            ours.append(self.shown_milliseconds("QuenzInstall"))
            fetch, _ = self.wall(["curl", "-s", "-f", "-o", os.path.join(self.scratch, "list.xml"),
                                  self.url + "/list.xml"])
            theirs.append(fetch * 1000 + self.shown_milliseconds("empty_window"))
        ratio = statistics.median(a / b for a, b in zip(ours, theirs))
        self.report("start-up", ratio, 1.2, True,
                    "process start to window shown, against curl fetching the catalogue + the framework's empty window",
                    f"median {statistics.median(ours):.0f} ms against {statistics.median(theirs):.0f} ms")

    def device_change(self):
        repeats = self.runs + 2
        command = ["umockdev-run", "-d", self.eight_devices, "--", self.program("quenz_bench"), "device-change",
                   self.catalogue, str(repeats)]
        figures = self.figures(command)
        change, parse = figures["change_ms"], figures["parse_ms"]
        ratio = statistics.median(a / b for a, b in zip(change, parse))
        self.report("device change", ratio, 1.5, True,
                    "8 devices and a catalogue of 10,000 items, against one parse of it by the framework's parser "
                    "(its tree freed)",
                    f"median {statistics.median(change):.1f} ms against {statistics.median(parse):.1f} ms")

    def throughput(self, name, ours, theirs, output, goal, compared):
        """Times our command and the reference in turns on the same large file; each
        writes to output, which is removed after every run."""
        remove = shutil.rmtree if output.endswith(os.sep) else os.remove
        times = [], []
        for _ in range(self.runs):
            for command, figures in zip((ours, theirs), times):
                figures.append(self.wall(command)[0])
                remove(output)
        ratio = statistics.median(b / a for a, b in zip(*times))
        size = self.large_bytes // MEGABYTE
        speeds = [size / statistics.median(figures) for figures in times]
        self.report(name, ratio, goal, False, compared.format(size=size),
                    f"median {speeds[0]:.0f} MB/s against {speeds[1]:.0f} MB/s")

    def download(self):
        target = os.path.join(self.scratch, "download.exe")
        url = self.url + "/Setup.exe"
        self.throughput("installer download", [self.program("quenz_bench"), "download", url, target],
                        ["curl", "-s", "-f", "-o", target, url], target, 0.9,
                        "throughput of a {size} MB download over loopback HTTPS, against curl on the same file")

    def unpack(self):
        unpacked = os.path.join(self.scratch, "Setup") + os.sep
        self.throughput("unpacking", [self.program("quenz_bench"), "unpack", self.archive],
                        ["unzip", "-q", "-o", self.archive, "-d", unpacked], unpacked, 0.8,
                        "throughput of unpacking a {size} MB installer archive, against unzip -q -o")

    def word_latency(self):
        size = os.path.getsize(self.small_archive)
        latencies = self.figures([self.program("quenz_bench"), "word-latency", self.url + "/EchoDeck.zip", str(size),
                                  str(self.runs * 2)])["latency_ms"]
        ratio = statistics.median(latencies) / TICK_MILLISECONDS
        self.report("word latency", ratio, 1.0, True,
                    "file complete to \"Downloaded\" reported, against one monitor tick (500 ms)",
                    f"median {statistics.median(latencies):.0f} ms, at most {max(latencies):.0f} ms")

    def idle_cpu(self):
        seconds = 20 if self.quick else 60

        def cpu_seconds(pid):
            total, pending = 0, [pid]
            while pending:
                current = pending.pop()
                try:
                    with open(f"/proc/{current}/stat") as f:
                        fields = f.read().rsplit(")", 1)[1].split()
                    total += int(fields[11]) + int(fields[12])
                    with open(f"/proc/{current}/task/{current}/children") as f:
                        pending += [int(child) for child in f.read().split()]
                except (FileNotFoundError, ProcessLookupError):
                    pass
            return total / os.sysconf("SC_CLK_TCK")

        ours = subprocess.Popen(["umockdev-run", "-d", self.one_device, "--", self.program("QuenzInstall")],
                                env=self.environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Both under the stand-in for the USB bus, which slows every file access a little.
        theirs = subprocess.Popen(["umockdev-run", "-d", self.one_device, "--", self.program("empty_window")],
                                  env=self.environment,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            time.sleep(5)
            start = cpu_seconds(ours.pid), cpu_seconds(theirs.pid)
            time.sleep(seconds)
            end = cpu_seconds(ours.pid), cpu_seconds(theirs.pid)
        finally:
            self.display.close_window("Quenz Install")
            self.display.close_window("Empty Window")
            for process in (ours, theirs):
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        used = end[0] - start[0], end[1] - start[1]
        tick = 1 / os.sysconf("SC_CLK_TCK")
        ratio = max(used[0], tick) / max(used[1], tick)
        self.report("idle CPU", ratio, 1.2, True,
                    f"CPU time over {seconds} s with one simulated device, against the framework's empty window",
                    f"{used[0]:.2f} s against {used[1]:.2f} s")

    def memory(self):
        count = 20 if self.quick else 100
        figures = self.figures([self.program("quenz_bench"), "installs", self.url + "/EchoDeck.zip", str(count)])
        first, last = figures["rss_first_kb"][0], figures["rss_last_kb"][0]
        self.report("memory", last / first, 1.1, True,
                    f"resident size after {count} installs in one process, against after 1",
                    f"{last / 1024:.1f} MB against {first / 1024:.1f} MB")

    def write_table(self):
        path = os.path.join(self.state, "results.md")
        with open(path, "w") as f:
            f.write("| measure | compared with | goal | ratio | | figures |\n|---|---|---|---|---|---|\n")
            for row in self.results:
                f.write("| " + " | ".join(row) + " |\n")
        print(f"\nThe table: {path}")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    bench = Bench(sys.argv[1], "--quick" in sys.argv[2:])
    with xvfb.Xvfb() as display:
        try:
            bench.start(display)
            for measure in (bench.start_up, bench.device_change, bench.download, bench.unpack, bench.word_latency,
                            bench.idle_cpu, bench.memory):
                started = time.monotonic()
                measure()
                print(f"    ({time.monotonic() - started:.0f} s)", flush=True)
            bench.write_table()
        finally:
            bench.stop()


if __name__ == "__main__":
    main()
