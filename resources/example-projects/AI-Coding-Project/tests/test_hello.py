import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "src"))

from hello import greeting  # noqa: E402


class GreetingTest(unittest.TestCase):
    def test_default(self):
        self.assertEqual(greeting(), "Hello, world!")

    def test_name(self):
        self.assertEqual(greeting("Ada"), "Hello, Ada!")


if __name__ == "__main__":
    unittest.main()
