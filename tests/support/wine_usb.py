"""Simulated USB devices for the Windows tests: device keys in the Wine prefix's
registry, which SetupAPI then lists as present USB devices."""

import subprocess

import wine_session

ENUM_USB = r"HKLM\System\CurrentControlSet\Enum\USB"
# Without a class the device is not listed at all.
USB_CLASS = "{36fc9e60-c465-11cf-8056-444553540000}"


def reg(*arguments, check=True):
    subprocess.run([wine_session.WINE_RUN, "reg", *arguments], check=check, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def plug(device_key, instance, hardware_ids):
    """Adds Enum\\USB\\device_key\\instance with its hardware ids (most specific first)."""
    key = rf"{ENUM_USB}\{device_key}\{instance}"
    reg("add", key, "/v", "HardwareID", "/t", "REG_MULTI_SZ", "/d", r"\0".join(hardware_ids), "/f")
    reg("add", key, "/v", "ClassGUID", "/t", "REG_SZ", "/d", USB_CLASS, "/f")


def unplug(device_key):
    """Removes the device; a device that is not there is no error."""
    reg("delete", rf"{ENUM_USB}\{device_key}", "/f", check=False)
