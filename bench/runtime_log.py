"""Writes 1 MiB of the runtime's log as its server writes it at a start with
many apps registered (vrserver.txt, microseconds, as on Linux), ending with
its word on MANIFEST: added, no complaint."""
import sys

manifest = sys.argv[1]
kinds = (
    "Adding application manifest path: /opt/app{n}/app{n}.vrmanifest",
    "/opt/app{n}/app{n}.vrmanifest - App app{n}.key binary_path /opt/app{n}/bin/app{n} is invalid. Skipping",
    "Started auto launch dashboard app{n}.key.",
    "Starting process /opt/app{n}/bin/app{n}  (working directory /opt/app{n}) as app app{n}.key",
    "Loaded server driver lighthouse (IServerTrackedDeviceProvider_004)",
    "VR_Init(VRApplication_Overlay) succeeded for process {n}",
)
lines = []
size = 0
n = 0
while size < 1024 * 1024:
    second, micro = divmod(n * 1371, 1000000)
    line = "Thu Sep 17 2026 03:%02d:%02d.%06d [Info] - %s\n" % (
        second // 60 % 60, second % 60, micro, kinds[n % len(kinds)].format(n=n))
    lines.append(line)
    size += len(line)
    n += 1
lines.append("Thu Sep 17 2026 04:00:00.000001 [Info] - Adding application manifest path: %s\n" % manifest)
sys.stdout.write("".join(lines))
