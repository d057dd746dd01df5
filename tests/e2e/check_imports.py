"""The program's static import table lists only kernel32 and msvcrt, which
Windows always loads from its own folder and which import nothing else;
everything else is delay-loaded from the system folder once the program has
locked its DLL search path."""
import os
import re
import subprocess
import sys

ALLOWED = {"kernel32.dll", "msvcrt.dll"}

failed = False
for exe in sys.argv[1:]:
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], capture_output=True, text=True, check=True).stdout
    # Delay imports are listed in their own table, after the normal imports.
    normal = out.split("The Import Tables", 1)[1].split("Delay Import", 1)[0] if "The Import Tables" in out else ""
    names = {n.lower() for n in re.findall(r"DLL Name: (\S+)", normal)}
    extra = names - ALLOWED
    print(f"{os.path.basename(exe)}: static imports {sorted(names)}")
    if not names:
        print("  no import table found"); failed = True
    if extra:
        print(f"  not allowed: {sorted(extra)}"); failed = True
sys.exit(1 if failed else 0)
