"""End-to-end test harness: the Wine test bed, the UI driver, the program
under test and the servers it talks to, all stopped again when a test ends."""

from .case import E2ETestCase, E2ETimeout
from .document_server import DocumentServer, EndlessBody
from .driver import Driver, DriverError, DriverTimeout
from .images import Image
from .reference_server import ReferenceServer
from .scripted_server import ScriptedServer
from .session import AppSession, LauncherSession, MessageBox, launcher_forms
from .testbed import Testbed

__all__ = [
    "AppSession", "DocumentServer", "Driver", "DriverError", "DriverTimeout", "E2ETestCase", "E2ETimeout", "EndlessBody",
    "Image", "LauncherSession", "MessageBox", "ReferenceServer", "ScriptedServer", "Testbed", "launcher_forms",
]
