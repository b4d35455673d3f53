"""The USB scan on Linux against simulated devices: catalogue_probe --scan runs in
a umockdev test bed whose sysfs holds just the devices of each case."""

import argparse
import subprocess
import sys
import tempfile
import unittest

options = None
HUB = "/devices/pci0000:00/0000:00:14.0/usb1"


def device(node, vendor, product, interfaces=0):
    """umockdev records for a USB device node and its interface nodes."""
    records = [f"P: {HUB}/{node}\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
               f"A: idVendor={vendor}\nA: idProduct={product}\nA: bcdDevice=0100\n"]
    for number in range(interfaces):
        records.append(f"P: {HUB}/{node}/{node}:1.{number}\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n"
                       f"A: bInterfaceNumber={number:02x}\n")
    return records


ROOT_HUB = [f"P: {HUB}\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=1d6b\nA: idProduct=0002\nA: bcdDevice=0606\n"]

CASES = [
    ("no device of the maker", ROOT_HUB + device("1-1", "046d", "c52b", 2), []),
    ("composite device: device node and two interfaces give one id", ROOT_HUB + device("1-1", "2e71", "00a1", 2),
     ["0x00A1"]),
    ("two products, in the order the system lists them",
     ROOT_HUB + device("1-1", "2e71", "00b2", 1) + device("1-2", "2e71", "00a1", 1), ["0x00B2", "0x00A1"]),
    ("other vendors among the maker's devices",
     ROOT_HUB + device("1-1", "046d", "00a1") + device("1-2", "2e71", "0010") + device("1-3", "2e72", "00c3"),
     ["0x0010"]),
]


def scan(records):
    with tempfile.NamedTemporaryFile("w", suffix=".umockdev") as testbed:
        testbed.write("\n".join(records))
        testbed.flush()
        result = subprocess.run(["umockdev-run", "--device", testbed.name, "--", options.probe, "--scan"],
                                capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr
    return result.stdout.splitlines()


class UsbScanTests(unittest.TestCase):
    def test_scan_reports_the_makers_devices(self):
        for name, records, expected in CASES:
            with self.subTest(name):
                self.assertEqual(scan(records), expected)

    def test_a_product_id_below_0x1000_finds_its_software(self):
        [device_id] = scan(ROOT_HUB + device("1-1", "2e71", "00a1", 1))
        with tempfile.NamedTemporaryFile("w", suffix=".xml") as catalogue:
            catalogue.write('<list driverBaseUrlCN="https://dl.example">'
                            '<item pid="161" name="Quenz Mini" type="nuvolite" os="mac" file="l.zip"/></list>')
            catalogue.flush()
            result = subprocess.run([options.probe, catalogue.name, device_id],
                                    capture_output=True, text=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("<nuvolitemaccn/en>https://dl.example/l.zip", result.stdout.splitlines())


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", required=True)
    options, remaining = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + remaining, verbosity=2)
