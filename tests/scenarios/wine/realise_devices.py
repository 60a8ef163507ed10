"""Realises [devices]: each device instance as a key under
HKLM\\SYSTEM\\CurrentControlSet\\Enum\\<instance id> with ClassGUID and its
HardwareID list, which Wine's setupapi then lists among all classes. Wine 8
ignores DIGCF_PRESENT, so a device that is installed but not present cannot
be expressed, nor can failing setup calls."""

from .common import CannotExpress

SECTION = "devices"

SYSTEM_CLASS = "{4D36E97D-E325-11CE-BFC1-08002BE10318}"


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def multi_sz(ids):
    data = "".join(i + "\0" for i in ids) + "\0"
    return "hex(7):" + ",".join(f"{b:02x}" for b in data.encode("utf-16-le"))


def realise(section, ctx):
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, device in section.items():
        if key == "class_devs_error":
            if device:
                raise CannotExpress("Wine cannot make SetupDiGetClassDevsA fail")
            continue
        if not isinstance(device, dict):
            raise CannotExpress(f"device {key} must be a table")
        parts = key.split("\\")
        if len(parts) != 3 or not all(parts):
            raise CannotExpress(f'device instance "{key}" is not ENUMERATOR\\DEVICE\\INSTANCE')
        if not device.get("present", True):
            raise CannotExpress("Wine 8 lists every device as present (DIGCF_PRESENT is ignored)")
        if device.get("hardware_id_read_error", 0):
            raise CannotExpress("Wine cannot make reading a device's hardware ids fail")
        lines.append(f"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\{key}]")
        lines.append(f'"ClassGUID"={reg_string(SYSTEM_CLASS)}')
        ids = device.get("hardware_ids", [])
        if ids:
            lines.append(f'"HardwareID"={multi_sz(ids)}')
        lines.append("")
    ctx.reg_import("\r\n".join(lines) + "\r\n")
