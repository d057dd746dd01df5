"""Registers a test in-process COM server in the tests' Wine prefix for the
length of a with block (for instance the attachment_logger.dll stand-in for
Windows' attachment services)."""
import contextlib
import os
import shutil
import subprocess
import tempfile


def _windows_path(unix_path):
    """The path under Wine's drive Z:, which maps the Unix root."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def _reg(env, *args, force=True):
    """Runs Wine's reg.exe in the 64-bit registry view (the program and the
    DLL are 64-bit) with the given environment; returns the finished process."""
    return subprocess.run(["wine", "reg", *args, "/reg:64", *(["/f"] if force else [])], env=env,
                          capture_output=True, timeout=120, text=True, encoding="utf-8", errors="replace")


def _failure(what, result):
    return RuntimeError(f"{what} failed ({result.returncode}): {result.stdout.strip()} {result.stderr.strip()}")


@contextlib.contextmanager
def registered_com_server(env, clsid, dll_unix_path):
    """Registers dll_unix_path as the in-process server of clsid in the Wine
    prefix env["WINEPREFIX"] and removes the registration on exit; yields the
    class's registry key.

    COM finds a class under HKEY_CLASSES_ROOT\\CLSID\\{clsid}\\InprocServer32.
    On Windows HKEY_CLASSES_ROOT is a merged view of HKLM\\Software\\Classes
    and HKCU\\Software\\Classes; Wine's HKEY_CLASSES_ROOT is
    HKLM\\Software\\Classes itself, so the class is registered there and
    nowhere else, where every process of the prefix sees it at once. Its
    default value is the DLL's Windows path (drive Z: maps the Unix root) and
    its ThreadingModel is "Both", so the object is created in the caller's
    own apartment, whichever it is.

    On exit the class's key is deleted, and the prefix's own registration of
    the class, if it had one (Wine registers a TaskbarList, for instance), is
    put back as it was. env is the environment reg.exe runs with, as a dict."""
    prefix = env["WINEPREFIX"]
    guid = clsid.strip().strip("{}").upper()
    key = "HKLM\\Software\\Classes\\CLSID\\{" + guid + "}"
    server_key = key + "\\InprocServer32"
    done = False
    saved_folder = tempfile.mkdtemp(prefix="fetchwell-reg-")
    saved = os.path.join(saved_folder, "class.reg")
    had_class = _reg(env, "export", key, _windows_path(saved), "/y", force=False).returncode == 0
    try:
        result = _reg(env, "add", server_key, "/ve", "/t", "REG_SZ", "/d", _windows_path(dll_unix_path))
        if result.returncode != 0:
            raise _failure(f"registering {dll_unix_path} in {prefix}", result)
        result = _reg(env, "add", server_key, "/v", "ThreadingModel", "/t", "REG_SZ", "/d", "Both")
        if result.returncode != 0:
            raise _failure(f"setting the threading model of {key} in {prefix}", result)
        yield key
        done = True
    finally:
        result = _reg(env, "delete", key)
        if had_class:
            result = _reg(env, "import", _windows_path(saved), force=False)
        shutil.rmtree(saved_folder, ignore_errors=True)
        # A failed removal is reported only when nothing else went wrong:
        # after a failed registration there may be nothing to remove.
        if done and result.returncode != 0:
            raise _failure(f"restoring {key} in {prefix}", result)
