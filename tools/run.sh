#!/usr/bin/env bash
# The demo: installs whatever is missing, builds the program, starts a stand-in
# for the maker's servers with a demo catalogue, pictures and installers, plugs in
# a simulated Quenz Q2 (USB product id 0x1234) and starts the program.
#   run.sh             the Linux build (the device through umockdev)
#   run.sh --windows   the Windows exe under Wine (the device in the prefix's registry)
# With a display, click through it yourself. Without one, the demo runs the road
# of one install by itself on a virtual display and says where the screenshots
# and the run-time log are.
set -euo pipefail
cd "$(dirname "$0")/.."

target=linux
[ "${1:-}" = "--windows" ] && target=windows

bash tools/install-deps.sh
cmake --preset "$target" >/dev/null
cmake --build --preset "$target"

build="$PWD/build/$target"
demo="$build/demo"
server="$demo/server"
mkdir -p "$demo"

bash tests/support/maker-server.sh start "$server"
cleanup() { bash tests/support/maker-server.sh stop "$server"; }
trap cleanup EXIT

site_options=()
if [ "$target" = windows ]; then
    # The Windows test build starts only installers signed by its test signer.
    signer=$(sed -n 's/^QUENZ_INSTALLER_SIGNER:STRING=//p' "$build/CMakeCache.txt")
    bash tests/support/sign-installers.sh "$demo/signed" "${signer:-Quenz Test Maker 测试厂商}" \
        "$build/tools/fake_installer.exe" "$build/tools/fake_driver_setup.exe"
    programs="$demo/signed/signed-programs"
    site_options=(--driver-setup "$programs/fake_driver_setup.exe" --installer "$programs/fake_installer.exe")
fi
python3 tools/demo/make_demo_site.py "$server/www" "$(cat "$server/url")" "${site_options[@]}"
export QUENZ_CATALOGUE_URL="$(cat "$server/url")/brelvox/release/software/list.xml"

if [ -z "${DISPLAY:-}" ]; then
    road_options=(--platform "$target" --exe "$build/QuenzInstall" --artefacts "$demo/screenshots")
    if [ "$target" = windows ]; then
        bash tests/support/wine-session.sh start "$demo/wine" "$build/tools/trust_ca.exe" "$server/ca.pem" \
            "$demo/signed/trusted-ca.pem"
        trap 'bash tests/support/wine-session.sh stop "$demo/wine"; cleanup' EXIT
        road_options=(--platform windows --exe "$build/QuenzInstall.exe" --probe "$build/tools/window_probe.exe"
                      --driver-setup "$programs/fake_driver_setup.exe" --installer "$programs/fake_installer.exe"
                      --artefacts "$demo/screenshots")
    fi
    QUENZ_MAKER_SERVER="$server" QUENZ_WINE_STATE="$demo/wine" \
        python3 tests/e2e/install_road_test.py "${road_options[@]}" InstallRoadTests.test_install_road
    echo "No display here: the demo ran by itself on a virtual one."
    echo "Screenshots and the run-time log: $demo/screenshots"
    exit 0
fi

if [ "$target" = windows ]; then
    export WINEPREFIX="$demo/wine-display-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    [ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
    wine "$build/tools/trust_ca.exe" "$server/ca.pem"
    wine "$build/tools/trust_ca.exe" "$demo/signed/trusted-ca.pem"
    key='HKLM\System\CurrentControlSet\Enum\USB\VID_2E71&PID_1234\DEMO1'
    wine reg add "$key" /v HardwareID /t REG_MULTI_SZ /d 'USB\VID_2E71&PID_1234&REV_0100' /f >/dev/null 2>&1
    wine reg add "$key" /v ClassGUID /t REG_SZ /d '{36fc9e60-c465-11cf-8056-444553540000}' /f >/dev/null 2>&1
    echo "Unplug the simulated device with: WINEPREFIX=$WINEPREFIX wine reg delete '${key%\\*}' /f"
    wine "$build/QuenzInstall.exe"
else
    home="$demo/home"
    mkdir -p "$home/config" "$home/tmp" "$home/share"
    printf '%s\n' "P: /devices/pci0000:00/0000:00:14.0/usb1/1-1" "E: SUBSYSTEM=usb" "E: DEVTYPE=usb_device" \
           "A: idVendor=2e71" "A: idProduct=1234" "A: bcdDevice=0100" > "$demo/device.umockdev"
    XDG_CONFIG_HOME="$home/config" TMPDIR="$home/tmp" XDG_DATA_DIRS="$home/share" \
        umockdev-run --device "$demo/device.umockdev" -- "$build/QuenzInstall"
    echo "The run-time log: $home/config/Brelvox/QuenzInstall/runtimeLog.txt"
fi
