"""The USB scan of the real Windows build under Wine, against devices in the
prefix's registry: catalogue_probe --scan lists what scanUsbDevices() returns."""

import argparse
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import wine_session  # noqa: E402
import wine_usb  # noqa: E402

options = None


def scan():
    code, output = wine_session.run(options.probe, "--scan")
    assert code == 0, output
    return output.splitlines()


class UsbScanTests(unittest.TestCase):
    def setUp(self):
        self.plugged = []

    def tearDown(self):
        for device_key in self.plugged:
            wine_usb.unplug(device_key)

    def plug(self, device_key, instance, *hardware_ids):
        wine_usb.plug(device_key, instance, hardware_ids)
        self.plugged.append(device_key)

    def test_none_of_the_makers_devices(self):
        self.plug("VID_046D&PID_C52B", "1", r"USB\VID_046D&PID_C52B&REV_1200", r"USB\VID_046D&PID_C52B")
        self.assertEqual(scan(), [])

    def test_composite_device_gives_one_id_and_unplugging_removes_it(self):
        self.plug("VID_2E71&PID_00A1", "SERIAL1", r"USB\VID_2E71&PID_00A1&REV_0100", r"USB\VID_2E71&PID_00A1")
        self.plug("VID_2E71&PID_00A1&MI_00", "6&1&0", r"USB\VID_2E71&PID_00A1&REV_0100&MI_00")
        self.plug("VID_2E71&PID_00A1&MI_01", "6&1&1", r"USB\VID_2E71&PID_00A1&REV_0100&MI_01")
        self.assertEqual(scan(), ["0x00A1"])

        for device_key in self.plugged:
            wine_usb.unplug(device_key)
        self.plugged = []
        self.assertEqual(scan(), [])

    def test_two_products_and_a_lower_case_vendor(self):
        self.plug("VID_2E71&PID_00A1", "S1", r"USB\VID_2E71&PID_00A1&REV_0100")
        self.plug("VID_2E71&PID_00B2", "S2", r"USB\VID_2E71&PID_00B2&REV_0100")
        self.plug("VID_2e71&PID_00C3", "S3", r"USB\VID_2e71&PID_00C3&REV_0100")
        self.assertEqual(sorted(scan()), ["0x00A1", "0x00B2"])


    def test_a_product_id_below_0x1000_finds_its_software(self):
        self.plug("VID_2E71&PID_00A1", "S1", r"USB\VID_2E71&PID_00A1&REV_0100")
        [device_id] = scan()
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "list.xml")
            with open(path, "w") as catalogue:
                catalogue.write('<list driverBaseUrlCN="https://dl.example">'
                                '<item pid="161" name="Quenz Mini" type="tw4" os="win32" file="t.zip"/></list>')
            code, output = wine_session.run(options.probe, "Z:" + path.replace("/", "\\"), device_id)
        self.assertEqual(code, 0, output)
        self.assertIn("tw4", output.splitlines())


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", required=True)
    options, remaining = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + remaining, verbosity=2)
