#!/usr/bin/env python3
"""The layer check over a small project tree made in a temporary git folder."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check-layers.py")

HEADERS = [
    "platform/Clock.h",
    "Brimlark/core/AppState.h",
    "Brimlark/shell/AppCoordinator.h",
    "Brimlark/quickactions/QuickAction.h",
    "Brimlark/controls/TimerService.h",
    "Brimlark/pages/BasicModeView.h",
    "app/ApplicationStartup.h",
    "KeyboardShortcuts/Shortcut.h",
]


class CheckLayers(unittest.TestCase):
    def check(self, path, include):
        """Runs the check over the headers above plus `path`, which holds `include`."""
        with tempfile.TemporaryDirectory() as root:
            subprocess.run(["git", "init", "-q", root], check=True)
            for header in HEADERS + [path]:
                full = os.path.join(root, header)
                os.makedirs(os.path.dirname(full), exist_ok=True)
                with open(full, "a", encoding="utf-8") as out:
                    out.write("#pragma once\n")
            with open(os.path.join(root, path), "a", encoding="utf-8") as out:
                out.write(include + "\n")
            run = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
            return run.returncode, run.stdout

    def test_includes(self):
        cases = [
            # (file, include line, passes, words the fault names)
            ("Brimlark/core/Debouncer.cpp", '#include "Brimlark/shell/AppCoordinator.h"', False, "higher layer"),
            ("Brimlark/core/Debouncer.cpp", "#include <Brimlark/shell/AppCoordinator.h>", False, "higher layer"),
            ("Brimlark/core/Debouncer.cpp", "#include <QObject>", True, ""),
            ("Brimlark/core/Debouncer.cpp", "#include <platform/Clock.h>", True, ""),
            ("Brimlark/controls/Mute.cpp", '#include "Brimlark/quickactions/QuickAction.h"', False,
             "features do not include one another"),
            ("Brimlark/quickactions/Row.cpp", "#include <Brimlark/controls/TimerService.h>", False,
             "features do not include one another"),
            ("Brimlark/pages/AdvancedModeView.cpp", '#include "Brimlark/quickactions/QuickAction.h"', True, ""),
            ("Brimlark/shell/Tray.cpp", '#include "app/ApplicationStartup.h"', False, "higher layer"),
            ("app/main.cpp", '#include "app/ApplicationStartup.h"', True, ""),
            ("Brimlark/core/Debouncer.cpp", '#include "Brimlark/core/Missing.h"', False, "names no file"),
            ("KeyboardShortcuts/Name.cpp", "#include <Brimlark/core/AppState.h>", False, "higher layer"),
            ("KeyboardShortcuts/Name.cpp", '#include "Brimlark/core/AppState.h"', False, "higher layer"),
            ("KeyboardShortcuts/Name.cpp", '#include "platform/Clock.h"', True, ""),
            ("Brimlark/shortcuts/Row.cpp", "#include <KeyboardShortcuts/Shortcut.h>", True, ""),
        ]
        for path, include, passes, words in cases:
            with self.subTest(path=path, include=include):
                code, out = self.check(path, include)
                self.assertEqual(code == 0, passes, out)
                if not passes:
                    self.assertIn(path, out)
                    self.assertIn(words, out)


if __name__ == "__main__":
    unittest.main()
